#include "DeviceStack.h"

namespace varnex::cli {

std::unique_ptr<DeviceStack> DeviceStack::create(const QProcessEnvironment &environment,
                                                 Console &console, QString *error)
{
    device::BridgeBackend backend = device::createBridgeBackend(environment);
    if (!backend.library) {
        *error = backend.error;
        return nullptr;
    }
    return std::unique_ptr<DeviceStack>(new DeviceStack(std::move(backend.library), console));
}

DeviceStack::DeviceStack(std::unique_ptr<device::BridgeLibrary> library, Console &console)
    : m_library(std::move(library)), m_sink(console), m_bridge(*m_library, m_sink),
      m_connection(m_bridge, m_settings), m_session(m_bridge, m_connection, m_settings)
{
}

} // namespace varnex::cli
