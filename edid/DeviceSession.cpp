#include "DeviceSession.h"

#include "DeviceConnection.h"
#include "DeviceSettings.h"
#include "HexOffset.h"
#include "UsbBridge.h"

#include <algorithm>
#include <array>

namespace varnex::edid {

using device::BridgeSuccess;
using device::ModeSelector;

namespace {

// The window's text for a Varnex that cannot be opened.
const char HardwareNotFoundText[] = "Hardware not found";
// A USB bus carries at most 127 devices; a larger count is a library fault.
constexpr quint32 MaxListedDevices = 127;

// Progress for a caller that wants none; the sequences always report.
TransferProgress orIgnore(const TransferProgress &progress)
{
    return progress ? progress : TransferProgress([](int, int) {});
}

std::optional<QByteArray> deviceString(device::UsbBridge &bridge, quint32 index, quint32 option)
{
    std::array<char, device::DeviceStringBufferSize> buffer{};
    if (bridge.bridgeGetDeviceString(index, buffer.data(), option) != BridgeSuccess)
        return std::nullopt;
    // Never trust the library to terminate what it wrote.
    buffer.back() = '\0';
    return QByteArray(buffer.data());
}

// What a result with `status` tells the user; `incomplete` says where a
// transfer stopped.
QString statusMessage(SessionStatus status, const QString &incomplete)
{
    switch (status) {
    case SessionStatus::Done:
        return {};
    case SessionStatus::HardwareNotFound:
        return QString::fromLatin1(HardwareNotFoundText);
    case SessionStatus::Incomplete:
        break;
    }
    return incomplete;
}

} // namespace

QString SessionReadResult::message() const
{
    return statusMessage(status, QStringLiteral("The EDID could not be read completely: the bytes "
                                                "from offset %1 did not arrive.")
                                     .arg(hexOffset(missingOffset)));
}

QString SessionWriteResult::message() const
{
    return statusMessage(status, QStringLiteral("Writing the EDID failed: the Varnex did not "
                                                "confirm the bytes from offset %1.")
                                     .arg(hexOffset(failedOffset)));
}

QString SessionModeResult::message() const
{
    return statusMessage(status, QStringLiteral("The Varnex did not answer the mode request."));
}

DeviceSession::DeviceSession(device::UsbBridge &bridge, device::DeviceConnection &connection,
                             const device::DeviceSettings &settings)
    : m_bridge(bridge), m_connection(connection), m_settings(settings)
{
}

void DeviceSession::chooseDevice(const QByteArray &linkName)
{
    m_connection.setLinkNameFilter(linkName);
}

bool DeviceSession::isPresent()
{
    const bool present = m_connection.openDevice();
    m_connection.closeDevice();
    return present;
}

SessionReadResult DeviceSession::readTable(const TransferProgress &progress)
{
    const TransferProgress report = orIgnore(progress);
    SessionReadResult result;
    if (!m_connection.openDevice())
        return result;
    const EdidReadResult read = readEdidTable(m_connection, m_settings.edidAddress, report);
    m_connection.closeDevice();
    report(0, 0);

    result.missingOffset = read.firstMissingOffset();
    result.status = result.missingOffset < 0 ? SessionStatus::Done : SessionStatus::Incomplete;
    if (result.status == SessionStatus::Done)
        result.image = read.image;
    return result;
}

SessionWriteResult DeviceSession::writeTable(const EdidImage &image,
                                             const TransferProgress &progress)
{
    const TransferProgress report = orIgnore(progress);
    SessionWriteResult result;
    if (!m_connection.openDevice())
        return result;
    const EdidWriteResult written =
        writeEdidTable(m_connection, m_settings.edidAddress, image, report);
    m_connection.closeDevice();
    report(0, 0);

    result.failedOffset = written.firstFailedOffset();
    result.framesSent = written.framesSent;
    result.status = result.failedOffset < 0 ? SessionStatus::Done : SessionStatus::Incomplete;
    return result;
}

SessionModeResult DeviceSession::queryMode()
{
    return sendModeRequest(ModeSelector::Query);
}

SessionModeResult DeviceSession::selectMode(EdidMode mode)
{
    return sendModeRequest(mode == EdidMode::Custom ? ModeSelector::SelectCustom
                                                    : ModeSelector::SelectAutomix);
}

SessionModeResult DeviceSession::sendModeRequest(ModeSelector selector)
{
    SessionModeResult result;
    if (!m_connection.openDevice())
        return result;
    const ModeRequestResult sent = sendModeFrame(m_connection, selector);
    m_connection.closeDevice();

    result.status = sent.replied ? SessionStatus::Done : SessionStatus::Incomplete;
    result.reply = sent.reply;
    result.mode = sent.replied && !device::modeReplyMeansAutomix(sent.reply) ? EdidMode::Custom
                                                                             : EdidMode::Automix;
    return result;
}

std::optional<QList<BridgeDeviceInfo>> DeviceSession::listDevices()
{
    quint32 count = 0;
    if (m_bridge.bridgeGetDeviceCount(&count) != BridgeSuccess)
        return std::nullopt;
    QList<BridgeDeviceInfo> devices;
    for (quint32 index = 0; index < std::min(count, MaxListedDevices); ++index) {
        BridgeDeviceInfo info;
        info.index = index;
        info.serial = deviceString(m_bridge, index, device::SerialNumberString);
        info.linkName = deviceString(m_bridge, index, device::LinkNameString);
        info.isVarnex = info.serial &&
                        device::isVarnexSerial(info.serial->constData(), m_settings.serialNumber);
        devices.append(info);
    }
    return devices;
}

} // namespace varnex::edid
