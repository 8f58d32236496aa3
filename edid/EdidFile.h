#pragma once

#include "EdidImage.h"
#include "ExtensionCount.h"
#include "import/ImportResult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

namespace varnex::edid {

// A raw image or our hex text is taken from a file's first 1024 bytes at
// most; the rest is ignored.
inline constexpr int EdidFileReadLimit = 1024;
// Text files up to 1 MiB are considered for import from other tools' dumps.
inline constexpr int EdidImportReadLimit = 1024 * 1024;
// Column at which a hex text line of 16 "XX " groups ends, where its line end is normalised.
inline constexpr int HexFileLineColumns = 48;

enum class EdidFileKind
{
    RawImage, // first byte 0x00, as every EDID header begins
    HexText,  // any other first byte, unless the text is imported
    Imported, // text that is not our hex text but another tool's dump
};

// What a loaded file holds, ready for the editor.
struct EdidFileContents
{
    EdidFileKind kind = EdidFileKind::RawImage;
    // RawImage and Imported: the first 256 bytes, missing ones 0.
    EdidImage image{};
    // HexText: the converted text, up to its first zero byte. Imported: the
    // image as our hex text, for a front end that shows text only.
    QByteArray text;
    // Imported: the form and every byte of the dump, to tell what was left out.
    ImportResult imported;
    // Set when blocks were cut and the extension count had to follow them
    // (FittedTable::note); empty otherwise.
    QString countNote;
};

// What interpretEdidFile does with a raw table of more than 256 bytes.
enum class LongRawTable
{
    // The first 256 bytes as they are: the window's Load from File, whose
    // users and stored files rely on it; the checks before an upload catch
    // a count of blocks that are not there.
    KeepFirstBytes,
    // fitTable: the first 256 bytes with the extension count corrected, as
    // every other source that cuts a table takes it.
    Fit,
};

// Normalises the line ends of hex text taken from a file. The data is seen as
// a 1024-byte buffer, zero-padded. A column counter counts the bytes since the
// start or since the last replacement; where it reaches 48 on a space followed
// by CR LF or by LF, those bytes become one line feed and the counter restarts.
// Once the counter has passed 48 nothing more is replaced. Patterns count only
// within the 1024 bytes. The result ends before the first zero byte.
QByteArray convertHexFileLineEnds(QByteArrayView data);

// Converted hex text as a plain-text editor hands it back: each CR LF and
// each lone CR become one line feed, each no-break space (0xA0) a space.
// Parse this, not the converted text, to get the table the window would.
QByteArray hexTextAsEdited(QByteArrayView text);

// Whether converted hex text is our hex text: once edited (hexTextAsEdited)
// it parses (parseHexText) without a format error. Such text is never
// imported, so every file that loaded as usable hex text still does.
bool isAcceptedHexText(QByteArrayView text);

// Why text from a file (interpretEdidFile's HexText) is no table, for the
// user of any front end: "Hex Format Error: " and the first problem in the
// text, then that it is no raw EDID table or known dump either, since that
// may be what the file was meant to be.
QString describeUnreadableText(QByteArrayView text);

// A raw image from any bytes: the first 256, missing ones 0; with Fit, the
// extension count corrected when bytes were cut.
EdidFileContents rawEdidContents(QByteArrayView data,
                                 LongRawTable rule = LongRawTable::KeepFirstBytes);

// Reads a loaded file. The first EdidFileReadLimit bytes decide between a
// raw image (first byte 0x00; an empty file reads as 0x00) and text; text
// that is our hex text (isAcceptedHexText) is HexText. Any other text of at
// most EdidImportReadLimit bytes is tried as another tool's dump
// (importEdidText) and is Imported when one holds a whole table; otherwise
// it is HexText all the same, for the editor to find fault with. An imported
// dump of more than 256 bytes is always fitted (fitTable); a raw one as
// `rule` says. Pass the data from readEdidFile, so that a dump longer than
// the head is read whole and a file over the limit is known to be one.
EdidFileContents interpretEdidFile(QByteArrayView data,
                                   LongRawTable rule = LongRawTable::KeepFirstBytes);

// Reads the first EdidFileReadLimit bytes of a file (fewer if it is shorter).
// On failure returns nothing and sets *errorString to the reason.
std::optional<QByteArray> readEdidFileHead(const QString &fileName, QString *errorString);

// Reads what interpretEdidFile needs: up to EdidImportReadLimit + 1 bytes,
// the one over the limit telling that the file is too long to import.
// On failure returns nothing and sets *errorString to the reason.
std::optional<QByteArray> readEdidFile(const QString &fileName, QString *errorString);

// Writes the image as exactly 256 raw bytes, replacing the file whole
// (writeWholeFile: on any failure an existing file keeps its contents; a FIFO
// or device node is written directly and stays what it is). `opened`, if set,
// runs once the file is open for writing. On failure returns false and sets
// *errorString to the reason.
bool writeEdidFile(const QString &fileName, const EdidImage &image, QString *errorString,
                   const std::function<void()> &opened = {});

// Writes the image as our hex text (formatHexText), which Load from File
// reads back as the same table, replacing the file as writeEdidFile does.
bool writeEdidHexFile(const QString &fileName, const EdidImage &image, QString *errorString,
                      const std::function<void()> &opened = {});

} // namespace varnex::edid
