#include "BridgeFactory.h"

#include "UsbXpressBridge.h"
#include "sim/SimulatedEnvironment.h"
#include "siusbxp/SiUsbXpLibrary.h"

namespace varnex::device {

namespace {

const QString SiUsbXpPrefix = QStringLiteral("siusbxp:");

BridgeBackend failure(const QString &error)
{
    return {nullptr, error};
}

BridgeBackend createSimulatedBackend(const QProcessEnvironment &environment)
{
    QString error;
    std::unique_ptr<sim::SimulatedVarnex> simulator =
        sim::createSimulatedVarnex(environment, &error);
    if (!simulator)
        return failure(error);
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
    QString error;
    std::unique_ptr<SiUsbXpLibrary> library = SiUsbXpLibrary::load(path, &error);
    if (!library)
        return failure(error);
    return {std::move(library), {}};
}

} // namespace

std::unique_ptr<BridgeLibrary> createUsbBackend(const QProcessEnvironment &environment)
{
    return createUsbXpressBridge(environment.value(QLatin1String(usb::UsbIdsVariable)));
}

QString bridgeChoiceProblem(const QString &choice)
{
    if (choice.isEmpty() || choice == QLatin1String("usb") || choice == QLatin1String("sim"))
        return QString();
    if (choice == SiUsbXpPrefix)
        return QStringLiteral("siusbxp: needs the path of the library, as in "
                              "siusbxp:/path/to/libsiusbxp.so");
    if (choice.startsWith(SiUsbXpPrefix))
        return QString();
    return QStringLiteral("\"%1\" is not a bridge backend; accepted values are "
                          "\"usb\" (the default), \"sim\" and \"siusbxp:PATH\"")
        .arg(choice);
}

BridgeBackend createBridgeBackend(const QProcessEnvironment &environment)
{
    const QString choice = environment.value(QLatin1String(BridgeVariable));
    if (const QString problem = bridgeChoiceProblem(choice); !problem.isEmpty())
        return failure(QStringLiteral("%1=%2").arg(QLatin1String(BridgeVariable), problem));
    if (choice.isEmpty() || choice == QLatin1String("usb"))
        return {createUsbBackend(environment), {}};
    if (choice == QLatin1String("sim"))
        return createSimulatedBackend(environment);
    return createSiUsbXpBackend(choice.mid(SiUsbXpPrefix.size()));
}

} // namespace varnex::device
