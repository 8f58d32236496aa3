#pragma once

#include "DeviceConnection.h"
#include "LinkSettings.h"
#include "ProbingBridge.h"
#include "RecordingMessageSink.h"
#include "StepClock.h"
#include "UsbBridge.h"
#include "sim/SimulatedVarnex.h"

#include <QList>

// A simulated Varnex behind the real bridge wrapper and connection, with a
// probe between them, recorded device-link messages, a clock that moves
// 100 ms a reading (a silent request gives up after 30 readings) and a
// recorded pause and nap that do not sleep.
struct SimulatedRig
{
    explicit SimulatedRig(const varnex::device::LinkSettings &settings,
                          QList<varnex::device::sim::SimulatedBridgeDevice> devices =
                              {varnex::device::sim::SimulatedBridgeDevice{}})
        : sim(std::move(devices)), probe(sim),
          connection(
              bridge, settings, StepClock(0, 100).function(),
              [this](quint32 ms) {
                  pauses.append(ms);
                  framesAtPause.append(int(sim.writtenFrames().size()));
              },
              [this](quint32 microseconds) { naps.append(microseconds); })
    {
    }

    int count(varnex::device::sim::BridgeOperation operation) const
    {
        int n = 0;
        for (const varnex::device::sim::BridgeCall &call : sim.calls())
            n += call.operation == operation ? 1 : 0;
        return n;
    }

    varnex::device::sim::SimulatedVarnex sim;
    ProbingBridge probe;
    RecordingMessageSink sink;
    varnex::device::UsbBridge bridge{probe, sink};
    QList<quint32> pauses;
    QList<int> framesAtPause; // frames written when each pause began
    QList<quint32> naps;
    varnex::device::DeviceConnection connection;
};
