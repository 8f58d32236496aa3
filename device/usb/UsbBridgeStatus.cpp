#include "UsbBridgeStatus.h"

#include "UsbApi.h"

namespace varnex::device::usb {

namespace {

// libusb codes run from -1 to -12 and -99; anything stranger is folded here.
constexpr int LargestUsbErrorMagnitude = 0xFF;

QString usbCodeName(int code)
{
    switch (code) {
    case UsbCode::Io:
        return QStringLiteral("I/O error");
    case UsbCode::InvalidParam:
        return QStringLiteral("invalid parameter");
    case UsbCode::Access:
        return QStringLiteral("permission denied");
    case UsbCode::NoDevice:
        return QStringLiteral("device disconnected");
    case UsbCode::NotFound:
        return QStringLiteral("entity not found");
    case UsbCode::Busy:
        return QStringLiteral("device busy");
    case UsbCode::Timeout:
        return QStringLiteral("timed out");
    case UsbCode::Overflow:
        return QStringLiteral("overflow");
    case UsbCode::Pipe:
        return QStringLiteral("endpoint stalled");
    case UsbCode::Interrupted:
        return QStringLiteral("interrupted");
    case UsbCode::NoMem:
        return QStringLiteral("out of memory");
    case UsbCode::NotSupported:
        return QStringLiteral("not supported");
    case UsbCode::Other:
        return QStringLiteral("other USB error");
    default:
        return QStringLiteral("USB error %1").arg(code);
    }
}

} // namespace

BridgeStatus bridgeStatusFromUsb(int usbCode)
{
    if (usbCode == UsbCode::Success)
        return BridgeSuccess;
    if (usbCode == UsbCode::Access)
        return BridgeAccessDenied;
    const qint64 magnitude = usbCode < 0 ? -qint64(usbCode) : qint64(usbCode);
    return UsbErrorStatusBase + BridgeStatus(qMin<qint64>(magnitude, LargestUsbErrorMagnitude));
}

QString usbBridgeStatusText(BridgeStatus status)
{
    switch (status) {
    case BridgeSuccess:
        return QStringLiteral("success");
    case InvalidHandleStatus:
        return QStringLiteral("invalid handle");
    case DeviceNotFoundStatus:
        return QStringLiteral("no device at this index");
    case InvalidParameterStatus:
        return QStringLiteral("invalid parameter");
    case DeviceNotUsableStatus:
        return QStringLiteral("device has no usable bridge interface");
    case StringUnavailableStatus:
        return QStringLiteral("device has no such string");
    case IncompleteWriteStatus:
        return QStringLiteral("incomplete write");
    case BridgeAccessDenied:
        return usbCodeName(UsbCode::Access);
    default:
        if (status > UsbErrorStatusBase && status <= UsbErrorStatusBase + LargestUsbErrorMagnitude)
            return usbCodeName(-(status - UsbErrorStatusBase));
        return QStringLiteral("status %1").arg(status);
    }
}

} // namespace varnex::device::usb
