#pragma once

#include <QString>

namespace varnex::device {

// Receives the fixed texts of the device link (DeviceMessages.h). The window
// program shows each in a box of its own and returns when the user has
// dismissed it; tests record them.
class DeviceMessageSink
{
public:
    virtual ~DeviceMessageSink() = default;
    virtual void showMessage(const QString &text) = 0;
};

} // namespace varnex::device
