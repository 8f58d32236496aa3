#include "MainWindow.h"

#include "DeviceConnection.h"
#include "DeviceSession.h"
#include "ProcessState.h"
#include "QtUserDialogs.h"
#include "ui_DoctorForm.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QTextDocument>

#include <cstdlib>

MainWindow::MainWindow(QWidget *parent) : MainWindow(MainWindowServices{}, parent) {}

MainWindow::MainWindow(MainWindowServices services, QWidget *parent)
    : QMainWindow(parent), ui(new Ui::MainWindow), m_services(std::move(services))
{
    ui->setupUi(this);
    if (m_services.connection) {
        m_session = std::make_unique<varnex::splitter::DeviceSession>(
            m_services.connection->bridge(), *m_services.connection, processState().deviceSettings);
    }
    setupDeviceMenu();
    // The window has a fixed size; a grip would promise otherwise.
    statusBar()->setSizeGripEnabled(false);
    m_deviceLabel = new QLabel(statusBar());
    m_deviceLabel->setObjectName(QStringLiteral("deviceLabel"));
    // Clear of the window's right edge, as the other texts are of the left one.
    m_deviceLabel->setContentsMargins(0, 0, 6, 0);
    statusBar()->addPermanentWidget(m_deviceLabel, 0);
    updateDeviceLabel();
    connect(ui->EDIDtext->document(), &QTextDocument::contentsChange, this,
            [this](int, int removed, int added) {
                if (m_programEdits == 0 && (removed > 0 || added > 0))
                    m_typedSinceStored = true;
            });
    setUpFileImport();
    connect(ui->actionDetails, &QAction::triggered, this, &MainWindow::showDetails);
    setUpPresetsMenu();
    InitEDIDMode();
    forgetDeviceHandle();
}

MainWindow::~MainWindow()
{
    delete ui;
}

UserDialogs &MainWindow::dialogs()
{
    if (m_services.dialogs)
        return *m_services.dialogs;
    if (!m_ownDialogs)
        m_ownDialogs = std::make_unique<QtUserDialogs>();
    return *m_ownDialogs;
}

void MainWindow::warnUser(const QString &text, const QString &informativeText)
{
    dialogs().warning(this, tr("Varnex EDID Utility"), text, informativeText);
}

bool MainWindow::confirmUser(const QString &text, const QString &informativeText)
{
    return dialogs().confirmWarning(this, tr("Varnex EDID Utility"), text, informativeText);
}

bool MainWindow::discardTypedChangesOk()
{
    return !m_typedSinceStored ||
           confirmUser(tr("Discard the changes in the editor?"),
                       tr("What was typed since the table was last read, loaded, saved or "
                          "written will be lost."));
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (discardTypedChangesOk())
        event->accept();
    else
        event->ignore();
}

void MainWindow::clearEdidTextBuffer()
{
    processState().EdidTextBuffer.fill(0);
}

void MainWindow::createProgressIndicator()
{
    auto *bar = new QProgressBar(statusBar());
    bar->setTextVisible(false);
    bar->hide();
    statusBar()->addPermanentWidget(bar, 0);
    m_progressIndicator = bar;
}

void MainWindow::on_ProgressChange(int a, int b)
{
    if (!m_progressIndicator)
        return;
    if (a <= 0 || b <= 0) {
        m_progressIndicator->hide();
        return;
    }
    m_progressIndicator->show();
    m_progressIndicator->setRange(0, b);
    m_progressIndicator->setValue(a);
}

void MainWindow::SaveEDIDtoFile()
{
    clearEdidTextBuffer();
    WriteEDIDtoFile();
}

void MainWindow::LoadEDIDfromFile()
{
    clearEdidTextBuffer();
    if (!discardTypedChangesOk())
        return;
    ReadEDIDfromFile();
}

void MainWindow::FileExit()
{
    if (!discardTypedChangesOk())
        return;
    closeDevice();
    // Take what is needed before the window is gone.
    std::function<void(int)> endProcess = m_services.endProcess;
    delete this;
    if (endProcess)
        endProcess(0);
    else
        std::exit(0);
}

void MainWindow::FileAbout()
{
    dialogs().about(this, tr("About Varnex EDID Utility"),
                    tr("<h2>Varnex EDID Utility Version 1.0</h2>"
                       "<p>Reads, edits, verifies and writes the EDID table that a Varnex "
                       "video splitter presents to its source, and switches the splitter "
                       "between AUTOMIX and CUSTOM mode.</p>"));
}

void MainWindow::ReadEDID()
{
    clearEdidTextBuffer();
    if (!discardTypedChangesOk())
        return;
    ReadEDIDfromDevice();
}

void MainWindow::WriteEDID()
{
    clearEdidTextBuffer();
    ProcessState &state = processState();
    if (state.deviceSettings.automix == 1) {
        warnUser(tr("Writing is disabled in AUTOMIX mode.\nChoose CUSTOM mode to "
                    "upload an EDID table\n"));
        return;
    }
    WriteEDIDtoDevice();
    if (!state.ResetReminderShown) {
        dialogs().information(
            this, tr("Varnex EDID Utility"),
            tr("Press the reset button on the Varnex after every EDID table write\n"));
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
