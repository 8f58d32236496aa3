#include "DeviceStack.h"

#include "BridgeFactory.h"

namespace varnex::splitter {

DeviceStackResult DeviceStack::create(const QProcessEnvironment &environment,
                                      device::DeviceMessageSink &sink, DeviceSettings *settings)
{
    device::BridgeBackend backend = device::createBridgeBackend(environment);
    DeviceStackResult result;
    if (!backend.library) {
        // The factory's text says what is wrong and which values are accepted.
        static_cast<Outcome &>(result) = {SessionStatus::Refused, backend.error, {}};
        return result;
    }
    static_cast<Outcome &>(result) = doneOutcome();
    result.stack.reset(new DeviceStack(std::move(backend.library), sink, settings));
    return result;
}

DeviceStack::DeviceStack(device::BridgeLibrary &library, device::DeviceMessageSink &sink,
                         DeviceSettings *settings, Timing timing)
    : m_settings(settings ? *settings : m_ownSettings), m_bridge(library, sink),
      m_connection(m_bridge, m_settings, std::move(timing.clock), std::move(timing.pause),
                   std::move(timing.nap)),
      m_session(m_bridge, m_connection, m_settings)
{
}

DeviceStack::DeviceStack(std::unique_ptr<device::BridgeLibrary> backend,
                         device::DeviceMessageSink &sink, DeviceSettings *settings)
    : DeviceStack(*backend, sink, settings)
{
    m_backend = std::move(backend);
}

} // namespace varnex::splitter
