#pragma once

namespace varnex::edid {

// Where a decoded item lives: absolute offset in the image and length in
// bytes. A default range (offset -1) marks an item with no bytes of its own.
struct ByteRange
{
    int offset = -1;
    int length = 0;
};

} // namespace varnex::edid
