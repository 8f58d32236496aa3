#include "HexTokens.h"

namespace varnex::edid::forms {

namespace {

// Longest offset a dump row may carry: 8 hex digits, as xxd and hexdump print them.
constexpr qsizetype MaxOffsetDigits = 8;

} // namespace

int hexDigitValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    return -1;
}

bool appendHexPairs(QByteArrayView row, QByteArray &out)
{
    const qsizetype start = out.size();
    qsizetype p = 0;
    while (p < row.size()) {
        if (isBlank(row[p])) {
            ++p;
            continue;
        }
        const bool pair = p + 1 < row.size() && hexDigitValue(row[p]) >= 0 &&
                          hexDigitValue(row[p + 1]) >= 0 &&
                          (p + 2 == row.size() || isBlank(row[p + 2]));
        if (!pair) {
            out.truncate(start);
            return false;
        }
        out.append(char(hexDigitValue(row[p]) * 16 + hexDigitValue(row[p + 1])));
        p += 2;
    }
    return out.size() > start;
}

bool appendHexDigits(QByteArrayView digits, QByteArray &out)
{
    if (digits.isEmpty() || digits.size() % 2 != 0)
        return false;
    for (const char ch : digits) {
        if (hexDigitValue(ch) < 0)
            return false;
    }
    for (qsizetype p = 0; p < digits.size(); p += 2)
        out.append(char(hexDigitValue(digits[p]) * 16 + hexDigitValue(digits[p + 1])));
    return true;
}

std::optional<qint64> parseHexNumber(QByteArrayView digits)
{
    if (digits.isEmpty() || digits.size() > MaxOffsetDigits)
        return std::nullopt;
    qint64 value = 0;
    for (const char ch : digits) {
        const int digit = hexDigitValue(ch);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + digit;
    }
    return value;
}

qsizetype indentOf(QByteArrayView line)
{
    qsizetype n = 0;
    while (n < line.size() && isBlank(line[n]))
        ++n;
    return n;
}

} // namespace varnex::edid::forms
