#pragma once

#include "EdidImage.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QColor;
class QProgressBar;
class UserDialogs;
namespace Ui {
class MainWindow;
}
namespace varnex::device {
class DeviceConnection;
enum class ModeSelector : quint8;
} // namespace varnex::device

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

    // Editor text <-> EDID image.
    int ParseEDIDText(varnex::edid::EdidImage &image) const;
    void DisplayEDID(const varnex::edid::EdidImage &image);
    // Replaces the editor's content with `text` as plain text, all of it bold
    // 8 pt in `colour`.
    void showWholeTable(const QString &text, const QColor &colour);

    // Device link; without a connection the device is never found.
    bool openDevice();
    void closeDevice();
    void forgetDeviceHandle();
    // The radio buttons and the editor's enabled state for AUTOMIX or CUSTOM.
    void showModeState(bool automix);

    // Puts a fresh, hidden progress bar into the status bar and makes it current.
    void createProgressIndicator();
    // Zero-fills the process-wide EdidTextBuffer (first step of five action slots).
    static void clearEdidTextBuffer();
    UserDialogs &dialogs();
    // The window's warning box: parent the window, title "Varnex EDID Utility".
    void warnUser(const QString &text);
    // openDevice, telling the user "Hardware not found" when it fails.
    bool openDeviceOrWarn();

    QProgressBar *m_progressIndicator = nullptr; // owned by the status bar
    Ui::MainWindow *ui = nullptr;                // owned
    MainWindowServices m_services;
    std::unique_ptr<UserDialogs> m_ownDialogs;
};
