#pragma once

#include "EdidImage.h"

#include <QList>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class EditorPanel;
class QAbstractButton;
class QAction;
class QLabel;
class QMainWindow;
class QMenu;
class QProgressBar;
class WindowFeedback;
namespace varnex::device {
class DeviceConnection;
enum class ModeSelector : quint8;
} // namespace varnex::device
namespace varnex::splitter {
class DeviceSession;
enum class SessionStatus;
struct UploadCheck;
} // namespace varnex::splitter

// Everything the window does with the Varnex: the start-up query, the mode
// switch, reading into the editor, uploading the editor's table (checks,
// write, read-back), comparing with the Varnex's table, and what shows the
// link: the Device menu, the progress indicator and the device label in the
// status bar. Device traffic runs on the GUI thread. Failures are told to
// the user here; the bool results only say whether the action succeeded.
class DeviceActions : public QObject
{
    Q_OBJECT

public:
    // The mode buttons AUTOMIX and CUSTOM (the form's), the editor and the
    // feedback belong to `window`, the parent; the Device menu goes into its
    // menu bar before `menuAfter`. Without a connection (not owned; must
    // outlive this) the Varnex is never found.
    DeviceActions(QMainWindow *window, QAbstractButton *automixButton,
                  QAbstractButton *customButton, QAction *menuAfter, EditorPanel &editor,
                  WindowFeedback &feedback, varnex::device::DeviceConnection *connection);
    ~DeviceActions() override;

    // InitEDIDMode without its read: the default settings, the mode the
    // Varnex reports (AUTOMIX when it does not answer) on the buttons and the
    // editor. True when the Varnex was there, so the caller reads its table.
    bool startUp();
    // The mode switch: sends the mode the buttons show.
    void switchMode();
    // The splitter's table, read as read() reads it but left out of the
    // editor; nothing after telling the user why it could not be read.
    std::optional<varnex::edid::EdidImage> readTable();
    // ReadEDIDfromDevice: the table into the editor, or the editor left as it was.
    bool read();
    // WriteEDIDtoDevice: the editor's table uploaded and, when Verify after
    // Writing is on, read back and compared.
    bool write();
    // Device, Compare with Varnex.
    void compareWithDevice();

    // The progress bar of the latest transfer, or null before the first one.
    QProgressBar *progressIndicator() const { return m_progressIndicator; }
    // Puts a fresh, hidden progress bar into the status bar and makes it current.
    void createProgressIndicator();
    // on_ProgressChange: the indicator at a of b, or hidden when a or b is 0 or less.
    void showProgress(int a, int b);

    void closeDevice();
    void forgetHandle();

    // The Device menu, which the window's other parts may extend.
    QMenu *menu() const { return m_menu; }
    // The link strings of the Varnexes attached now, in the bridge's order,
    // without opening any; empty when none (or when they cannot be listed).
    QList<QByteArray> attachedVarnexes();
    // Every later action works with the Varnex of this link string (empty:
    // the first Varnex). The caller reads it afresh (startUp).
    void chooseSplitter(const QByteArray &linkName);

signals:
    // Device, Compare with File... was chosen; the file is the file actions' business.
    void compareWithFileRequested();

private:
    void setUpMenu(QAction *menuAfter);
    // Sends one mode request; `reply` takes the reply byte only when one came.
    // False when the device could not be opened.
    bool sendModeRequest(varnex::device::ModeSelector selector, quint8 &reply);
    // The radio buttons and the editor's enabled state for AUTOMIX or CUSTOM.
    void showModeState(bool automix);
    // The status bar's word on the Varnex: found by the latest device action,
    // and the mode the window is in.
    void updateDeviceLabel();
    // Notes whether a session action found the Varnex; when it did not, tells
    // the user "Hardware not found" and returns false.
    bool foundOrWarn(varnex::splitter::SessionStatus status);
    // The questions the checks before an upload call for (a missing header,
    // a wrong checksum, then the decoder's other errors, naming the first);
    // true when there are none or the user says Write anyway to each.
    bool checksPassedOrAccepted(const QList<varnex::splitter::UploadCheck> &checks);
    std::function<void(int value, int maximum)> progressToBar();

    QMainWindow *m_window;
    QAbstractButton *m_automixButton;
    QAbstractButton *m_customButton;
    EditorPanel &m_editor;
    WindowFeedback &m_feedback;
    varnex::device::DeviceConnection *m_connection;
    // Over m_connection; null without one.
    std::unique_ptr<varnex::splitter::DeviceSession> m_session;
    QProgressBar *m_progressIndicator = nullptr; // owned by the status bar
    QLabel *m_deviceLabel = nullptr;             // owned by the status bar
    QAction *m_verifyAfterWrite = nullptr;       // owned by the Device menu
    QMenu *m_menu = nullptr;                     // owned by the window
    // Whether the latest attempt to open the device found the Varnex.
    bool m_varnexFound = false;
};
