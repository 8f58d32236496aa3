#include "HexText.h"

#include <algorithm>

namespace varnex::edid {

namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

// Value of one hex digit in either case, or -1.
int digitValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    return -1;
}

bool isTrailingSpace(char ch)
{
    return ch == ' ' || ch == '\n' || ch == '\r' || ch == '\t' || ch == '\v' || ch == '\f';
}

} // namespace

void formatHexLine(std::span<const quint8, HexTextBytesPerLine> bytes,
                   std::span<char, HexTextLineLength> out)
{
    for (int i = 0; i < HexTextBytesPerLine; ++i) {
        out[3 * i] = HexDigits[bytes[i] >> 4];
        out[3 * i + 1] = HexDigits[bytes[i] & 0x0F];
        out[3 * i + 2] = i + 1 < HexTextBytesPerLine ? ' ' : '\n';
    }
}

bool formatHexText(const EdidImage &image, std::span<char> buffer)
{
    if (buffer.size() < std::size_t(HexTextLength) + 1)
        return false;
    for (int line = 0; line < EdidImageSize / HexTextBytesPerLine; ++line) {
        const auto bytes =
            std::span(image).subspan(line * HexTextBytesPerLine).first<HexTextBytesPerLine>();
        formatHexLine(bytes, buffer.subspan(line * HexTextLineLength).first<HexTextLineLength>());
    }
    buffer[HexTextLength] = '\0';
    return true;
}

QByteArray formatHexText(const EdidImage &image)
{
    QByteArray text(HexTextLength + 1, '\0');
    formatHexText(image, std::span(text.data(), text.size()));
    text.chop(1);
    return text;
}

int ParseHexPair(const char *group, quint8 *out)
{
    const char separator = group[2];
    if (separator != '\0' && separator != ' ' && separator != '\n')
        return HexPairBadSeparator;
    const int high = digitValue(group[0]);
    const int low = digitValue(group[1]);
    if (high < 0 || low < 0)
        return HexPairBadDigit;
    *out = quint8(high * 16 + low);
    return HexPairStored;
}

int parseHexText(QByteArrayView text, EdidImage &image)
{
    image.fill(0);
    if (text.size() > MaxHexTextLength)
        return -1;
    qsizetype length = text.size();
    while (length > 0 && isTrailingSpace(text[length - 1]))
        --length;

    int count = 0;
    for (qsizetype p = 0; p < length; p += 3) {
        if (count == EdidImageSize)
            return -1;
        // Copy the group so that the last one ends in a real terminator and
        // nothing past the text is read.
        char group[3] = {'\0', '\0', '\0'};
        const qsizetype available = std::min<qsizetype>(3, length - p);
        std::copy_n(text.data() + p, available, group);
        // A zero byte inside the text is not its end.
        if (available == 3 && group[2] == '\0')
            return -1;
        if (ParseHexPair(group, &image[count]) != HexPairStored)
            return -1;
        ++count;
    }
    return count;
}

} // namespace varnex::edid
