#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// Small pieces shared by the dump parsers. None of them trusts a length or
// an offset from the text: every number is bounded before it is used.
namespace varnex::edid::forms {

// Value of one hex digit in either case, or -1.
int hexDigitValue(char ch);

// Space or tab, the separators inside a row.
inline bool isBlank(char ch)
{
    return ch == ' ' || ch == '\t';
}

// Appends the bytes of a row of two-digit hex tokens separated by blanks
// ("00 ff FF"). Returns false, appending nothing, when the row holds no
// token or any token is something else.
bool appendHexPairs(QByteArrayView row, QByteArray &out);

// Appends the bytes of one run of hex digits ("00ffff00"). Returns false,
// appending nothing, when the run is empty, holds an odd number of digits
// or anything but hex digits.
bool appendHexDigits(QByteArrayView digits, QByteArray &out);

// A hex number of 1 to 8 digits (an offset in a dump), or nothing.
std::optional<qint64> parseHexNumber(QByteArrayView digits);

// The number of blanks that start `line`.
qsizetype indentOf(QByteArrayView line);

} // namespace varnex::edid::forms
