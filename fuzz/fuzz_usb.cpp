// The libusb backend's handling of what a device returns, through its UsbApi
// seam, driven by the transfer sequences as the program drives it.
#include "DeviceActions.h"
#include "FuzzedUsbApi.h"
#include "QuietQt.h"
#include "UsbXpressBridge.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

using namespace varnex::device::usb;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    qint64 now = 0;
    auto api = std::make_unique<FuzzedUsbApi>(input, now);
    const FuzzedUsbApi &usb = *api;
    {
        UsbXpressBridge bridge(std::move(api), {DefaultBridgeUsbId}, [&now] { return now; });
        runDeviceActions(input, bridge,
                         [&usb] { return usb.openHandles() == 0 && usb.claimedInterfaces() == 0; });
    }
    return 0;
}
