#pragma once

#include "spec/ByteRange.h"
#include "spec/DetailedTiming.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace varnex::edid {

// A timing named by a code rather than spelled out: established timings,
// standard timings and CVT 3-byte codes. The rate is the exact one when the
// timing is a known DMT, else the nominal rate the code gives.
struct TimingCode
{
    ByteRange at;
    int width = 0;
    int height = 0;
    double refreshHz = 0;
    std::optional<int> pixelClockKHz;
    bool interlaced = false;
    std::optional<int> dmtId;
    // What the code is: "DMT 0x10", "IBM", "Apple", "GTF", "CVT", ...
    QString source;
    // A CVT 3-byte code's preferred rate (byte 2 bits 6-5).
    bool preferred = false;
};

struct SecondaryGtf
{
    int startKHz = 0;
    double c = 0;
    int m = 0;
    int k = 0;
    double j = 0;
};

struct CvtSupport
{
    int version = 0;
    // Maximum pixel clock with the extra precision, in kHz.
    int maxPixelClockKHz = 0;
    // 0: no limit.
    int maxActivePixels = 0;
    int aspectRatios = 0;
    int preferredAspectRatio = 0;
    bool reducedBlanking = false;
    bool standardBlanking = false;
    int scaling = 0;
    int preferredRefreshHz = 0;

    // "4:3", "16:9", "16:10", "5:4", "15:9" for the bits of byte 14.
    QStringList aspectRatioNames() const;
    QString preferredAspectRatioName() const;
    // Horizontal/vertical shrink and stretch of byte 16.
    QStringList scalingNames() const;
};

// The display range limits descriptor (tag 0xFD).
struct RangeLimits
{
    int minVHz = 0;
    int maxVHz = 0;
    int minHKHz = 0;
    int maxHKHz = 0;
    // Byte 9 times 10 MHz; nullopt when 0 (no limit given).
    std::optional<int> maxPixelClockMHz;
    // Byte 10: 0 default GTF, 1 range limits only, 2 secondary GTF, 4 CVT.
    int timingSupport = 0;
    std::optional<SecondaryGtf> secondaryGtf;
    std::optional<CvtSupport> cvt;

    QString timingSupportName() const;
};

struct ColorPoint
{
    int index = 0;
    double x = 0;
    double y = 0;
    // nullopt when the gamma byte is 0xFF (given elsewhere).
    std::optional<double> gamma;
};

enum class DescriptorKind
{
    DetailedTiming,
    ProductName,
    SerialString,
    DataString,
    RangeLimits,
    ColorPoint,
    StandardTimings,
    ColorManagement,
    CvtCodes,
    EstablishedTimings3,
    Dummy,
    Manufacturer,
    Unknown
};

// One of the four 18-byte descriptors of the base block.
struct Descriptor
{
    ByteRange at;
    DescriptorKind kind = DescriptorKind::Unknown;
    // Byte 3 of a display descriptor; -1 for a detailed timing.
    int tag = -1;
    std::optional<DetailedTiming> timing;
    // Name, serial or data string, trailing line feed and padding removed.
    QString text;
    std::optional<RangeLimits> rangeLimits;
    QList<TimingCode> timings;
    QList<ColorPoint> colorPoints;

    QString kindName() const;
};

} // namespace varnex::edid
