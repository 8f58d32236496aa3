#pragma once

#include "EdidImage.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class EdidDetailsWindow;
class QColor;
class QDropEvent;
class QLabel;
class QMimeData;
class QProgressBar;
class QTextCursor;
class UserDialogs;
namespace Ui {
class MainWindow;
}
namespace varnex::edid {
struct DisplayEdid;
struct EdidFileContents;
} // namespace varnex::edid
namespace varnex::device {
class DeviceConnection;
enum class ModeSelector : quint8;
} // namespace varnex::device
namespace varnex::splitter {
class DeviceSession;
enum class SessionStatus;
} // namespace varnex::splitter

// What the window works with besides its widgets. Everything is optional:
// without a connection every device action finds no hardware; without
// dialogs the real Qt boxes are used; without endProcess FileExit calls
// std::exit.
struct MainWindowServices
{
    UserDialogs *dialogs = nullptr;                         // not owned
    varnex::device::DeviceConnection *connection = nullptr; // not owned
    std::function<void(int status)> endProcess;
};

// The one window of the utility. Every user action enters through one of its
// slots; the bodies behind them are member operations that return a success
// flag, which the slots do not act on.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    explicit MainWindow(MainWindowServices services, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The progress bar of the latest device transfer, or null before the first one.
    QProgressBar *progressIndicator() const { return m_progressIndicator; }

    // Loads an EDID file into the editor as Load from File does once a name
    // is chosen (a file named on the command line takes this way). False,
    // after telling the user, when it cannot be read.
    bool loadEdidFile(const QString &fileName);

protected:
    // Closing from the frame ends typed changes too, so it asks like Close.
    void closeEvent(QCloseEvent *event) override;
    // A file dropped anywhere on the window, the editor included, is loaded
    // as Load from File loads it; other drags are left to the widgets.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // Takes file drags from the editor, which would insert the file's name.
    bool eventFilter(QObject *watched, QEvent *event) override;

public slots:
    // Shows the progress indicator at a of b, or hides it when a or b is 0 or less.
    void on_ProgressChange(int a, int b);

private slots:
    void SaveEDIDtoFile();
    void LoadEDIDfromFile();
    void FileExit();
    void FileAbout();
    void ReadEDID();
    void WriteEDID();
    void SelectEdid(int index);
    void CalculateChkSum();
    void CheckEDIDStatus();

