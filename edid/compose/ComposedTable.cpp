#include "compose/ComposedTable.h"

#include "Checksum.h"
#include "compose/BaseTimingCodes.h"
#include "edit/BaseBlockEdits.h"
#include "edit/CtaEdits.h"
#include "edit/CtaExtension.h"
#include "edit/ModeRequest.h"
#include "edit/PresetBaseImage.h"
#include "edit/StandardModes.h"
#include "spec/CtaVideoFormats.h"

#include <algorithm>
#include <cmath>

namespace varnex::edid {

namespace {

// A product code of our own for composed tables ("MX" in ASCII).
constexpr quint16 ComposedProductCode = 0x4D58;
// Base block bytes 0x10-0x11: week, and year counted from 1990; 0x15-0x16: screen size in cm.
constexpr int WeekOffset = 0x10;
constexpr int YearOffset = 0x11;
constexpr int YearBase = 1990;
constexpr int ScreenWidthOffset = 0x15;
constexpr int ScreenHeightOffset = 0x16;
// Range limits in the EDID 1.3 form hold whole units in one byte.
constexpr int MaxRangeByte = 255;
// A short audio descriptor is 3 bytes and a data block holds 31.
constexpr int MaxSads = 10;
// HDMI 1.4 VSDB (HDMI 1.4b, 8.3.2): physical address 1.0.0.0 until the
// source assigns one; byte 6 deep colour bits; byte 8 HDMI_Video_present.
const QByteArray HdmiVsdbHead("\x03\x0C\x00\x10\x00", 5);
constexpr quint8 DeepColorBit[][2] = {{30, 0x10}, {36, 0x20}, {48, 0x40}};
constexpr quint8 DeepColorY444 = 0x08;
constexpr quint8 HdmiVideoPresent = 0x20;
constexpr int HdmiVicLengthShift = 5;
// The 4K formats HDMI 1.4 names by HDMI VIC 1 to 4.
constexpr int HdmiVicCount = 4;
// HDMI Forum VSDB version 1 (HDMI 2.1, 10.3.2): rate in 5 MHz units, SCDC_Present bit 7
// of byte 6, 4:2:0 deep colour in bits 0-2 of byte 7.
const QByteArray HdmiForumHead("\xD8\x5D\xC4\x01", 4);
constexpr int TmdsUnitMHz = 5;
constexpr quint8 ScdcPresent = 0x80;
constexpr quint8 DeepColor420Bit[][2] = {{30, 0x01}, {36, 0x02}, {48, 0x04}};
// Video capability data block (CTA-861-H 7.5.6), as the presets write it: the
// quantization range selectable, which HDMI sources need to avoid interop
// trouble, and IT and CE formats both over- and underscannable.
const QByteArray VideoCapabilityBlock("\xE2\x00\xCF", 3);
// Colorimetry byte 4: of the metadata profile bits only bit 7 (DCI-P3) is
// defined; MD0-MD3 are reserved for future profiles and must be 0.
constexpr quint8 ColorimetryKnownMetadata = 0x80;
// A DTD stores its pixel clock in units of 10 kHz.
constexpr quint32 DtdClockUnitKhz = 10;
// DTD image sizes are in mm, the screen size in cm.
constexpr int MmPerCm = 10;

// The timing as a DTD can hold it: the clock to the nearest 10 kHz (25.175
// MHz of 640x480p59.94 is 25.18), and the composed screen size as its image
// size, as the inputs' own sizes would contradict it.
Timing withScreenSize(Timing timing, const Capabilities &common)
{
    timing.pixelClockKHz =
        (timing.pixelClockKHz + DtdClockUnitKhz / 2) / DtdClockUnitKhz * DtdClockUnitKhz;
    timing.widthMm = common.widthCm.value_or(0) * MmPerCm;
    timing.heightMm = common.heightCm.value_or(0) * MmPerCm;
    return timing;
}

int clampByte(double value)
{
    return std::clamp(int(value), 1, MaxRangeByte);
}

// The common range limits, widened where a mode to be written lies outside
// them: inputs' limits often leave out modes the same inputs list.
ModeRangeLimits rangeFor(const Capabilities &common)
{
    ModeRangeLimits limits{MaxRangeByte, 1, MaxRangeByte, 1, 0};
    if (const auto &r = common.rangeLimits; r && r->minVHz <= r->maxVHz && r->minHKhz <= r->maxHKhz)
        limits = {clampByte(r->minVHz), clampByte(r->maxVHz), clampByte(r->minHKhz),
                  clampByte(r->maxHKhz), r->maxPixelClockMhz};
    int fastestMHz = 0;
    for (const CapabilityMode &mode : common.modes) {
        limits.minVHz = std::min(limits.minVHz, clampByte(std::floor(mode.refreshHz)));
        limits.maxVHz = std::max(limits.maxVHz, clampByte(std::ceil(mode.refreshHz)));
        const std::optional<double> line =
            mode.timing ? std::optional(mode.timing->hFreqKHz()) : mode.lineRateKHz;
        if (line) {
            limits.minHKhz = std::min(limits.minHKhz, clampByte(std::floor(*line)));
            limits.maxHKhz = std::max(limits.maxHKhz, clampByte(std::ceil(*line)));
        }
        if (mode.pixelClockKHz)
            fastestMHz = std::max(fastestMHz, int(std::ceil(*mode.pixelClockKHz / 1000.0)));
    }
    if (limits.maxPixelClockMhz == 0 || limits.maxPixelClockMhz < fastestMHz)
        limits.maxPixelClockMhz = fastestMHz;
    return limits;
}

quint8 ctaFlags(const Capabilities &common)
{
    // One native DTD: the preferred timing.
    return (common.underscan ? CtaUnderscanFlag : 0) | (common.ycbcr444 ? CtaYcbcr444Flag : 0) |
           (common.ycbcr422 ? CtaYcbcr422Flag : 0) | 1;
}

EdidImage baseImage(const Capabilities &common, const ComposeOptions &options)
{
    EdidImage image = presetBaseImage(ComposedProductCode, rangeFor(common), ctaFlags(common));
    clearEstablishedTimings(image);
    image[WeekOffset] = quint8(options.date.weekNumber());
    image[YearOffset] = quint8(std::clamp(options.date.year() - YearBase, 0, 255));
    image[ScreenWidthOffset] = quint8(std::clamp(common.widthCm.value_or(0), 0, 255));
    image[ScreenHeightOffset] = quint8(std::clamp(common.heightCm.value_or(0), 0, 255));
    correctChecksums(image);
    return image;
}

int vicFor(const CapabilityMode &mode)
{
    for (int vic : mode.vics) {
        if (const auto standard = standardModeForVic(vic);
            standard && sameMode(modeOfTiming(standard->timing), mode))
            return vic;
    }
    for (const StandardMode &standard : standardModes()) {
        if (standard.vic != 0 && sameMode(modeOfTiming(standard.timing), mode))
            return standard.vic;
    }
    return 0;
}

QByteArray hdmiVsdb(const Capabilities &common)
{
    QByteArray payload = HdmiVsdbHead;
    quint8 deepColor = 0;
    for (const auto &[bits, flag] : DeepColorBit) {
        if (common.deepColor.rgbBits.contains(bits))
            deepColor |= flag;
    }
    if (deepColor && common.deepColor.ycbcr444)
        deepColor |= DeepColorY444;
    payload.append(char(deepColor)).append(char(0));
    QByteArray hdmiVics;
    for (int hdmiVic = 1; hdmiVic <= HdmiVicCount; ++hdmiVic) {
        const auto format = ctaVideoFormat(vicForHdmiVic(hdmiVic));
        const bool common4k = format && std::any_of(common.modes.cbegin(), common.modes.cend(),
                                                    [&](const CapabilityMode &m) {
                                                        CapabilityMode f;
                                                        f.width = format->hActive;
                                                        f.height = format->vActive;
                                                        f.refreshHz = format->refreshHz();
                                                        return sameMode(f, m);
                                                    });
        if (common4k)
            hdmiVics.append(char(hdmiVic));
    }
    if (!hdmiVics.isEmpty()) {
        payload.append(char(HdmiVideoPresent)).append(char(0));
        payload.append(char(hdmiVics.size() << HdmiVicLengthShift)).append(hdmiVics);
    }
    return CtaExtension::makeBlock(CtaTag::VendorSpecific, payload);
}

QByteArray hdmiForumVsdb(const HdmiForumCapability &forum, const DeepColor &deepColor)
{
    QByteArray payload = HdmiForumHead;
    payload.append(char(forum.maxTmdsMHz ? *forum.maxTmdsMHz / TmdsUnitMHz : 0));
    payload.append(char(forum.scdc ? ScdcPresent : 0));
    quint8 bits = 0;
    for (const auto &[depth, flag] : DeepColor420Bit) {
        if (deepColor.ycbcr420Bits.contains(depth))
            bits |= flag;
    }
    payload.append(char(bits));
    return CtaExtension::makeBlock(CtaTag::VendorSpecific, payload);
}

QByteArray hdrBlock(const HdrCapability &hdr)
{
    QByteArray payload;
    payload.append(char(CtaExtendedTag::HdrStaticMetadata))
        .append(char(hdr.eotfBits))
        .append(char(hdr.metadataTypes));
    if (hdr.maxLuminanceCode) {
        payload.append(char(*hdr.maxLuminanceCode));
        if (hdr.maxFrameAverageCode) {
            payload.append(char(*hdr.maxFrameAverageCode));
            if (hdr.minLuminanceCode)
                payload.append(char(*hdr.minLuminanceCode));
        }
    }
    return CtaExtension::makeBlock(CtaTag::Extended, payload);
}

QByteArray colorimetryBlock(const Capabilities &common)
{
    QByteArray payload;
    payload.append(char(CtaExtendedTag::Colorimetry))
        .append(char(common.colorimetry))
        .append(char(common.colorimetryMetadata & ColorimetryKnownMetadata));
    return CtaExtension::makeBlock(CtaTag::Extended, payload);
}

// Writes the blocks beyond the modes; what does not fit is named in the report.
class TableWriter
{
public:
    TableWriter(EdidImage image, QStringList &report) : m_image(image), m_report(report) {}

