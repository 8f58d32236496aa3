#pragma once

#include <QLoggingCategory>

// Log lines of the USB bridge backend ("varnex.usb"); the user sees only the
// connection's own messages, these say why.
Q_DECLARE_LOGGING_CATEGORY(lcUsbBridge)
