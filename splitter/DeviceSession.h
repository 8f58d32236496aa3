#pragma once

#include "EdidImage.h"
#include "EdidTransfers.h"
#include "Outcome.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace varnex::device {
class DeviceConnection;
class UsbBridge;
} // namespace varnex::device

namespace varnex::splitter {

struct DeviceSettings;
using edid::EdidImage;

// The two modes of the splitter: AUTOMIX builds its EDID from the displays,
// CUSTOM presents the table written to it.
enum class EdidMode
{
    Automix,
    Custom
};

// The name of a mode as users read it: "AUTOMIX" or "CUSTOM".
QString modeWord(EdidMode mode);

struct SessionReadResult : Outcome
{
    EdidImage image{};      // the table when Done; otherwise not to be used
    int missingOffset = -1; // Incomplete: the offset of the first chunk that did not arrive
};

struct SessionWriteResult : Outcome
{
    int failedOffset = -1; // Incomplete: the offset of the first frame not acknowledged
    int framesSent = 0;    // frames handed to the bridge (EdidWriteResult::framesSent)
};

struct SessionModeResult : Outcome
{
    // The mode the reply reports, when Done, or when Refused: the Varnex kept it.
    EdidMode mode = EdidMode::Automix;
    quint8 reply = 0; // the reply byte itself, when a reply came
};

// One device of the USB bridge library, as a listing shows it.
struct BridgeDeviceInfo
{
    quint32 index = 0;
    std::optional<QByteArray> serial;   // the serial-number string; nothing if it cannot be fetched
    std::optional<QByteArray> linkName; // the link-name string (option 2), likewise
    bool isVarnex = false;              // the serial is that of the Varnex
};

// One program's dealings with the splitter, for every front end. Each action
// follows the device link's pattern: open the Varnex, send its requests, close
// it; no handle outlives an action. Checks that need no device (sizes,
// checksums) are the caller's, before it calls; the whole upload with its
// mode guard is uploadTable (TableUpload.h).
class DeviceSession
{
public:
    // Nothing is owned; all must outlive the session. `connection` must be
    // one built on `bridge`; the EDID address is read from `settings` at
    // every transfer.
    DeviceSession(device::UsbBridge &bridge, device::DeviceConnection &connection,
                  const DeviceSettings &settings);

    const DeviceSettings &settings() const { return m_settings; }

    // Limits every later action to the Varnex with this link-name string, as
    // listDevices reports it; empty, the default, takes the first Varnex.
    void chooseDevice(const QByteArray &linkName);

    // Opens and closes the Varnex: is it there? Shows no message of its own.
    bool isPresent();

    // The 16 read frames and the status frame between one open and one close.
    // Progress as readEdidTable reports it, then (0, 0) after the close.
    SessionReadResult readTable(const TransferProgress &progress = {});
    // The 32 write frames with their pauses between one open and one close.
    // Progress as writeEdidTable reports it, then (0, 0) after the close.
    SessionWriteResult writeTable(const EdidImage &image, const TransferProgress &progress = {});

    // The mode query.
    SessionModeResult queryMode();
    // Selects `mode`; the result's mode is the one the Varnex then reports,
    // and Refused when that is not `mode`.
    SessionModeResult selectMode(EdidMode mode);
    // One mode request as the selector says, its reply taken as it is: the
    // window's SendModeRequest.
    SessionModeResult sendModeRequest(device::ModeSelector selector);

    // Every bridge device, Varnex or not, without opening any and without
    // messages. Nothing when the devices cannot be counted.
    std::optional<QList<BridgeDeviceInfo>> listDevices();

private:
    // "Hardware not found", with the permission advice when the bridge
    // refused to open for lack of it.
    Outcome notFound() const;

    device::UsbBridge &m_bridge;
    device::DeviceConnection &m_connection;
    const DeviceSettings &m_settings;
};

} // namespace varnex::splitter
