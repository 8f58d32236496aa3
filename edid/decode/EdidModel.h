#pragma once

#include "decode/CiePoint.h"
#include "decode/CtaModel.h"
#include "decode/DisplayIdModel.h"
#include "decode/Finding.h"
#include "spec/ByteRange.h"
#include "spec/DetailedTiming.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace varnex::edid {

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
    // Index into DecodedEdid::displayId for a DisplayID block, else -1.
    int displayIdIndex = -1;
    // The named parts of a VTB, DI-EXT or block map block.
    QList<ExtensionField> fields;

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
    QList<DisplayIdSection> displayId;
    Findings findings;

    const CtaBlock *firstCta() const { return cta.isEmpty() ? nullptr : &cta.first(); }
    int count(Severity severity) const;
    // The first DisplayID detailed timing flagged preferred, else the first
    // DisplayID detailed timing; nullptr when DisplayID holds none.
    const DetailedTiming *displayIdPreferredTiming() const;
};

} // namespace varnex::edid
