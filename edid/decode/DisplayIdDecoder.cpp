#include "decode/DisplayIdDecoder.h"

#include "decode/CtaDataBlocks.h"
#include "decode/DescriptorDecoder.h"
#include "spec/CtaVideoFormats.h"
#include "spec/DisplayIdLayout.h"
#include "spec/DmtFormats.h"
#include "spec/EdidLayout.h"

#include <QUuid>

#include <cmath>

#include <array>

namespace varnex::edid {

namespace {

using namespace DisplayIdLayout;

QString hex2(int value)
{
    return QStringLiteral("0x%1").arg(value, 2, 16, QLatin1Char('0'));
}

// Aspect ratio codes of Type I, III and VII timings (DisplayID 1.3 table
// 4-3, 2.0 table 4-6): width and height parts; 0 for "undefined".
std::array<int, 2> aspectRatio(int code)
{
    static constexpr std::array<std::array<int, 2>, 9> Ratios{
        {{1, 1}, {5, 4}, {4, 3}, {15, 9}, {16, 9}, {16, 10}, {64, 27}, {256, 135}, {0, 0}}};
    return code < int(Ratios.size()) ? Ratios[std::size_t(code)] : std::array<int, 2>{0, 0};
}

QString formulaName(int formula)
{
    static const char *const Names[] = {"CVT", "CVT-RB", "CVT-RB2", "CVT-RB3"};
    return formula < 4 ? QString::fromLatin1(Names[formula])
                       : QStringLiteral("formula %1").arg(formula);
}

// Three letters packed as ASCII (1.x) or an OUI stored first byte first (2.x).
QString vendorId(const ByteView &b, int o, bool version2)
{
    if (version2)
        return ouiText((quint32(b.at(o)) << 16) | (quint32(b.at(o + 1)) << 8) | b.at(o + 2));
    QString id;
    for (int i = 0; i < 3; ++i) {
        const char c = char(b.at(o + i));
        id.append(c >= 0x20 && c < 0x7F ? QLatin1Char(c) : QLatin1Char('?'));
    }
    return id;
}

void finding(Findings &findings, Severity severity, const char *code, int block, int offset,
             const QString &message)
{
    addFinding(findings, severity, QString::fromLatin1(code), block, offset, message);
}

// An IEEE 754 half-precision number (the luminance fields of DisplayID 2.x).
double halfFloat(int bits)
{
    const int exponent = (bits >> 10) & 0x1F;
    const int mantissa = bits & 0x3FF;
    const double value =
        exponent == 0 ? std::ldexp(mantissa, -24) : std::ldexp(1024 + mantissa, exponent - 25);
    return (bits & 0x8000) ? -value : value;
}

// The back porches from the blanking, and the model's form of an
// interlaced timing.
void completeTiming(DetailedTiming &t, int hBlank, int vBlank)
{
    t.hBackPorch = hBlank - t.hFrontPorch - t.hSyncWidth;
    t.vBackPorch = vBlank - t.vFrontPorch - t.vSyncWidth;
    if (t.interlaced) {
        // DisplayID counts the lines of the whole frame; the model, like a
        // detailed timing descriptor, those of one field.
        t.vActive /= 2;
        t.vFrontPorch /= 2;
        t.vSyncWidth /= 2;
        t.vBackPorch /= 2;
    }
    t.flag1 = t.hSyncPositive;
    t.flag2 = t.vSyncPositive;
}

// A Type I or VII detailed timing: sizes and porches stored minus one, the
// sync polarities in bit 15 of the front porch words.
DetailedTiming readTiming(const ByteView &b, int clockUnitKHz)
{
    DetailedTiming t;
    t.at = ByteRange{b.base(), DisplayIdDetailedTimingSize};
    const qint64 clock = (qint64(b.at(0)) | (qint64(b.at(1)) << 8) | (qint64(b.at(2)) << 16)) + 1;
    t.pixelClockKHz = int(clock * clockUnitKHz);
    t.preferred = b.bit(3, 7);
    t.stereo = b.bits(3, 5, 2);
    t.interlaced = b.bit(3, 4);
    t.hActive = b.le16(4) + 1;
    const int hBlank = b.le16(6) + 1;
    t.hFrontPorch = (b.le16(8) & 0x7FFF) + 1;
    t.hSyncPositive = b.bit(9, 7);
    t.hSyncWidth = b.le16(10) + 1;
    t.vActive = b.le16(12) + 1;
    const int vBlank = b.le16(14) + 1;
    t.vFrontPorch = (b.le16(16) & 0x7FFF) + 1;
    t.vSyncPositive = b.bit(17, 7);
    t.vSyncWidth = b.le16(18) + 1;
    completeTiming(t, hBlank, vBlank);
    return t;
}

// A Type II detailed timing: horizontal sizes in 8-pixel cells, each
// stored minus one; sync polarities in the options byte.
DetailedTiming readTypeIITiming(const ByteView &b)
{
    constexpr int Cell = 8;
    DetailedTiming t;
    t.at = ByteRange{b.base(), DisplayIdTypeIITimingSize};
    t.pixelClockKHz =
        ((b.at(0) | (b.at(1) << 8) | (b.at(2) << 16)) + 1) * DisplayIdTypeIClockUnitKHz;
    t.preferred = b.bit(3, 7);
    t.stereo = b.bits(3, 5, 2);
    t.interlaced = b.bit(3, 4);
    t.hSyncPositive = b.bit(3, 3);
    t.vSyncPositive = b.bit(3, 2);
    t.hActive = (((b.bits(5, 0, 1) << 8) | b.at(4)) + 1) * Cell;
    const int hBlank = (b.bits(5, 1, 7) + 1) * Cell;
    t.hFrontPorch = (b.bits(6, 4, 4) + 1) * Cell;
    t.hSyncWidth = (b.bits(6, 0, 4) + 1) * Cell;
    t.vActive = ((b.bits(8, 0, 4) << 8) | b.at(7)) + 1;
    const int vBlank = b.at(9) + 1;
    t.vFrontPorch = b.bits(10, 4, 4) + 1;
    t.vSyncWidth = b.bits(10, 0, 4) + 1;
    completeTiming(t, hBlank, vBlank);
    return t;
}

// A Type VI detailed timing: a 22-bit clock in kHz, 15-bit active sizes
// with the sync polarity in their top bits, 12-bit horizontal blanking and
// front porch; everything stored minus one.
DetailedTiming readTypeVITiming(const ByteView &b)
{
    DetailedTiming t;
    t.at = ByteRange{b.base(), DisplayIdTypeVITimingSize};
    t.pixelClockKHz = (b.at(0) | (b.at(1) << 8) | (b.bits(2, 0, 6) << 16)) + 1;
    t.preferred = b.bit(2, 7);
    t.hActive = (b.le16(3) & 0x7FFF) + 1;
    t.hSyncPositive = b.bit(4, 7);
    t.vActive = (b.le16(5) & 0x7FFF) + 1;
    t.vSyncPositive = b.bit(6, 7);
    const int hBlank = (b.at(7) | (b.bits(9, 0, 4) << 8)) + 1;
    t.hFrontPorch = (b.at(8) | (b.bits(9, 4, 4) << 8)) + 1;
    t.hSyncWidth = b.at(10) + 1;
    const int vBlank = b.at(11) + 1;
    t.vFrontPorch = b.at(12) + 1;
    t.vSyncWidth = b.at(13) + 1;
    completeTiming(t, hBlank, vBlank);
    return t;
}

DisplayIdTimingCode fromDmt(const ByteView &b, int offset, int length, int id)
{
    DisplayIdTimingCode code;
    code.at = ByteRange{b.absolute(offset), length};
    code.source = QStringLiteral("DMT %1").arg(hex2(id));
    if (const auto dmt = dmtFormat(id)) {
        code.width = dmt->hActive;
        code.height = dmt->vActive;
        code.refreshHz = dmt->refreshHz();
        code.pixelClockKHz = dmt->pixelClockKHz;
        code.interlaced = dmt->interlaced;
    } else {
        code.source += QStringLiteral(" (unknown)");
    }
    return code;
}

DisplayIdTimingCode fromVic(const ByteView &b, int offset, int length, int vic)
{
    DisplayIdTimingCode code;
    code.at = ByteRange{b.absolute(offset), length};
    code.source = QStringLiteral("VIC %1").arg(vic);
    if (const auto f = ctaVideoFormat(vic)) {
        code.width = f->hActive;
        code.height = f->vActive;
        code.refreshHz = f->refreshHz();
        code.pixelClockKHz = f->pixelClockKHz;
        code.interlaced = f->interlaced;
    } else {
        code.source += QStringLiteral(" (reserved)");
    }
    return code;
}

class SectionDecoder
{
public:
    SectionDecoder(DisplayIdSection &s, Findings &findings) : m_s(s), m_findings(findings) {}

