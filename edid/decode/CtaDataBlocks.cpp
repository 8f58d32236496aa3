#include "decode/CtaDataBlocks.h"

#include "decode/ExtendedDataBlocks.h"
#include "decode/VendorDataBlocks.h"
#include "spec/CtaVideoFormats.h"
#include "spec/SpeakerAllocation.h"
#include "spec/Units.h"
#include "spec/VendorBlocks.h"

#include <array>
#include <cmath>

namespace varnex::edid {

namespace {

QString vendorName(quint32 oui)
{
    switch (oui) {
    case HdmiLlcOui:
        return QStringLiteral("HDMI");
    case HdmiForumOui:
        return QStringLiteral("HDMI Forum");
    case AmdOui:
        return QStringLiteral("AMD");
    case DolbyOui:
        return QStringLiteral("Dolby");
    case Hdr10PlusOui:
        return QStringLiteral("HDR10+");
    case NvidiaOui:
        return QStringLiteral("NVIDIA");
    case AppleOui:
        return QStringLiteral("Apple");
    default:
        return QString();
    }
}

QString extendedBlockName(int ext)
{
    // CTA-861-H, table 56; 0x78 and 0x79 from HDMI 2.1.
    switch (ext) {
    case CtaExtendedTag::VideoCapability:
        return QStringLiteral("Video Capability Data Block");
    case CtaExtendedTag::VendorSpecificVideo:
        return QStringLiteral("Vendor-Specific Video Data Block");
    case CtaExtendedTag::VesaDisplayDevice:
        return QStringLiteral("VESA Display Device Data Block");
    case CtaExtendedTag::VesaVideoTimingBlock:
        return QStringLiteral("VESA Video Timing Block Extension");
    case CtaExtendedTag::Colorimetry:
        return QStringLiteral("Colorimetry Data Block");
    case CtaExtendedTag::HdrStaticMetadata:
        return QStringLiteral("HDR Static Metadata Data Block");
    case CtaExtendedTag::HdrDynamicMetadata:
        return QStringLiteral("HDR Dynamic Metadata Data Block");
    case CtaExtendedTag::NativeVideoResolution:
        return QStringLiteral("Native Video Resolution Data Block");
    case CtaExtendedTag::VideoFormatPreference:
        return QStringLiteral("Video Format Preference Data Block");
    case CtaExtendedTag::Ycbcr420Video:
        return QStringLiteral("YCbCr 4:2:0 Video Data Block");
    case CtaExtendedTag::Ycbcr420CapabilityMap:
        return QStringLiteral("YCbCr 4:2:0 Capability Map Data Block");
    case CtaExtendedTag::VendorSpecificAudio:
        return QStringLiteral("Vendor-Specific Audio Data Block");
    case CtaExtendedTag::HdmiAudio:
        return QStringLiteral("HDMI Audio Data Block");
    case CtaExtendedTag::RoomConfiguration:
        return QStringLiteral("Room Configuration Data Block");
    case CtaExtendedTag::SpeakerLocation:
        return QStringLiteral("Speaker Location Data Block");
    case CtaExtendedTag::InfoFrame:
        return QStringLiteral("InfoFrame Data Block");
    case CtaExtendedTag::DisplayIdTypeVII:
        return QStringLiteral("DisplayID Type VII Video Timing Data Block");
    case CtaExtendedTag::DisplayIdTypeVIII:
        return QStringLiteral("DisplayID Type VIII Video Timing Data Block");
    case CtaExtendedTag::DisplayIdTypeX:
        return QStringLiteral("DisplayID Type X Video Timing Data Block");
    case CtaExtendedTag::HdmiForumEdidExtensionOverride:
        return QStringLiteral("HDMI Forum EDID Extension Override Data Block");
    case CtaExtendedTag::HdmiForumSinkCapability:
        return QStringLiteral("HDMI Forum Sink Capability Data Block");
    default:
        return QStringLiteral("Unknown Extended Data Block (%1)").arg(ext);
    }
}

QString tagName(int tag)
{
    switch (tag) {
    case CtaTag::Audio:
        return QStringLiteral("Audio Data Block");
    case CtaTag::Video:
        return QStringLiteral("Video Data Block");
    case CtaTag::VendorSpecific:
        return QStringLiteral("Vendor-Specific Data Block");
    case CtaTag::SpeakerAllocation:
        return QStringLiteral("Speaker Allocation Data Block");
    case CtaTag::DisplayTransferCharacteristics:
        return QStringLiteral("VESA Display Transfer Characteristics Data Block");
    case CtaTag::VideoFormat:
        return QStringLiteral("Video Format Data Block");
    default:
        return QStringLiteral("Reserved Data Block (tag %1)").arg(tag);
    }
}

void shortBlock(Findings &findings, const ByteView &b, int blockIndex, const QString &name,
                int needed)
{
    addFinding(findings, Severity::Warning, QStringLiteral("cta-block-length"), blockIndex,
               b.base(),
               QStringLiteral("The %1 holds %2 bytes after its tag byte but needs %3; sources "
                              "read the missing fields as absent. Give the block its full "
                              "length.")
                   .arg(name)
                   .arg(b.size() - 1)
                   .arg(needed));
}

VideoBlock decodeSvds(const ByteView &b, int first, int blockIndex, Findings &findings)
{
    // CTA-861-H, 7.5.1: codes 129 to 192 are VICs 1 to 64 marked native;
    // 0, 128, 254 and 255 are reserved.
    VideoBlock video;
    for (int i = first; i < b.size(); ++i) {
        const int code = b.at(i);
        ShortVideo svd;
        svd.at = ByteRange{b.absolute(i), 1};
        svd.native = svdIsNative(code);
        svd.vic = svdToVic(code);
        svd.format = ctaVideoFormat(svd.vic);
        if (!svd.format)
            addFinding(findings, Severity::Warning, QStringLiteral("vic-unknown"), blockIndex,
                       svd.at.offset,
                       QStringLiteral("VIC %1 is reserved or unknown; sources skip it. Remove it "
                                      "or replace it with a defined VIC.")
                           .arg(svd.vic));
        video.svds.append(svd);
    }
    return video;
}

QString audioFormatName(int code, std::optional<int> ext)
{
    // CTA-861-H, tables 38 and 39.
    static const std::array<const char *, 15> Formats{
        nullptr, "LPCM", "AC-3",   "MPEG-1", "MP3", "MPEG-2", "AAC LC", "DTS",
        "ATRAC", "DSD",  "E-AC-3", "DTS-HD", "MAT", "DST",    "WMA Pro"};
    if (code >= 1 && code < int(Formats.size()))
        return QString::fromLatin1(Formats[std::size_t(code)]);
    if (code != 15 || !ext)
        return QStringLiteral("reserved (%1)").arg(code);
    switch (*ext) {
    case 4:
        return QStringLiteral("MPEG-4 HE AAC");
    case 5:
        return QStringLiteral("MPEG-4 HE AAC v2");
    case 6:
        return QStringLiteral("MPEG-4 AAC LC");
    case 7:
        return QStringLiteral("DRA");
    case 8:
        return QStringLiteral("MPEG-4 HE AAC + MPEG Surround");
    case 10:
        return QStringLiteral("MPEG-4 AAC LC + MPEG Surround");
    case 11:
        return QStringLiteral("MPEG-H 3D Audio");
    case 12:
        return QStringLiteral("AC-4");
    case 13:
        return QStringLiteral("L-PCM 3D Audio");
    default:
        return QStringLiteral("reserved extension (%1)").arg(*ext);
    }
}

// Byte 3 of E-AC-3 and MAT descriptors (CTA-861-H, 7.5.2.3).
QStringList audioFlags(int formatCode, int third)
{
    QStringList flags;
    if (formatCode == 10) {
        if (third & 0x01)
            flags.append(QStringLiteral("joint object coding"));
        if (third & 0x02)
            flags.append(QStringLiteral("joint object coding with ACMOD28"));
    } else if (formatCode == 12) {
        flags.append(third & 0x01 ? QStringLiteral("Dolby TrueHD, object audio PCM and "
                                                   "channel-based PCM")
                                  : QStringLiteral("Dolby TrueHD only"));
        if (third & 0x01)
            flags.append(third & 0x02 ? QStringLiteral("hash calculation not required")
                                      : QStringLiteral("hash calculation required"));
    }
    return flags;
}

AudioBlock decodeSads(const ByteView &b, int blockIndex, Findings &findings)
{
    // Sample rate bits 0 to 6 of byte 2.
    static constexpr std::array<double, 7> Rates{32, 44.1, 48, 88.2, 96, 176.4, 192};
    AudioBlock audio;
    if ((b.size() - 1) % 3 != 0)
        addFinding(findings, Severity::Warning, QStringLiteral("cta-block-length"), blockIndex,
                   b.base(),
                   QStringLiteral("The Audio Data Block length %1 is not a multiple of 3; the "
                                  "last %2 bytes are no audio descriptor. Fix the length.")
                       .arg(b.size() - 1)
                       .arg((b.size() - 1) % 3));
    for (int o = 1; o + 3 <= b.size(); o += 3) {
        ShortAudio sad;
        sad.at = ByteRange{b.absolute(o), 3};
        sad.formatCode = b.bits(o, 3, 4);
        sad.channels = b.bits(o, 0, 3) + 1;
        for (int bit = 0; bit < int(Rates.size()); ++bit) {
            if (b.bit(o + 1, bit))
                sad.sampleRatesKHz.append(Rates[std::size_t(bit)]);
        }
        const int third = b.at(o + 2);
        if (sad.formatCode == 15)
            sad.extendedCode = third >> 3;
        sad.format = audioFormatName(sad.formatCode, sad.extendedCode);
        if (sad.formatCode == 1 || (sad.extendedCode && *sad.extendedCode == 13)) {
            // Bits 0 to 2: 16, 20 and 24 bits per sample.
            static constexpr std::array<int, 3> Depths{16, 20, 24};
            for (int bit = 0; bit < 3; ++bit) {
                if (third & (1 << bit))
                    sad.bitDepths.append(Depths[std::size_t(bit)]);
            }
        } else if (sad.formatCode >= 2 && sad.formatCode <= 8) {
            // Maximum bit rate in units of 8 kbit/s.
            sad.maxBitrateKbps = third * 8;
        } else {
            sad.formatValue = third;
            sad.flags = audioFlags(sad.formatCode, third);
        }
        audio.sads.append(sad);
    }
    return audio;
}

SpeakerAllocation decodeSpeakers(const ByteView &b)
{
    SpeakerAllocation speakers;
    speakers.bits = quint32(b.at(1)) | (quint32(b.at(2)) << 8) | (quint32(b.at(3)) << 16);
    speakers.speakers = speakerNames(speakers.bits);
    return speakers;
}

HdmiVsdb decodeHdmiVsdb(const ByteView &b)
{
    // HDMI 1.4b, table 8-16. Bytes 1 to 3 are the OUI.
    HdmiVsdb h;
    if (b.contains(HdmiVsdbLayout::PhysicalAddress, 2))
        h.physicalAddress =
            b.at(HdmiVsdbLayout::PhysicalAddress) << 8 | b.at(HdmiVsdbLayout::PhysicalAddress + 1);
    const int flags = b.at(HdmiVsdbLayout::Flags);
    h.supportsAi = flags & 0x80;
    h.deepColor48 = flags & 0x40;
    h.deepColor36 = flags & 0x20;
    h.deepColor30 = flags & 0x10;
    h.deepColorY444 = flags & 0x08;
    h.dviDual = flags & 0x01;
    if (b.contains(HdmiVsdbLayout::MaxTmdsClock))
        h.maxTmdsMHz = b.at(HdmiVsdbLayout::MaxTmdsClock) * TmdsUnitMHz;
    const int present = b.at(HdmiVsdbLayout::VideoFlags);
    h.contentTypes = present & 0x0F;
    h.hasVideoFlags = b.contains(HdmiVsdbLayout::VideoFlags);
    int o = HdmiVsdbLayout::VideoFlags + 1;
    if (present & HdmiVsdbLayout::LatencyPresent) {
        if (b.contains(o))
            h.videoLatency = b.at(o);
        if (b.contains(o + 1))
            h.audioLatency = b.at(o + 1);
        o += 2;
    }
    if (present & HdmiVsdbLayout::InterlacedLatencyPresent) {
        if (b.contains(o))
            h.interlacedVideoLatency = b.at(o);
        if (b.contains(o + 1))
            h.interlacedAudioLatency = b.at(o + 1);
        o += 2;
    }
    if (present & HdmiVsdbLayout::HdmiVideoPresent) {
        h.hasHdmiVideo = b.contains(o);
        h.hdmiVideoOffset = o;
        h.present3d = b.bit(o, 7);
        h.multi3d = b.bits(o, 5, 2);
        h.imageSize = b.bits(o, 3, 2);
        const int vicCount = b.bits(o + 1, 5, 3);
        const int length3d = b.bits(o + 1, 0, 5);
        for (int i = 0; i < vicCount && b.contains(o + 2 + i); ++i)
            h.hdmiVics.append(b.at(o + 2 + i));
        // 3D_Structure_ALL and 3D_MASK lead the 3D bytes, most significant first.
        const int o3d = o + 2 + vicCount;
        if (h.present3d && (h.multi3d == 1 || h.multi3d == 2) && length3d >= 2)
            h.structures3d = (b.at(o3d) << 8) | b.at(o3d + 1);
        if (h.present3d && h.multi3d == 2 && length3d >= 4)
            h.mask3d = (b.at(o3d + 2) << 8) | b.at(o3d + 3);
    }
    return h;
}

// HDMI 2.1, table 10-6 (HF-VSDB) and 10-7 (HF-SCDB): both put the version
// at byte 4 and the same fields after it.
HdmiForumBlock decodeHdmiForum(const ByteView &b)
{
    HdmiForumBlock f;
    f.version = b.at(HdmiForumLayout::Version);
    if (b.at(HdmiForumLayout::MaxTmdsCharacterRate) != 0)
        f.maxTmdsMHz = b.at(HdmiForumLayout::MaxTmdsCharacterRate) * TmdsUnitMHz;
    const int caps = b.at(HdmiForumLayout::Capabilities);
    f.scdc = caps & 0x80;
    f.readRequest = caps & 0x40;
    f.cableStatus = caps & 0x20;
    f.ccbpci = caps & 0x10;
    f.lte340Scramble = caps & 0x08;
    f.independentView3d = caps & 0x04;
    f.dualView3d = caps & 0x02;
    f.osdDisparity3d = caps & 0x01;
    f.hasFrl = b.contains(7);
    f.maxFrlRate = b.bits(7, 4, 4);
    f.uhdVic = b.bit(7, 3);
    f.deepColor420_48 = b.bit(7, 2);
    f.deepColor420_36 = b.bit(7, 1);
    f.deepColor420_30 = b.bit(7, 0);
    f.qms = b.bit(8, 6);
    f.mDelta = b.bit(8, 5);
    f.cinemaVrr = b.bit(8, 4);
    f.negativeMvrr = b.bit(8, 3);
    f.fva = b.bit(8, 2);
    f.allm = b.bit(8, 1);
    f.fapaStartLocation = b.bit(8, 0);
    f.hasVrr = b.contains(10);
    f.vrrMinHz = b.bits(9, 0, 6);
    f.vrrMaxHz = (b.bits(9, 6, 2) << 8) | b.at(10);
    f.hasDsc = b.contains(11);
    f.dsc12 = b.bit(11, 7);
    f.dscNative420 = b.bit(11, 6);
    f.dscAllBpp = b.bit(11, 3);
    f.dsc16bpc = b.bit(11, 2);
    f.dsc12bpc = b.bit(11, 1);
    f.dsc10bpc = b.bit(11, 0);
    f.dscMaxFrlRate = b.bits(12, 4, 4);
    f.dscMaxSlices = b.bits(12, 0, 4);
    f.dscTotalChunkKBytes = b.bits(13, 0, 6);
    return f;
}

Colorimetry decodeColorimetry(const ByteView &b)
{
    // CTA-861-H, table 70: byte 2 bits 0 to 7, then byte 3 bits 6 and 7;
    // bits 4 and 5 are reserved.
    static const std::array<const char *, 8> Low{"xvYCC601",  "xvYCC709", "sYCC601",
                                                 "opYCC601",  "opRGB",    "BT2020cYCC",
                                                 "BT2020YCC", "BT2020RGB"};
    Colorimetry c;
    for (int bit = 0; bit < 8; ++bit) {
        if (b.bit(2, bit))
            c.standards.append(QString::fromLatin1(Low[std::size_t(bit)]));
    }
    if (b.bit(3, 6))
        c.standards.append(QStringLiteral("ICtCp"));
    if (b.bit(3, 7))
        c.standards.append(QStringLiteral("ST2113RGB"));
    c.metadataProfiles = b.bits(3, 0, 4);
    return c;
}

HdrStaticMetadata decodeHdrStatic(const ByteView &b)
{
    // CTA-861-H, 7.5.13.
    static const std::array<const char *, 4> Eotfs{"traditional gamma SDR", "traditional gamma HDR",
                                                   "SMPTE ST 2084", "HLG"};
    HdrStaticMetadata h;
    h.eotfBits = b.bits(2, 0, 6);
    for (int bit = 0; bit < 6; ++bit) {
        if (!(h.eotfBits & (1 << bit)))
            continue;
        h.eotfs.append(bit < int(Eotfs.size()) ? QString::fromLatin1(Eotfs[std::size_t(bit)])
                                               : QStringLiteral("reserved EOTF %1").arg(bit));
    }
    h.metadataTypes = b.at(3);
    // Code values: max = 50 * 2^(cv / 32); min = max * (cv / 255)^2 / 100.
    if (b.contains(4))
        h.maxLuminance = 50.0 * std::pow(2.0, b.at(4) / 32.0);
    if (b.contains(5))
        h.maxFrameAverageLuminance = 50.0 * std::pow(2.0, b.at(5) / 32.0);
    if (b.contains(6) && h.maxLuminance)
        h.minLuminance = *h.maxLuminance * std::pow(b.at(6) / 255.0, 2) / 100.0;
    return h;
}

VideoCapability decodeVideoCapability(const ByteView &b)
{
    VideoCapability v;
    v.ycbcrQuantSelectable = b.bit(2, 7);
    v.rgbQuantSelectable = b.bit(2, 6);
    v.ptScan = b.bits(2, 4, 2);
    v.itScan = b.bits(2, 2, 2);
    v.ceScan = b.bits(2, 0, 2);
    return v;
}

Ycbcr420Map decodeYcbcr420Map(const ByteView &b)
{
    Ycbcr420Map map;
    // A block of the extended tag alone covers every SVD.
    map.allSvds = b.size() <= 2;
    for (int i = 2; i < b.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            if (b.bit(i, bit))
                map.svdIndexes.append((i - 2) * 8 + bit);
        }
    }
    return map;
}

quint32 ouiAt(const ByteView &b, int offset)
{
    return quint32(b.at(offset)) | (quint32(b.at(offset + 1)) << 8) |
           (quint32(b.at(offset + 2)) << 16);
}

void decodeVendorBlock(DataBlock &d, const ByteView &b, int ouiOffset, int blockIndex,
                       Findings &findings)
{
    constexpr int OuiLength = 3;
    if (!b.contains(ouiOffset, OuiLength)) {
        shortBlock(findings, b, blockIndex, d.name, ouiOffset - 1 + OuiLength);
        return;
    }
    const quint32 oui = ouiAt(b, ouiOffset);
    const QString vendor = vendorName(oui);
    d.name += (vendor.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(vendor)) +
              QStringLiteral(", OUI ") + ouiText(oui);
    const bool video = d.extendedTag == CtaExtendedTag::VendorSpecificVideo;
    const bool audio = d.extendedTag == CtaExtendedTag::VendorSpecificAudio;
    const int data = ouiOffset + OuiLength;
    if (d.tag == CtaTag::VendorSpecific && oui == HdmiLlcOui) {
        // Physical address: the OUI and two bytes.
        constexpr int MinLength = HdmiVsdbLayout::FixedSize - 1;
        d.content = decodeHdmiVsdb(b);
        if (b.size() - 1 < MinLength)
            addFinding(findings, Severity::Warning, QStringLiteral("hdmi-physical-address-missing"),
                       blockIndex, b.base(),
                       QStringLiteral("The HDMI Vendor-Specific Data Block ends before the "
                                      "physical address; sources cannot address the display for "
                                      "CEC and may treat it as DVI. Give the block the two "
                                      "address bytes (for example 10 00 for 1.0.0.0)."));
    } else if (d.tag == CtaTag::VendorSpecific && oui == HdmiForumOui) {
        // Version, character rate and the SCDC flags after the OUI.
        constexpr int MinLength = 6;
        if (b.size() - 1 < MinLength)
            shortBlock(findings, b, blockIndex, d.name, MinLength);
        d.content = decodeHdmiForum(b);
    } else if (d.tag == CtaTag::VendorSpecific && oui == AmdOui) {
        // Version, minor version, the two rates and the flags.
        if (b.size() - data < 5)
            shortBlock(findings, b, blockIndex, d.name, data - 1 + 5);
        d.content = decodeFreeSync(b, data);
    } else if (video && oui == DolbyOui) {
        d.content = decodeDolbyVision(b, data);
    } else if (video && oui == Hdr10PlusOui) {
        d.content = decodeHdr10Plus(b, data);
    } else if (audio && oui == DolbyOui) {
        d.content = decodeDolbyAudio(b, data);
    } else {
        d.content = VendorBlock{oui, vendor};
    }
}

void decodeExtended(DataBlock &d, const ByteView &b, int blockIndex, Findings &findings)
{
    const int ext = *d.extendedTag;
    d.name = extendedBlockName(ext);
    // Minimum lengths after the tag byte, extended tag included.
    const auto require = [&](int length) {
        if (b.size() - 1 < length)
            shortBlock(findings, b, blockIndex, d.name, length);
    };
    switch (ext) {
    case CtaExtendedTag::VideoCapability:
        require(2);
        d.content = decodeVideoCapability(b);
        break;
    case CtaExtendedTag::VendorSpecificVideo:
    case CtaExtendedTag::VendorSpecificAudio:
        decodeVendorBlock(d, b, 2, blockIndex, findings);
        break;
    case CtaExtendedTag::Colorimetry:
        require(3);
        d.content = decodeColorimetry(b);
        break;
    case CtaExtendedTag::HdrStaticMetadata:
        require(3);
        d.content = decodeHdrStatic(b);
        break;
    case CtaExtendedTag::Ycbcr420Video:
        d.content = decodeSvds(b, 2, blockIndex, findings);
        break;
    case CtaExtendedTag::Ycbcr420CapabilityMap:
        d.content = decodeYcbcr420Map(b);
        break;
    case CtaExtendedTag::HdmiForumSinkCapability:
        require(6);
        d.content = decodeHdmiForum(b);
        break;
    case CtaExtendedTag::InfoFrame:
        require(3);
        d.content = decodeInfoFrames(b);
        break;
    case CtaExtendedTag::HdmiForumEdidExtensionOverride:
        require(2);
        d.content = decodeEeodb(b);
        break;
    case CtaExtendedTag::VideoFormatPreference:
        d.content = decodeVideoFormatPreference(b);
        break;
    case CtaExtendedTag::RoomConfiguration:
        require(5);
        d.content = decodeRoomConfiguration(b);
        break;
    case CtaExtendedTag::SpeakerLocation:
        d.content = decodeSpeakerLocations(b);
        break;
    case CtaExtendedTag::HdrDynamicMetadata:
        d.content = decodeHdrDynamicMetadata(b);
        break;
    default:
        break;
    }
}

} // namespace

