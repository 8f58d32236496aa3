#include "compose/Compose.h"

#include "compose/CommonCapabilities.h"
#include "compose/ComposedTable.h"
#include "decode/EdidDecoder.h"

namespace varnex::edid {

namespace {

// "a", "a and b", "a, b and c".
QString listText(const QStringList &names)
{
    if (names.size() < 2)
        return names.join(QString());
    return QStringLiteral("%1 and %2")
        .arg(names.mid(0, names.size() - 1).join(QLatin1String(", ")), names.last());
}

} // namespace

ComposeResult composeTables(const QList<ComposeInput> &inputs, const ComposeOptions &options)
{
    ComposeResult result;
    if (inputs.isEmpty()) {
        result.error = QStringLiteral("There is no table to compose.");
        return result;
    }
    QList<Capabilities> capabilities;
    QStringList names;
    for (const ComposeInput &input : inputs) {
        const DecodedEdid decoded = decodeEdid(
            QByteArrayView(reinterpret_cast<const char *>(input.image.data()), input.image.size()));
        capabilities << capabilitiesOf(decoded);
        names << input.name;
    }
    const CommonCapabilities common = commonCapabilities(capabilities, names);
    if (common.caps.modes.isEmpty()) {
        result.report = common.report;
        result.error =
            QStringLiteral("No video mode is common to %1: there is no table all of them accept.")
                .arg(listText(names));
        return result;
    }
    result = writeComposedTable(common.caps, options);
    result.report = common.report + result.report;
    return result;
}

} // namespace varnex::edid