private:
    friend class MainWindowTestAccess;

    // How long the confirmations stay in the status bar.
    static constexpr int StatusMessageMs = 2000;
    // How long the form of an imported dump stays there: a longer text, worth reading.
    static constexpr int ImportMessageMs = 6000;

    // Bodies of the actions.
    bool ReadEDIDfromDevice();
    bool WriteEDIDtoDevice();
    bool ReadEDIDfromFile();
    bool WriteEDIDtoFile();
    bool VerifyEDIDChecksum();
    void InitEDIDMode();
    // Sends one mode request; `reply` takes the reply byte only when one came.
    // False when the device could not be opened.
    bool SendModeRequest(varnex::device::ModeSelector selector, quint8 &reply);

    // Puts loaded contents into the editor as Load from File does: hex text
    // as it is, any table drawn as DisplayEDID draws it. The status bar says
    // `loadedMessage`, or names the form of an imported dump. When the whole
    // table had more than 256 bytes (`tableSize`, 0 when unknown, or an
    // import's own), the user is told what was left out.
    void showLoadedContents(const varnex::edid::EdidFileContents &contents,
                            const QString &loadedMessage, qsizetype tableSize = 0);
    // Saves the editor's table through `write` (writeEdidFile or
    // writeEdidHexFile) to a file the user names in a save dialog.
    bool saveEditorTable(const QString &caption, const QString &proposedName, const QString &filter,
                         bool (*write)(const QString &, const varnex::edid::EdidImage &, QString *,
                                       const std::function<void()> &));
    // Connects what the form does not: Load from Display, Save as Hex Text
    // and file drops.
    void setUpFileImport();
    // File, Save as Hex Text...
    bool saveHexText();
    // File, Load from Display: refilled from the DRM folder each time it opens.
    void fillDisplayMenu();
    bool loadDisplayEdid(const varnex::edid::DisplayEdid &display);
    // The one local file a drag carries, or an empty string.
    static QString draggedFile(const QMimeData *mime);
    // Accepts a drop of a file and loads it once the drop is over.
    bool takeFileDrop(QDropEvent *event);

    // Editor text <-> EDID image.
    int ParseEDIDText(varnex::edid::EdidImage &image) const;
    void DisplayEDID(const varnex::edid::EdidImage &image);
    // Replaces the editor's content with `text` as plain text, all of it bold
    // 8 pt in `colour`.
    void showWholeTable(const QString &text, const QColor &colour);
    // Every change the program makes to the editor goes through here: one
    // undo step that replaces the whole content, not counted as typing.
    // `write` inserts the new content at the cursor it is given.
    void replaceEditorContent(const std::function<void(QTextCursor &)> &write);
    // ParseEDIDText, telling the user "Hex Format Error" and where the text
    // went wrong when it fails.
    int parseEditorOrWarn(varnex::edid::EdidImage &image);

    // View, EDID Details: opens the Details window or brings it to the front.
    // Not a slot: the window's slots are a fixed set.
    void showDetails();
    // Fills File, New from Preset with one action per ready-made table.
    void setUpPresetsMenu();
    // Puts a preset's table into the editor like a loaded raw file, after the
    // discard question when the user typed changes.
    bool loadPreset(const QString &name);

    // True when nothing was typed since the table was last read, loaded,
    // saved or written, or when the user agrees to discard it.
    bool discardTypedChangesOk();

    // Device link; without a connection the device is never found.
    void closeDevice();
    void forgetDeviceHandle();
    // The radio buttons and the editor's enabled state for AUTOMIX or CUSTOM.
    void showModeState(bool automix);
    // The status bar's word on the Varnex: found by the latest device action,
    // and the mode the window is in.
    void updateDeviceLabel();

    // A transfer's progress, shown on the current progress bar.
    std::function<void(int value, int maximum)> progressToBar();
    // Puts a fresh, hidden progress bar into the status bar and makes it current.
    void createProgressIndicator();
    // Zero-fills the process-wide EdidTextBuffer (first step of five action slots).
    static void clearEdidTextBuffer();
    UserDialogs &dialogs();
    // The window's warning box: parent the window, title "Varnex EDID Utility".
    void warnUser(const QString &text, const QString &informativeText = QString());
    // The window's question before data is lost: its warning style, Yes and No, default No.
    bool confirmUser(const QString &text, const QString &informativeText);
    // Notes whether a session action found the Varnex; when it did not, tells
    // the user "Hardware not found" and returns false.
    bool foundOrWarn(varnex::splitter::SessionStatus status);

    // The Device menu, between File and Help; a View menu goes before it.
    void setupDeviceMenu();
    // Its comparisons: the editor's table with a file's or with the Varnex's.
    void CompareWithFile();
    void CompareWithDevice();
    // After a write whose every frame was acknowledged: reads the table back
    // and compares. True when the Varnex holds `sent`; otherwise the user has
    // been told what it holds or that it could not be read.
    bool verifyWrittenTable(const varnex::edid::EdidImage &sent);
    // The editor's table for a comparison; nothing, after telling the user,
    // unless it parses to all 256 bytes.
    std::optional<varnex::edid::EdidImage> editorTableForComparison();
    // Shows how `other` (what `otherName` holds) differs from the editor's table.
    void showComparison(const varnex::edid::EdidImage &editor, const varnex::edid::EdidImage &other,
                        const QString &otherName);

    QProgressBar *m_progressIndicator = nullptr; // owned by the status bar
    QLabel *m_deviceLabel = nullptr;             // owned by the status bar
    Ui::MainWindow *ui = nullptr;                // owned
    MainWindowServices m_services;
    // Over m_services.connection; null without one.
    std::unique_ptr<varnex::splitter::DeviceSession> m_session;
    QAction *m_verifyAfterWrite = nullptr; // owned by the Device menu
    std::unique_ptr<UserDialogs> m_ownDialogs;
    // Whether the latest attempt to open the device found the Varnex.
    bool m_varnexFound = false;
    // The user changed the editor since it was last read, loaded, saved or written.
    bool m_typedSinceStored = false;
    // Nesting depth of replaceEditorContent; changes meanwhile are not typing.
    int m_programEdits = 0;
    // Made on first use; a child window, so it closes with this one.
    QPointer<EdidDetailsWindow> m_details;
};
