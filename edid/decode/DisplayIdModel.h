#pragma once

#include "decode/CiePoint.h"
#include "decode/CtaModel.h"
#include "spec/ByteRange.h"
#include "spec/DetailedTiming.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace varnex::edid {

// A DisplayID timing given by a code (a DMT id, a VIC), by a short form
// (Type III) or by a formula (Type IX, X): the size and rate it names; the
// pixel clock when a table gives it.
struct DisplayIdTimingCode
{
    ByteRange at;
    int width = 0;
    int height = 0;
    double refreshHz = 0;
    std::optional<int> pixelClockKHz;
    bool interlaced = false;
    bool preferred = false;
    // "DMT 0x52", "VIC 16", "CVT", "CVT-RB", ...
    QString source;
};

// One data block of a DisplayID section: where it is, its header and
// payload, and whether the decoder understood it (false: shown as bytes).
struct DisplayIdDataBlock
{
    // Header and payload, absolute in the image.
    ByteRange at;
    int tag = 0;
    // Byte 1 whole: revision in bits 2-0, flags of the block above them.
    int revision = 0;
    QString name;
    QByteArray payload;
    bool decoded = false;
    // The payload runs past the section; it is cut there.
    bool overrun = false;
};

// The tiled display topology block (1.x tag 0x12, 2.x tag 0x28).
struct DisplayIdTiledTopology
{
    ByteRange at;
    bool singleEnclosure = false;
    // Bits 2-0 and 4-3 of the capabilities byte: what one tile alone and
    // some of the tiles show.
    int soloBehaviour = 0;
    int partialBehaviour = 0;
    int hTiles = 0;
    int vTiles = 0;
    int hLocation = 0;
    int vLocation = 0;
    int tileWidth = 0;
    int tileHeight = 0;
    // Bezel sizes in pixels: the multiplier (tenths of a pixel) times each byte.
    int bezelMultiplier = 0;
    int bezelTop = 0;
    int bezelBottom = 0;
    int bezelRight = 0;
    int bezelLeft = 0;
    // Three letters (1.x) or an OUI "00-10-FA" (2.x).
    QString vendor;
    int productCode = 0;
    quint32 serialNumber = 0;

    QString soloBehaviourText() const;
    QString partialBehaviourText() const;
};

// The display parameters block (1.x tag 0x01, 2.x tag 0x21).
struct DisplayIdParameters
{
    ByteRange at;
    double widthMm = 0;
    double heightMm = 0;
    int hPixels = 0;
    int vPixels = 0;
    // nullopt when the byte says "not given" (0xFF).
    std::optional<double> gamma;
    ByteRange gammaAt;
    // 1.x only: width / height, and colour depths in bits per colour.
    std::optional<double> aspectRatio;
    std::optional<int> nativeBpc;
    std::optional<int> overallBpc;
    // 2.x only: the native primaries (three) and white point, and the
    // native luminance in cd/m² (maximum at full and at 10 % coverage,
    // minimum).
    QList<CiePoint> primaries;
    std::optional<CiePoint> whitePoint;
    std::optional<double> maxLuminance;
    std::optional<double> maxLuminance10Percent;
    std::optional<double> minLuminance;
};

// One descriptor of the adaptive sync block (2.x tag 0x2B).
struct DisplayIdAdaptiveSync
{
    ByteRange at;
    bool nativeRange = false;
    int minRefreshHz = 0;
    int maxRefreshHz = 0;
};

// The product identification block (1.x tag 0x00, 2.x tag 0x20).
struct DisplayIdProduct
{
    ByteRange at;
    // Three letters (1.x) or an OUI (2.x).
    QString vendor;
    int productCode = 0;
    quint32 serialNumber = 0;
    int week = 0;
    int year = 0;
    QString name;
};

// A DisplayID section in one EDID extension block (tag 0x70).
struct DisplayIdSection
{
    int block = 0;
    // Byte 1: 0x12 for 1.2, 0x20 for 2.0.
    int version = 0;
    int length = 0;
    int productType = 0;
    int extensionCount = 0;
    // The section checksum, after the data blocks.
    ByteRange checksumAt;
    int storedChecksum = 0;
    int computedChecksum = 0;
    // Type I and VII detailed timings, in the order of the blocks.
    QList<DetailedTiming> timings;
    // Type II (1.x, sizes in 8-pixel cells) and Type VI (1.x, 1 kHz clock)
    // detailed timings.
    QList<DetailedTiming> typeIITimings;
    QList<DetailedTiming> typeVITimings;
    // Type V short timings (1.x): size and rate of a CVT reduced blanking
    // version 2 timing.
    QList<DisplayIdTimingCode> typeVTimings;
    // Timings by code (Type IV, VIII, the DMT and CTA bitmaps), short
    // (Type III) and by formula (Type IX, X).
    QList<DisplayIdTimingCode> codeTimings;
    QList<DisplayIdTimingCode> shortTimings;
    QList<DisplayIdTimingCode> formulaTimings;
    std::optional<DisplayIdTiledTopology> tiledTopology;
    std::optional<DisplayIdParameters> displayParameters;
    std::optional<DisplayIdProduct> product;
    std::optional<QString> containerId;
    QList<DisplayIdAdaptiveSync> adaptiveSync;
    // The CTA-861 data blocks of a 0x81 block, decoded as in a CTA extension.
    QList<DataBlock> ctaBlocks;
    QList<DisplayIdDataBlock> dataBlocks;

    bool isVersion2() const { return version >= 0x20; }
    // "1.2", "2.0".
    QString versionText() const;
    QString productTypeName() const;
    bool checksumValid() const { return storedChecksum == computedChecksum; }
    // The detailed timings of every type: I and VII, then II, then VI.
    QList<DetailedTiming> detailedTimings() const;
    // The first detailed timing flagged preferred, or nullptr.
    const DetailedTiming *preferredTiming() const;
};

// One named part of an extension that is structured but not decoded
// further: VTB, DI-EXT and block map blocks.
struct ExtensionField
{
    ByteRange at;
    QString name;
    QString value;
};

} // namespace varnex::edid
