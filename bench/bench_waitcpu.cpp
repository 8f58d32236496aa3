// What a silent device costs while the program waits out its 3 s reply limit,
// on each backend: the share of one core the process uses meanwhile.
#include "BridgeFactory.h"
#include "DeviceConnection.h"
#include "SilentWait.h"
#include "UsbBridge.h"
#include "UsbIds.h"
#include "UsbXpressBridge.h"
#include "sim/SimulatedEnvironment.h"

#include <benchmark/benchmark.h>

#include <QProcessEnvironment>
#include <QThread>

#include <memory>

using namespace varnex::device;

namespace {

// Where bench.sh points the vendor-library backend: the fake library the tests build.
constexpr char FakeVendorLibraryVariable[] = "VARNEX_BENCH_SIUSBXP";

void BM_SilentWaitSim(benchmark::State &state)
{
    QProcessEnvironment environment;
    environment.insert(sim::SimFaultsVariable, "silent-after=0");
    QString error;
    const std::unique_ptr<sim::SimulatedVarnex> library =
        sim::createSimulatedVarnex(environment, &error);
    measureSilentWait(state, *library);
}
BENCHMARK(BM_SilentWaitSim)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The fake vendor library answers no mode request, so the query waits out the limit.
void BM_SilentWaitVendorLibrary(benchmark::State &state)
{
    const QString path = qEnvironmentVariable(FakeVendorLibraryVariable);
    QProcessEnvironment environment;
    environment.insert(BridgeVariable, "siusbxp:" + path);
    BridgeBackend backend = createBridgeBackend(environment);
    if (path.isEmpty() || !backend.library) {
        state.SkipWithError("set VARNEX_BENCH_SIUSBXP to the fake vendor library");
        return;
    }
    measureSilentWait(state, *backend.library);
}
BENCHMARK(BM_SilentWaitVendorLibrary)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// A USB layer that blocks in each bulk IN transfer for its whole time-out, as
// libusb does in the kernel when the bridge sends nothing.
class SilentUsbApi final : public usb::UsbApi
{
public:
    int initStatus() const override { return usb::UsbCode::Success; }
    int enumerate(std::vector<usb::UsbDeviceInfo> *devices) override
    {
        usb::UsbDeviceInfo bridge;
        bridge.vendorId = usb::DefaultBridgeUsbId.vendorId;
        bridge.productId = usb::DefaultBridgeUsbId.productId;
        bridge.serialNumberIndex = 3;
        bridge.busNumber = 1;
        bridge.portNumbers = {1};
        bridge.interfaces.push_back({0, 0, 0xFF, {{0x81, 0x02, 64}, {0x01, 0x02, 64}}});
        *devices = {bridge};
        return usb::UsbCode::Success;
    }
    int open(usb::UsbDeviceId, usb::UsbHandleId *handle) override
    {
        *handle = 1;
        return usb::UsbCode::Success;
    }
    void close(usb::UsbHandleId) override {}
    int stringDescriptor(usb::UsbHandleId, quint8, QByteArray *text) override
    {
        *text = "2020";
        return usb::UsbCode::Success;
    }
    int kernelDriverActive(usb::UsbHandleId, int) override { return 0; }
    int detachKernelDriver(usb::UsbHandleId, int) override { return usb::UsbCode::Success; }
    int attachKernelDriver(usb::UsbHandleId, int) override { return usb::UsbCode::Success; }
    int claimInterface(usb::UsbHandleId, int) override { return usb::UsbCode::Success; }
    int releaseInterface(usb::UsbHandleId, int) override { return usb::UsbCode::Success; }
    int clearHalt(usb::UsbHandleId, quint8) override { return usb::UsbCode::Success; }
    int controlOut(usb::UsbHandleId, quint8, quint8, quint16, quint16, unsigned) override
    {
        return usb::UsbCode::Success;
    }
    int bulkTransfer(usb::UsbHandleId, quint8 endpoint, quint8 *, int length, int *transferred,
                     unsigned timeoutMs) override
    {
        *transferred = 0;
        if ((endpoint & 0x80) == 0) {
            *transferred = length;
            return usb::UsbCode::Success;
        }
        QThread::msleep(timeoutMs);
        return usb::UsbCode::Timeout;
    }
};

void BM_SilentWaitUsb(benchmark::State &state)
{
    usb::UsbXpressBridge library(std::make_unique<SilentUsbApi>(), {usb::DefaultBridgeUsbId});
    measureSilentWait(state, library);
}
BENCHMARK(BM_SilentWaitUsb)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