    // Decodes the payload `p` of data block `d`; returns whether it was understood.
    bool decode(const DisplayIdDataBlock &d, const ByteView &p)
    {
        m_name = d.name;
        switch (d.tag) {
        case DisplayIdTag::TypeITiming:
            return detailed(p, DisplayIdTypeIClockUnitKHz, DisplayIdDetailedTimingSize);
        case DisplayIdTag::TypeVIITiming:
            // Bits 6-4 of the revision byte: extra bytes per descriptor.
            return detailed(p, DisplayIdTypeVIIClockUnitKHz,
                            DisplayIdDetailedTimingSize + ((d.revision >> 4) & 7));
        case DisplayIdTag::TypeIITiming:
            return typed(p, DisplayIdTypeIITimingSize, readTypeIITiming, m_s.typeIITimings);
        case DisplayIdTag::TypeVITiming:
            return typed(p, DisplayIdTypeVITimingSize, readTypeVITiming, m_s.typeVITimings);
        case DisplayIdTag::TypeVTiming:
            return typeVTimings(p);
        case DisplayIdTag::TypeIIITiming:
            return shortTimings(p);
        case DisplayIdTag::TypeIVTiming:
            for (int i = 0; i < p.size(); ++i)
                m_s.codeTimings.append(fromDmt(p, i, 1, p.at(i)));
            return true;
        case DisplayIdTag::DmtTimings:
            return bitmap(p, DisplayIdDmtBitmapBytes, false);
        case DisplayIdTag::CtaTimings:
            return bitmap(p, DisplayIdCtaBitmapBytes, true);
        case DisplayIdTag::TypeVIIITiming:
            return enumerated(d, p);
        case DisplayIdTag::TypeIXTiming:
            return formula(p, DisplayIdFormulaTimingSize, false);
        case DisplayIdTag::TypeXTiming:
            return formula(p, DisplayIdFormulaTimingSize + ((d.revision >> 4) & 7), true);
        case DisplayIdTag::TiledTopology:
        case DisplayIdTag::TiledTopology2:
            return tiled(p, d.tag == DisplayIdTag::TiledTopology2);
        case DisplayIdTag::DisplayParameters:
            return parameters1(p);
        case DisplayIdTag::DisplayParameters2:
            return parameters2(d, p);
        case DisplayIdTag::ProductId:
        case DisplayIdTag::ProductId2:
            return product(p, d.tag == DisplayIdTag::ProductId2);
        case DisplayIdTag::ContainerId:
            return containerId(p);
        case DisplayIdTag::AdaptiveSync:
            return adaptiveSync(d, p);
        case DisplayIdTag::CtaDataBlocks:
            return ctaBlocks(p);
        default:
            return false;
        }
    }

private:
    bool tooShort(const ByteView &p, int needed)
    {
        if (p.size() >= needed)
            return false;
        finding(m_findings, Severity::Warning, "displayid-block-length", m_s.block, p.base(),
                QStringLiteral("The DisplayID %1 at byte 0x%2 holds %3 payload bytes but needs "
                               "%4; sources skip it. Give the block its full length.")
                    .arg(m_name)
                    .arg(p.base() - BlockHeader, 2, 16, QLatin1Char('0'))
                    .arg(p.size())
                    .arg(needed));
        return true;
    }

