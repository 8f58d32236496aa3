#include "MainWindow.h"

#include "DetailsLauncher.h"
#include "DeviceActions.h"
#include "EditMenu.h"
#include "EditorPanel.h"
#include "FileActions.h"
#include "HelpContents.h"
#include "ProcessState.h"
#include "SplitterMenu.h"
#include "TableUpload.h"
#include "UserDialogs.h"
#include "WindowFeedback.h"
#include "ui_DoctorForm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QStatusBar>

using varnex::splitter::Outcome;
using varnex::splitter::recordedModeGuard;
using varnex::splitter::resetReminder;

MainWindow::MainWindow(QWidget *parent) : MainWindow(MainWindowServices{}, parent) {}

MainWindow::MainWindow(MainWindowServices services, QWidget *parent)
    : QMainWindow(parent), ui(new Ui::MainWindow), m_endProcess(std::move(services.endProcess))
{
    ui->setupUi(this);
    // The window has a fixed size; a grip would promise otherwise.
    statusBar()->setSizeGripEnabled(false);
    m_feedback = new WindowFeedback(this, services.dialogs);
    m_editor = new EditorPanel(ui->EDIDtext, *m_feedback, this);
    m_device = new DeviceActions(this, ui->dynamicEDID, ui->staticEDID, ui->menuHelp->menuAction(),
                                 *m_editor, *m_feedback, services.connection);
    m_files = new FileActions(*m_editor, *m_feedback, ui->menuLoadFromDisplay, ui->menuPresets,
                              ui->actionSaveHexText);
    m_files->setSplitterReader([this] { return m_device->readTable(); });
    connect(m_device, &DeviceActions::compareWithFileRequested, m_files,
            &FileActions::compareWithFile);
    auto *edit = new EditMenu(this, ui->EDIDtext, ui->menuView->menuAction());
    new DetailsLauncher(this, ui->actionDetails, *m_editor, *m_feedback, edit->undoAction(),
                        edit->redoAction());
    new HelpContents(this, ui->menuHelp);
    setAcceptDrops(true);
    auto *splitters = new SplitterMenu(*m_device);
    connect(splitters, &SplitterMenu::splitterChosen, this,
            [this, splitters](const QByteArray &linkName) {
                if (!m_editor->discardTypedChangesOk())
                    return;
                m_device->chooseSplitter(linkName);
                splitters->setCurrent(linkName);
                InitEDIDMode();
            });
    InitEDIDMode();
    m_device->forgetHandle();
}

MainWindow::~MainWindow()
{
    delete ui;
}

QProgressBar *MainWindow::progressIndicator() const
{
    return m_device->progressIndicator();
}

bool MainWindow::loadEdidFile(const QString &fileName)
{
    return m_files->loadFile(fileName);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_editor->discardTypedChangesOk())
        event->accept();
    else
        event->ignore();
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (FileActions::acceptsDrag(event->mimeData()))
        event->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent *event)
{
    if (FileActions::acceptsDrag(event->mimeData()))
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    m_files->takeFileDrop(event);
}

void MainWindow::clearEdidTextBuffer()
{
    processState().EdidTextBuffer.fill(0);
}

void MainWindow::on_ProgressChange(int a, int b)
{
    m_device->showProgress(a, b);
}

void MainWindow::SaveEDIDtoFile()
{
    clearEdidTextBuffer();
    WriteEDIDtoFile();
}

void MainWindow::LoadEDIDfromFile()
{
    clearEdidTextBuffer();
    if (!m_editor->discardTypedChangesOk())
        return;
    ReadEDIDfromFile();
}

void MainWindow::FileExit()
{
    if (!m_editor->discardTypedChangesOk())
        return;
    m_device->closeDevice();
    // Take what is needed before the window is gone.
    std::function<void(int)> endProcess = m_endProcess;
    delete this;
    if (endProcess)
        endProcess(0);
    else
        // Back from the event loop, so that what main() holds is destroyed as
        // when the window is closed: the USB backend gives the serial driver back.
        QCoreApplication::exit(0);
}

void MainWindow::FileAbout()
{
    m_feedback->dialogs().about(
        this, tr("About Varnex EDID Utility"),
        tr("<h2>Varnex EDID Utility Version 1.0</h2>"
           "<p>Reads, edits, verifies and writes the EDID table that a Varnex "
           "video splitter presents to its source, and switches the splitter "
           "between AUTOMIX and CUSTOM mode.</p>"));
}

void MainWindow::ReadEDID()
{
    clearEdidTextBuffer();
    if (!m_editor->discardTypedChangesOk())
        return;
    ReadEDIDfromDevice();
}

void MainWindow::WriteEDID()
{
    clearEdidTextBuffer();
    ProcessState &state = processState();
    if (const Outcome guard = recordedModeGuard(state.deviceSettings); !guard.done()) {
        m_feedback->warn(guard.message + QLatin1Char('\n') + guard.advice + QLatin1Char('\n'));
        return;
    }
    WriteEDIDtoDevice();
    if (!state.ResetReminderShown) {
        m_feedback->inform(resetReminder() + QLatin1Char('\n'));
        state.ResetReminderShown = true;
    }
}

void MainWindow::SelectEdid(int index)
{
    // I2C addresses of the EDID memories the Varnex offers, by index.
    static constexpr quint8 addresses[] = {0xB0, 0xA0, 0xB2, 0xB4, 0xB6};
    if (index < 0 || index >= int(std::size(addresses)))
        return;
    processState().deviceSettings.edidAddress = addresses[index];
}

void MainWindow::CalculateChkSum()
{
    clearEdidTextBuffer();
    VerifyEDIDChecksum();
}

void MainWindow::CheckEDIDStatus()
{
    m_device->switchMode();
}

void MainWindow::InitEDIDMode()
{
    if (m_device->startUp())
        ReadEDID();
}

bool MainWindow::ReadEDIDfromDevice()
{
    return m_device->read();
}

bool MainWindow::WriteEDIDtoDevice()
{
    return m_device->write();
}

bool MainWindow::ReadEDIDfromFile()
{
    return m_files->load();
}

bool MainWindow::WriteEDIDtoFile()
{
    return m_files->save();
}

bool MainWindow::VerifyEDIDChecksum()
{
    return m_editor->verifyChecksums();
}

int MainWindow::ParseEDIDText(varnex::edid::EdidImage &image) const
{
    return m_editor->parse(image);
}

void MainWindow::DisplayEDID(const varnex::edid::EdidImage &image)
{
    m_editor->display(image);
}
