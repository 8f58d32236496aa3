#include "spec/Timing.h"

namespace varnex::edid {

double Timing::refreshHz() const
{
    const int frameLines = interlaced ? 2 * vTotal() + 1 : vTotal();
    return refreshRateHz(pixelClockKHz, hTotal(), frameLines, interlaced);
}

double Timing::hFreqKHz() const
{
    return hTotal() > 0 ? double(pixelClockKHz) / hTotal() : 0.0;
}

QString Timing::label() const
{
    return QStringLiteral("%1x%2%3@%4")
        .arg(hActive)
        .arg(frameHeight())
        .arg(interlaced ? QStringLiteral("i") : QString())
        .arg(refreshHz(), 0, 'f', 2);
}

bool Timing::sameTiming(const Timing &o) const
{
    return pixelClockKHz == o.pixelClockKHz && hActive == o.hActive &&
           hFrontPorch == o.hFrontPorch && hSyncWidth == o.hSyncWidth &&
           hBackPorch == o.hBackPorch && hBorder == o.hBorder && vActive == o.vActive &&
           vFrontPorch == o.vFrontPorch && vSyncWidth == o.vSyncWidth &&
           vBackPorch == o.vBackPorch && vBorder == o.vBorder && hSyncPositive == o.hSyncPositive &&
           vSyncPositive == o.vSyncPositive && interlaced == o.interlaced;
}

} // namespace varnex::edid
