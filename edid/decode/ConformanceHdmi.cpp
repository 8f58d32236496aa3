#include "decode/ConformanceParts.h"
#include "spec/CtaTags.h"
#include "spec/CtaVideoFormats.h"
#include "spec/Units.h"
#include "spec/VendorBlocks.h"

namespace varnex::edid::conformance {

namespace {

// Latency bytes: 1 to 251 give (v - 1) * 2 ms up to 500 ms, 0 unknown,
// 255 no video or audio (HDMI 1.4b, 8.3.2); the rest are not defined.
constexpr int MaxLatencyCode = 251;
constexpr int NoLatencyCode = 255;

void rule(DecodedEdid &edid, Severity severity, const DataBlock &block, const QString &what)
{
    addFinding(edid.findings, severity, QStringLiteral("hdmi-vsdb-rule"),
               block.at.offset / EdidBlockSize, block.at.offset,
               QStringLiteral("%1: %2").arg(block.name, what));
}

bool isHdmiForumVsdb(const DataBlock &block)
{
    return block.tag == CtaTag::VendorSpecific &&
           std::holds_alternative<HdmiForumBlock>(block.content);
}

void checkLatency(DecodedEdid &edid, const DataBlock &block, const HdmiVsdb &hdmi)
{
    for (const std::optional<int> &latency :
         {hdmi.videoLatency, hdmi.audioLatency, hdmi.interlacedVideoLatency,
          hdmi.interlacedAudioLatency}) {
        if (latency && *latency > MaxLatencyCode && *latency != NoLatencyCode) {
            rule(edid, Severity::Warning, block,
                 QStringLiteral("the latency code %1 is not defined (1 to 251, or 255); sources "
                                "misjudge the lip-sync delay. Give the latency in 2 ms steps.")
                     .arg(*latency));
            return;
        }
    }
}

void checkVsdb(DecodedEdid &edid, const DataBlock &block, const HdmiVsdb &hdmi)
{
    if (hdmi.maxTmdsMHz && *hdmi.maxTmdsMHz > HdmiVsdbMaxTmdsMHz)
        rule(edid, Severity::Note, block,
             QStringLiteral("the maximum TMDS clock %1 MHz is above the 340 MHz an HDMI 1.4 "
                            "block may give; a higher rate belongs in the HDMI Forum block.")
                 .arg(*hdmi.maxTmdsMHz));
    checkLatency(edid, block, hdmi);
    // Byte 8 says which optional fields follow it (HDMI 1.4b, table 8-16);
    // the payload starts at byte 1 of the block.
    const QByteArray &p = block.payload;
    constexpr int VideoFlags = HdmiVsdbLayout::VideoFlags - 1;
    const int present = p.size() > VideoFlags ? quint8(p[VideoFlags]) : 0;
    if ((present & HdmiVsdbLayout::InterlacedLatencyPresent) &&
        !(present & HdmiVsdbLayout::LatencyPresent))
        rule(edid, Severity::Note, block,
             QStringLiteral("interlaced latency is given without the progressive latency that "
                            "must come first; sources read the fields shifted. Give both."));
    for (const int vic : hdmi.hdmiVics) {
        if (vicForHdmiVic(vic) == 0) {
            rule(edid, Severity::Warning, block,
                 QStringLiteral("HDMI VIC %1 is not defined (1 to 4); sources skip it. Remove "
                                "it.")
                     .arg(vic));
            break;
        }
    }
    if (!(present & HdmiVsdbLayout::HdmiVideoPresent))
        return;
    int video = VideoFlags + 1;
    if (present & HdmiVsdbLayout::LatencyPresent)
        video += 2;
    if (present & HdmiVsdbLayout::InterlacedLatencyPresent)
        video += 2;
    if (p.size() <= video)
        return;
    // Bits 6-5: 3D_Multi_present; 3 is reserved and any value needs 3D_present.
    const int multi = (quint8(p[video]) >> 5) & 3;
    if (multi == 3 || (multi != 0 && !hdmi.present3d))
        rule(edid, Severity::Note, block,
             QStringLiteral("the 3D_Multi_present field is %1 %2; sources ignore the 3D "
                            "formats. Set 3D_present and a defined value.")
                 .arg(multi)
                 .arg(multi == 3 ? QStringLiteral("(reserved)")
                                 : QStringLiteral("without 3D_present")));
}

} // namespace

void checkHdmiBlocks(DecodedEdid &edid, const CtaBlock &cta)
{
    const DataBlock *previous = nullptr;
    bool hdmiSeen = false;
    for (const DataBlock &block : cta.dataBlocks) {
        if (const HdmiVsdb *hdmi = std::get_if<HdmiVsdb>(&block.content)) {
            hdmiSeen = true;
            checkVsdb(edid, block, *hdmi);
        } else if (isHdmiForumVsdb(block)) {
            const HdmiForumBlock &forum = std::get<HdmiForumBlock>(block.content);
            if (!hdmiSeen)
                rule(edid, Severity::Note, block,
                     QStringLiteral("there is no HDMI VSDB before it; sources that find no HDMI "
                                    "VSDB treat the display as DVI. Add an HDMI VSDB."));
            else if (!previous || !std::holds_alternative<HdmiVsdb>(previous->content))
                rule(edid, Severity::Note, block,
                     QStringLiteral("it does not follow the HDMI VSDB immediately. Move it "
                                    "right after the HDMI VSDB."));
            if (forum.maxTmdsMHz && *forum.maxTmdsMHz <= HdmiVsdbMaxTmdsMHz)
                rule(edid, Severity::Note, block,
                     QStringLiteral("the maximum TMDS character rate %1 MHz must be above 340 "
                                    "MHz, or 0 when the HDMI VSDB's rate applies.")
                         .arg(*forum.maxTmdsMHz));
        }
        previous = &block;
    }
}

} // namespace varnex::edid::conformance
