#pragma once

#include "BridgeLibrary.h"
#include "DeviceConnection.h"
#include "LinkSettings.h"
#include "NullMessageSink.h"
#include "UsbBridge.h"

#include <benchmark/benchmark.h>

#include <ctime>

inline double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

inline double wallSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// The program's own wait (real clock, real naps) for one unanswered mode
// query on `library`, with the counters cpu_share (process CPU time over wall
// time, so every thread counts) and wait_s.
inline void measureSilentWait(benchmark::State &state, varnex::device::BridgeLibrary &library)
{
    using namespace varnex::device;
    NullMessageSink sink;
    UsbBridge bridge(library, sink);
    LinkSettings settings;
    DeviceConnection connection(bridge, settings);
    double cpu = 0;
    double wall = 0;
    for (auto _ : state) {
        if (!connection.openDevice()) {
            state.SkipWithError("the device did not open");
            return;
        }
        const double cpuStart = processCpuSeconds();
        const double wallStart = wallSeconds();
        const quint8 frame[] = {0x11, 0x01, 0xD2};
        quint8 reply = 0;
        const TransactResult result = connection.exchange(&reply, frame, 1, sizeof frame);
        cpu += processCpuSeconds() - cpuStart;
        wall += wallSeconds() - wallStart;
        connection.closeDevice();
        if (result.outcome != TransactResult::TimedOut) {
            state.SkipWithError("the device answered");
            return;
        }
    }
    state.counters["cpu_share"] = cpu / wall;
    state.counters["wait_s"] = wall / double(state.iterations());
}
