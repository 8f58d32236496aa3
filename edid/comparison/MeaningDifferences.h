#pragma once

#include "capability/Capabilities.h"

#include <QJsonObject>
#include <QList>
#include <QStringList>

namespace varnex::edid {

struct DecodedEdid;

// How two tables differ in what they say rather than where their bytes lie:
// a data block that grows or shrinks moves every byte after it but changes
// only what it holds. The tables are called A (the first) and B.
struct MeaningDifferences
{
    // The modes of one table that the other does not offer (sameMode), in
    // table order, each with the sources that offer it.
    QList<CapabilityMode> modesOnlyInFirst;
    QList<CapabilityMode> modesOnlyInSecond;
    // Each topic holds its lines as shown, e.g. "Audio only in B: 5.1 AC-3
    // (32, 44.1, 48 kHz; up to 640 kb/s)", "Maximum TMDS clock: 300 MHz -> 340 MHz".
    // `preferred`: a change of the preferred mode.
    QStringList preferred;
    QStringList audio;
    QStringList color;
    QStringList hdr;
    QStringList link;
    QStringList identity;
    // Extension blocks by type and CTA-861 data blocks by kind that one
    // table has more of, e.g. "HDR Static Metadata Data Block only in B".
    QStringList blocks;

    bool isEmpty() const { return lines().isEmpty(); }
    // The report, one line each: the modes only in A, only in B, then the
    // topics in the order above. Empty when the tables mean the same.
    QStringList lines() const;
};

// Compares what two decoded tables say; a table without a base block says nothing.
MeaningDifferences meaningDifferences(const DecodedEdid &first, const DecodedEdid &second);

// {"modesOnlyInFirst": [mode], "modesOnlyInSecond": [mode], "preferred",
// "audio", "color", "hdr", "link", "identity", "blocks": [line]}; a mode as in
// the decode JSON's capabilities (capabilityModeJson), a line as in lines().
QJsonObject meaningJson(const MeaningDifferences &meaning);

} // namespace varnex::edid
