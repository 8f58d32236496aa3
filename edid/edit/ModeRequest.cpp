#include "ModeRequest.h"

#include "StandardModes.h"
#include "spec/CvtTiming.h"

#include <QRegularExpression>

namespace varnex::edid {

namespace {

// Beyond what a DTD's 12-bit active fields can hold.
constexpr int MaxActive = 4095;
// No display refreshes faster; also keeps CVT's arithmetic in range.
constexpr double MaxRefreshHz = 1000.0;

} // namespace

std::optional<ModeRequest> parseModeRequest(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral(
            R"(^\s*(\d{1,5})\s*[xX]\s*(\d{1,5})\s*@\s*(\d{1,4}(?:\.\d{1,6})?)\s*(?:Hz)?\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    ModeRequest request{match.captured(1).toInt(), match.captured(2).toInt(),
                        match.captured(3).toDouble()};
    if (request.width <= 0 || request.width > MaxActive || request.height <= 0 ||
        request.height > MaxActive || !(request.refreshHz > 0) || request.refreshHz > MaxRefreshHz)
        return std::nullopt;
    return request;
}

std::optional<Timing> timingForRequest(const ModeRequest &request)
{
    if (auto standard = standardTiming(request.width, request.height, request.refreshHz))
        return standard;
    return cvtReducedBlanking(request.width, request.height, request.refreshHz);
}

} // namespace varnex::edid
