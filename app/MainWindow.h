#pragma once

#include "EdidImage.h"

#include <QMainWindow>

#include <functional>

class DeviceActions;
class EditorPanel;
class FileActions;
class QProgressBar;
class UserDialogs;
class WindowFeedback;
namespace Ui {
class MainWindow;
}
namespace varnex::device {
class DeviceConnection;
} // namespace varnex::device

// What the window works with besides its widgets. Everything is optional:
// without a connection every device action finds no hardware; without
// dialogs the real Qt boxes are used; without endProcess FileExit ends the
// event loop (QCoreApplication::exit), so that main() returns as when the
// window is closed.
struct MainWindowServices
{
    UserDialogs *dialogs = nullptr;                         // not owned
    varnex::device::DeviceConnection *connection = nullptr; // not owned
    std::function<void(int status)> endProcess;
};

// The one window of the utility, made of parts with one job each: the editor
// panel (text and table), the device actions, the file actions and the
// Details window, which speak through one WindowFeedback. Every user action
// enters through one of the slots below and is handed to its part; the
// window itself keeps only what is its own: About, Exit, the AUTOMIX guard
// and the reset reminder on writing, and the choice of EDID address. The
// bodies behind the slots return a success flag, which the slots do not act on.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    explicit MainWindow(MainWindowServices services, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The progress bar of the latest device transfer, or null before the first one.
    QProgressBar *progressIndicator() const;

    // Loads an EDID file into the editor as Load from File does once a name
    // is chosen (a file named on the command line takes this way). False,
    // after telling the user, when it cannot be read.
    bool loadEdidFile(const QString &fileName);

protected:
    // Closing from the frame ends typed changes too, so it asks like Close.
    void closeEvent(QCloseEvent *event) override;
    // A file dropped anywhere on the window is loaded as Load from File
    // loads it (the editor's own drops are the file actions'); other drags
    // are left to the widgets.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

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

    // Bodies of the actions.
    bool ReadEDIDfromDevice();
    bool WriteEDIDtoDevice();
    bool ReadEDIDfromFile();
    bool WriteEDIDtoFile();
    bool VerifyEDIDChecksum();
    // The start-up mode query, then the ReadEDID slot when the Varnex is there.
    void InitEDIDMode();
    // Editor text <-> EDID image.
    int ParseEDIDText(varnex::edid::EdidImage &image) const;
    void DisplayEDID(const varnex::edid::EdidImage &image);

    // Zero-fills the process-wide EdidTextBuffer (first step of five action slots).
    static void clearEdidTextBuffer();

    Ui::MainWindow *ui = nullptr; // owned
    std::function<void(int status)> m_endProcess;
    // The parts, children of the window; a DetailsLauncher too, which needs no call.
    WindowFeedback *m_feedback = nullptr;
    EditorPanel *m_editor = nullptr;
    DeviceActions *m_device = nullptr;
    FileActions *m_files = nullptr;
};
