// The EDID read and write on the simulated Varnex with a reply latency, real
// clock and real pauses, against their protocol floor; and the latency that
// the wait's naps add to one reply, against a wait that only spins.
#include "DeviceStack.h"
#include "EdidTransfers.h"
#include "ForwardingBridge.h"
#include "NullMessageSink.h"
#include "sim/SimulatedEnvironment.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

using namespace varnex::device;
using namespace varnex::device::sim;
using namespace varnex::splitter;

namespace {

// The reply latency of the floor figures, as VARNEX_SIM_FAULTS gives it.
constexpr int LatencyMs = 2;
// A reply late enough to arrive while the wait naps rather than spins.
constexpr int LateReplyMs = 10;
static_assert(LateReplyMs > int(DeviceConnection::SpinMs));

// The sequences report their progress to a function that must be callable.
const TransferProgress ignoreProgress = [](int, int) {};

std::unique_ptr<SimulatedVarnex> simulatorWithLatency()
{
    QProcessEnvironment environment;
    environment.insert(SimFaultsVariable, QStringLiteral("latency-ms=%1").arg(LatencyMs));
    QString error;
    return createSimulatedVarnex(environment, &error);
}

// Hides each reply of the faultless simulator until exactly `latency` after
// its frame went out. The simulator's own latency counts whole milliseconds,
// which would swallow the fraction of a millisecond a nap adds.
class PreciseLatencyBridge final : public ForwardingBridge
{
public:
    using Clock = std::chrono::steady_clock;

    PreciseLatencyBridge(SimulatedVarnex &sim, Clock::duration latency)
        : ForwardingBridge(sim), m_sim(sim), m_latency(latency)
    {
    }

    BridgeStatus write(BridgeHandle handle, const quint8 *buffer, quint32 toWrite,
                       quint32 *written) override
    {
        m_readyAt = Clock::now() + m_latency;
        m_sim.clearCalls();
        return ForwardingBridge::write(handle, buffer, toWrite, written);
    }
    BridgeStatus checkRxQueue(BridgeHandle handle, quint32 *bytesWaiting,
                              quint32 *queueStatus) override
    {
        const BridgeStatus status =
            ForwardingBridge::checkRxQueue(handle, bytesWaiting, queueStatus);
        if (Clock::now() < m_readyAt)
            *bytesWaiting = 0;
        return status;
    }

private:
    SimulatedVarnex &m_sim;
    Clock::duration m_latency;
    Clock::time_point m_readyAt;
};

// One mode query and its late reply; `spin` replaces the naps by nothing.
void replyLatency(benchmark::State &state, bool spin)
{
    SimulatedVarnex sim;
    PreciseLatencyBridge library(sim, std::chrono::milliseconds(LateReplyMs));
    NullMessageSink sink;
    DeviceStack stack(
        library, sink, nullptr,
        {{}, {}, spin ? DeviceConnection::Nap([](quint32) {}) : DeviceConnection::Nap()});
    DeviceConnection &connection = stack.connection();
    if (!connection.openDevice()) {
        state.SkipWithError("no simulated Varnex");
        return;
    }
    for (auto _ : state) {
        if (!sendModeFrame(connection, ModeSelector::Query).replied) {
            state.SkipWithError("no reply");
            break;
        }
    }
    connection.closeDevice();
}

void BM_ReplyLatencySpin(benchmark::State &state)
{
    replyLatency(state, true);
}
BENCHMARK(BM_ReplyLatencySpin)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

void BM_ReplyLatencyNap(benchmark::State &state)
{
    replyLatency(state, false);
}
BENCHMARK(BM_ReplyLatencyNap)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

// Open, transfer, close, as each device action of the program does.
struct SimulatedLink
{
    std::unique_ptr<SimulatedVarnex> sim = simulatorWithLatency();
    NullMessageSink sink;
    DeviceStack stack{*sim, sink};
    DeviceConnection &connection = stack.connection();
    const DeviceSettings &settings = stack.settings();
};

void BM_ReadTable(benchmark::State &state)
{
    SimulatedLink link;
    for (auto _ : state) {
        link.sim->clearCalls();
        const bool opened = link.connection.openDevice();
        const EdidReadResult result =
            readEdidTable(link.connection, link.settings.edidAddress, ignoreProgress);
        link.connection.closeDevice();
        if (!opened || result.firstMissingOffset() >= 0) {
            state.SkipWithError("the read failed");
            break;
        }
    }
    state.counters["latency_ms"] = LatencyMs;
}
BENCHMARK(BM_ReadTable)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void BM_WriteTable(benchmark::State &state)
{
    SimulatedLink link;
    EdidImage image{};
    for (int i = 0; i < EdidImageSize; ++i)
        image[std::size_t(i)] = quint8(i);
    for (auto _ : state) {
        link.sim->clearCalls();
        const bool opened = link.connection.openDevice();
        const EdidWriteResult result =
            writeEdidTable(link.connection, link.settings.edidAddress, image, ignoreProgress);
        link.connection.closeDevice();
        if (!opened || result.firstFailedOffset() >= 0) {
            state.SkipWithError("the write failed");
            break;
        }
    }
    state.counters["latency_ms"] = LatencyMs;
    state.counters["pause_ms"] = WriteFramePauseMs;
}
BENCHMARK(BM_WriteTable)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
