#include "SignalEdits.h"

#include "Checksum.h"
#include "CtaExtension.h"

#include <functional>

namespace varnex::edid {

namespace {

// Colorimetry data block (CTA-861-H 7.5.5): byte 2 xvYCC601, xvYCC709,
// sYCC601, opYCC601, opRGB, BT2020cYCC, BT2020YCC, BT2020RGB (bits 0-7);
// byte 3 bit 6 ICtCp.
constexpr int ColorimetryFirst = 2;
constexpr int ColorimetrySecond = 3;
constexpr quint8 YccColorimetry = 0x01 | 0x02 | 0x04 | 0x08 | 0x20 | 0x40;
constexpr quint8 Bt2020Colorimetry = 0x20 | 0x40 | 0x80;
constexpr quint8 IctcpColorimetry = 0x40;
// EDID 1.4 digital base block: feature byte bits 4-3, 00 = RGB 4:4:4 only.
constexpr quint8 ColourEncodingBits = 0x18;
constexpr quint8 DigitalInput = 0x80;
// HDMI VSDB byte 6: DC_48bit, DC_36bit, DC_30bit, DC_Y444 (HDMI 1.4b table 8-16).
constexpr quint8 HdmiDeepColorBits = 0x70;
constexpr quint8 HdmiDeepColorY444 = 0x08;
// HDMI Forum VSDB and SCDB byte 7: DC_48bit_420, DC_36bit_420, DC_30bit_420.
constexpr int HdmiForumDeepColor = 7;
constexpr quint8 HdmiForumDeepColor420Bits = 0x07;
// The byte after an extended tag in a vendor-specific video block starts its OUI.
constexpr int VideoVendorOuiStart = 2;

using Change = std::function<void(CtaExtension &)>;

// Applies `base` to the base block and `change` to block 1 when it is a
// CTA-861 block; the note when no byte changed.
EditResult editTable(const EdidImage &image, const std::function<void(EdidImage &)> &base,
                     const Change &change, const QString &note)
{
    EdidImage edited = image;
    if (base)
        base(edited);
    QString error;
    if (image[BaseLayout::ExtensionCount] > 0) {
        if (auto cta = CtaExtension::parse(edited, &error)) {
            change(*cta);
            if (!cta->write(edited, &error))
                return EditResult::refused(error);
        }
    }
    correctChecksums(edited);
    return EditResult::doneOrAlready(image, edited, note);
}

quint32 videoVendorOui(const QByteArray &b)
{
    if (CtaExtension::extendedTagOf(b) != CtaExtendedTag::VendorSpecificVideo ||
        b.size() < VideoVendorOuiStart + 3)
        return 0;
    return quint8(b[2]) | (quint8(b[3]) << 8) | (quint32(quint8(b[4])) << 16);
}

// Clears `bits` of the colorimetry byte at `at`; a block left naming nothing goes.
void clearColorimetry(CtaExtension &cta, quint8 first, quint8 second)
{
    const int i = cta.indexOf(CtaTag::Extended, CtaExtendedTag::Colorimetry);
    if (i < 0)
        return;
    QByteArray &b = cta.dataBlocks[i];
    if (b.size() > ColorimetryFirst)
        b[ColorimetryFirst] = char(quint8(b[ColorimetryFirst]) & ~first);
    if (b.size() > ColorimetrySecond)
        b[ColorimetrySecond] = char(quint8(b[ColorimetrySecond]) & ~second);
    const bool empty =
        std::all_of(b.cbegin() + ColorimetryFirst, b.cend(), [](char c) { return c == 0; });
    if (empty)
        cta.dataBlocks.removeAt(i);
}

bool isHdmiForum(const QByteArray &b)
{
    return (CtaExtension::tagOf(b) == CtaTag::VendorSpecific &&
            CtaExtension::ouiOf(b) == HdmiForumOui) ||
           CtaExtension::extendedTagOf(b) == CtaExtendedTag::HdmiForumSinkCapability;
}

void clearHdmiForum420DeepColor(CtaExtension &cta)
{
    for (QByteArray &b : cta.dataBlocks) {
        if (isHdmiForum(b) && b.size() > HdmiForumDeepColor)
            b[HdmiForumDeepColor] =
                char(quint8(b[HdmiForumDeepColor]) & ~HdmiForumDeepColor420Bits);
    }
}

void clearHdmiDeepColor(CtaExtension &cta, quint8 bits)
{
    const int i = cta.indexOfVendor(HdmiLlcOui);
    if (i >= 0 && cta.dataBlocks[i].size() > HdmiVsdbLayout::Flags) {
        QByteArray &b = cta.dataBlocks[i];
        b[HdmiVsdbLayout::Flags] = char(quint8(b[HdmiVsdbLayout::Flags]) & ~bits);
    }
}

} // namespace

EditResult keepRgbOnly(const EdidImage &image)
{
    return editTable(
        image,
        [](EdidImage &edited) {
            const bool digital14 = edited[BaseLayout::Version] == 1 &&
                                   edited[BaseLayout::Revision] >= 4 &&
                                   (edited[BaseLayout::VideoInput] & DigitalInput);
            if (digital14)
                edited[BaseLayout::Features] &= quint8(~ColourEncodingBits);
        },
        [](CtaExtension &cta) {
            cta.flags &= quint8(~(CtaYcbcr444Flag | CtaYcbcr422Flag));
            cta.dataBlocks.removeIf([](const QByteArray &b) {
                const int ext = CtaExtension::extendedTagOf(b);
                return ext == CtaExtendedTag::Ycbcr420Video ||
                       ext == CtaExtendedTag::Ycbcr420CapabilityMap;
            });
            clearColorimetry(cta, YccColorimetry, IctcpColorimetry);
            clearHdmiDeepColor(cta, HdmiDeepColorY444);
            clearHdmiForum420DeepColor(cta);
        },
        QStringLiteral("already RGB only"));
}

EditResult removeHdr(const EdidImage &image)
{
    return editTable(
        image, {},
        [](CtaExtension &cta) {
            cta.dataBlocks.removeIf([](const QByteArray &b) {
                const int ext = CtaExtension::extendedTagOf(b);
                const quint32 oui = videoVendorOui(b);
                return ext == CtaExtendedTag::HdrStaticMetadata ||
                       ext == CtaExtendedTag::HdrDynamicMetadata || oui == DolbyOui ||
                       oui == Hdr10PlusOui;
            });
            clearColorimetry(cta, Bt2020Colorimetry, IctcpColorimetry);
        },
        QStringLiteral("already without HDR"));
}

EditResult removeAudio(const EdidImage &image)
{
    return editTable(
        image, {},
        [](CtaExtension &cta) {
            cta.dataBlocks.removeIf([](const QByteArray &b) {
                const int ext = CtaExtension::extendedTagOf(b);
                return CtaExtension::tagOf(b) == CtaTag::Audio ||
                       CtaExtension::tagOf(b) == CtaTag::SpeakerAllocation ||
                       ext == CtaExtendedTag::VendorSpecificAudio ||
                       ext == CtaExtendedTag::HdmiAudio ||
                       ext == CtaExtendedTag::RoomConfiguration ||
                       ext == CtaExtendedTag::SpeakerLocation;
            });
            cta.flags &= quint8(~CtaBasicAudioFlag);
        },
        QStringLiteral("already without audio"));
}

EditResult removeDeepColor(const EdidImage &image)
{
    return editTable(
        image, {},
        [](CtaExtension &cta) {
            clearHdmiDeepColor(cta, HdmiDeepColorBits | HdmiDeepColorY444);
            clearHdmiForum420DeepColor(cta);
        },
        QStringLiteral("already without deep colour"));
}

} // namespace varnex::edid
