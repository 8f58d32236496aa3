#pragma once

#include "SimulatedVarnex.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QProcessEnvironment>
#include <QString>

#include <memory>
#include <optional>

namespace varnex::device::sim {

// Environment variables that steer the simulated Varnex of VARNEX_BRIDGE=sim.
inline constexpr char SimDevicesVariable[] = "VARNEX_SIM_DEVICES"; // SERIAL,SERIAL,...
inline constexpr char SimFaultsVariable[] = "VARNEX_SIM_FAULTS";   // ITEM,ITEM,...

// The faults VARNEX_SIM_FAULTS asks for; the defaults are a faultless device.
struct SimulatedFaults
{
    int latencyMs = 0;                           // latency-ms=N
    int silentAfter = -1;                        // silent-after=N; -1: always answers
    int shortReplies = -1;                       // short-replies=N; -1: whole replies
    QList<QPair<BridgeOperation, int>> failures; // fail=OPERATION@K, in the order given
    QList<quint8> stuckOffsets;                  // stuck=OFFSET, in the order given
    int longReplies = 0;                         // long-replies=N: N bytes more per reply
    int unplugAfter = -1;                        // unplug-after=N; -1: never unplugged
    int lateDuplicate = -1;                      // late-duplicate=N; -1: no reply repeated

    bool operator==(const SimulatedFaults &) const = default;
};

// The serials of VARNEX_SIM_DEVICES, one device per item (an empty item is a
// device with an empty serial); an unset or empty value gives the default
// single "2020". Nothing, and a text naming the variable and the item, when
// an item is malformed.
std::optional<QList<SimulatedBridgeDevice>> parseSimulatedDevices(const QString &value,
                                                                  QString *error);

// The items of VARNEX_SIM_FAULTS; an empty value means no faults. Nothing,
// and a text naming the variable and the item, when an item is malformed,
// unknown, empty or repeated (only fail and stuck may repeat).
std::optional<SimulatedFaults> parseSimulatedFaults(const QString &value, QString *error);

// Gives `simulator` the faults through its fault-injection methods.
void applySimulatedFaults(SimulatedVarnex &simulator, const SimulatedFaults &faults);

// The simulated Varnex that VARNEX_SIM_DEVICES and VARNEX_SIM_FAULTS in
// `environment` describe, without a call log, or null and the parser's text
// in *error.
std::unique_ptr<SimulatedVarnex> createSimulatedVarnex(const QProcessEnvironment &environment,
                                                       QString *error);

} // namespace varnex::device::sim
