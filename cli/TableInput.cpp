#include "TableInput.h"

#include "Console.h"
#include "ExitStatus.h"
#include "HexText.h"
#include "LibraryInput.h"
#include "OutputFile.h"
#include "import/ImportResult.h"

#include <QFile>

#include <unistd.h>

namespace varnex::cli {

using edid::EdidBlockSize;
using edid::EdidFileKind;
using edid::EdidImageSize;
using edid::EdidImportReadLimit;

// As much as readEdidFile takes of a file: one byte over the import limit
// tells that the input is too long to import.
constexpr qsizetype InputReadLimit = qsizetype(EdidImportReadLimit) + 1;

namespace {

QString sizeText(qsizetype size)
{
    // The loader looks at no more than its limit, so beyond it the size is unknown.
    if (size >= InputReadLimit)
        return QStringLiteral("more than %1 bytes").arg(EdidImportReadLimit);
    return size == 1 ? QStringLiteral("1 byte") : QStringLiteral("%1 bytes").arg(size);
}

} // namespace

QString inputName(const QString &path)
{
    return path == QLatin1String(StandardStream) ? QStringLiteral("standard input") : path;
}

std::optional<QByteArray> readInput(const QString &path, Console &console, int *exitStatus)
{
    QString file = path;
    if (isLibraryInput(path)) {
        const std::optional<QString> entryFile = libraryInputFile(path, console, exitStatus);
        if (!entryFile)
            return std::nullopt;
        file = *entryFile;
    }
    QString error;
    std::optional<QByteArray> data = path == QLatin1String(StandardStream)
                                         ? readStandardInput(&error)
                                         : edid::readEdidFile(file, &error);
    if (!data) {
        console.message(QStringLiteral("cannot read %1: %2").arg(inputName(path), error));
        *exitStatus = ExitFailure;
    }
    return data;
}

std::optional<TableInput> loadTable(const QString &path, Console &console, int *exitStatus)
{
    const std::optional<QByteArray> data = readInput(path, console, exitStatus);
    if (!data)
        return std::nullopt;
    return interpretTable(*data, inputName(path), console, exitStatus);
}

std::optional<TableInput> interpretTable(const QByteArray &data, const QString &name,
                                         Console &console, int *exitStatus)
{
    // Whatever is cut here, the extension count follows.
    const edid::EdidFileContents contents = edid::interpretEdidFile(data, edid::LongRawTable::Fit);
    TableInput table;
    table.kind = contents.kind;
    table.image = contents.image;
    qsizetype size = data.size();
    if (contents.kind == EdidFileKind::Imported) {
        size = contents.imported.table.size();
        if (!contents.imported.note.isEmpty())
            console.message(QStringLiteral("%1: %2").arg(name, contents.imported.note));
    } else if (contents.kind == EdidFileKind::HexText) {
        size = edid::parseHexText(contents.text, table.image);
        if (size < 0) {
            console.message(
                QStringLiteral("%1: %2").arg(name, edid::describeUnreadableText(contents.text)));
            *exitStatus = ExitInvalidData;
            return std::nullopt;
        }
    }
    // A one-block table is followed by zero bytes, as the window pads it; of
    // a longer whole table the Varnex takes the first 256 bytes.
    if (size != EdidBlockSize && (size < EdidImageSize || !edid::isWholeTableSize(size))) {
        console.message(QStringLiteral("%1: the table has %2; the Varnex takes exactly %3 "
                                       "(or a whole table of 128-byte blocks: one block is "
                                       "padded, more are cut to the first %3)")
                            .arg(name, sizeText(size))
                            .arg(EdidImageSize));
        *exitStatus = ExitInvalidData;
        return std::nullopt;
    }
    if (const QString leftOut = edid::leftOutDescription(size); !leftOut.isEmpty()) {
        console.message(QStringLiteral("%1: the table has %2 bytes; the Varnex takes the first "
                                       "%3 and leaves out %4")
                            .arg(name)
                            .arg(size)
                            .arg(EdidImageSize)
                            .arg(leftOut));
    }
    if (!contents.countNote.isEmpty())
        console.message(QStringLiteral("%1: %2").arg(name, contents.countNote));
    return table;
}

std::optional<QByteArray> readStandardInput(QString *error)
{
    QFile in;
    if (!in.open(STDIN_FILENO, QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        *error = in.errorString();
        return std::nullopt;
    }
    QByteArray head;
    while (head.size() < InputReadLimit) {
        const QByteArray piece = in.read(InputReadLimit - head.size());
        if (piece.isEmpty())
            break;
        head += piece;
    }
    if (in.error() != QFileDevice::NoError) {
        *error = in.errorString();
        return std::nullopt;
    }
    return head;
}

} // namespace varnex::cli
