#include "DefaultEdid.h"

#include <algorithm>
#include <initializer_list>

namespace varnex::device::sim {

namespace {

// Bytes per EDID block; the last byte of each is its checksum.
constexpr std::size_t BlockSize = 128;

void put(EdidMemory &edid, std::size_t at, std::initializer_list<quint8> bytes)
{
    std::copy(bytes.begin(), bytes.end(), edid.begin() + at);
}

// Makes the bytes of the block at `start` sum to 0 modulo 256.
void sealBlock(EdidMemory &edid, std::size_t start)
{
    quint8 sum = 0;
    for (std::size_t i = start; i < start + BlockSize - 1; ++i)
        sum = quint8(sum + edid[i]);
    edid[start + BlockSize - 1] = quint8(0x100 - sum);
}

void fillBaseBlock(EdidMemory &edid)
{
    put(edid, 0, {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}); // header
    // Manufacturer "VNX" (5 bits a letter, A = 1), product 0x2020, serial 1,
    // week 1 of 2020, EDID 1.3.
    put(edid, 8, {0x59, 0xD8, 0x20, 0x20, 0x01, 0x00, 0x00, 0x00, 0x01, 0x1E, 0x01, 0x03});
    // Digital input, 53 x 30 cm, gamma 2.2, RGB colour, preferred timing first.
    put(edid, 20, {0x80, 0x35, 0x1E, 0x78, 0x0A});
    // sRGB chromaticity.
    put(edid, 25, {0xEE, 0x91, 0xA3, 0x54, 0x4C, 0x99, 0x26, 0x0F, 0x50, 0x54});
    // Established timings 640x480, 800x600 and 1024x768 at 60 Hz.
    put(edid, 35, {0x21, 0x08, 0x00});
    // Standard timings 1280x1024 and 1920x1080 at 60 Hz, the rest unused.
    put(edid, 38,
        {0x81, 0x80, 0xD1, 0xC0, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
         0x01});
    // Detailed timing 1920x1080 at 60 Hz, 148.5 MHz.
    put(edid, 54,
        {0x02, 0x3A, 0x80, 0x18, 0x71, 0x38, 0x2D, 0x40, 0x58, 0x2C, 0x45, 0x00, 0x13, 0x2B, 0x21,
         0x00, 0x00, 0x1E});
    // Range limits 56-75 Hz, 30-83 kHz, 170 MHz.
    put(edid, 72,
        {0x00, 0x00, 0x00, 0xFD, 0x00, 0x38, 0x4B, 0x1E, 0x53, 0x11, 0x00, 0x0A, 0x20, 0x20, 0x20,
         0x20, 0x20, 0x20});
    // Monitor name "VARNEX SIM".
    put(edid, 90,
        {0x00, 0x00, 0x00, 0xFC, 0x00, 'V', 'A', 'R', 'N', 'E', 'X', ' ', 'S', 'I', 'M', 0x0A, 0x20,
         0x20});
    // Serial text "2020".
    put(edid, 108,
        {0x00, 0x00, 0x00, 0xFF, 0x00, '2', '0', '2', '0', 0x0A, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20,
         0x20, 0x20});
    edid[126] = 1; // one extension block
    sealBlock(edid, 0);
}

void fillExtensionBlock(EdidMemory &edid)
{
    // CTA-861 revision 3; detailed timings start at byte 22 of the block;
    // basic audio, one native format.
    put(edid, 128, {0x02, 0x03, 0x16, 0x71});
    // Video: VIC 16 (1080p60, native), 4 (720p60), 3 (480p).
    put(edid, 132, {0x43, 0x90, 0x04, 0x03});
    // Audio: LPCM, 2 channels, 32/44.1/48 kHz, 16/20/24 bits.
    put(edid, 136, {0x23, 0x09, 0x07, 0x07});
    // Speaker allocation: front left and right.
    put(edid, 140, {0x83, 0x01, 0x00, 0x00});
    // HDMI vendor block, physical address 1.0.0.0.
    put(edid, 144, {0x65, 0x03, 0x0C, 0x00, 0x10, 0x00});
    // Detailed timing 1280x720 at 60 Hz, 74.25 MHz.
    put(edid, 150,
        {0x01, 0x1D, 0x00, 0x72, 0x51, 0xD0, 0x1E, 0x20, 0x6E, 0x28, 0x55, 0x00, 0x13, 0x2B, 0x21,
         0x00, 0x00, 0x1E});
    sealBlock(edid, BlockSize);
}

} // namespace

EdidMemory defaultSimulatedEdid()
{
    EdidMemory edid{};
    fillBaseBlock(edid);
    fillExtensionBlock(edid);
    return edid;
}

} // namespace varnex::device::sim
