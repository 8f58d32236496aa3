#include "HexText.h"

#include <QCoreApplication>

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

struct ScanFailure
{
    qsizetype offset; // of the offending character, or the text's length at its end
    HexTextExpectation expected;
};

// The one parse behind parseHexText and findHexTextProblem, so that both
// always agree. Stores the accepted groups from image[0] on and counts them.
std::optional<ScanFailure> scanHexText(QByteArrayView text, EdidImage &image, int &count)
{
    qsizetype length = text.size();
    while (length > 0 && isTrailingSpace(text[length - 1]))
        --length;

    count = 0;
    for (qsizetype p = 0; p < length; p += 3) {
        if (count == EdidImageSize)
            return ScanFailure{p, HexTextExpectation::EndOfTable};
        // Past the text reads as its terminator, so nothing outside it is read.
        const auto at = [&](qsizetype i) { return i < length ? text[i] : '\0'; };
        const char group[3] = {at(p), at(p + 1), at(p + 2)};
        // Checked in reading order, so that the position is the first bad character.
        for (int k = 0; k < 2; ++k) {
            if (digitValue(group[k]) < 0)
                return ScanFailure{p + k, HexTextExpectation::HexDigit};
        }
        // A zero byte inside the text is not its end.
        const bool insideText = p + 2 < length;
        if ((insideText && group[2] == '\0') || ParseHexPair(group, &image[count]) != HexPairStored)
            return ScanFailure{p + 2, HexTextExpectation::Separator};
        ++count;
    }
    if (text.size() > MaxHexTextLength)
        return ScanFailure{MaxHexTextLength, HexTextExpectation::EndOfText};
    return std::nullopt;
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
    int count = 0;
    return scanHexText(text, image, count) ? -1 : count;
}

std::optional<HexTextProblem> findHexTextProblem(QByteArrayView text)
{
    EdidImage scratch{};
    int count = 0;
    const std::optional<ScanFailure> failure = scanHexText(text, scratch, count);
    if (!failure)
        return std::nullopt;
    const QByteArrayView before = text.first(std::min(failure->offset, text.size()));
    const qsizetype lineStart = before.lastIndexOf('\n') + 1;
    return HexTextProblem{int(before.count('\n')) + 1, int(before.size() - lineStart) + 1,
                          failure->expected};
}

QString describeHexTextProblem(const HexTextProblem &problem)
{
    const char *expected = "";
    switch (problem.expected) {
    case HexTextExpectation::HexDigit:
        expected = QT_TRANSLATE_NOOP("HexText", "expected a hexadecimal digit");
        break;
    case HexTextExpectation::Separator:
        expected = QT_TRANSLATE_NOOP("HexText", "expected a space or the end of the line");
        break;
    case HexTextExpectation::EndOfTable:
        expected = QT_TRANSLATE_NOOP("HexText", "expected the end of the table after 256 values");
        break;
    case HexTextExpectation::EndOfText:
        expected =
            QT_TRANSLATE_NOOP("HexText", "expected the end of the text (at most 1023 characters)");
        break;
    }
    return QCoreApplication::translate("HexText",
                                       "Line %1, column %2: %3. An EDID table is 16 lines of 16 "
                                       "two-digit hexadecimal values separated by single spaces.")
        .arg(problem.line)
        .arg(problem.column)
        .arg(QCoreApplication::translate("HexText", expected));
}

} // namespace varnex::edid
