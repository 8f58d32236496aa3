#include "SimulatedEnvironment.h"

#include "BridgeLibrary.h"

#include <algorithm>
#include <array>
#include <functional>

namespace varnex::device::sim {

namespace {

// A USB bus carries at most 127 devices.
constexpr qsizetype MaxSimulatedDevices = 127;
// The longest string a bridge call can return: its buffer less the terminator.
constexpr qsizetype MaxDeviceStringLength = DeviceStringBufferSize - 1;
// Offsets of the 256-byte EDID memory.
constexpr uint MaxMemoryOffset = uint(EdidMemorySize) - 1;

constexpr std::array AllOperations = {
    BridgeOperation::GetDeviceCount, BridgeOperation::GetDeviceString,
    BridgeOperation::Open,           BridgeOperation::Close,
    BridgeOperation::Read,           BridgeOperation::Write,
    BridgeOperation::FlushBuffers,   BridgeOperation::CheckRxQueue,
};

QString itemError(const char *variable, QStringView item, const QString &why)
{
    return QStringLiteral("%1: item \"%2\" %3").arg(QLatin1String(variable), item.toString(), why);
}

bool allOf(QStringView text, const std::function<bool(QChar)> &accept)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), accept);
}

bool isDecimalDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isHexDigit(QChar c)
{
    const QChar lower = c.toLower();
    return isDecimalDigit(c) || (lower >= QLatin1Char('a') && lower <= QLatin1Char('f'));
}

// A plain decimal number (no sign, no blanks) that fits an int.
std::optional<int> parseNumber(QStringView text)
{
    if (!allOf(text, isDecimalDigit))
        return std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// A memory offset, decimal or 0x-prefixed hexadecimal.
std::optional<quint8> parseOffset(QStringView text)
{
    uint value = 0;
    bool ok = false;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const QStringView digits = text.mid(2);
        ok = allOf(digits, isHexDigit);
        value = ok ? digits.toUInt(&ok, 16) : 0;
    } else if (const std::optional<int> number = parseNumber(text)) {
        ok = true;
        value = uint(*number);
    }
    if (!ok || value > MaxMemoryOffset)
        return std::nullopt;
    return quint8(value);
}

std::optional<BridgeOperation> parseOperation(QStringView name)
{
    for (const BridgeOperation operation : AllOperations) {
        if (operationName(operation) == name)
            return operation;
    }
    return std::nullopt;
}

QString operationNames()
{
    QStringList names;
    for (const BridgeOperation operation : AllOperations)
        names.append(operationName(operation));
    return names.join(QStringLiteral(", "));
}

// One kind of item of VARNEX_SIM_FAULTS: its name before '=', whether it may
// repeat, what its value looks like, and how the value is taken into `faults`.
struct FaultSwitch
{
    const char *name;
    bool repeats;
    const char *syntax;
    std::function<bool(QStringView value, SimulatedFaults &faults)> take;
};

// Stores a whole number of at least 0 into the member `field`.
std::function<bool(QStringView, SimulatedFaults &)> numberInto(int SimulatedFaults::*field)
{
    return [field](QStringView value, SimulatedFaults &faults) {
        const std::optional<int> number = parseNumber(value);
        if (number)
            faults.*field = *number;
        return number.has_value();
    };
}

const std::array<FaultSwitch, 8> &faultSwitches()
{
    static const std::array<FaultSwitch, 8> switches = {{
        {"latency-ms", false, "latency-ms=N with N a whole number of milliseconds",
         numberInto(&SimulatedFaults::latencyMs)},
        {"silent-after", false, "silent-after=N with N a whole number of frames",
         numberInto(&SimulatedFaults::silentAfter)},
        {"short-replies", false, "short-replies=N with N a whole number of bytes",
         numberInto(&SimulatedFaults::shortReplies)},
        {"long-replies", false, "long-replies=N with N a whole number of bytes",
         numberInto(&SimulatedFaults::longReplies)},
        {"unplug-after", false, "unplug-after=N with N a whole number of frames",
         numberInto(&SimulatedFaults::unplugAfter)},
        {"late-duplicate", false, "late-duplicate=N with N a frame number from 1",
         [](QStringView value, SimulatedFaults &faults) {
             const std::optional<int> frame = parseNumber(value);
             if (!frame || *frame < 1)
                 return false;
             faults.lateDuplicate = *frame;
             return true;
         }},
        {"fail", true, "fail=OPERATION@K with K a call number from 1",
         [](QStringView value, SimulatedFaults &faults) {
             const qsizetype at = value.indexOf(QLatin1Char('@'));
             const std::optional<BridgeOperation> operation =
                 parseOperation(at < 0 ? value : value.left(at));
             const std::optional<int> nth = at < 0 ? std::nullopt : parseNumber(value.mid(at + 1));
             if (!operation || !nth || *nth < 1)
                 return false;
             faults.failures.append({*operation, *nth});
             return true;
         }},
        {"stuck", true, "stuck=OFFSET with OFFSET 0 to 255, decimal or 0x hexadecimal",
         [](QStringView value, SimulatedFaults &faults) {
             const std::optional<quint8> offset = parseOffset(value);
             if (offset)
                 faults.stuckOffsets.append(*offset);
             return offset.has_value();
         }},
    }};
    return switches;
}

