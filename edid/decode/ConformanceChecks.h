#pragma once

#include "decode/EdidModel.h"

#include <QStringList>

namespace varnex::edid {

// Adds the findings of the conformance checks that edid-decode -c also makes
// (codes in conformanceCodes()) to a decoded table. They read the model and
// its bytes only, after the decoder is done. None of them is an error: they
// flag what departs from the standards' letter or may surprise a source,
// never a table that a source cannot read (the decoder's own findings say
// that), so a table every source accepts keeps its "valid" verdict.
void checkConformance(DecodedEdid &edid);

// The stable codes checkConformance() may add.
QStringList conformanceCodes();

} // namespace varnex::edid
