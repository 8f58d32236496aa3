#include "compose/BaseTimingCodes.h"

#include "decode/ByteView.h"
#include "decode/TimingCodes.h"
#include "spec/EdidLayout.h"

#include <cmath>

namespace varnex::edid {

namespace {

// Established timings I and II: 16 bits, then bit 7 of the manufacturer's byte.
constexpr int EstablishedOffset = BaseLayout::EstablishedTimings;
constexpr int EstablishedBits = 17;
// Standard timing slots of two bytes; 0x01 0x01 is an unused slot.
constexpr int StandardOffset = BaseLayout::StandardTimings;
constexpr int StandardSlots = BaseLayout::StandardTimingCount;
constexpr quint8 UnusedStandard = 0x01;
// A standard timing stores width / 8 - 31, its aspect ratio as a 2-bit code
// (16:10, 4:3, 5:4, 16:9) and the rate minus 60 Hz in 6 bits (EDID 1.4, 3.9).
constexpr int StandardWidthUnit = 8;
constexpr int StandardWidthBias = 31;
constexpr int StandardRateBias = 60;
constexpr int StandardMaxRateCode = 63;
constexpr int StandardAspects[][2] = {{16, 10}, {4, 3}, {5, 4}, {16, 9}};

} // namespace

bool setEstablishedTiming(EdidImage &image, const CapabilityMode &mode)
{
    for (int bit = 0; bit < EstablishedBits; ++bit) {
        QByteArray base(EdidBlockSize, '\0');
        base[EstablishedOffset + bit / 8] = char(0x80 >> (bit % 8));
        const QList<TimingCode> named = decodeEstablishedTimings(ByteView(base, 0));
        if (named.size() == 1 && sameMode(modeNamedBy(named.first()), mode)) {
            image[std::size_t(EstablishedOffset + bit / 8)] |= quint8(0x80 >> (bit % 8));
            return true;
        }
    }
    return false;
}

void clearEstablishedTimings(EdidImage &image)
{
    image[EstablishedOffset] = 0;
    image[EstablishedOffset + 1] = 0;
    image[EstablishedOffset + 2] &= 0x7F;
}

bool addStandardTiming(EdidImage &image, const CapabilityMode &mode)
{
    int slot = 0;
    while (slot < StandardSlots && image[std::size_t(StandardOffset + 2 * slot)] > UnusedStandard)
        ++slot;
    if (slot == StandardSlots || mode.interlaced || mode.width % StandardWidthUnit != 0)
        return false;
    const int widthCode = mode.width / StandardWidthUnit - StandardWidthBias;
    const int rateCode = int(std::lround(mode.refreshHz)) - StandardRateBias;
    if (widthCode <= UnusedStandard || widthCode > 0xFF || rateCode < 0 ||
        rateCode > StandardMaxRateCode)
        return false;
    for (int aspect = 0; aspect < int(std::size(StandardAspects)); ++aspect) {
        QByteArray code;
        code.append(char(widthCode)).append(char((aspect << 6) | rateCode));
        const auto timing = decodeStandardTiming(ByteView(code, 0), false);
        if (timing && sameMode(modeNamedBy(*timing), mode)) {
            image[std::size_t(StandardOffset + 2 * slot)] = quint8(code[0]);
            image[std::size_t(StandardOffset + 2 * slot + 1)] = quint8(code[1]);
            return true;
        }
    }
    return false;
}

} // namespace varnex::edid
