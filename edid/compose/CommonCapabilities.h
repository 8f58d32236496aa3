#pragma once

#include "capability/Capabilities.h"

#include <QList>
#include <QStringList>

namespace varnex::edid {

// What every one of several displays accepts, and what each lost by it.
struct CommonCapabilities
{
    // Modes in placement order: the preferred one first (marked preferred;
    // of the modes whose whole timing is known, as a DTD must spell it out),
    // then the most pixels, then the highest rate. Each has a timing where
    // any input gives one, a standard one (a VIC's, a DMT's) before others.
    Capabilities caps;
    // Per input, what it offered that another lacked: "tv.bin: dropped
    // 3840x2160@60 (not offered by monitor.bin)".
    QStringList report;
};

// The intersection of `inputs` (at least one), `names` standing for them in
// the report. Range limits are the intersection of those given (the table
// widens them to hold the modes it writes); modes faster than the lowest
// TMDS limit are dropped.
CommonCapabilities commonCapabilities(const QList<Capabilities> &inputs, const QStringList &names);

} // namespace varnex::edid
