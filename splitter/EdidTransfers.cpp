#include "EdidTransfers.h"

#include "DeviceConnection.h"

#include <algorithm>
#include <span>

namespace varnex::splitter {

using device::DeviceConnection;
using device::TransactResult;

namespace {

// Room for the longest reply of any request.
constexpr std::size_t ReplyAreaSize = 32;

// A reply of any other length, or with bytes behind it, answers some other request.
bool fullReply(const TransactResult &result, quint32 length)
{
    return result.outcome == TransactResult::Replied && result.received == length;
}

} // namespace

int EdidReadResult::firstMissingOffset() const
{
    const auto missing = std::find(arrived.begin(), arrived.end(), false);
    if (missing == arrived.end())
        return -1;
    return int(missing - arrived.begin()) * int(device::EdidChunkLength);
}

int EdidWriteResult::firstFailedOffset() const
{
    const auto failed = std::find(acknowledged.begin(), acknowledged.end(), false);
    if (failed == acknowledged.end())
        return -1;
    return int(failed - acknowledged.begin()) * int(device::WriteDataLength);
}

int EdidWriteResult::framesConfirmed() const
{
    return int(std::find(acknowledged.begin(), acknowledged.end(), false) - acknowledged.begin());
}

EdidReadResult readEdidTable(DeviceConnection &connection, quint8 address,
                             const TransferProgress &progress)
{
    EdidReadResult result;
    for (int chunk = 0; chunk < ReadChunkCount; ++chunk) {
        const int offset = chunk * int(device::EdidChunkLength);
        progress(offset, ReadProgressMaximum);
        // A fresh, zeroed reply area per request: a lost reply never shows
        // the bytes of another chunk.
        std::array<quint8, ReplyAreaSize> reply{};
        const TransactResult sent = connection.exchange(
            reply.data(), device::edidReadFrame(address, quint8(offset)), device::ReadReplyLength);
        if (!fullReply(sent, device::ReadReplyLength))
            return result;
        std::copy_n(reply.begin(), device::EdidChunkLength, result.image.begin() + offset);
        result.arrived[std::size_t(chunk)] = true;
    }
    std::array<quint8, ReplyAreaSize> statusReply{};
    const TransactResult status = connection.exchange(
        statusReply.data(), device::statusFrame(address), device::StatusReplyLength);
    // A late or repeated reply that came after the check behind its chunk
    // passes every later chunk on to the next request's bytes while each seems
    // whole; the status exchange is the first to see it, and then no chunk
    // can be trusted.
    if (status.outcome == TransactResult::OutOfStep)
        return EdidReadResult{.outOfStep = true};
    return result;
}

EdidWriteResult writeEdidTable(DeviceConnection &connection, quint8 address, const EdidImage &image,
                               const TransferProgress &progress)
{
    EdidWriteResult result;
    for (int frame = 0; frame < WriteFrameCount; ++frame) {
        const int offset = frame * int(device::WriteDataLength);
        progress(frame, WriteFrameCount);
        const std::span<const quint8, device::WriteDataLength> data(image.data() + offset,
                                                                    device::WriteDataLength);
        std::array<quint8, ReplyAreaSize> reply{};
        const TransactResult sent =
            connection.exchange(reply.data(), device::writeFrame(address, quint8(offset), data),
                                device::WriteReplyLength);
        if (sent.frameSent)
            ++result.framesSent;
        // The reply's content means nothing; that exactly it came is the acknowledgement.
        if (!fullReply(sent, device::WriteReplyLength))
            return result;
        result.acknowledged[std::size_t(frame)] = true;
        connection.pause(WriteFramePauseMs);
    }
    return result;
}

ModeRequestResult sendModeFrame(DeviceConnection &connection, device::ModeSelector selector)
{
    std::array<quint8, ReplyAreaSize> reply{};
    const TransactResult sent =
        connection.exchange(reply.data(), device::modeFrame(selector), device::ModeReplyLength);
    ModeRequestResult result;
    result.replied = fullReply(sent, device::ModeReplyLength);
    result.reply = result.replied ? reply[0] : 0;
    return result;
}

} // namespace varnex::splitter