    bool detailed(const ByteView &p, int clockUnitKHz, int size)
    {
        if (tooShort(p, size))
            return false;
        for (int o = 0; o + size <= p.size(); o += size) {
            DetailedTiming t = readTiming(p.mid(o, size), clockUnitKHz);
            t.at.length = size;
            checkDetailedTiming(t, m_s.block, m_findings);
            m_s.timings.append(t);
        }
        return true;
    }

    bool typed(const ByteView &p, int size, DetailedTiming (*read)(const ByteView &),
               QList<DetailedTiming> &into)
    {
        if (tooShort(p, size))
            return false;
        for (int o = 0; o + size <= p.size(); o += size) {
            const DetailedTiming t = read(p.mid(o, size));
            checkDetailedTiming(t, m_s.block, m_findings);
            into.append(t);
        }
        return true;
    }

    bool typeVTimings(const ByteView &p)
    {
        constexpr int Size = DisplayIdTypeVTimingSize;
        if (tooShort(p, Size))
            return false;
        for (int o = 0; o + Size <= p.size(); o += Size) {
            DisplayIdTimingCode t;
            t.at = ByteRange{p.absolute(o), Size};
            t.preferred = p.bit(o, 7);
            t.width = p.le16(o + 2) + 1;
            t.height = p.le16(o + 4) + 1;
            t.refreshHz = p.at(o + 6) + 1;
            t.source = QStringLiteral("CVT-RB2");
            m_s.typeVTimings.append(t);
        }
        return true;
    }

