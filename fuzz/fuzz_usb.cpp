// The libusb backend's handling of what a device returns, through its UsbApi
// seam, driven by the transfer sequences as the program drives it.
#include "DeviceActions.h"
#include "FuzzCheck.h"
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
    FuzzedUsbState usb;
    {
        UsbXpressBridge bridge(std::make_unique<FuzzedUsbApi>(input, usb), {DefaultBridgeUsbId},
                               [&usb] { return usb.now; });
        runDeviceActions(input, bridge,
                         [&usb] { return usb.openHandles == 0 && usb.claimedInterfaces == 0; });
    }
    // Giving kernel drivers back opens devices once more; it too closes them.
    FUZZ_CHECK(usb.openHandles == 0);
    return 0;
}
