#pragma once

#include "Console.h"
#include "DeviceMessageSink.h"

namespace varnex::cli {

// The device link's messages ("Unable to open handle to device!" and the
// others) as lines on standard error.
class ConsoleMessageSink final : public device::DeviceMessageSink
{
public:
    explicit ConsoleMessageSink(Console &console) : m_console(console) {}
    void showMessage(const QString &text) override { m_console.message(text); }

private:
    Console &m_console;
};

} // namespace varnex::cli