    const EdidImage &image() const { return m_image; }

    bool apply(const EditResult &result, const QString &what)
    {
        if (result.ok()) {
            m_image = *result.image;
            return true;
        }
        m_report << QStringLiteral("left out %1: %2").arg(what, result.error);
        return false;
    }

    void addBlocks(const Capabilities &common)
    {
        QList<ShortAudioDescriptor> sads;
        for (const AudioCapability &a : common.audio) {
            if (sads.size() == MaxSads) {
                m_report << QStringLiteral("left out %1: no room in the audio data block")
                                .arg(audioText(a));
                continue;
            }
            sads.append({a.format, a.channels, a.sampleRates, a.detail});
        }
        if (!sads.isEmpty() && apply(setAudioDescriptors(m_image, sads), QStringLiteral("audio")) &&
            common.speakers)
            apply(setSpeakerAllocation(m_image, common.speakers),
                  QStringLiteral("the speaker allocation"));
        if (common.hdmi &&
            apply(addDataBlock(m_image, hdmiVsdb(common)), QStringLiteral("the HDMI block"))) {
            if (common.maxTmdsMHz)
                apply(setHdmiMaxTmdsClock(m_image, *common.maxTmdsMHz),
                      QStringLiteral("the TMDS limit"));
            if (common.hdmiForum)
                apply(addDataBlock(m_image, hdmiForumVsdb(*common.hdmiForum, common.deepColor)),
                      QStringLiteral("the HDMI Forum block"));
        }
        apply(addDataBlock(m_image, VideoCapabilityBlock),
              QStringLiteral("the video capability block"));
        if (common.colorimetry)
            apply(addDataBlock(m_image, colorimetryBlock(common)),
                  QStringLiteral("the colorimetry block"));
        if (common.hdr)
            apply(addDataBlock(m_image, hdrBlock(*common.hdr)), QStringLiteral("HDR"));
    }

