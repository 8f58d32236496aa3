#include "PresetBaseImage.h"

#include "Checksum.h"

#include <algorithm>

namespace varnex::edid {

namespace {

// "VNX" as three 5-bit letters (A = 1), big-endian: 10110 01110 11000.
constexpr quint8 ManufacturerId[] = {0x59, 0xD8};
// Byte 17: year of manufacture, counted from 1990.
constexpr quint8 ManufactureYear = 2024 - 1990;
// EDID structure version 1, revision 3.
constexpr quint8 EdidVersion = 1;
constexpr quint8 EdidRevision = 3;
// Byte 20: digital input.
constexpr quint8 DigitalInput = 0x80;
// Bytes 21-22: a 55-inch 16:9 screen, in cm.
constexpr quint8 ScreenWidthCm = 121;
constexpr quint8 ScreenHeightCm = 68;
// Byte 23: gamma 2.2, stored as 100 * gamma - 100.
constexpr quint8 Gamma22 = 120;
// Byte 24: RGB colour display, sRGB default colour space, preferred timing in the first DTD.
constexpr quint8 Features = 0x0E;
// Bytes 25-34: the sRGB primaries and D65 white point in the 10-bit EDID encoding.
constexpr quint8 SrgbChromaticity[] = {0xEE, 0x91, 0xA3, 0x54, 0x4C, 0x99, 0x26, 0x0F, 0x50, 0x54};
// Byte 35 bit 5: established timing 640x480@60.
constexpr quint8 Established640x480 = 0x20;
// The eight standard timings are unused, 01 01 each.
constexpr quint8 UnusedStandardTiming = 0x01;
constexpr int RangeLimitsSlot = 1;
// CTA-861 extension: revision 3, data blocks from byte 4.
constexpr quint8 CtaRevision = 3;

void putDummy(EdidImage &image, int slot)
{
    image[descriptorOffset(slot) + 3] = DisplayDescriptorTag::Dummy;
}

} // namespace

EdidImage presetBaseImage(quint16 productCode, const ModeRangeLimits &limits, quint8 ctaFlags)
{
    EdidImage image{};
    std::copy(EdidHeaderBytes.begin(), EdidHeaderBytes.end(), image.begin());
    image[BaseLayout::Manufacturer] = ManufacturerId[0];
    image[BaseLayout::Manufacturer + 1] = ManufacturerId[1];
    image[BaseLayout::ProductCode] = quint8(productCode & 0xFF);
    image[BaseLayout::ProductCode + 1] = quint8(productCode >> 8);
    image[BaseLayout::Year] = ManufactureYear;
    image[BaseLayout::Version] = EdidVersion;
    image[BaseLayout::Revision] = EdidRevision;
    image[BaseLayout::VideoInput] = DigitalInput;
    image[BaseLayout::WidthCm] = ScreenWidthCm;
    image[BaseLayout::HeightCm] = ScreenHeightCm;
    image[BaseLayout::Gamma] = Gamma22;
    image[BaseLayout::Features] = Features;
    std::copy(std::begin(SrgbChromaticity), std::end(SrgbChromaticity),
              image.begin() + BaseLayout::Chromaticity);
    image[BaseLayout::EstablishedTimings] = Established640x480;
    std::fill_n(image.begin() + BaseLayout::StandardTimings, BaseLayout::StandardTimingsLength,
                UnusedStandardTiming);
    for (int slot = 0; slot < BaseLayout::DescriptorCount; ++slot)
        putDummy(image, slot);
    const DetailedDescriptorBytes range = encodeRangeLimits(limits);
    std::copy(range.cbegin(), range.cend(), image.begin() + descriptorOffset(RangeLimitsSlot));
    image[BaseLayout::ExtensionCount] = 1;

    quint8 *cta = image.data() + EdidBlockSize;
    cta[0] = CtaLayout::ExtensionTag;
    cta[CtaLayout::Revision] = CtaRevision;
    cta[CtaLayout::DtdOffset] = CtaLayout::DataBlocks;
    cta[CtaLayout::Flags] = ctaFlags;
    correctChecksums(image);
    return image;
}

} // namespace varnex::edid
