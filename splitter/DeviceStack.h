#pragma once

#include "BridgeLibrary.h"
#include "DeviceConnection.h"
#include "DeviceSession.h"
#include "DeviceSettings.h"
#include "Outcome.h"
#include "UsbBridge.h"

#include <QProcessEnvironment>

#include <memory>

namespace varnex::device {
class DeviceMessageSink;
}

namespace varnex::splitter {

class DeviceStack;

// A built stack, or why there is none.
struct DeviceStackResult : Outcome
{
    std::unique_ptr<DeviceStack> stack; // null exactly when not Done
};

// Everything between a front end and the splitter, built in one place: the
// backend, the bridge with its messages going to the front end's sink, the
// connection with the settings, and the session over them.
class DeviceStack
{
public:
    // The connection's clock, pause and nap; empty ones mean the real ones.
    struct Timing
    {
        device::DeviceConnection::Clock clock;
        device::DeviceConnection::Pause pause;
        device::DeviceConnection::Nap nap;
    };

    // On the backend that VARNEX_BRIDGE in `environment` names
    // (device::createBridgeBackend). `sink` is not owned. With `settings`,
    // the stack works with that process-wide record, which must outlive it;
    // without, with its own defaults. Refused, with the factory's text as
    // the message, when the environment names no usable backend.
    static DeviceStackResult create(const QProcessEnvironment &environment,
                                    device::DeviceMessageSink &sink,
                                    DeviceSettings *settings = nullptr);

    // On a bridge library the caller keeps (benchmarks, tests); nothing is
    // owned but the stack's own settings.
    DeviceStack(device::BridgeLibrary &library, device::DeviceMessageSink &sink,
                DeviceSettings *settings = nullptr, Timing timing = {});

    DeviceStack(const DeviceStack &) = delete;
    DeviceStack &operator=(const DeviceStack &) = delete;

    device::UsbBridge &bridge() { return m_bridge; }
    device::DeviceConnection &connection() { return m_connection; }
    DeviceSession &session() { return m_session; }
    DeviceSettings &settings() { return m_settings; }

private:
    DeviceStack(std::unique_ptr<device::BridgeLibrary> backend, device::DeviceMessageSink &sink,
                DeviceSettings *settings);

    std::unique_ptr<device::BridgeLibrary> m_backend; // null when the caller keeps the library
    DeviceSettings m_ownSettings;
    DeviceSettings &m_settings;
    device::UsbBridge m_bridge;
    device::DeviceConnection m_connection;
    DeviceSession m_session;
};

} // namespace varnex::splitter
