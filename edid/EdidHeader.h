#pragma once

#include "EdidImage.h"

namespace varnex::edid {

// True when the image's first 8 bytes are the EDID header.
bool hasEdidHeader(const EdidImage &image);

} // namespace varnex::edid
