#pragma once

#include <QtGlobal>

#include <optional>
#include <span>
#include <vector>

namespace varnex::device {

// The bytes of one request to the Varnex: command code, count, address,
// 0/1/2/4 sub-address bytes, then the data of a write. No length prefix,
// checksum or terminator.
using CommandFrame = std::vector<quint8>;

// Command codes understood by the Varnex firmware.
inline constexpr quint8 ReadCommand = 0x11;   // EDID read; also carries the mode requests
inline constexpr quint8 WriteCommand = 0x10;  // EDID write
inline constexpr quint8 StatusCommand = 0x02; // EDID status (read errors, readings)

// Byte 2 of a mode request (a 3-byte frame of ReadCommand).
enum class ModeSelector : quint8
{
    SelectCustom = 0xD0,
    SelectAutomix = 0xD1,
    Query = 0xD2,
};

// Frame and reply sizes fixed by the Varnex firmware.
inline constexpr quint32 EdidChunkLength = 16;   // EDID bytes one read request returns
inline constexpr quint32 ReadFrameLength = 4;    // 11 10 aa oo
inline constexpr quint32 StatusFrameLength = 8;  // 02 10 aa F0 and four bytes of no meaning
inline constexpr quint32 WriteDataLength = 8;    // EDID bytes one write request carries
inline constexpr quint32 WriteFrameLength = 12;  // 10 0C aa oo d0..d7; also its count byte
inline constexpr quint32 ModeFrameLength = 3;    // 11 01 Dx
inline constexpr quint32 ReadReplyLength = 16;   // the EDID chunk
inline constexpr quint32 StatusReplyLength = 10; // read errors, readings, 8 unused bytes
inline constexpr quint32 WriteReplyLength = 5;   // not examined
inline constexpr quint32 ModeReplyLength = 1;    // 0 = CUSTOM, otherwise AUTOMIX
// The status request repeats bytes 1 to 3 of the last read request of an EDID
// read: count 16 and offset 0xF0.
inline constexpr quint8 StatusCount = 0x10;
inline constexpr quint8 StatusOffset = 0xF0;

// Sub-address bytes that a command code carries: 4 for codes 0x40-0x4F, 2 for
// 0x20-0x2F, 1 for every other code.
int subAddressWidth(quint8 commandCode);

// A read request with the sub-address width of its command code; the offset
// goes most significant byte first and is cut to that width.
CommandFrame readFrame(quint8 commandCode, quint8 count, quint8 address, quint32 offset);
// 11 10 aa oo: the EDID chunk at `offset`.
CommandFrame edidReadFrame(quint8 address, quint8 offset);
// 02 10 aa F0 00 00 00 00.
CommandFrame statusFrame(quint8 address);
// 10 0C aa oo d0..d7.
CommandFrame writeFrame(quint8 address, quint8 offset,
                        std::span<const quint8, WriteDataLength> data);
// 11 01 Dx.
CommandFrame modeFrame(ModeSelector selector);

// A frame taken apart again, as the Varnex sees it.
enum class FrameKind
{
    Read,
    Status,
    Write,
    Mode
};
struct DecodedFrame
{
    FrameKind kind = FrameKind::Read;
    quint8 command = 0;
    quint8 count = 0;
    quint8 address = 0; // the I2C address; for Mode frames the selector byte
    quint32 offset = 0;
    std::vector<quint8> data; // Write only
};
// Recognises the frames built above; anything else yields nothing.
std::optional<DecodedFrame> decodeFrame(std::span<const quint8> bytes);

// What the status reply reports.
struct EdidStatus
{
    quint8 readErrors = 0;
    quint8 readings = 0;
};
EdidStatus decodeStatusReply(std::span<const quint8, StatusReplyLength> reply);
// The mode query's reply byte: anything but 0 means AUTOMIX is in force.
bool modeReplyMeansAutomix(quint8 replyByte);

} // namespace varnex::device
