#include "decode/EdidSummary.h"

#include <cmath>

namespace varnex::edid {

namespace {

QString counted(int n, const char *singular, const char *plural)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? singular : plural));
}

} // namespace

QString modeText(int width, int height, double refreshHz, bool interlaced)
{
    const double hundredths = std::round(refreshHz * 100.0);
    const QString rate = std::fmod(hundredths, 100.0) == 0.0
                             ? QString::number(qint64(hundredths / 100.0))
                             : QString::number(hundredths / 100.0, 'f', 2);
    return QStringLiteral("%1x%2%3 @ %4 Hz")
        .arg(width)
        .arg(height)
        .arg(interlaced ? QStringLiteral("i") : QString())
        .arg(rate);
}

EdidSummary summarize(const DecodedEdid &edid)
{
    EdidSummary s;
    if (edid.base) {
        const BaseBlock &base = *edid.base;
        const std::optional<QString> name = base.name();
        s.product =
            name && !name->isEmpty()
                ? QStringLiteral("%1 %2").arg(base.manufacturer, *name)
                : QStringLiteral("%1 product %2").arg(base.manufacturer).arg(base.productCode);
        if (!base.descriptors.isEmpty() && base.descriptors.first().timing) {
            const DetailedTiming &t = *base.descriptors.first().timing;
            s.preferredMode = modeText(t.hActive, t.frameHeight(), t.refreshHz(), t.interlaced);
        }
    }
    if (s.preferredMode.isEmpty()) {
        if (const DetailedTiming *t = edid.displayIdPreferredTiming())
            s.preferredMode = modeText(t->hActive, t->frameHeight(), t->refreshHz(), t->interlaced);
    }
    s.errors = edid.count(Severity::Error);
    s.warnings = edid.count(Severity::Warning);
    s.notes = edid.count(Severity::Note);
    s.status = s.errors == 0 && s.warnings == 0
                   ? QStringLiteral("valid")
                   : counted(s.errors, "error", "errors") + QStringLiteral(", ") +
                         counted(s.warnings, "warning", "warnings");
    return s;
}

} // namespace varnex::edid
