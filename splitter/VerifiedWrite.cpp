#include "VerifiedWrite.h"

#include "ByteDifferences.h"
#include "HexOffset.h"

namespace varnex::splitter {

namespace {

Outcome readBackFailed(const SessionReadResult &readBack)
{
    const QString message =
        readBack.status == SessionStatus::HardwareNotFound
            ? QStringLiteral("The write could not be verified: the Varnex could not be opened "
                             "to read the table back.")
            : QStringLiteral("The write could not be verified: when the table was read back, "
                             "the bytes from offset %1 did not arrive.")
                  .arg(edid::hexOffset(readBack.missingOffset));
    return {readBack.status, message,
            QStringLiteral("Check the connection to the Varnex, then read its table to see what "
                           "it holds, or write the table again.")};
}

} // namespace

WriteVerification verifyWrittenTable(DeviceSession &session, const EdidImage &sent,
                                     const TransferProgress &progress)
{
    WriteVerification result;
    result.readBack = session.readTable(progress);
    if (!result.readBack.done()) {
        static_cast<Outcome &>(result) = readBackFailed(result.readBack);
        return result;
    }
    result.differingOffsets = edid::differingOffsets(sent, result.readBack.image);
    if (result.differingOffsets.isEmpty()) {
        static_cast<Outcome &>(result) = doneOutcome();
        return result;
    }
    static_cast<Outcome &>(result) = {
        SessionStatus::Differs,
        QStringLiteral("The Varnex holds a different table after the write: %1.")
            .arg(edid::describeDifferingOffsets(result.differingOffsets)),
        QStringLiteral("Write the table again. If the same bytes differ again, the EDID memory "
                       "of the Varnex may be faulty.")};
    return result;
}

} // namespace varnex::splitter