    bool shortTimings(const ByteView &p)
    {
        if (tooShort(p, DisplayIdShortTimingSize))
            return false;
        for (int o = 0; o + DisplayIdShortTimingSize <= p.size(); o += DisplayIdShortTimingSize) {
            DisplayIdTimingCode t;
            t.at = ByteRange{p.absolute(o), DisplayIdShortTimingSize};
            t.preferred = p.bit(o, 7);
            t.width = (p.at(o + 1) + 1) * 8;
            const auto aspect = aspectRatio(p.bits(o, 0, 4));
            t.height = aspect[0] ? t.width * aspect[1] / aspect[0] : 0;
            t.interlaced = p.bit(o + 2, 7);
            t.refreshHz = p.bits(o + 2, 0, 7) + 1;
            t.source = formulaName(p.bits(o, 4, 3));
            m_s.shortTimings.append(t);
        }
        return true;
    }

    // Bit n of the bitmap (bit 0 of byte 0 first) stands for DMT id or VIC n + 1.
    bool bitmap(const ByteView &p, int bytes, bool vics)
    {
        for (int i = 0; i < std::min(bytes, p.size()); ++i) {
            for (int bit = 0; bit < 8; ++bit) {
                if (!p.bit(i, bit))
                    continue;
                const int code = i * 8 + bit + 1;
                m_s.codeTimings.append(vics ? fromVic(p, i, 1, code) : fromDmt(p, i, 1, code));
            }
        }
        return true;
    }

    // Type VIII: bits 7-6 of the revision byte say DMT ids, VICs or HDMI
    // VICs; bit 3 says two-byte codes.
    bool enumerated(const DisplayIdDataBlock &d, const ByteView &p)
    {
        const int kind = (d.revision >> 6) & 3;
        const int size = (d.revision & 0x08) ? 2 : 1;
        for (int o = 0; o + size <= p.size(); o += size) {
            const int value = size == 2 ? p.le16(o) : p.at(o);
            if (kind == 0)
                m_s.codeTimings.append(fromDmt(p, o, size, value));
            else if (kind == 1)
                m_s.codeTimings.append(fromVic(p, o, size, value));
            else if (kind == 2 && vicForHdmiVic(value))
                m_s.codeTimings.append(fromVic(p, o, size, vicForHdmiVic(value)));
            else
                return false;
        }
        return true;
    }

