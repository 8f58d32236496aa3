#pragma once

#include "CommandFrame.h"
#include "EdidImage.h"

#include <array>
#include <functional>

namespace varnex::device {
class DeviceConnection;
}

namespace varnex::splitter {

using edid::EdidImage;
using edid::EdidImageSize;

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
    EdidImage image{}; // chunks that did not arrive stay 0
    // A chunk counts only when exactly its 16 bytes came and nothing after them.
    std::array<bool, ReadChunkCount> arrived{};
    // The status exchange after the chunks found the link out of step: a
    // chunk may hold another's bytes, so none counts as arrived.
    bool outOfStep = false;
    // Offset of the first chunk that did not arrive, or -1 when all did. The
    // read ends at that chunk: after a lost reply the replies may be out of
    // step with the requests, so nothing later could be trusted.
    int firstMissingOffset() const;
};

struct EdidWriteResult
{
    // A frame counts as confirmed only when exactly its reply came.
    std::array<bool, WriteFrameCount> acknowledged{};
    // Frames handed to the bridge: the confirmed ones, and the one that
    // failed when its bytes went out before the failure. The write stops at
    // the first frame not confirmed, so later frames were never sent.
    int framesSent = 0;
    // Offset of the first frame that failed or got no reply, or -1 when none did.
    int firstFailedOffset() const;
    // The frames confirmed, all of them before the first failed one.
    int framesConfirmed() const;
};

struct ModeRequestResult
{
    bool replied = false;
    quint8 reply = 0; // the reply byte; 0 when none came
};

// The sequences below need an open device and leave it open; the caller opens
// and closes it around them. Each ends at its first request that fails, times
// out or gets a reply out of step: after an unplug or with a silent device,
// going on would only add a message or a 3 s wait per request.

// 16 read requests at offsets 0x00 to 0xF0, then the status request, whose
// reply is not used; the status request is sent only when every chunk
// arrived. When it finds the link out of step, the read fails as a whole
// (outOfStep); any other outcome of it leaves the read as it is.
// Progress: (offset, 255) before each request.
EdidReadResult readEdidTable(device::DeviceConnection &connection, quint8 address,
                             const TransferProgress &progress);

// Up to 32 write requests at offsets 0x00 to 0xF8 in rising order, each
// confirmed one followed by the pause. Progress: (frame, 32) before each
// request.
EdidWriteResult writeEdidTable(device::DeviceConnection &connection, quint8 address,
                               const EdidImage &image, const TransferProgress &progress);

// One mode request (query or selection) and its one-byte reply.
ModeRequestResult sendModeFrame(device::DeviceConnection &connection,
                                device::ModeSelector selector);

} // namespace varnex::splitter
