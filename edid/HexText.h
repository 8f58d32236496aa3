#pragma once

#include "EdidImage.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <span>

namespace varnex::edid {

// EDID hex text: 16 lines of 16 bytes, each byte two upper-case hex digits,
// one space between bytes and a line feed straight after the 16th.
inline constexpr int HexTextBytesPerLine = 16;
// Three characters per byte: two digits and a space or the line feed.
inline constexpr int HexTextLineLength = 3 * HexTextBytesPerLine;
// 16 lines of 48 characters.
inline constexpr int HexTextLength = HexTextLineLength * EdidImageSize / HexTextBytesPerLine;
// The parse's working copy holds 1024 characters, terminator included.
inline constexpr int MaxHexTextLength = 1023;

// Results of ParseHexPair.
inline constexpr int HexPairStored = 0;
inline constexpr int HexPairBadSeparator = 1;
inline constexpr int HexPairBadDigit = 2;

// Formats one line of the text: 48 characters, the last one the line feed.
// Nothing is written outside `out`, and no terminator is added.
void formatHexLine(std::span<const quint8, HexTextBytesPerLine> bytes,
                   std::span<char, HexTextLineLength> out);

// Formats the whole image (768 characters) plus a terminator into `buffer`.
// Returns false and leaves `buffer` untouched when it holds fewer than 769 characters.
bool formatHexText(const EdidImage &image, std::span<char> buffer);

// The whole image as EDID hex text, 768 characters.
QByteArray formatHexText(const EdidImage &image);

// Converts one three-character group: two hex digits (either case) and a
// separator, which must be a space, a line feed or the terminator (0).
// Returns HexPairStored after writing the byte to `out`; otherwise
// HexPairBadSeparator or HexPairBadDigit, and `out` is left alone.
int ParseHexPair(const char *group, quint8 *out);

// Parses 8-bit text (e.g. the editor's plain text in Latin-1) into `image`.
// Accepted: groups of two hex digits, each followed by one space, one line
// feed or the end of the text, in any line layout; white space at the very
// end is ignored. Returns the number of groups (0 to 256), with the bytes
// the text does not supply set to 0, or -1 for a format error: a bad group,
// more than 256 groups or more than MaxHexTextLength characters. After a
// format error `image` holds only the groups before the bad one, zeros
// elsewhere; it is not meant to be used.
int parseHexText(QByteArrayView text, EdidImage &image);

// What the parse wanted where it gave up.
enum class HexTextExpectation
{
    HexDigit,   // a value character was missing or not 0-9, A-F, a-f
    Separator,  // a third character other than a space, a line feed or the end
    EndOfTable, // a 257th value
    EndOfText,  // more than MaxHexTextLength characters
};

// The first thing in reading order that makes parseHexText fail. Line and
// column count from 1; a column counts characters, a line feed ends a line.
struct HexTextProblem
{
    int line = 1;
    int column = 1;
    HexTextExpectation expected = HexTextExpectation::HexDigit;
    bool operator==(const HexTextProblem &) const = default;
};

// Nothing exactly when parseHexText accepts the text.
std::optional<HexTextProblem> findHexTextProblem(QByteArrayView text);

// "Line 3, column 7: expected a hexadecimal digit." followed by one sentence
// on the layout, for both front ends to show.
QString describeHexTextProblem(const HexTextProblem &problem);

} // namespace varnex::edid
