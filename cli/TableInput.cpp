#include "TableInput.h"

#include "Console.h"
#include "ExitStatus.h"
#include "HexText.h"
#include "OutputFile.h"

#include <QFile>

#include <unistd.h>

namespace varnex::cli {

using edid::EdidFileKind;
using edid::EdidFileReadLimit;
using edid::EdidImageSize;

namespace {

// The head of standard input, as readEdidFileHead takes it of a file: a pipe
// may hand it over in pieces.
std::optional<QByteArray> readStandardInputHead(QString *error)
{
    QFile in;
    if (!in.open(STDIN_FILENO, QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        *error = in.errorString();
        return std::nullopt;
    }
    QByteArray head;
    while (head.size() < EdidFileReadLimit) {
        const QByteArray piece = in.read(EdidFileReadLimit - head.size());
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

QString sizeText(qsizetype size)
{
    // The loader looks at no more than its limit, so beyond it the size is unknown.
    if (size >= EdidFileReadLimit)
        return QStringLiteral("at least %1 bytes").arg(EdidFileReadLimit);
    return size == 1 ? QStringLiteral("1 byte") : QStringLiteral("%1 bytes").arg(size);
}

} // namespace

QString inputName(const QString &path)
{
    return path == QLatin1String(StandardStream) ? QStringLiteral("standard input") : path;
}

std::optional<TableInput> loadTable(const QString &path, Console &console, int *exitStatus)
{
    QString error;
    const std::optional<QByteArray> data = path == QLatin1String(StandardStream)
                                               ? readStandardInputHead(&error)
                                               : edid::readEdidFileHead(path, &error);
    if (!data) {
        console.message(QStringLiteral("cannot read %1: %2").arg(inputName(path), error));
        *exitStatus = ExitFailure;
        return std::nullopt;
    }

    const edid::EdidFileContents contents = edid::interpretEdidFile(*data);
    TableInput table;
    table.kind = contents.kind;
    qsizetype size = data->size();
    if (contents.kind == EdidFileKind::RawImage) {
        table.image = contents.image;
    } else {
        size = edid::parseHexText(contents.text, table.image);
        if (size < 0) {
            const std::optional<edid::HexTextProblem> problem =
                edid::findHexTextProblem(contents.text);
            console.message(QStringLiteral("%1: Hex Format Error: %2")
                                .arg(inputName(path), problem
                                                          ? edid::describeHexTextProblem(*problem)
                                                          : QStringLiteral("not EDID hex text")));
            *exitStatus = ExitInvalidData;
            return std::nullopt;
        }
    }
    if (size != EdidImageSize) {
        console.message(QStringLiteral("%1: the table has %2; the Varnex takes exactly %3")
                            .arg(inputName(path), sizeText(size))
                            .arg(EdidImageSize));
        *exitStatus = ExitInvalidData;
        return std::nullopt;
    }
    return table;
}

} // namespace varnex::cli
