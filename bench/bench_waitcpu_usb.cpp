// The libusb backend waiting out a silent bridge emulated in umockdev: libusb
// and usbfs run for real. The emulator answers in this process, so its work
// counts too; the figure is an upper bound for the backend's own. Needs
// libumockdev-preload in LD_PRELOAD, as scripts/bench.sh sets it.
#include "BridgeFactory.h"
#include "SilentWait.h"
#include "UsbTestBed.h"

#include <QProcessEnvironment>

#include <memory>

namespace {

void BM_SilentWaitUsbEmulated(benchmark::State &state)
{
    if (!UsbTestBed::isActive()) {
        state.SkipWithError("run with libumockdev-preload in LD_PRELOAD");
        return;
    }
    // The bed must exist before the USB layer starts.
    UsbTestBed bed;
    bed.addBridge().setSilent(true);
    const std::unique_ptr<varnex::device::BridgeLibrary> library =
        varnex::device::createUsbBackend(QProcessEnvironment());
    measureSilentWait(state, *library);
}
BENCHMARK(BM_SilentWaitUsbEmulated)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