    // Where the mode went ("VIC 16", "DTD 2", "standard"), empty when nowhere.
    QString place(const CapabilityMode &mode)
    {
        if (const int vic = vicFor(mode); vic && addVicOf(vic))
            return QStringLiteral("VIC %1").arg(vic);
        if (setEstablishedTiming(m_image, mode)) {
            correctChecksums(m_image);
            return QStringLiteral("established");
        }
        if (addStandardTiming(m_image, mode)) {
            correctChecksums(m_image);
            return QStringLiteral("standard");
        }
        if (mode.timing && addDtd(*mode.timing))
            return QStringLiteral("DTD %1").arg(++m_dtds);
        return {};
    }

    bool setPreferred(const Timing &timing, QString *error)
    {
        const EditResult result = setPreferredTiming(m_image, timing);
        if (!result.ok()) {
            *error = result.error;
            return false;
        }
        m_image = *result.image;
        m_dtds = 1;
        return true;
    }

    bool addVicOf(int vic)
    {
        const EditResult result = addVic(m_image, vic);
        if (result.ok())
            m_image = *result.image;
        return result.ok();
    }

private:
    bool addDtd(const Timing &timing)
    {
        const auto bytes = encodeDetailedTiming(timing);
        if (!bytes)
            return false;
        // Not in the base block's free slot: there a DTD would follow the display descriptors.
        QString error;
        std::optional<CtaExtension> cta = CtaExtension::parse(m_image, &error);
        if (!cta)
            return false;
        cta->dtds.append(
            QByteArray(reinterpret_cast<const char *>(bytes->data()), qsizetype(bytes->size())));
        return cta->write(m_image, &error);
    }