    // Type IX and X: a formula, the active sizes minus one and the rate minus one
    // (Type X with 7-byte descriptors adds two high bits of the rate).
    bool formula(const ByteView &p, int size, bool typeX)
    {
        if (tooShort(p, size))
            return false;
        for (int o = 0; o + size <= p.size(); o += size) {
            DisplayIdTimingCode t;
            t.at = ByteRange{p.absolute(o), size};
            t.source = formulaName(p.bits(o, 0, 3));
            t.width = p.le16(o + 1) + 1;
            t.height = p.le16(o + 3) + 1;
            int rate = p.at(o + 5);
            if (typeX && size > DisplayIdFormulaTimingSize)
                rate |= p.bits(o + 6, 0, 2) << 8;
            t.refreshHz = rate + 1;
            m_s.formulaTimings.append(t);
        }
        return true;
    }

    bool tiled(const ByteView &p, bool version2)
    {
        if (tooShort(p, DisplayIdTiledTopologySize))
            return false;
        DisplayIdTiledTopology t;
        t.at = ByteRange{p.base(), DisplayIdTiledTopologySize};
        t.singleEnclosure = p.bit(0, 7);
        t.partialBehaviour = p.bits(0, 3, 2);
        t.soloBehaviour = p.bits(0, 0, 3);
        t.hTiles = (p.bits(1, 4, 4) | (p.bits(3, 6, 2) << 4)) + 1;
        t.vTiles = (p.bits(1, 0, 4) | (p.bits(3, 4, 2) << 4)) + 1;
        t.hLocation = p.bits(2, 4, 4) | (p.bits(3, 2, 2) << 4);
        t.vLocation = p.bits(2, 0, 4) | (p.bits(3, 0, 2) << 4);
        t.tileWidth = p.le16(4) + 1;
        t.tileHeight = p.le16(6) + 1;
        t.bezelMultiplier = p.at(8);
        t.bezelTop = p.at(9);
        t.bezelBottom = p.at(10);
        t.bezelRight = p.at(11);
        t.bezelLeft = p.at(12);
        t.vendor = vendorId(p, 13, version2);
        t.productCode = p.le16(16);
        t.serialNumber = p.le32(18);
        m_s.tiledTopology = t;
        return true;
    }

    // Gamma and aspect ratio bytes: (value + 100) / 100, 0xFF "not given".
    static std::optional<double> hundredths(int raw)
    {
        return raw == 0xFF ? std::nullopt : std::optional<double>((raw + 100) / 100.0);
    }

    bool parameters1(const ByteView &p)
    {
        constexpr int Size = 12;
        if (tooShort(p, Size))
            return false;
        DisplayIdParameters d;
        d.at = ByteRange{p.base(), Size};
        // Image size in tenths of a millimetre.
        d.widthMm = p.le16(0) / 10.0;
        d.heightMm = p.le16(2) / 10.0;
        d.hPixels = p.le16(4);
        d.vPixels = p.le16(6);
        d.gamma = hundredths(p.at(9));
        d.gammaAt = ByteRange{p.absolute(9), 1};
        d.aspectRatio = hundredths(p.at(10));
        d.overallBpc = p.bits(11, 4, 4) + 1;
        d.nativeBpc = p.bits(11, 0, 4) + 1;
        m_s.displayParameters = d;
        return true;
    }

