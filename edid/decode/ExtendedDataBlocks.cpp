#include "decode/ExtendedDataBlocks.h"

#include "decode/EdidSummary.h"
#include "spec/CtaVideoFormats.h"

namespace varnex::edid {

namespace {

QString infoFrameName(int type)
{
    // CTA-861-H, table 5: InfoFrame type codes less 0x80.
    switch (type) {
    case 1:
        return QStringLiteral("Vendor-Specific");
    case 2:
        return QStringLiteral("Auxiliary Video Information");
    case 3:
        return QStringLiteral("Source Product Description");
    case 4:
        return QStringLiteral("Audio");
    case 5:
        return QStringLiteral("MPEG Source");
    case 6:
        return QStringLiteral("NTSC VBI");
    case 7:
        return QStringLiteral("Dynamic Range and Mastering");
    default:
        return QStringLiteral("reserved type %1").arg(type);
    }
}

QString vicText(int vic)
{
    const std::optional<VideoFormat> f = ctaVideoFormat(vic);
    return f ? QStringLiteral("VIC %1 (%2)")
                   .arg(vic)
                   .arg(modeText(f->hActive, f->vActive, f->refreshHz(), f->interlaced))
             : QStringLiteral("VIC %1 (reserved)").arg(vic);
}

QString hdrDynamicName(int type)
{
    switch (type) {
    case 1:
        return QStringLiteral("SMPTE ST 2094-10");
    case 2:
        return QStringLiteral("ETSI TS 103 433");
    case 3:
        return QStringLiteral("ITU-T H.265");
    case 4:
        return QStringLiteral("SMPTE ST 2094-40");
    default:
        return QStringLiteral("type %1").arg(type);
    }
}

} // namespace

InfoFrameBlock decodeInfoFrames(const ByteView &b)
{
    // Byte 2: the length of the processing descriptor's extra bytes; byte
    // 3: how many vendor InfoFrames the sink takes at once. Short
    // descriptors follow: length and type, and an OUI for vendor ones.
    InfoFrameBlock f;
    f.processingLength = b.bits(2, 5, 3);
    int o = 4 + f.processingLength;
    while (b.contains(o)) {
        const int length = b.bits(o, 5, 3);
        if (!b.contains(o, 1 + length))
            break;
        InfoFrameBlock::Entry e;
        e.at = ByteRange{b.absolute(o), 1 + length};
        e.type = b.bits(o, 0, 5);
        e.name = infoFrameName(e.type);
        if (e.type == 1 && length >= 3)
            e.oui =
                quint32(b.at(o + 1)) | (quint32(b.at(o + 2)) << 8) | (quint32(b.at(o + 3)) << 16);
        f.infoFrames.append(e);
        o += 1 + length;
    }
    return f;
}

EeodbBlock decodeEeodb(const ByteView &b)
{
    return EeodbBlock{b.at(2)};
}

VideoFormatPreference decodeVideoFormatPreference(const ByteView &b)
{
    // CTA-861-H, 7.5.12: 1-127 and 193-253 are VICs, 129-144 the Nth
    // detailed timing, 145-160 the Nth DisplayID timing; the rest reserved.
    VideoFormatPreference p;
    for (int o = 2; o < b.size(); ++o) {
        const int code = b.at(o);
        QString text;
        if ((code >= 1 && code <= 127) || (code >= 193 && code <= 253))
            text = vicText(code);
        else if (code >= 129 && code <= 144)
            text = QStringLiteral("detailed timing %1").arg(code - 128);
        else if (code >= 145 && code <= 160)
            text = QStringLiteral("DisplayID timing %1").arg(code - 144);
        else
            text = QStringLiteral("reserved (%1)").arg(code);
        p.preferences.append({ByteRange{b.absolute(o), 1}, code, text});
    }
    return p;
}

RoomConfiguration decodeRoomConfiguration(const ByteView &b)
{
    // Byte 2: display, speaker location and speaker count valid flags and
    // the count less one; bytes 3-5 the speaker presence mask.
    RoomConfiguration r;
    r.displayValid = b.bit(2, 7);
    r.speakerLocationsValid = b.bit(2, 6);
    r.speakerCountValid = b.bit(2, 5);
    r.speakerCount = b.bits(2, 0, 5) + 1;
    r.speakers = quint32(b.at(3)) | (quint32(b.at(4)) << 8) | (quint32(b.at(5)) << 16);
    return r;
}

SpeakerLocations decodeSpeakerLocations(const ByteView &b)
{
    // Two bytes each (active, channel; speaker id), three coordinates more
    // when bit 6 says so.
    SpeakerLocations s;
    int o = 2;
    while (b.contains(o, 2)) {
        const bool coordinates = b.bit(o, 6);
        const int length = coordinates ? 5 : 2;
        if (!b.contains(o, length))
            break;
        SpeakerLocations::Entry e;
        e.at = ByteRange{b.absolute(o), length};
        e.active = b.bit(o, 5);
        e.channel = b.bits(o, 0, 5);
        e.speakerId = b.bits(o + 1, 0, 5);
        if (coordinates)
            e.coordinates = QList<int>{b.at(o + 2), b.at(o + 3), b.at(o + 4)};
        s.locations.append(e);
        o += length;
    }
    return s;
}

HdrDynamicMetadata decodeHdrDynamicMetadata(const ByteView &b)
{
    // Each entry: its length (after this byte), the 16-bit type and the
    // type's own bytes, the version in the low nibble of the first.
    HdrDynamicMetadata h;
    int o = 2;
    while (b.contains(o, 3)) {
        const int length = b.at(o);
        if (length < 2 || !b.contains(o, 1 + length))
            break;
        HdrDynamicMetadata::Entry e;
        e.at = ByteRange{b.absolute(o), 1 + length};
        e.type = b.le16(o + 1);
        e.name = hdrDynamicName(e.type);
        e.version = length > 2 ? b.bits(o + 3, 0, 4) : 0;
        h.types.append(e);
        o += 1 + length;
    }
    return h;
}

} // namespace varnex::edid
