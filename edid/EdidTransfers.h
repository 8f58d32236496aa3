#pragma once

#include "CommandFrame.h"
#include "EdidImage.h"

#include <array>
#include <functional>

namespace varnex::device {
class DeviceConnection;
}

namespace varnex::edid {

// Receives (value, maximum) as a transfer goes on, and (0, 0) when it ends.
using TransferProgress = std::function<void(int value, int maximum)>;

// Chunks of an EDID read: 16 requests of 16 bytes.
inline constexpr int ReadChunkCount = EdidImageSize / int(device::EdidChunkLength);
// Frames of an EDID write: 32 requests of 8 bytes.
inline constexpr int WriteFrameCount = EdidImageSize / int(device::WriteDataLength);
// Pause after each write frame, so that the Varnex can store the bytes in its EEPROM.
inline constexpr quint32 WriteFramePauseMs = 50;
// The read reports its progress against 255, the offset of the table's last byte.
inline constexpr int ReadProgressMaximum = 255;

struct EdidReadResult
{
    EdidImage image{};                          // chunks that did not arrive stay 0
    std::array<bool, ReadChunkCount> arrived{}; // a chunk counts only when all 16 bytes came
    // Offset of the first chunk that did not arrive, or -1 when all did. After
    // a lost reply the replies may be out of step with the requests, so no
    // chunk after the first missing one can be trusted.
    int firstMissingOffset() const;
};

struct EdidWriteResult
{
    std::array<bool, WriteFrameCount> acknowledged{};
    // Offset of the first frame that failed or got no reply, or -1 when none did.
    int firstFailedOffset() const;
};

struct ModeRequestResult
{
    bool replied = false;
    quint8 reply = 0; // the reply byte; 0 when none came
};

// The sequences below need an open device and leave it open; the caller opens
// and closes it around them.

// 16 read requests at offsets 0x00 to 0xF0, then the status request, whose
// reply is not used. Progress: (offset, 255) before each request.
EdidReadResult readEdidTable(device::DeviceConnection &connection, quint8 address,
                             const TransferProgress &progress);

// 32 write requests at offsets 0x00 to 0xF8 in rising order, each followed by
// the pause; every frame is sent even after a failure. Progress: (frame, 32)
// before each request.
EdidWriteResult writeEdidTable(device::DeviceConnection &connection, quint8 address,
                               const EdidImage &image, const TransferProgress &progress);

// One mode request (query or selection) and its one-byte reply.
ModeRequestResult sendModeFrame(device::DeviceConnection &connection,
                                device::ModeSelector selector);

} // namespace varnex::edid
