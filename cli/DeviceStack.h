#pragma once

#include "BridgeFactory.h"
#include "ConsoleMessageSink.h"
#include "DeviceConnection.h"
#include "DeviceSession.h"
#include "DeviceSettings.h"
#include "UsbBridge.h"

#include <memory>

namespace varnex::cli {

// Everything between a command and the splitter: the backend that the
// environment names, the bridge with its messages on the console, the
// connection with the default settings, and the session over them.
class DeviceStack
{
public:
    // Null, with the factory's text in *error, when the environment names no
    // usable backend.
    static std::unique_ptr<DeviceStack> create(const QProcessEnvironment &environment,
                                               Console &console, QString *error);

    edid::DeviceSession &session() { return m_session; }

private:
    DeviceStack(std::unique_ptr<device::BridgeLibrary> library, Console &console);

    std::unique_ptr<device::BridgeLibrary> m_library;
    ConsoleMessageSink m_sink;
    device::UsbBridge m_bridge;
    device::DeviceSettings m_settings;
    device::DeviceConnection m_connection;
    edid::DeviceSession m_session;
};

} // namespace varnex::cli
