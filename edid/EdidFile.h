#pragma once

#include "EdidImage.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

namespace varnex::edid {

// A file is loaded from its first 1024 bytes at most; the rest is ignored.
inline constexpr int EdidFileReadLimit = 1024;
// Column at which a hex text line of 16 "XX " groups ends, where its line end is normalised.
inline constexpr int HexFileLineColumns = 48;

enum class EdidFileKind
{
    RawImage, // first byte 0x00, as every EDID header begins
    HexText,  // any other first byte
};

// What a loaded file holds, ready for the editor.
struct EdidFileContents
{
    EdidFileKind kind = EdidFileKind::RawImage;
    EdidImage image{}; // RawImage: the first 256 bytes, missing ones 0
    QByteArray text;   // HexText: the converted text, up to its first zero byte
};

// Normalises the line ends of hex text taken from a file. The data is seen as
// a 1024-byte buffer, zero-padded. A column counter counts the bytes since the
// start or since the last replacement; where it reaches 48 on a space followed
// by CR LF or by LF, those bytes become one line feed and the counter restarts.
// Once the counter has passed 48 nothing more is replaced. Patterns count only
// within the 1024 bytes. The result ends before the first zero byte.
QByteArray convertHexFileLineEnds(QByteArrayView data);

// Tells a raw image from hex text by the first byte (an empty file reads as
// 0x00) and converts it. Only the first EdidFileReadLimit bytes are looked at.
EdidFileContents interpretEdidFile(QByteArrayView data);

// Reads the first EdidFileReadLimit bytes of a file (fewer if it is shorter).
// On failure returns nothing and sets *errorString to the reason.
std::optional<QByteArray> readEdidFileHead(const QString &fileName, QString *errorString);

// Writes the image as exactly 256 raw bytes, replacing the file whole. The
// data goes to a temporary file that is renamed over the target only once
// fully written, so on any failure an existing file keeps its contents.
// `opened`, if set, runs once the file is open for writing. On failure
// returns false and sets *errorString to the reason.
bool writeEdidFile(const QString &fileName, const EdidImage &image, QString *errorString,
                   const std::function<void()> &opened = {});

} // namespace varnex::edid
