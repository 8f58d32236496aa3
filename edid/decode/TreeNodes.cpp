#include "decode/TreeNodes.h"

#include "decode/EdidSummary.h"

namespace varnex::edid::tree {

DecodedNode node(const QString &name, const QString &value, int offset, int length,
                 const Nodes &children)
{
    return DecodedNode{name, value, offset, length, children};
}

QString countOf(qsizetype n, const char *singular, const char *plural)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? singular : plural));
}

QString yesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

QString hexBytes(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString mhz(int kHz)
{
    return QStringLiteral("%1 MHz").arg(kHz / 1000.0, 0, 'f', 2);
}

QString timingText(const TimingCode &t)
{
    QString text = modeText(t.width, t.height, t.refreshHz, t.interlaced);
    if (!t.source.isEmpty())
        text += QStringLiteral(" (%1)").arg(t.source);
    // A computed timing's clock says what a source will send.
    if (t.pixelClockKHz &&
        (t.source == QLatin1String("GTF") || t.source.startsWith(QLatin1String("CVT"))))
        text += QStringLiteral(", ") + mhz(*t.pixelClockKHz);
    if (t.preferred)
        text += QStringLiteral(", preferred rate");
    return text;
}

Nodes timingNodes(const QList<TimingCode> &timings)
{
    Nodes nodes;
    for (const TimingCode &t : timings)
        nodes.append(node(QStringLiteral("Timing"), timingText(t), t.at.offset, t.at.length));
    return nodes;
}

DecodedNode detailedTimingNode(const QString &name, const DetailedTiming &t)
{
    const int o = t.at.offset;
    QString sync = syncTypeName(t.syncType) + QStringLiteral(" sync");
    if (t.hasHSyncPolarity())
        sync += t.flag1 ? QStringLiteral(", H+") : QStringLiteral(", H-");
    if (t.hasVSyncPolarity())
        sync += t.flag2 ? QStringLiteral(" V+") : QStringLiteral(" V-");
    else if (t.flag2)
        sync += QStringLiteral(", serrations");
    if (!t.digitalSync())
        sync += t.flag1 ? QStringLiteral(", sync on all three colours")
                        : QStringLiteral(", sync on green only");
    sync += t.interlaced ? QStringLiteral(", interlaced") : QStringLiteral(", progressive");
    if (t.stereo > 1)
        sync += QStringLiteral(", stereo mode %1").arg(t.stereo);
    const Nodes fields{
        node(QStringLiteral("Pixel clock"), mhz(t.pixelClockKHz), o, 2),
        node(QStringLiteral("Horizontal active / blanking"),
             QStringLiteral("%1 / %2").arg(t.hActive).arg(t.hBlank()), o + 2, 3),
        node(QStringLiteral("Vertical active / blanking"),
             QStringLiteral("%1 / %2%3")
                 .arg(t.vActive)
                 .arg(t.vBlank())
                 .arg(t.interlaced ? QStringLiteral(" per field") : QString()),
             o + 5, 3),
        node(QStringLiteral("Horizontal front porch / sync / back porch"),
             QStringLiteral("%1 / %2 / %3").arg(t.hFrontPorch).arg(t.hSyncWidth).arg(t.hBackPorch),
             o + 8, 4),
        node(QStringLiteral("Vertical front porch / sync / back porch"),
             QStringLiteral("%1 / %2 / %3").arg(t.vFrontPorch).arg(t.vSyncWidth).arg(t.vBackPorch),
             o + 10, 2),
        node(QStringLiteral("Image size"),
             QStringLiteral("%1 x %2 mm").arg(t.widthMm).arg(t.heightMm), o + 12, 3),
        node(QStringLiteral("Borders"), QStringLiteral("%1 / %2").arg(t.hBorder).arg(t.vBorder),
             o + 15, 2),
        node(QStringLiteral("Flags"), sync, o + 17, 1)};
    QString value = modeText(t.hActive, t.frameHeight(), t.refreshHz(), t.interlaced) +
                    QStringLiteral(", ") + mhz(t.pixelClockKHz);
    if (t.preferred)
        value += QStringLiteral(" (preferred)");
    return node(name, value, o, t.at.length, fields);
}

} // namespace varnex::edid::tree
