#include "EdidFile.h"

#include "HexText.h"
#include "WholeFileWrite.h"
#include "import/ImportEdidText.h"

#include <QFile>

#include <algorithm>
#include <array>

namespace varnex::edid {

namespace {

// Latin-1 no-break space, which a plain-text editor hands back as a space.
constexpr char NoBreakSpace = '\xA0';

void setError(QString *errorString, const QString &text)
{
    if (errorString)
        *errorString = text;
}

std::optional<QByteArray> readHead(const QString &fileName, qint64 limit, QString *errorString)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(errorString, file.errorString());
        return std::nullopt;
    }
    QByteArray head = file.read(limit);
    if (file.error() != QFileDevice::NoError) {
        setError(errorString, file.errorString());
        return std::nullopt;
    }
    return head;
}

} // namespace

QByteArray convertHexFileLineEnds(QByteArrayView data)
{
    std::array<char, EdidFileReadLimit> in{};
    std::copy_n(data.data(), std::min<qsizetype>(data.size(), EdidFileReadLimit), in.begin());

    // The output is never longer than the input.
    QByteArray out;
    out.reserve(EdidFileReadLimit);
    int col = 0;
    int p = 0;
    while (p < EdidFileReadLimit) {
        ++col;
        const bool lineEnd = col == HexFileLineColumns && in[p] == ' ';
        if (lineEnd && p + 2 < EdidFileReadLimit && in[p + 1] == '\r' && in[p + 2] == '\n') {
            out.append('\n');
            col = 0;
            p += 3;
        } else if (lineEnd && p + 1 < EdidFileReadLimit && in[p + 1] == '\n') {
            out.append('\n');
            col = 0;
            p += 2;
        } else {
            out.append(in[p]);
            ++p;
        }
    }
    const qsizetype end = out.indexOf('\0');
    if (end >= 0)
        out.truncate(end);
    return out;
}

QByteArray hexTextAsEdited(QByteArrayView text)
{
    QByteArray edited;
    edited.reserve(text.size());
    for (qsizetype p = 0; p < text.size(); ++p) {
        const char ch = text[p];
        if (ch == '\r') {
            edited.append('\n');
            if (p + 1 < text.size() && text[p + 1] == '\n')
                ++p;
        } else {
            edited.append(ch == NoBreakSpace ? ' ' : ch);
        }
    }
    return edited;
}

bool isAcceptedHexText(QByteArrayView text)
{
    EdidImage image;
    return parseHexText(hexTextAsEdited(text), image) >= 0;
}

QString describeUnreadableText(QByteArrayView text)
{
    const std::optional<HexTextProblem> problem = findHexTextProblem(text);
    return QStringLiteral("Hex Format Error: %1 It is not a raw EDID table (first byte 00) or a "
                          "dump of another tool that can be imported either.")
        .arg(problem ? describeHexTextProblem(*problem) : QStringLiteral("not EDID hex text."));
}

EdidFileContents rawEdidContents(QByteArrayView data, LongRawTable rule)
{
    EdidFileContents contents;
    contents.kind = EdidFileKind::RawImage;
    if (rule == LongRawTable::Fit) {
        const FittedTable fitted = fitTable(data);
        contents.image = fitted.image;
        contents.countNote = fitted.note();
    } else {
        std::copy_n(data.data(), std::min<qsizetype>(data.size(), EdidImageSize),
                    contents.image.begin());
    }
    return contents;
}

EdidFileContents interpretEdidFile(QByteArrayView data, LongRawTable rule)
{
    const QByteArrayView head = data.first(std::min<qsizetype>(data.size(), EdidFileReadLimit));
    if (head.isEmpty() || head[0] == '\0')
        return rawEdidContents(head, rule);

    EdidFileContents contents;
    contents.kind = EdidFileKind::HexText;
    contents.text = convertHexFileLineEnds(head);
    if (isAcceptedHexText(contents.text) || data.size() > EdidImportReadLimit)
        return contents;
    ImportResult imported = importEdidText(data);
    if (!imported.isValid())
        return contents;
    contents.kind = EdidFileKind::Imported;
    const FittedTable fitted = imported.fitted();
    contents.image = fitted.image;
    contents.countNote = fitted.note();
    contents.text = formatHexText(contents.image);
    contents.imported = std::move(imported);
    return contents;
}

std::optional<QByteArray> readEdidFileHead(const QString &fileName, QString *errorString)
{
    return readHead(fileName, EdidFileReadLimit, errorString);
}

std::optional<QByteArray> readEdidFile(const QString &fileName, QString *errorString)
{
    return readHead(fileName, qint64(EdidImportReadLimit) + 1, errorString);
}

bool writeEdidFile(const QString &fileName, const EdidImage &image, QString *errorString,
                   const std::function<void()> &opened)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(image.data()), EdidImageSize);
    return writeWholeFile(fileName, bytes, errorString, opened);
}

bool writeEdidHexFile(const QString &fileName, const EdidImage &image, QString *errorString,
                      const std::function<void()> &opened)
{
    return writeWholeFile(fileName, formatHexText(image), errorString, opened);
}

} // namespace varnex::edid
