#include "TableFormat.h"

#include "HexText.h"

#include <QFileInfo>
#include <QHash>

namespace varnex::cli {

const QStringList TableFormatNames = {QStringLiteral("hex"), QStringLiteral("raw"),
                                      QStringLiteral("c"), QStringLiteral("base64")};

namespace {

// The names on the command line, in enum order.
const char *const FormatNames[] = {"hex", "raw", "c", "base64"};
// Line length of base64(1), so that the output matches that tool's.
constexpr qsizetype Base64LineLength = 76;
// Array elements per line of the C form: one line per line of hex text.
constexpr int CBytesPerLine = edid::HexTextBytesPerLine;

QByteArray rawBytes(const edid::EdidImage &image)
{
    return QByteArray(reinterpret_cast<const char *>(image.data()), qsizetype(image.size()));
}

QByteArray cArray(const edid::EdidImage &image)
{
    QByteArray text =
        "const unsigned char edid[" + QByteArray::number(edid::EdidImageSize) + "] = {\n";
    for (int i = 0; i < edid::EdidImageSize; ++i) {
        const bool lineStart = i % CBytesPerLine == 0;
        const bool last = i + 1 == edid::EdidImageSize;
        text += lineStart ? "    " : " ";
        text +=
            "0x" + QByteArray::number(image[std::size_t(i)], 16).toUpper().rightJustified(2, '0');
        text += last ? "\n" : ((i + 1) % CBytesPerLine == 0 ? ",\n" : ",");
    }
    return text + "};\n";
}

QByteArray base64Lines(const edid::EdidImage &image)
{
    const QByteArray encoded = rawBytes(image).toBase64();
    QByteArray text;
    for (qsizetype at = 0; at < encoded.size(); at += Base64LineLength)
        text += encoded.mid(at, Base64LineLength) + '\n';
    return text;
}

} // namespace

std::optional<TableFormat> parseTableFormat(const QString &name, const QStringList &accepted)
{
    if (!accepted.contains(name))
        return std::nullopt;
    for (int i = 0; i < int(std::size(FormatNames)); ++i) {
        if (name == QLatin1String(FormatNames[i]))
            return TableFormat(i);
    }
    return std::nullopt;
}

std::optional<TableFormat> formatForFileName(const QString &path, const QStringList &accepted)
{
    static const QHash<QString, QString> bySuffix = {
        {QStringLiteral("bin"), QStringLiteral("raw")},
        {QStringLiteral("raw"), QStringLiteral("raw")},
        {QStringLiteral("edid"), QStringLiteral("raw")},
        {QStringLiteral("hex"), QStringLiteral("hex")},
        {QStringLiteral("txt"), QStringLiteral("hex")},
        {QStringLiteral("c"), QStringLiteral("c")},
        {QStringLiteral("h"), QStringLiteral("c")},
        {QStringLiteral("b64"), QStringLiteral("base64")}};
    const QString suffix = QFileInfo(path).suffix().toLower();
    const auto it = bySuffix.constFind(suffix);
    return it == bySuffix.cend() ? std::nullopt : parseTableFormat(*it, accepted);
}

QByteArray formatTable(const edid::EdidImage &image, TableFormat format)
{
    switch (format) {
    case TableFormat::Hex:
        return edid::formatHexText(image);
    case TableFormat::Raw:
        return rawBytes(image);
    case TableFormat::C:
        return cArray(image);
    case TableFormat::Base64:
        return base64Lines(image);
    }
    return {};
}

} // namespace varnex::cli
