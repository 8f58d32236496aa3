#include "UsbIds.h"

#include <QRegularExpression>

namespace varnex::device::usb {

UsbIdList parseUsbIds(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^([0-9A-Fa-f]{1,4}):([0-9A-Fa-f]{1,4})$"));
    UsbIdList result;
    const QStringList entries = text.split(QLatin1Char(','));
    for (const QString &entry : entries) {
        const QString trimmed = entry.trimmed();
        if (trimmed.isEmpty())
            continue;
        const QRegularExpressionMatch match = pattern.match(trimmed);
        if (!match.hasMatch()) {
            result.rejected.append(trimmed);
            continue;
        }
        const UsbId id{quint16(match.captured(1).toUInt(nullptr, 16)),
                       quint16(match.captured(2).toUInt(nullptr, 16))};
        if (!result.ids.contains(id))
            result.ids.append(id);
    }
    if (result.ids.isEmpty())
        result.ids.append(DefaultBridgeUsbId);
    return result;
}

} // namespace varnex::device::usb
