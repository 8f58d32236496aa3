#include "EdidHeader.h"

#include <algorithm>

namespace varnex::edid {

bool hasEdidHeader(const EdidImage &image)
{
    return std::equal(EdidHeaderBytes.begin(), EdidHeaderBytes.end(), image.begin());
}

} // namespace varnex::edid