    EdidImage m_image;
    QStringList &m_report;
    int m_dtds = 0;
};

} // namespace

ComposeResult writeComposedTable(const Capabilities &common, const ComposeOptions &options)
{
    ComposeResult result;
    if (common.modes.isEmpty()) {
        result.error = QStringLiteral("There is no mode to write.");
        return result;
    }
    const EditResult named = setDisplayProductName(baseImage(common, options), options.name);
    if (!named.ok()) {
        result.error = named.error;
        return result;
    }
    TableWriter writer(*named.image, result.report);
    // The first mode is the one to prefer; should its timing not fit a DTD,
    // the next one in order takes its place.
    QList<CapabilityMode> modes = common.modes;
    qsizetype chosen = 0;
    for (; chosen < modes.size(); ++chosen) {
        const CapabilityMode &mode = modes[chosen];
        const std::optional<Timing> timing =
            mode.timing ? mode.timing : timingForRequest({mode.width, mode.height, mode.refreshHz});
        // A timing made for a request may miss the mode's rate (a 10 kHz clock, a
        // non-CVT mode): only one that is the common mode itself may be preferred.
        if (timing && sameMode(modeOfTiming(*timing), mode) &&
            writer.setPreferred(withScreenSize(*timing, common), &result.error))
            break;
    }
    if (chosen == modes.size()) {
        if (result.error.isEmpty())
            result.error = QStringLiteral("No mode every input offers can be written as the "
                                          "preferred detailed timing.");
        return result;
    }
    result.error.clear();
    CapabilityMode preferred = modes.takeAt(chosen);
    for (CapabilityMode &mode : modes)
        mode.preferred = false;
    preferred.preferred = true;
    preferred.sources = {QStringLiteral("DTD 1")};
    writer.addBlocks(common);
    // The preferred mode is also named by its VIC, as sources that read only VICs expect.
    if (const int vic = vicFor(preferred); vic && writer.addVicOf(vic))
        preferred.sources << QStringLiteral("VIC %1").arg(vic);
    result.modes << preferred;
    for (CapabilityMode mode : modes) {
        if (mode.timing)
            mode.timing = withScreenSize(*mode.timing, common);
        const QString where = writer.place(mode);
        if (where.isEmpty()) {
            result.report
                << QStringLiteral("left out %1: no room in the table").arg(modeText(mode));
            continue;
        }
        mode.sources = {where};
        result.modes << mode;
    }
    result.image = writer.image();
    return result;
}

} // namespace varnex::edid
