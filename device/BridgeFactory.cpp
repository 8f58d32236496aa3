#include "BridgeFactory.h"

#include "sim/SimulatedVarnex.h"
#include "siusbxp/SiUsbXpLibrary.h"

namespace varnex::device {

namespace {

const QString SiUsbXpPrefix = QStringLiteral("siusbxp:");

// Stands in for direct USB access until that backend exists: a bridge with no
// device attached, so every device action reports that no hardware is found.
class NoBridgeDevices final : public BridgeLibrary
{
public:
    // Any nonzero status; no device means no call beyond the count succeeds.
    static constexpr BridgeStatus NoDevice = 0xFF;

    BridgeStatus getDeviceCount(quint32 *count) override
    {
        *count = 0;
        return BridgeSuccess;
    }
    BridgeStatus getDeviceString(quint32, char *, quint32) override { return NoDevice; }
    BridgeStatus open(quint32, BridgeHandle *) override { return NoDevice; }
    BridgeStatus close(BridgeHandle) override { return NoDevice; }
    BridgeStatus read(BridgeHandle, quint8 *, quint32, quint32 *) override { return NoDevice; }
    BridgeStatus write(BridgeHandle, const quint8 *, quint32, quint32 *) override
    {
        return NoDevice;
    }
    BridgeStatus flushBuffers(BridgeHandle, quint8, quint8) override { return NoDevice; }
    BridgeStatus checkRxQueue(BridgeHandle, quint32 *, quint32 *) override { return NoDevice; }
};

BridgeBackend failure(const QString &error)
{
    return {nullptr, error};
}

BridgeBackend createSimulatedBackend(const QProcessEnvironment &environment)
{
    auto simulator = std::make_unique<sim::SimulatedVarnex>();
    QString error;
    const QString statePath = environment.value(QLatin1String(SimStateVariable));
    if (!statePath.isEmpty() && !simulator->useStateFile(statePath, &error))
        return failure(error);
    const QString tracePath = environment.value(QLatin1String(SimTraceVariable));
    if (!tracePath.isEmpty() && !simulator->useTraceFile(tracePath, &error))
        return failure(error);
    return {std::move(simulator), {}};
}

BridgeBackend createSiUsbXpBackend(const QString &path)
{
    if (path.isEmpty()) {
        return failure(QStringLiteral("%1=siusbxp: needs the path of the library, as in "
                                      "siusbxp:/path/to/libsiusbxp.so")
                           .arg(QLatin1String(BridgeVariable)));
    }
    QString error;
    std::unique_ptr<SiUsbXpLibrary> library = SiUsbXpLibrary::load(path, &error);
    if (!library)
        return failure(error);
    return {std::move(library), {}};
}

} // namespace

std::unique_ptr<BridgeLibrary> createUsbBackend()
{
    return std::make_unique<NoBridgeDevices>();
}

BridgeBackend createBridgeBackend(const QProcessEnvironment &environment)
{
    const QString choice = environment.value(QLatin1String(BridgeVariable));
    if (choice.isEmpty() || choice == QLatin1String("usb"))
        return {createUsbBackend(), {}};
    if (choice == QLatin1String("sim"))
        return createSimulatedBackend(environment);
    if (choice.startsWith(SiUsbXpPrefix))
        return createSiUsbXpBackend(choice.mid(SiUsbXpPrefix.size()));
    return failure(QStringLiteral("%1=\"%2\" is not a bridge backend; accepted values are "
                                  "\"usb\" (the default), \"sim\" and \"siusbxp:PATH\"")
                       .arg(QLatin1String(BridgeVariable), choice));
}

} // namespace varnex::device
