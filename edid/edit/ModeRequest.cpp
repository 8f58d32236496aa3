#include "ModeRequest.h"

#include "StandardModes.h"
#include "spec/CvtTiming.h"

#include <QRegularExpression>

#include <cmath>

namespace varnex::edid {

namespace {

// Beyond what a DTD's 12-bit active fields can hold.
constexpr int MaxActive = 4095;
// No display refreshes faster; also keeps CVT's arithmetic in range.
constexpr double MaxRefreshHz = 1000.0;
// 59.94 names a 60 Hz format as it does in the mode lists (a share of the rate).
constexpr double RateTolerance = 0.005;

} // namespace

std::optional<ModeRequest> parseModeRequest(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral(
            R"(^\s*(\d{1,5})\s*[xX]\s*(\d{1,5})\s*(i?)\s*@\s*(\d{1,4}(?:\.\d{1,6})?)\s*(?:Hz)?\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    ModeRequest request{match.captured(1).toInt(), match.captured(2).toInt(),
                        match.captured(4).toDouble(), !match.captured(3).isEmpty()};
    if (request.width <= 0 || request.width > MaxActive || request.height <= 0 ||
        request.height > MaxActive || !(request.refreshHz > 0) || request.refreshHz > MaxRefreshHz)
        return std::nullopt;
    return request;
}

std::optional<QList<ModeRequest>> parseModeList(const QString &text)
{
    QList<ModeRequest> modes;
    for (const QString &part : text.split(QLatin1Char(','))) {
        const auto mode = parseModeRequest(part);
        if (!mode)
            return std::nullopt;
        modes.append(*mode);
    }
    return modes;
}

std::optional<Timing> timingForRequest(const ModeRequest &request)
{
    if (request.interlaced) {
        // Interlaced modes are CTA-861 formats only; CVT defines none.
        for (const StandardMode &mode : standardModes()) {
            const Timing &t = mode.timing;
            if (t.interlaced && t.hActive == request.width && t.frameHeight() == request.height &&
                std::abs(t.refreshHz() - request.refreshHz) <= RateTolerance * request.refreshHz)
                return t;
        }
        return std::nullopt;
    }
    if (auto standard = standardTiming(request.width, request.height, request.refreshHz))
        return standard;
    return cvtReducedBlanking(request.width, request.height, request.refreshHz);
}

} // namespace varnex::edid
