#pragma once

#include "compose/Compose.h"

namespace varnex::edid {

// `common` laid out as a 256-byte table through the edit functions, on the
// presets' base image. Its first mode becomes the preferred timing; the rest
// go in order as VICs where a VIC names them, else established or standard
// timings, else DTDs, while room lasts. Fills image (or error, when the name
// or the preferred timing cannot be written), modes (with where each went)
// and report (what did not fit).
ComposeResult writeComposedTable(const Capabilities &common, const ComposeOptions &options);

} // namespace varnex::edid
