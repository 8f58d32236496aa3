#pragma once

#include "edit/BaseDescriptors.h"
#include "spec/Timing.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace varnex::edid {

// One video mode a source may send, however many places of the table offer it.
struct CapabilityMode
{
    int width = 0;
    // Of the whole picture, both fields of an interlaced mode.
    int height = 0;
    bool interlaced = false;
    // Field rate for interlaced modes.
    double refreshHz = 0;
    // nullopt when no source spells the timing out (a GTF standard timing).
    std::optional<int> pixelClockKHz;
    // Line rate; nullopt like the pixel clock.
    std::optional<double> lineRateKHz;
    // The base block's first detailed timing.
    bool preferred = false;
    // Where the table offers it, in table order: "DTD 1", "VIC 16", "HDMI VIC 1",
    // "established", "standard", "CVT", "baseline" (640x480p60, which every
    // CTA-861, DVI and DisplayPort sink must take, listed or not). New kinds of source add new
    // words.
    QStringList sources;
    // The CTA-861 codes that name it (also those of the 4:2:0 video data block).
    QList<int> vics;
    // The whole timing when a source gives it (a DTD, a VIC, a known DMT).
    std::optional<Timing> timing;
    // YCbCr 4:2:0 allowed as well, or only 4:2:0 (the 4:2:0 video data block).
    bool ycbcr420 = false;
    bool ycbcr420Only = false;
};

// The size, scan and rate of anything that names a mode by them (a timing
// code, a mode request): enough to compare it with sameMode.
template <typename Named> CapabilityMode modeNamedBy(const Named &named)
{
    CapabilityMode mode;
    mode.width = named.width;
    mode.height = named.height;
    mode.interlaced = named.interlaced;
    mode.refreshHz = named.refreshHz;
    return mode;
}

// One short audio descriptor of formats 1 to 14 in the terms of its bytes,
// which is what an intersection needs; see ShortAudioDescriptor for the fields.
struct AudioCapability
{
    int format = 0;
    QString name;
    int channels = 0;
    quint8 sampleRates = 0;
    // LPCM: sample size bits; AC-3 to ATRAC: maximum bit rate in 8 kb/s units.
    quint8 detail = 0;
};

struct DeepColor
{
    // Bits per pixel the HDMI VSDB adds to 24: 30, 36, 48.
    QList<int> rgbBits;
    bool ycbcr444 = false;
    // From the HDMI Forum block: 30, 36, 48 for 4:2:0.
    QList<int> ycbcr420Bits;
};

struct HdrCapability
{
    // Raw bytes of the HDR static metadata block: EOTF and metadata type
    // bits, then the luminance codes (nullopt when the block ends first).
    int eotfBits = 0;
    QStringList eotfs;
    int metadataTypes = 0;
    std::optional<int> maxLuminanceCode;
    std::optional<int> maxFrameAverageCode;
    std::optional<int> minLuminanceCode;
    std::optional<double> maxLuminance;
    std::optional<double> maxFrameAverageLuminance;
    std::optional<double> minLuminance;
};

struct HdmiForumCapability
{
    // nullopt: 340 MHz or less.
    std::optional<int> maxTmdsMHz;
    bool scdc = false;
    int maxFrlRate = 0;
};

// What a source may send to the display whose table this is: the facts of a
// decoded table that say what it accepts, with every source of a mode merged.
struct Capabilities
{
    // Merged by width, height, interlace and a rate within ModeRateTolerance.
    QList<CapabilityMode> modes;
    QList<AudioCapability> audio;
    // Speaker allocation bits (CTA-861-H table 65); 0 when the table names none.
    quint32 speakers = 0;
    // RGB always; YCbCr 4:4:4 and 4:2:2 from the CTA-861 flags (per mode 4:2:0).
    bool ycbcr444 = false;
    bool ycbcr422 = false;
    DeepColor deepColor;
    std::optional<HdrCapability> hdr;
    // The colorimetry data block's two bytes, 0 without one.
    int colorimetry = 0;
    int colorimetryMetadata = 0;
    // The HDMI 1.4 VSDB: the display is HDMI, else DVI or DisplayPort only.
    bool hdmi = false;
    std::optional<int> maxTmdsMHz;
    std::optional<HdmiForumCapability> hdmiForum;
    // The range limits descriptor's rates; maxPixelClockMhz 0 when not given.
    std::optional<ModeRangeLimits> rangeLimits;
    bool underscan = false;
    // Screen size in cm; nullopt when the table gives none.
    std::optional<int> widthCm;
    std::optional<int> heightCm;

    const CapabilityMode *preferredMode() const;
};

// Two rates name the same mode when they differ by at most this share
// (59.94 and 60 Hz, a DTD and the VIC it copies).
inline constexpr double ModeRateTolerance = 0.005;

struct DecodedEdid;

bool sameMode(const CapabilityMode &a, const CapabilityMode &b);

// The mode of a timing, with its clock, line rate and the timing itself.
CapabilityMode modeOfTiming(const Timing &timing);

// "1920x1080@60", "1920x1080i@59.94": the rate to two decimals, trailing zeros dropped.
QString modeText(const CapabilityMode &mode);

// "LPCM", "5.1 LPCM", "2-channel AC-3": the words the compose report uses.
QString audioText(const AudioCapability &audio);

// The capabilities of the base block and the CTA-861 blocks; a table that
// does not decode has none.
Capabilities capabilitiesOf(const DecodedEdid &edid);

} // namespace varnex::edid
