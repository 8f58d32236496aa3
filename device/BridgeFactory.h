#pragma once

#include "BridgeLibrary.h"

#include <QProcessEnvironment>
#include <QString>

#include <memory>

namespace varnex::device {

// Environment variables read when the program starts.
inline constexpr char BridgeVariable[] = "VARNEX_BRIDGE";      // which backend
inline constexpr char SimStateVariable[] = "VARNEX_SIM_STATE"; // sim: state file
inline constexpr char SimTraceVariable[] = "VARNEX_SIM_TRACE"; // sim: call trace file

// The backend a program runs on, or why there is none.
struct BridgeBackend
{
    std::unique_ptr<BridgeLibrary> library; // null exactly when error is set
    QString error;
};

// Builds the backend that VARNEX_BRIDGE in `environment` names:
//   unset or empty   direct USB access (createUsbBackend)
//   "usb"            the same; VARNEX_USB_IDS may list other vendor:product ids
//   "sim"            the simulated Varnex, with VARNEX_SIM_STATE, VARNEX_SIM_TRACE,
//                    VARNEX_SIM_DEVICES and VARNEX_SIM_FAULTS (sim/SimulatedEnvironment.h)
//   "siusbxp:PATH"   the bridge vendor's C API, loaded from the shared library PATH
// Any other value, or a backend that cannot start, gives an error text meant
// for the user.
BridgeBackend createBridgeBackend(const QProcessEnvironment &environment);

// Why `choice` (a value for VARNEX_BRIDGE, wherever the user gave it) names
// no backend, as a phrase that starts with the value itself and that the
// caller prefixes with where it came from; empty when it names one, whether
// or not that backend can start.
QString bridgeChoiceProblem(const QString &choice);

// Direct USB access to the bridge, for the USB ids VARNEX_USB_IDS lists.
std::unique_ptr<BridgeLibrary> createUsbBackend(const QProcessEnvironment &environment);

} // namespace varnex::device
