#pragma once

namespace varnex::edid {

// A point of the CIE 1931 xy chromaticity diagram.
struct CiePoint
{
    double x = 0;
    double y = 0;
};

} // namespace varnex::edid
