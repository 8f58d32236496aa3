#pragma once

#include "DeviceMessageSink.h"

// Counts the device-link messages instead of showing them: a benchmark that
// meets one has measured a failure, not the path it meant to.
class NullMessageSink final : public varnex::device::DeviceMessageSink
{
public:
    void showMessage(const QString &) override { ++messages; }
    int messages = 0;
};
