#pragma once

#include "decode/CtaModel.h"
#include "decode/Finding.h"
#include "spec/ByteRange.h"
#include "spec/DetailedTiming.h"

#include <QByteArray>
#include <QList>
#include <QString>

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
    // What the code is: "DMT 0x10", "IBM", "Apple", "standard", "CVT", ...
    QString source;
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

struct CiePoint
{
    double x = 0;
    double y = 0;
};

struct Chromaticity
{
    CiePoint red;
    CiePoint green;
    CiePoint blue;
    CiePoint white;
};

// Byte 0x14 of an analog display.
struct AnalogInput
{
    int signalLevel = 0;
    bool blankToBlackSetup = false;
    bool separateSync = false;
    bool compositeSync = false;
    bool syncOnGreen = false;
    bool serrations = false;

    QString signalLevelText() const;
};

// Byte 0x18.
struct Features
{
    bool standby = false;
    bool suspend = false;
    bool activeOff = false;
    int displayType = 0;
    bool srgbDefault = false;
    bool preferredTimingNative = false;
    bool continuousFrequency = false;
};

struct BaseBlock
{
    bool headerValid = false;
    QString manufacturer;
    int productCode = 0;
    quint32 serialNumber = 0;
    std::optional<int> week;
    int year = 0;
    bool modelYear = false;
    int version = 0;
    int revision = 0;
    bool digital = false;
    // Digital input (EDID 1.4): nullopt when undefined.
    std::optional<int> bitsPerColor;
    std::optional<QString> interfaceName;
    // Digital input before EDID 1.4: DFP 1.x compatible.
    bool dfpCompatible = false;
    AnalogInput analog;
    std::optional<int> widthCm;
    std::optional<int> heightCm;
    // EDID 1.4 aspect ratio in place of a size (width / height).
    std::optional<double> aspectRatio;
    std::optional<double> gamma;
    Features features;
    Chromaticity chromaticity;
    // Established timings I and II.
    QList<TimingCode> establishedTimings;
    // Byte 0x25 bits 6 to 0.
    int manufacturerTimings = 0;
    QList<TimingCode> standardTimings;
    QList<Descriptor> descriptors;
    int extensionCount = 0;

    // The product name, serial string, data strings and range limits from
    // the descriptors; nullopt or empty when absent.
    std::optional<QString> name() const;
    std::optional<QString> serialString() const;
    QStringList dataStrings() const;
    const RangeLimits *rangeLimits() const;
    QList<DetailedTiming> detailedTimings() const;
    // Established timings I to III, and the standard timings of the header
    // and of standard timing descriptors.
    QList<TimingCode> allEstablishedTimings() const;
    QList<TimingCode> allStandardTimings() const;
    QList<TimingCode> cvtTimings() const;
    QString versionText() const;
};

enum class BlockType
{
    Base,
    Cta,
    Vtb,
    Di,
    Ls,
    Dpvl,
    DisplayId,
    Dtcdb,
    BlockMap,
    Manufacturer,
    Unknown
};

QString blockTypeName(BlockType type);

struct BlockInfo
{
    int index = 0;
    // Byte 0 of an extension; 0 for the base block.
    int tag = 0;
    BlockType type = BlockType::Unknown;
    int storedChecksum = 0;
    int computedChecksum = 0;
    // Covered by the base block's extension count (always for block 0).
    bool counted = true;
    // Index into DecodedEdid::cta for a CTA-861 block, else -1.
    int ctaIndex = -1;

    bool checksumValid() const { return storedChecksum == computedChecksum; }
};

// Everything decoded from an image, with the findings. Produced by
// decodeEdid(); plain data that can be copied and kept.
struct DecodedEdid
{
    // Size of the input in bytes.
    int size = 0;
    // The bytes of the whole blocks that were decoded.
    QByteArray bytes;
    QList<BlockInfo> blocks;
    // nullopt when the input is shorter than one block.
    std::optional<BaseBlock> base;
    QList<CtaBlock> cta;
    Findings findings;

    const CtaBlock *firstCta() const { return cta.isEmpty() ? nullptr : &cta.first(); }
    int count(Severity severity) const;
};

} // namespace varnex::edid
