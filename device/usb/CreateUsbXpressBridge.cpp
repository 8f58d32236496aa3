#include "LibUsbApi.h"
#include "UsbLogging.h"
#include "UsbXpressBridge.h"

namespace varnex::device {

std::unique_ptr<BridgeLibrary> createUsbXpressBridge(const QString &acceptedIds)
{
    const usb::UsbIdList ids = usb::parseUsbIds(acceptedIds);
    for (const QString &entry : ids.rejected)
        qCWarning(lcUsbBridge, "%s: ignoring \"%s\", expected vendor:product in hexadecimal",
                  usb::UsbIdsVariable, qPrintable(entry));
    return std::make_unique<usb::UsbXpressBridge>(std::make_unique<usb::LibUsbApi>(), ids.ids);
}

} // namespace varnex::device
