#include "UsbLogging.h"

Q_LOGGING_CATEGORY(lcUsbBridge, "varnex.usb")
