#include "VerifiedWrite.h"

#include "ByteDifferences.h"
#include "HexOffset.h"

namespace varnex::edid {

QString WriteVerification::message() const
{
    switch (outcome) {
    case Equal:
        return {};
    case Different:
        return QStringLiteral("The Varnex holds a different table after the write: %1.")
            .arg(describeDifferingOffsets(differingOffsets));
    case ReadBackFailed:
        break;
    }
    if (readBack.status == SessionStatus::HardwareNotFound)
        return QStringLiteral("The write could not be verified: the Varnex could not be opened "
                              "to read the table back.");
    return QStringLiteral("The write could not be verified: when the table was read back, the "
                          "bytes from offset %1 did not arrive.")
        .arg(hexOffset(readBack.missingOffset));
}

QString WriteVerification::advice() const
{
    switch (outcome) {
    case Equal:
        return {};
    case Different:
        return QStringLiteral("Write the table again. If the same bytes differ again, the EDID "
                              "memory of the Varnex may be faulty.");
    case ReadBackFailed:
        break;
    }
    return QStringLiteral("Check the connection to the Varnex, then read its table to see what "
                          "it holds, or write the table again.");
}

WriteVerification verifyWrittenTable(DeviceSession &session, const EdidImage &sent,
                                     const TransferProgress &progress)
{
    WriteVerification result;
    result.readBack = session.readTable(progress);
    if (result.readBack.status != SessionStatus::Done)
        return result;
    result.differingOffsets = differingOffsets(sent, result.readBack.image);
    result.outcome =
        result.differingOffsets.isEmpty() ? WriteVerification::Equal : WriteVerification::Different;
    return result;
}

} // namespace varnex::edid
