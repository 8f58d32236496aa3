#pragma once

#include "spec/DetailedTiming.h"

#include <QList>
#include <QString>

#include <optional>

namespace varnex::edid {

// A mode typed as WIDTHxHEIGHT@HZ ("1920x1080@60", "1280x720@59.94"), or
// WIDTHxHEIGHTi@HZ for an interlaced one ("1920x1080i@60": frame height, field rate).
struct ModeRequest
{
    int width = 0;
    int height = 0;
    double refreshHz = 0;
    bool interlaced = false;
};

// Nothing when the text is not of that form or a value is zero or absurd.
std::optional<ModeRequest> parseModeRequest(const QString &text);

// MODE[,MODE...]; nothing when the list is empty or one of them does not read.
std::optional<QList<ModeRequest>> parseModeList(const QString &text);

// The standard CTA-861/DMT timing for the request where there is one, else
// (progressive only) the CVT reduced-blanking timing; nothing when CVT cannot make one either.
std::optional<Timing> timingForRequest(const ModeRequest &request);

} // namespace varnex::edid
