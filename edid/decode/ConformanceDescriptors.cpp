#include "decode/ConformanceParts.h"
#include "spec/EdidLayout.h"

namespace varnex::edid::conformance {

namespace {

// Text of a name, serial or data string descriptor: bytes 5 to 17, ended by
// a line feed and padded with spaces (VESA E-EDID 1.4, section 3.10.3).
constexpr int TextStart = 5;
constexpr char LineFeed = 0x0A;

bool isTextDescriptor(const Descriptor &d)
{
    return d.kind == DescriptorKind::ProductName || d.kind == DescriptorKind::SerialString ||
           d.kind == DescriptorKind::DataString;
}

// What is wrong with the text, worst first; empty when nothing.
QString textFault(const DecodedEdid &edid, const Descriptor &d, Severity *severity)
{
    QByteArray text;
    int o = d.at.offset + TextStart;
    const int end = d.at.offset + DetailedDescriptorSize;
    // A zero-filled text is a blank field that sources read as no text; edid-decode accepts it.
    bool zeroFilled = true;
    for (int i = o; i < end; ++i)
        zeroFilled = zeroFilled && byteAt(edid, i) == 0;
    if (zeroFilled)
        return QString();
    for (; o < end && byteAt(edid, o) != LineFeed; ++o)
        text.append(char(byteAt(edid, o)));
    *severity = Severity::Warning;
    for (const char c : std::as_const(text)) {
        if (quint8(c) < 0x20 || quint8(c) > 0x7E)
            return QStringLiteral("holds the non-printable byte 0x%1; sources show it garbled. "
                                  "Use printable ASCII and end the text with 0x0A.")
                .arg(quint8(c), 2, 16, QLatin1Char('0'));
    }
    *severity = Severity::Note;
    if (text.trimmed().isEmpty())
        return QStringLiteral("is empty; sources show nothing. Fill in the text or use a "
                              "dummy descriptor (tag 0x10).");
    if (text.endsWith(' '))
        return QStringLiteral("ends in spaces before its line feed; sources show them. Remove "
                              "the trailing spaces.");
    for (++o; o < end; ++o) {
        if (byteAt(edid, o) != ' ')
            return QStringLiteral("has bytes other than spaces after its line feed; pad the "
                                  "text with 0x20.");
    }
    return QString();
}

void checkText(DecodedEdid &edid, const Descriptor &d)
{
    Severity severity = Severity::Note;
    const QString fault = textFault(edid, d, &severity);
    if (fault.isEmpty())
        return;
    addFinding(edid.findings, severity, QStringLiteral("descriptor-string"), 0, d.at.offset,
               QStringLiteral("The %1 descriptor at 0x%2 ")
                       .arg(d.kindName())
                       .arg(d.at.offset, 2, 16, QLatin1Char('0')) +
                   fault);
}

void checkReservedBytes(DecodedEdid &edid, const BaseBlock &base, const Descriptor &d)
{
    // Bytes 2 and 4 of a display descriptor are reserved, except that EDID
    // 1.4 range limits use bits 3-0 of byte 4 for rate offsets.
    const bool rangeOffsets =
        d.kind == DescriptorKind::RangeLimits && base.version == 1 && base.revision >= 4;
    const int reserved4 = byteAt(edid, d.at.offset + 4) & (rangeOffsets ? 0xF0 : 0xFF);
    const int reserved2 = byteAt(edid, d.at.offset + 2);
    if (reserved2 == 0 && reserved4 == 0)
        return;
    addFinding(edid.findings, Severity::Note, QStringLiteral("reserved-bits"), 0,
               d.at.offset + (reserved2 != 0 ? 2 : 4),
               QStringLiteral("The descriptor at 0x%1 (%2) sets reserved bits in its byte %3 "
                              "(0x%4); future sources may read a meaning into them. Clear them.")
                   .arg(d.at.offset, 2, 16, QLatin1Char('0'))
                   .arg(d.kindName())
                   .arg(reserved2 != 0 ? 2 : 4)
                   .arg(reserved2 != 0 ? reserved2 : reserved4, 2, 16, QLatin1Char('0')));
}

} // namespace

void checkDescriptors(DecodedEdid &edid, const BaseBlock &base)
{
    for (const Descriptor &d : base.descriptors) {
        if (d.timing)
            continue;
        if (isTextDescriptor(d))
            checkText(edid, d);
        checkReservedBytes(edid, base, d);
    }
}

} // namespace varnex::edid::conformance
