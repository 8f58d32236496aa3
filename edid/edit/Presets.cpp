#include "Presets.h"

#include "BaseBlockEdits.h"
#include "CtaEdits.h"
#include "CtaExtension.h"
#include "EditSequence.h"
#include "PresetBaseImage.h"
#include "StandardModes.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace varnex::edid {

namespace {

// Byte 3 of every preset's CTA block: IT formats underscanned, YCbCr 4:4:4
// and 4:2:2, one native DTD (the preferred timing).
constexpr quint8 PresetCtaFlags = CtaUnderscanFlag | CtaYcbcr444Flag | CtaYcbcr422Flag | 1;
// Video capability data block: YCbCr and RGB quantization selectable, IT and
// CE formats both over- and underscannable (CTA-861-H 7.5.6).
const QByteArray VideoCapabilityBlock("\xE2\x00\xCF", 3);
// Colorimetry data block: BT.2020 YCC and RGB (CTA-861-H 7.5.5).
const QByteArray Bt2020ColorimetryBlock("\xE3\x05\xC0\x00", 4);
// HDR static metadata data block: SDR, SMPTE ST 2084 and HLG; static metadata type 1 (CTA-861.3).
const QByteArray HdrStaticMetadataBlock("\xE3\x06\x0D\x01", 4);
// HDMI Forum VSDB, version 1: 600 MHz TMDS character rate, SCDC present (HDMI 2.0 10.3.2).
const QByteArray HdmiForumBlock("\x67\xD8\x5D\xC4\x01\x78\x80\x00", 8);
// HDMI VSDB bytes 6 and 8: DC_30bit and DC_Y444 for 10-bit HDR; HDMI_Video_present.
constexpr quint8 DeepColor30 = 0x18;
constexpr quint8 HdmiVideoPresent = 0x20;
// Physical address 1.0.0.0 until the source assigns the real one.
constexpr quint8 PhysicalAddress[] = {0x10, 0x00};
// HDMI VICs 1-3 (HDMI 1.4b table 8-14) stand for VICs 95, 94 and 93.
constexpr int HdmiVicFor4k[][2] = {{95, 1}, {94, 2}, {93, 3}};

struct Preset
{
    const char *name;
    const char *title;
    const char *displayName; // at most 13 characters
    quint16 productCode;
    std::vector<int> vics; // the first is the preferred timing
    QStringList audio;     // parseAudioSpec texts
    quint32 speakers;
    int maxTmdsMhz;
    quint8 deepColor;
    bool hdmiForum;
    bool hdr;
};

// Every sample rate a short audio descriptor can name, in kHz.
constexpr char AllRates[] = "32,44.1,48,88.2,96,176.4,192";

const std::vector<Preset> &presets()
{
    static const std::vector<Preset> list = {
        {"720p60-stereo",
         "720p60, stereo (fallback for old projectors)",
         "VNX 720p60",
         0x0720,
         {4, 19, 3, 18, 1},
         {QStringLiteral("lpcm:2")},
         Speakers::Stereo,
         165,
         0,
         false,
         false},
        {"1080p60-stereo",
         "1080p60, stereo",
         "VNX 1080p60",
         0x1080,
         {16, 31, 34, 33, 32, 4, 19, 3, 18, 1},
         {QStringLiteral("lpcm:2")},
         Speakers::Stereo,
         165,
         0,
         false,
         false},
        {"1080p60-5.1",
         "1080p60, 5.1 surround",
         "VNX 1080p 5.1",
         0x1081,
         {16, 31, 34, 33, 32, 4, 19, 3, 18, 1},
         {QStringLiteral("lpcm:2"), QStringLiteral("lpcm:6"), QStringLiteral("ac3:6::640"),
          QStringLiteral("dts:6::1536")},
         Speakers::Surround51,
         165,
         0,
         false,
         false},
        {"4k30-stereo",
         "4K30, stereo",
         "VNX 4K30",
         0x2160,
         {95, 94, 93, 16, 31, 34, 33, 32, 4, 19, 3, 18, 1},
         {QStringLiteral("lpcm:2")},
         Speakers::Stereo,
         300,
         0,
         false,
         false},
        {"4k60-hdr-7.1",
         "4K60 HDR, 7.1 surround",
         "VNX 4K60 HDR",
         0x2161,
         {97, 96, 95, 94, 93, 16, 31, 34, 33, 32, 4, 19, 3, 18, 1},
         {QStringLiteral("lpcm:2:%1").arg(QLatin1String(AllRates)),
          QStringLiteral("lpcm:8:%1").arg(QLatin1String(AllRates)), QStringLiteral("ac3:6::640"),
          QStringLiteral("eac3:8"), QStringLiteral("dts:6::1536"),
          QStringLiteral("dtshd:8:%1").arg(QLatin1String(AllRates)),
          QStringLiteral("mat:8:48,96,192")},
         Speakers::Surround71,
         340,
         DeepColor30,
         true,
         true},
    };
    return list;
}

const Preset *findPreset(const QString &name)
{
    const auto &list = presets();
    const auto it = std::find_if(list.cbegin(), list.cend(),
                                 [&](const Preset &p) { return name == QLatin1String(p.name); });
    return it == list.cend() ? nullptr : &*it;
}

// Range limits that take in every mode of the preset, in whole Hz, kHz and 10 MHz.
ModeRangeLimits limitsFor(const std::vector<Timing> &timings)
{
    ModeRangeLimits limits{1000, 0, 1000, 0, 0};
    for (const Timing &t : timings) {
        limits.minVHz = std::min(limits.minVHz, int(std::floor(t.refreshHz())));
        limits.maxVHz = std::max(limits.maxVHz, int(std::ceil(t.refreshHz())));
        limits.minHKhz = std::min(limits.minHKhz, int(std::floor(t.hFreqKHz())));
        limits.maxHKhz = std::max(limits.maxHKhz, int(std::ceil(t.hFreqKHz())));
        limits.maxPixelClockMhz =
            std::max(limits.maxPixelClockMhz, int(std::ceil(t.pixelClockKHz / 1000.0)));
    }
    return limits;
}

QByteArray hdmiVsdb(const Preset &p)
{
    QByteArray payload("\x03\x0C\x00", 3);
    payload.append(char(PhysicalAddress[0])).append(char(PhysicalAddress[1]));
    payload.append(char(p.deepColor)).append(char(0)); // the clock comes from its own edit
    QByteArray hdmiVics;
    for (const auto &pair : HdmiVicFor4k) {
        if (std::find(p.vics.cbegin(), p.vics.cend(), pair[0]) != p.vics.cend())
            hdmiVics.append(char(pair[1]));
    }
    if (!hdmiVics.isEmpty()) {
        payload.append(char(HdmiVideoPresent)).append(char(0));
        payload.append(char(hdmiVics.size() << 5)).append(hdmiVics);
    }
    return CtaExtension::makeBlock(CtaTag::VendorSpecific, payload);
}

EditResult build(const Preset &p)
{
    std::vector<Timing> timings;
    for (int vic : p.vics) {
        const auto mode = standardModeForVic(vic);
        if (!mode)
            return EditResult::refused(QStringLiteral("VIC %1 has no known timing.").arg(vic));
        timings.push_back(mode->timing);
    }
    QList<ShortAudioDescriptor> sads;
    for (const QString &spec : p.audio) {
        QString error;
        const auto sad = parseAudioSpec(spec, &error);
        if (!sad)
            return EditResult::refused(error);
        sads.append(*sad);
    }

    QList<Edit> edits;
    edits << [&](const EdidImage &i) {
        return setDisplayProductName(i, QLatin1String(p.displayName));
    } << [&](const EdidImage &i) { return setPreferredTiming(i, timings.front()); };
    for (int vic : p.vics)
        edits << [vic](const EdidImage &i) { return addVic(i, vic); };
    edits << [&](const EdidImage &i) { return setAudioDescriptors(i, sads); }
          << [&](const EdidImage &i) { return setSpeakerAllocation(i, p.speakers); }
          << [&](const EdidImage &i) { return addDataBlock(i, hdmiVsdb(p)); }
          << [&](const EdidImage &i) { return setHdmiMaxTmdsClock(i, p.maxTmdsMhz); };
    if (p.hdmiForum)
        edits << [](const EdidImage &i) { return addDataBlock(i, HdmiForumBlock); };
    edits << [](const EdidImage &i) { return addDataBlock(i, VideoCapabilityBlock); };
    if (p.hdr)
        edits << [](const EdidImage &i) { return addDataBlock(i, Bt2020ColorimetryBlock); }
              << [](const EdidImage &i) { return addDataBlock(i, HdrStaticMetadataBlock); };

    const EdidImage base = presetBaseImage(p.productCode, limitsFor(timings), PresetCtaFlags);
    return applyEdits(base, edits);
}

} // namespace

QStringList presetNames()
{
    QStringList names;
    for (const Preset &p : presets())
        names << QLatin1String(p.name);
    return names;
}

QString presetTitle(const QString &name)
{
    const Preset *p = findPreset(name);
    return p ? QString::fromLatin1(p->title) : QString();
}

std::optional<EdidImage> buildPreset(const QString &name)
{
    const Preset *p = findPreset(name);
    if (!p)
        return std::nullopt;
    return build(*p).image;
}

} // namespace varnex::edid
