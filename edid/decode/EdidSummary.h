#pragma once

#include "decode/EdidModel.h"

#include <QString>

namespace varnex::edid {

// The one-line facts shown above the decoded tree.
struct EdidSummary
{
    // "SAM SAMSUNG": manufacturer id and product name, or the product code
    // when the table has no name; empty without a base block.
    QString product;
    // "1920x1080 @ 60 Hz" from the preferred detailed timing: the base
    // block's first, else a DisplayID timing flagged preferred; empty when
    // the table has none.
    QString preferredMode;
    int errors = 0;
    int warnings = 0;
    int notes = 0;
    // "valid" without errors and warnings, else "2 errors, 1 warning".
    QString status;
};

EdidSummary summarize(const DecodedEdid &edid);

// "1920x1080 @ 60 Hz", "1920x1080i @ 59.94 Hz": the rate in whole Hz when
// it rounds to a whole number at two decimals, else with two decimals.
QString modeText(int width, int height, double refreshHz, bool interlaced);

} // namespace varnex::edid