    bool parameters2(const DisplayIdDataBlock &b, const ByteView &p)
    {
        constexpr int Size = 29;
        if (tooShort(p, Size))
            return false;
        DisplayIdParameters d;
        d.at = ByteRange{p.base(), Size};
        // Bit 7 of the revision byte: sizes in millimetres, else in tenths.
        const double unit = (b.revision & 0x80) ? 1.0 : 0.1;
        d.widthMm = p.le16(0) * unit;
        d.heightMm = p.le16(2) * unit;
        d.hPixels = p.le16(4);
        d.vPixels = p.le16(6);
        d.gamma = hundredths(p.at(28));
        d.gammaAt = ByteRange{p.absolute(28), 1};
        // 12-bit coordinates: x in a byte and the low nibble of the next,
        // y in that byte's high nibble and the byte after.
        const auto point = [&p](int o) {
            return CiePoint{((p.bits(o + 1, 0, 4) << 8) | p.at(o)) / 4096.0,
                            ((p.at(o + 2) << 4) | p.bits(o + 1, 4, 4)) / 4096.0};
        };
        d.primaries = {point(9), point(12), point(15)};
        d.whitePoint = point(18);
        d.maxLuminance = halfFloat(p.le16(21));
        d.maxLuminance10Percent = halfFloat(p.le16(23));
        d.minLuminance = halfFloat(p.le16(25));
        m_s.displayParameters = d;
        return true;
    }

    bool product(const ByteView &p, bool version2)
    {
        constexpr int Fixed = 12;
        if (tooShort(p, Fixed))
            return false;
        DisplayIdProduct d;
        d.at = ByteRange{p.base(), p.size()};
        d.vendor = vendorId(p, 0, version2);
        d.productCode = p.le16(3);
        d.serialNumber = p.le32(5);
        d.week = p.at(9);
        d.year = p.at(10) + 2000;
        d.name = QString::fromLatin1(p.mid(Fixed, p.at(11)).toByteArray()).trimmed();
        m_s.product = d;
        return true;
    }

    bool containerId(const ByteView &p)
    {
        if (tooShort(p, DisplayIdContainerIdSize))
            return false;
        m_s.containerId = QUuid::fromRfc4122(p.mid(0, DisplayIdContainerIdSize).toByteArray())
                              .toString(QUuid::WithoutBraces);
        return true;
    }

    // Adaptive sync descriptors: flags, the minimum rate, the maximum rate
    // minus one in ten bits.
    bool adaptiveSync(const DisplayIdDataBlock &d, const ByteView &p)
    {
        const int size = DisplayIdAdaptiveSyncSize + ((d.revision >> 4) & 7);
        if (tooShort(p, size))
            return false;
        for (int o = 0; o + size <= p.size(); o += size) {
            DisplayIdAdaptiveSync a;
            a.at = ByteRange{p.absolute(o), size};
            a.nativeRange = p.bit(o, 0);
            a.minRefreshHz = p.at(o + 2);
            a.maxRefreshHz = (p.at(o + 3) | (p.bits(o + 4, 0, 2) << 8)) + 1;
            m_s.adaptiveSync.append(a);
        }
        return true;
    }

    // The payload is a CTA-861 data block collection: walk it as a CTA
    // extension does.
    bool ctaBlocks(const ByteView &p)
    {
        int o = 0;
        while (o < p.size()) {
            const int blockEnd = o + 1 + p.bits(o, 0, 5);
            const bool overrun = blockEnd > p.size();
            m_s.ctaBlocks.append(decodeDataBlock(p.mid(o, std::min(blockEnd, p.size()) - o),
                                                 m_s.block, overrun, m_findings));
            if (overrun) {
                finding(m_findings, Severity::Error, "displayid-block-overrun", m_s.block,
                        p.absolute(o),
                        QStringLiteral("The %1 at byte 0x%2 runs past its DisplayID block; "
                                       "sources misread what follows. Shorten it.")
                            .arg(m_s.ctaBlocks.last().name)
                            .arg(p.absolute(o), 2, 16, QLatin1Char('0')));
                break;
            }
            o = blockEnd;
        }
        return true;
    }

