#include "CommandFrame.h"

#include <algorithm>

namespace varnex::device {

int subAddressWidth(quint8 commandCode)
{
    switch (commandCode >> 4) {
    case 0x4:
        return 4;
    case 0x2:
        return 2;
    default:
        return 1;
    }
}

CommandFrame readFrame(quint8 commandCode, quint8 count, quint8 address, quint32 offset)
{
    CommandFrame frame{commandCode, count, address};
    for (int shift = 8 * (subAddressWidth(commandCode) - 1); shift >= 0; shift -= 8)
        frame.push_back(quint8(offset >> shift));
    return frame;
}

CommandFrame edidReadFrame(quint8 address, quint8 offset)
{
    return readFrame(ReadCommand, quint8(EdidChunkLength), address, offset);
}

CommandFrame statusFrame(quint8 address)
{
    CommandFrame frame{StatusCommand, StatusCount, address, StatusOffset};
    frame.resize(StatusFrameLength, 0);
    return frame;
}

CommandFrame writeFrame(quint8 address, quint8 offset,
                        std::span<const quint8, WriteDataLength> data)
{
    CommandFrame frame(WriteFrameLength);
    frame[0] = WriteCommand;
    frame[1] = quint8(WriteFrameLength);
    frame[2] = address;
    frame[3] = offset;
    std::copy(data.begin(), data.end(), frame.begin() + 4);
    return frame;
}

CommandFrame modeFrame(ModeSelector selector)
{
    return {ReadCommand, quint8(ModeReplyLength), quint8(selector)};
}

namespace {

bool isModeSelector(quint8 value)
{
    return value >= quint8(ModeSelector::SelectCustom) && value <= quint8(ModeSelector::Query);
}

} // namespace

std::optional<DecodedFrame> decodeFrame(std::span<const quint8> bytes)
{
    if (bytes.size() < ModeFrameLength)
        return std::nullopt;
    DecodedFrame frame;
    frame.command = bytes[0];
    frame.count = bytes[1];
    frame.address = bytes[2];

    if (frame.command == StatusCommand) {
        if (bytes.size() != StatusFrameLength)
            return std::nullopt;
        frame.kind = FrameKind::Status;
        frame.offset = bytes[3];
        return frame;
    }
    if (frame.command == WriteCommand) {
        if (bytes.size() != WriteFrameLength || frame.count != WriteFrameLength)
            return std::nullopt;
        frame.kind = FrameKind::Write;
        frame.offset = bytes[3];
        frame.data.assign(bytes.begin() + 4, bytes.end());
        return frame;
    }
    if (frame.command == ReadCommand && bytes.size() == ModeFrameLength) {
        if (!isModeSelector(frame.address))
            return std::nullopt;
        frame.kind = FrameKind::Mode;
        return frame;
    }
    const auto width = std::size_t(subAddressWidth(frame.command));
    if (bytes.size() != 3 + width)
        return std::nullopt;
    frame.kind = FrameKind::Read;
    for (std::size_t i = 0; i < width; ++i)
        frame.offset = (frame.offset << 8) | bytes[3 + i];
    return frame;
}

EdidStatus decodeStatusReply(std::span<const quint8, StatusReplyLength> reply)
{
    return {reply[0], reply[1]};
}

bool modeReplyMeansAutomix(quint8 replyByte)
{
    return replyByte != 0;
}

} // namespace varnex::device
