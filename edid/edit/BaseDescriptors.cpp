#include "BaseDescriptors.h"

#include <algorithm>

namespace varnex::edid {

namespace {

// Range limits: byte 4 holds the EDID 1.4 "+255 Hz/kHz" offset flags.
constexpr quint8 MinVOffsetFlags = 0x03;
constexpr quint8 MaxVOffsetFlag = 0x02;
constexpr quint8 MinHOffsetFlags = 0x0C;
constexpr quint8 MaxHOffsetFlag = 0x08;
constexpr int RangeOffset = 255;
// The pixel clock byte counts 10 MHz.
constexpr int ClockUnitMhz = 10;
// Leeway for range limits given in whole Hz and kHz against computed rates.
constexpr double RateEpsilon = 1e-6;

} // namespace

int displayDescriptorTag(const EdidImage &image, int slot)
{
    const quint8 *d = image.data() + descriptorOffset(slot);
    if (d[0] != 0 || d[1] != 0)
        return -1;
    return d[3];
}

bool isFreeSlot(const EdidImage &image, int slot)
{
    const quint8 *d = image.data() + descriptorOffset(slot);
    if (displayDescriptorTag(image, slot) == DisplayDescriptorTag::Dummy)
        return true;
    return std::all_of(d, d + DetailedDescriptorSize, [](quint8 b) { return b == 0; });
}

int findDisplayDescriptor(const EdidImage &image, quint8 tag)
{
    for (int slot = 0; slot < BaseLayout::DescriptorCount; ++slot) {
        if (displayDescriptorTag(image, slot) == tag)
            return slot;
    }
    return -1;
}

std::optional<ModeRangeLimits> readRangeLimits(const EdidImage &image)
{
    const int slot = findDisplayDescriptor(image, DisplayDescriptorTag::RangeLimits);
    if (slot < 0)
        return std::nullopt;
    const quint8 *d = image.data() + descriptorOffset(slot);
    const quint8 offsets = d[4];
    ModeRangeLimits limits;
    limits.minVHz = d[5] + ((offsets & MinVOffsetFlags) == MinVOffsetFlags ? RangeOffset : 0);
    limits.maxVHz = d[6] + ((offsets & MaxVOffsetFlag) ? RangeOffset : 0);
    limits.minHKhz = d[7] + ((offsets & MinHOffsetFlags) == MinHOffsetFlags ? RangeOffset : 0);
    limits.maxHKhz = d[8] + ((offsets & MaxHOffsetFlag) ? RangeOffset : 0);
    limits.maxPixelClockMhz = d[9] * ClockUnitMhz;
    return limits;
}

QString rangeLimitsViolation(const ModeRangeLimits &limits, const Timing &t)
{
    const double v = t.refreshHz();
    const double h = t.hFreqKHz();
    if (v + RateEpsilon < limits.minVHz || v - RateEpsilon > limits.maxVHz)
        return QStringLiteral("its vertical rate %1 Hz is outside the range limits %2-%3 Hz")
            .arg(v, 0, 'f', 3)
            .arg(limits.minVHz)
            .arg(limits.maxVHz);
    if (h + RateEpsilon < limits.minHKhz || h - RateEpsilon > limits.maxHKhz)
        return QStringLiteral("its horizontal rate %1 kHz is outside the range limits %2-%3 kHz")
            .arg(h, 0, 'f', 3)
            .arg(limits.minHKhz)
            .arg(limits.maxHKhz);
    if (limits.maxPixelClockMhz > 0 && t.pixelClockKHz > limits.maxPixelClockMhz * 1000)
        return QStringLiteral("its pixel clock %1 MHz is above the range limit of %2 MHz")
            .arg(t.pixelClockKHz / 1000.0, 0, 'f', 2)
            .arg(limits.maxPixelClockMhz);
    return {};
}

DetailedDescriptorBytes encodeRangeLimits(const ModeRangeLimits &limits)
{
    // Bytes 11-17 after the default-GTF code: a line feed, then spaces.
    DetailedDescriptorBytes d{0,
                              0,
                              0,
                              DisplayDescriptorTag::RangeLimits,
                              0,
                              quint8(limits.minVHz),
                              quint8(limits.maxVHz),
                              quint8(limits.minHKhz),
                              quint8(limits.maxHKhz),
                              quint8((limits.maxPixelClockMhz + ClockUnitMhz - 1) / ClockUnitMhz),
                              0x00,
                              0x0A,
                              0x20,
                              0x20,
                              0x20,
                              0x20,
                              0x20,
                              0x20};
    return d;
}

} // namespace varnex::edid