    DisplayIdSection &m_s;
    Findings &m_findings;
    QString m_name;
};

void checkHeader(DisplayIdSection &s, const ByteView &b, Findings &findings)
{
    const int major = s.version >> 4;
    if (major != 1 && major != 2)
        finding(findings, Severity::Error, "displayid-version", s.block, b.absolute(Version),
                QStringLiteral("DisplayID version %1 is neither 1.x nor 2.x; sources ignore the "
                               "block. Set byte 1 to the version the block follows (0x12, 0x13 "
                               "or 0x20).")
                    .arg(hex2(s.version)));
    if (s.length > MaxLength)
        finding(findings, Severity::Error, "displayid-length", s.block, b.absolute(Length),
                QStringLiteral("The DisplayID section claims %1 bytes of data blocks, more than "
                               "the %2 an extension block holds; sources reject it. Set byte 2 "
                               "to the bytes the data blocks take.")
                    .arg(s.length)
                    .arg(MaxLength));
}

} // namespace

QString displayIdBlockName(int tag)
{
    switch (tag) {
    case DisplayIdTag::ProductId:
    case DisplayIdTag::ProductId2:
        return QStringLiteral("Product Identification Data Block");
    case DisplayIdTag::DisplayParameters:
    case DisplayIdTag::DisplayParameters2:
        return QStringLiteral("Display Parameters Data Block");
    case DisplayIdTag::ColorCharacteristics:
        return QStringLiteral("Color Characteristics Data Block");
    case DisplayIdTag::TypeITiming:
        return QStringLiteral("Type I Detailed Timings Data Block");
    case DisplayIdTag::TypeIITiming:
        return QStringLiteral("Type II Detailed Timings Data Block");
    case DisplayIdTag::TypeIIITiming:
        return QStringLiteral("Type III Short Timings Data Block");
    case DisplayIdTag::TypeIVTiming:
        return QStringLiteral("Type IV DMT ID Code Timings Data Block");
    case DisplayIdTag::DmtTimings:
        return QStringLiteral("VESA DMT Timings Data Block");
    case DisplayIdTag::CtaTimings:
        return QStringLiteral("CTA-861 Timings Data Block");
    case DisplayIdTag::TimingRange:
    case DisplayIdTag::TimingRange2:
        return QStringLiteral("Video Timing Range Data Block");
    case DisplayIdTag::SerialNumber:
        return QStringLiteral("Product Serial Number Data Block");
    case DisplayIdTag::AsciiString:
        return QStringLiteral("GP ASCII String Data Block");
    case DisplayIdTag::DisplayDevice:
        return QStringLiteral("Display Device Data Block");
    case DisplayIdTag::PowerSequencing:
        return QStringLiteral("Interface Power Sequencing Data Block");
    case DisplayIdTag::TransferCharacteristics:
        return QStringLiteral("Transfer Characteristics Data Block");
    case DisplayIdTag::DisplayInterface:
        return QStringLiteral("Display Interface Data Block");
    case DisplayIdTag::StereoInterface:
    case DisplayIdTag::StereoInterface2:
        return QStringLiteral("Stereo Display Interface Data Block");
    case DisplayIdTag::TypeVTiming:
        return QStringLiteral("Type V Short Timings Data Block");
    case DisplayIdTag::TiledTopology:
    case DisplayIdTag::TiledTopology2:
        return QStringLiteral("Tiled Display Topology Data Block");
    case DisplayIdTag::TypeVITiming:
        return QStringLiteral("Type VI Detailed Timings Data Block");
    case DisplayIdTag::TypeVIITiming:
        return QStringLiteral("Type VII Detailed Timings Data Block");
    case DisplayIdTag::TypeVIIITiming:
        return QStringLiteral("Type VIII Enumerated Timing Codes Data Block");
    case DisplayIdTag::TypeIXTiming:
        return QStringLiteral("Type IX Formula-based Timings Data Block");
    case DisplayIdTag::InterfaceFeatures:
        return QStringLiteral("Display Interface Features Data Block");
    case DisplayIdTag::ContainerId:
        return QStringLiteral("ContainerID Data Block");
    case DisplayIdTag::TypeXTiming:
        return QStringLiteral("Type X Formula-based Timings Data Block");
    case DisplayIdTag::AdaptiveSync:
        return QStringLiteral("Adaptive Sync Data Block");
    case DisplayIdTag::ArVrHmd:
        return QStringLiteral("ARVR_HMD Data Block");
    case DisplayIdTag::ArVrLayer:
        return QStringLiteral("ARVR_Layer Data Block");
    case DisplayIdTag::BrightnessRange:
        return QStringLiteral("Brightness Luminance Range Data Block");
    case DisplayIdTag::VendorSpecific:
    case DisplayIdTag::VendorSpecific2:
        return QStringLiteral("Vendor-Specific Data Block");
    case DisplayIdTag::CtaDataBlocks:
        return QStringLiteral("CTA-861 DisplayID Data Block");
    default:
        return QStringLiteral("Unknown Data Block (%1)").arg(hex2(tag));
    }
}

DisplayIdSection decodeDisplayIdBlock(const ByteView &b, int blockIndex, Findings &findings)
{
    DisplayIdSection s;
    s.block = blockIndex;
    s.version = b.at(Version);
    s.length = b.at(Length);
    s.productType = b.at(ProductType);
    s.extensionCount = b.at(ExtensionCount);
    checkHeader(s, b, findings);

    const int end = DataBlocks + std::min(s.length, MaxLength);
    s.checksumAt = ByteRange{b.absolute(end), 1};
    s.storedChecksum = b.at(end);
    int sum = 0;
    for (int o = Version; o < end; ++o)
        sum += b.at(o);
    s.computedChecksum = (0x100 - (sum & 0xFF)) & 0xFF;
    if (!s.checksumValid())
        finding(findings, Severity::Error, "displayid-checksum", blockIndex, s.checksumAt.offset,
                QStringLiteral("The DisplayID section checksum is %1 but its bytes need %2; "
                               "sources reject the section. Correct the checksum.")
                    .arg(hex2(s.storedChecksum))
                    .arg(hex2(s.computedChecksum)));

    SectionDecoder decoder(s, findings);
    int o = DataBlocks;
    while (o + BlockHeader <= end) {
        // Zero bytes pad a section to its length; a block of tag 0 and
        // length 0 is padding, not a product identification.
        if (b.at(o) == 0 && b.at(o + 2) == 0)
            break;
        DisplayIdDataBlock d;
        d.tag = b.at(o);
        d.revision = b.at(o + 1);
        d.name = displayIdBlockName(d.tag);
        const int length = b.at(o + 2);
        const int blockEnd = o + BlockHeader + length;
        d.overrun = blockEnd > end;
        const ByteView payload = b.mid(o + BlockHeader, std::min(blockEnd, end) - o - BlockHeader);
        d.at = ByteRange{b.absolute(o), BlockHeader + payload.size()};
        d.payload = payload.toByteArray();
        // The OUI of a vendor block: least significant byte first in 1.x
        // (0x7F), most significant first in 2.x (0x7E).
        if (d.tag == DisplayIdTag::VendorSpecific && payload.size() >= 3)
            d.name += QStringLiteral(", OUI ") + ouiText(payload.at(0) | (payload.at(1) << 8) |
                                                         (quint32(payload.at(2)) << 16));
        else if (d.tag == DisplayIdTag::VendorSpecific2 && payload.size() >= 3)
            d.name += QStringLiteral(", OUI ") + vendorId(payload, 0, true);
        if (d.overrun) {
            finding(findings, Severity::Error, "displayid-block-overrun", blockIndex, b.absolute(o),
                    QStringLiteral("The DisplayID %1 at byte 0x%2 is %3 bytes long and runs past "
                                   "the end of its section; sources misread it. Correct its "
                                   "length or the section length (byte 2).")
                        .arg(d.name)
                        .arg(b.absolute(o), 2, 16, QLatin1Char('0'))
                        .arg(BlockHeader + length));
        } else {
            d.decoded = decoder.decode(d, payload);
        }
        s.dataBlocks.append(d);
        if (d.overrun)
            break;
        o = blockEnd;
    }
    return s;
}

} // namespace varnex::edid
