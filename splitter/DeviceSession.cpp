#include "DeviceSession.h"

#include "DeviceConnection.h"
#include "DeviceMessages.h"
#include "DeviceSettings.h"
#include "HexOffset.h"
#include "UsbBridge.h"

#include <algorithm>
#include <array>

namespace varnex::splitter {

using device::BridgeSuccess;
using device::ModeSelector;
using edid::hexOffset;

namespace {

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

Outcome incomplete(const QString &message, const QString &advice)
{
    return {SessionStatus::Incomplete, message, advice};
}

Outcome readOutcome(int missingOffset)
{
    if (missingOffset < 0)
        return doneOutcome();
    return incomplete(QStringLiteral("The EDID could not be read completely: the bytes from "
                                     "offset %1 did not arrive.")
                          .arg(hexOffset(missingOffset)),
                      QStringLiteral("Check the connection to the Varnex and read again."));
}

// The write ends at the first frame not confirmed: say how far it got.
Outcome writeOutcome(int failedOffset, int framesSent)
{
    if (failedOffset < 0)
        return doneOutcome();
    const QString again = QStringLiteral("Write the table again.");
    if (framesSent == 0)
        return incomplete(
            QStringLiteral("Writing the EDID failed: nothing was sent to the Varnex."), again);
    const QString confirmed = failedOffset == 0
                                  ? QStringLiteral("No bytes were confirmed")
                                  : QStringLiteral("The bytes 0x00 to %1 were confirmed")
                                        .arg(hexOffset(failedOffset - 1));
    return incomplete(QStringLiteral("Writing the EDID failed: the Varnex did not confirm the "
                                     "bytes from offset %1. %2; the frames after offset %1 were "
                                     "not sent.")
                          .arg(hexOffset(failedOffset), confirmed),
                      QStringLiteral("Its EDID table may be incomplete. ") + again);
}

} // namespace

QString modeWord(EdidMode mode)
{
    return mode == EdidMode::Custom ? QStringLiteral("CUSTOM") : QStringLiteral("AUTOMIX");
}

DeviceSession::DeviceSession(device::UsbBridge &bridge, device::DeviceConnection &connection,
                             const DeviceSettings &settings)
    : m_bridge(bridge), m_connection(connection), m_settings(settings)
{
}

void DeviceSession::chooseDevice(const QByteArray &linkName)
{
    m_connection.setLinkNameFilter(linkName);
}

Outcome DeviceSession::notFound() const
{
    Outcome outcome = hardwareNotFound();
    // Only this reason is worth more than the general advice: the fix is the user's.
    if (m_connection.openDeniedAccess())
        outcome.advice = QString::fromUtf8(device::messages::AccessDenied);
    return outcome;
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
    if (!m_connection.openDevice()) {
        static_cast<Outcome &>(result) = notFound();
        return result;
    }
    const EdidReadResult read = readEdidTable(m_connection, m_settings.edidAddress, report);
    m_connection.closeDevice();
    report(0, 0);

    result.missingOffset = read.firstMissingOffset();
    static_cast<Outcome &>(result) = readOutcome(result.missingOffset);
    if (result.done())
        result.image = read.image;
    return result;
}

SessionWriteResult DeviceSession::writeTable(const EdidImage &image,
                                             const TransferProgress &progress)
{
    const TransferProgress report = orIgnore(progress);
    SessionWriteResult result;
    if (!m_connection.openDevice()) {
        static_cast<Outcome &>(result) = notFound();
        return result;
    }
    const EdidWriteResult written =
        writeEdidTable(m_connection, m_settings.edidAddress, image, report);
    m_connection.closeDevice();
    report(0, 0);

    result.failedOffset = written.firstFailedOffset();
    result.framesSent = written.framesSent;
    static_cast<Outcome &>(result) = writeOutcome(result.failedOffset, result.framesSent);
    return result;
}

SessionModeResult DeviceSession::queryMode()
{
    return sendModeRequest(ModeSelector::Query);
}

SessionModeResult DeviceSession::selectMode(EdidMode mode)
{
    SessionModeResult result = sendModeRequest(
        mode == EdidMode::Custom ? ModeSelector::SelectCustom : ModeSelector::SelectAutomix);
    if (result.done() && result.mode != mode) {
        static_cast<Outcome &>(result) = {
            SessionStatus::Refused,
            QStringLiteral("The Varnex stayed in %1 mode.").arg(modeWord(result.mode)),
            {}};
    }
    return result;
}

SessionModeResult DeviceSession::sendModeRequest(ModeSelector selector)
{
    SessionModeResult result;
    if (!m_connection.openDevice()) {
        static_cast<Outcome &>(result) = notFound();
        return result;
    }
    const ModeRequestResult sent = sendModeFrame(m_connection, selector);
    m_connection.closeDevice();

    static_cast<Outcome &>(result) =
        sent.replied ? doneOutcome()
                     : incomplete(QStringLiteral("The Varnex did not answer the mode request."),
                                  QStringLiteral("Check the connection to the Varnex and try "
                                                 "again."));
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

} // namespace varnex::splitter