QStringList speakerNames(quint32 bits)
{
    using Speakers::Names;
    QStringList speakers;
    for (int bit = 0; bit < int(Names.size()); ++bit) {
        if (!(bits & (1u << bit)))
            continue;
        speakers.append(Names[std::size_t(bit)] ? QString::fromLatin1(Names[std::size_t(bit)])
                                                : QStringLiteral("reserved bit %1").arg(bit));
    }
    return speakers;
}

QString ouiText(quint32 oui)
{
    return QStringLiteral("%1-%2-%3")
        .arg((oui >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((oui >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg(oui & 0xFF, 2, 16, QLatin1Char('0'))
        .toUpper();
}

DataBlock decodeDataBlock(const ByteView &b, int blockIndex, bool overrun, Findings &findings)
{
    DataBlock d;
    d.at = ByteRange{b.base(), b.size()};
    d.tag = b.bits(0, 5, 3);
    d.overrun = overrun;
    const bool extended = d.tag == CtaTag::Extended;
    if (extended && b.size() >= 2)
        d.extendedTag = b.at(1);
    d.payload = b.mid(extended && d.extendedTag ? 2 : 1, b.size()).toByteArray();
    if (extended && !d.extendedTag) {
        d.name = QStringLiteral("Extended Data Block without extended tag");
        shortBlock(findings, b, blockIndex, d.name, 1);
        return d;
    }
    if (extended) {
        decodeExtended(d, b, blockIndex, findings);
        return d;
    }
    d.name = tagName(d.tag);
    switch (d.tag) {
    case CtaTag::Audio:
        d.content = decodeSads(b, blockIndex, findings);
        break;
    case CtaTag::Video:
        d.content = decodeSvds(b, 1, blockIndex, findings);
        break;
    case CtaTag::VendorSpecific:
        decodeVendorBlock(d, b, 1, blockIndex, findings);
        break;
    case CtaTag::SpeakerAllocation:
        if (b.size() - 1 < 3)
            shortBlock(findings, b, blockIndex, d.name, 3);
        d.content = decodeSpeakers(b);
        break;
    default:
        break;
    }
    return d;
}

} // namespace varnex::edid
