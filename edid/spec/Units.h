#pragma once

#include <QtGlobal>

namespace varnex::edid {

// A detailed timing stores its pixel clock in 10 kHz units in 16 bits
// (VESA E-EDID 1.4, section 3.10.2).
inline constexpr int DtdPixelClockUnitKHz = 10;
inline constexpr int DtdMaxPixelClockKHz = 0xFFFF * DtdPixelClockUnitKHz;

// The HDMI VSDB's Max_TMDS_Clock and the HF-VSDB's Max_TMDS_Character_Rate
// count in 5 MHz (HDMI 1.4b, 8.3.2; HDMI 2.1, 10.3.2).
inline constexpr int TmdsUnitMHz = 5;
// HDMI 1.4b caps the TMDS clock of an HDMI 1.4 sink at 340 MHz.
inline constexpr int HdmiVsdbMaxTmdsMHz = 340;

} // namespace varnex::edid
