#pragma once

#include "DeviceSession.h"
#include "EdidImage.h"
#include "Outcome.h"

#include <QList>

namespace varnex::splitter {

// What a read-back after a write found. Done: the Varnex holds the table that
// was sent. Differs: it holds another one (see differingOffsets), e.g. "The
// Varnex holds a different table after the write: 3 bytes differ, at 0x12,
// 0x13 and 0x7F." Otherwise the status of the read (see readBack), with a
// message saying that the write could not be verified.
struct WriteVerification : Outcome
{
    SessionReadResult readBack;
    QList<int> differingOffsets; // Differs: rising, never empty
};

// Reads the table back in its own open and close (DeviceSession::readTable,
// with its progress) and compares it with `sent`. Meant for right after a
// write whose every frame was acknowledged: an acknowledgement only says that
// the frame arrived, not that the memory took its bytes.
WriteVerification verifyWrittenTable(DeviceSession &session, const EdidImage &sent,
                                     const TransferProgress &progress = {});

} // namespace varnex::splitter
