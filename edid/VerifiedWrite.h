#pragma once

#include "DeviceSession.h"
#include "EdidImage.h"

#include <QList>
#include <QString>

namespace varnex::edid {

// What a read-back after a write found.
struct WriteVerification
{
    enum Outcome
    {
        Equal,          // the Varnex holds the table that was sent
        Different,      // it holds another one: see differingOffsets
        ReadBackFailed, // the table could not be read back: see readBack
    };
    Outcome outcome = ReadBackFailed;
    SessionReadResult readBack;
    QList<int> differingOffsets; // Different: rising, never empty

    // The user's sentence on a read-back that was not Equal, e.g. "The Varnex
    // holds a different table after the write: 3 bytes differ, at 0x12, 0x13
    // and 0x7F."; empty when Equal.
    QString message() const;
    // What to do about it; empty when Equal.
    QString advice() const;
};

// Reads the table back in its own open and close (DeviceSession::readTable,
// with its progress) and compares it with `sent`. Meant for right after a
// write whose every frame was acknowledged: an acknowledgement only says that
// the frame arrived, not that the memory took its bytes.
WriteVerification verifyWrittenTable(DeviceSession &session, const EdidImage &sent,
                                     const TransferProgress &progress = {});

} // namespace varnex::edid
