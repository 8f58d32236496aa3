#include "ImportEdidText.h"

#include "Base64Dump.h"
#include "CArray.h"
#include "EdidBytesReport.h"
#include "EdidDecodeReport.h"
#include "HexdumpCanonical.h"
#include "PlainHexRows.h"
#include "XrandrVerbose.h"
#include "XxdDump.h"

#include <QStringDecoder>

namespace varnex::edid {

namespace {

using Parser = std::optional<QByteArray> (*)(QByteArrayView text);
using Note = QString (*)(QByteArrayView text);

struct FormParser
{
    ImportForm form;
    Parser parse;
    Note note = nullptr; // for forms where the importer makes a choice
};

// The order is explained in the header.
constexpr FormParser FormParsers[] = {
    {ImportForm::EdidDecodeReport, forms::parseEdidDecodeReport},
    {ImportForm::XrandrVerbose, forms::parseXrandrVerbose, forms::xrandrVerboseNote},
    {ImportForm::EdidBytesReport, forms::parseEdidBytesReport},
    {ImportForm::CArray, forms::parseCArray},
    {ImportForm::XxdDump, forms::parseXxdDump},
    {ImportForm::HexdumpCanonical, forms::parseHexdumpCanonical},
    {ImportForm::PlainHexRows, forms::parsePlainHexRows},
    {ImportForm::Base64Dump, forms::parseBase64Dump},
};

// Text known by its byte order mark as UTF-8, UTF-16 or UTF-32, as UTF-8
// without the mark; empty for any other text, which is read as it is.
QByteArray fromUnicodeText(QByteArrayView text)
{
    const std::optional<QStringConverter::Encoding> encoding =
        QStringConverter::encodingForData(text);
    if (!encoding)
        return QByteArray();
    // The decoder drops the mark itself.
    QStringDecoder decoder(*encoding);
    return QString(decoder.decode(text)).toUtf8();
}

} // namespace

ImportResult importEdidText(QByteArrayView text)
{
    const QByteArray decoded = fromUnicodeText(text);
    if (!decoded.isEmpty())
        text = decoded;
    for (const FormParser &parser : FormParsers) {
        std::optional<QByteArray> table = parser.parse(text);
        if (table && isWholeTableSize(table->size()))
            return ImportResult{parser.form, *std::move(table),
                                parser.note ? parser.note(text) : QString()};
    }
    return ImportResult{};
}

} // namespace varnex::edid
