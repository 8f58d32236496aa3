#include "ImportForm.h"

namespace varnex::edid {

QString importFormName(ImportForm form)
{
    switch (form) {
    case ImportForm::None:
        break;
    case ImportForm::EdidDecodeReport:
        return QStringLiteral("an edid-decode report");
    case ImportForm::XrandrVerbose:
        return QStringLiteral("xrandr --verbose output");
    case ImportForm::EdidBytesReport:
        return QStringLiteral("an EDID BYTES report");
    case ImportForm::CArray:
        return QStringLiteral("a C array");
    case ImportForm::XxdDump:
        return QStringLiteral("an xxd dump");
    case ImportForm::HexdumpCanonical:
        return QStringLiteral("a hexdump -C dump");
    case ImportForm::PlainHexRows:
        return QStringLiteral("rows of hex bytes");
    case ImportForm::Base64Dump:
        return QStringLiteral("base64 text");
    }
    return QString();
}

QString importFormId(ImportForm form)
{
    switch (form) {
    case ImportForm::None:
        break;
    case ImportForm::EdidDecodeReport:
        return QStringLiteral("edid-decode");
    case ImportForm::XrandrVerbose:
        return QStringLiteral("xrandr");
    case ImportForm::EdidBytesReport:
        return QStringLiteral("edid-bytes");
    case ImportForm::CArray:
        return QStringLiteral("c-array");
    case ImportForm::XxdDump:
        return QStringLiteral("xxd");
    case ImportForm::HexdumpCanonical:
        return QStringLiteral("hexdump");
    case ImportForm::PlainHexRows:
        return QStringLiteral("hex-rows");
    case ImportForm::Base64Dump:
        return QStringLiteral("base64");
    }
    return QString();
}

} // namespace varnex::edid