QString acceptedItems()
{
    QStringList items;
    for (const FaultSwitch &entry : faultSwitches())
        items.append(QString::fromLatin1(entry.syntax).section(QLatin1Char(' '), 0, 0));
    return items.join(QStringLiteral(", "));
}

} // namespace

std::optional<QList<SimulatedBridgeDevice>> parseSimulatedDevices(const QString &value,
                                                                  QString *error)
{
    if (value.isEmpty())
        return QList<SimulatedBridgeDevice>{SimulatedBridgeDevice{}};
    const QStringList items = value.split(QLatin1Char(','));
    if (items.size() > MaxSimulatedDevices) {
        *error = itemError(SimDevicesVariable, items[MaxSimulatedDevices],
                           QStringLiteral("is one device too many; a USB bus carries at most %1")
                               .arg(MaxSimulatedDevices));
        return std::nullopt;
    }
    QList<SimulatedBridgeDevice> devices;
    for (const QString &item : items) {
        SimulatedBridgeDevice device;
        device.serial = item.toUtf8();
        if (device.serial.size() > MaxDeviceStringLength) {
            *error = itemError(SimDevicesVariable, item,
                               QStringLiteral("is longer than a serial string can be (%1 bytes)")
                                   .arg(MaxDeviceStringLength));
            return std::nullopt;
        }
        devices.append(device);
    }
    return devices;
}

std::optional<SimulatedFaults> parseSimulatedFaults(const QString &value, QString *error)
{
    SimulatedFaults faults;
    if (value.isEmpty())
        return faults;
    QStringList seen;
    for (const QString &item : value.split(QLatin1Char(','))) {
        if (item.isEmpty()) {
            *error = itemError(SimFaultsVariable, item,
                               QStringLiteral("is empty; items are separated by single commas"));
            return std::nullopt;
        }
        const qsizetype equals = item.indexOf(QLatin1Char('='));
        const QString name = item.left(equals);
        const auto entry = std::find_if(faultSwitches().begin(), faultSwitches().end(),
                                        [&name](const FaultSwitch &candidate) {
                                            return name == QLatin1String(candidate.name);
                                        });
        if (equals < 0 || entry == faultSwitches().end()) {
            *error = itemError(
                SimFaultsVariable, item,
                QStringLiteral("is not a fault; accepted items are %1").arg(acceptedItems()));
            return std::nullopt;
        }
        if (!entry->repeats && seen.contains(name)) {
            *error =
                itemError(SimFaultsVariable, item,
                          QStringLiteral("repeats %1; only fail and stuck may repeat").arg(name));
            return std::nullopt;
        }
        if (!entry->take(QStringView(item).mid(equals + 1), faults)) {
            *error = itemError(SimFaultsVariable, item,
                               QStringLiteral("is malformed; expected %1")
                                   .arg(QString::fromLatin1(entry->syntax)));
            if (name == QLatin1String("fail"))
                *error += QStringLiteral(" and OPERATION one of %1").arg(operationNames());
            return std::nullopt;
        }
        seen.append(name);
    }
    return faults;
}

void applySimulatedFaults(SimulatedVarnex &simulator, const SimulatedFaults &faults)
{
    if (faults.latencyMs > 0)
        simulator.delayReplies(faults.latencyMs);
    if (faults.silentAfter >= 0)
        simulator.stopAnsweringAfter(faults.silentAfter);
    if (faults.shortReplies >= 0)
        simulator.limitReplies(faults.shortReplies);
    if (faults.longReplies > 0)
        simulator.lengthenReplies(faults.longReplies);
    if (faults.unplugAfter >= 0)
        simulator.unplugAfter(faults.unplugAfter);
    if (faults.lateDuplicate >= 1)
        simulator.repeatReplyLate(faults.lateDuplicate);
    for (const auto &[operation, nth] : faults.failures)
        simulator.failCall(operation, nth);
    for (const quint8 offset : faults.stuckOffsets)
        simulator.ignoreWritesAt(offset);
}

std::unique_ptr<SimulatedVarnex> createSimulatedVarnex(const QProcessEnvironment &environment,
                                                       QString *error)
{
    const std::optional<QList<SimulatedBridgeDevice>> devices =
        parseSimulatedDevices(environment.value(QLatin1String(SimDevicesVariable)), error);
    if (!devices)
        return nullptr;
    const std::optional<SimulatedFaults> faults =
        parseSimulatedFaults(environment.value(QLatin1String(SimFaultsVariable)), error);
    if (!faults)
        return nullptr;
    auto simulator = std::make_unique<SimulatedVarnex>(*devices);
    simulator->keepCallLog(false);
    applySimulatedFaults(*simulator, *faults);
    return simulator;
}

} // namespace varnex::device::sim
