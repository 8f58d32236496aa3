#include "DeviceActions.h"

#include "DeviceConnection.h"
#include "DeviceMessages.h"
#include "DeviceSession.h"
#include "EditorComparison.h"
#include "EditorPanel.h"
#include "HexText.h"
#include "ProcessState.h"
#include "TableUpload.h"
#include "UploadChecks.h"
#include "UserDialogs.h"
#include "WindowFeedback.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>

using namespace varnex::edid;
using namespace varnex::splitter;
using varnex::device::ModeSelector;

DeviceActions::DeviceActions(QMainWindow *window, QAbstractButton *automixButton,
                             QAbstractButton *customButton, QAction *menuAfter, EditorPanel &editor,
                             WindowFeedback &feedback, varnex::device::DeviceConnection *connection)
    : QObject(window), m_window(window), m_automixButton(automixButton),
      m_customButton(customButton), m_editor(editor), m_feedback(feedback), m_connection(connection)
{
    if (m_connection) {
        m_session = std::make_unique<DeviceSession>(m_connection->bridge(), *m_connection,
                                                    processState().deviceSettings);
    }
    setUpMenu(menuAfter);
    QStatusBar *statusBar = m_window->statusBar();
    m_deviceLabel = new QLabel(statusBar);
    m_deviceLabel->setObjectName(QStringLiteral("deviceLabel"));
    // Clear of the window's right edge, as the other texts are of the left one.
    m_deviceLabel->setContentsMargins(0, 0, 6, 0);
    statusBar->addPermanentWidget(m_deviceLabel, 0);
    updateDeviceLabel();
}

DeviceActions::~DeviceActions() = default;

void DeviceActions::setUpMenu(QAction *menuAfter)
{
    auto *menu = new QMenu(tr("Device"), m_window);
    menu->setObjectName(QStringLiteral("menuDevice"));
    m_window->menuBar()->insertMenu(menuAfter, menu);
    m_menu = menu;

    // Not stored: every run starts with the safe choice.
    m_verifyAfterWrite = menu->addAction(tr("Verify after Writing"));
    m_verifyAfterWrite->setObjectName(QStringLiteral("actionVerifyAfterWrite"));
    m_verifyAfterWrite->setCheckable(true);
    m_verifyAfterWrite->setChecked(true);
    menu->addSeparator();
    QAction *compareFile = menu->addAction(tr("Compare with File..."));
    compareFile->setObjectName(QStringLiteral("actionCompareFile"));
    connect(compareFile, &QAction::triggered, this, &DeviceActions::compareWithFileRequested);
    QAction *compareDevice = menu->addAction(tr("Compare with Varnex"));
    compareDevice->setObjectName(QStringLiteral("actionCompareDevice"));
    connect(compareDevice, &QAction::triggered, this, &DeviceActions::compareWithDevice);
}

void DeviceActions::createProgressIndicator()
{
    QStatusBar *statusBar = m_window->statusBar();
    auto *bar = new QProgressBar(statusBar);
    bar->setTextVisible(false);
    bar->hide();
    statusBar->addPermanentWidget(bar, 0);
    m_progressIndicator = bar;
}

void DeviceActions::showProgress(int a, int b)
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

std::function<void(int, int)> DeviceActions::progressToBar()
{
    return [this](int value, int maximum) { showProgress(value, maximum); };
}

bool DeviceActions::foundOrWarn(SessionStatus status)
{
    m_varnexFound = status != SessionStatus::HardwareNotFound;
    updateDeviceLabel();
    if (m_varnexFound)
        return true;
    const Outcome notFound = hardwareNotFound();
    // A bridge this user may not open may be the Varnex: say so, and what to do.
    const bool deniedAccess = m_connection && m_connection->openDeniedAccess();
    m_feedback.warn(notFound.message,
                    deniedAccess ? QString::fromUtf8(varnex::device::messages::AccessDenied)
                                 : notFound.advice);
    return false;
}

QList<QByteArray> DeviceActions::attachedVarnexes()
{
    QList<QByteArray> links;
    if (!m_session)
        return links;
    const std::optional<QList<BridgeDeviceInfo>> devices = m_session->listDevices();
    for (const BridgeDeviceInfo &device : devices.value_or(QList<BridgeDeviceInfo>{}))
        if (device.isVarnex && device.linkName)
            links.append(*device.linkName);
    return links;
}

void DeviceActions::chooseSplitter(const QByteArray &linkName)
{
    if (m_session)
        m_session->chooseDevice(linkName);
}

void DeviceActions::updateDeviceLabel()
{
    if (!m_varnexFound)
        m_deviceLabel->setText(tr("No Varnex found"));
    else if (m_automixButton->isChecked())
        m_deviceLabel->setText(tr("Varnex: AUTOMIX"));
    else
        m_deviceLabel->setText(tr("Varnex: CUSTOM"));
}

void DeviceActions::closeDevice()
{
    if (m_connection)
        m_connection->closeDevice();
}

void DeviceActions::forgetHandle()
{
    if (m_connection)
        m_connection->forgetHandle();
}

void DeviceActions::showModeState(bool automix)
{
    m_automixButton->setChecked(automix);
    m_customButton->setChecked(!automix);
    m_editor.setEditable(!automix);
    updateDeviceLabel();
}

bool DeviceActions::startUp()
{
    ProcessState &state = processState();
    state.deviceSettings = DeviceSettings{};
    m_editor.setEditable(false);
    m_automixButton->setChecked(true);

    // The first open only tells whether the Varnex is there; without it the
    // window starts silently in AUTOMIX.
    m_varnexFound = m_session && m_session->isPresent();
    updateDeviceLabel();
    if (!m_varnexFound)
        return false;

    // Without a reply the byte keeps this value: AUTOMIX, in which writing is refused.
    quint8 reply = 1;
    const bool ok = sendModeRequest(ModeSelector::Query, reply);
    showModeState(!(ok && reply == 0));
    state.deviceSettings.automix = m_automixButton->isChecked() ? 1 : 0;
    return true;
}

void DeviceActions::switchMode()
{
    const bool automix = m_automixButton->isChecked();
    processState().deviceSettings.automix = automix ? 1 : 0;
    quint8 reply = 0;
    sendModeRequest(automix ? ModeSelector::SelectAutomix : ModeSelector::SelectCustom, reply);
    m_editor.setEditable(!automix);
}

bool DeviceActions::sendModeRequest(ModeSelector selector, quint8 &reply)
{
    const SessionModeResult result =
        m_session ? m_session->sendModeRequest(selector) : SessionModeResult{};
    if (!foundOrWarn(result.status))
        return false;
    if (result.status == SessionStatus::Done)
        reply = result.reply;
    return true;
}

std::optional<EdidImage> DeviceActions::readTable()
{
    createProgressIndicator();
    const SessionReadResult result =
        m_session ? m_session->readTable(progressToBar()) : SessionReadResult{};
    if (!foundOrWarn(result.status))
        return std::nullopt;

    // A table with a lost chunk would look like a real one.
    if (result.status != SessionStatus::Done) {
        m_feedback.warn(result.message + QLatin1Char('\n') +
                        tr("The editor keeps its previous table. ") + result.advice);
        return std::nullopt;
    }
    return result.image;
}

bool DeviceActions::read()
{
    const std::optional<EdidImage> table = readTable();
    if (!table)
        return false;
    std::array<char, EdidTextBufferSize> &buffer = processState().EdidTextBuffer;
    formatHexText(*table, std::span<char>(buffer));
    m_feedback.showStatus(tr("EDID values read."));
    m_editor.showWholeTable(QString::fromLatin1(buffer.data()), Qt::black);
    m_editor.markStored();
    return true;
}

bool DeviceActions::write()
{
    createProgressIndicator();
    // Missing bytes would be written as zeros over the splitter's table.
    const std::optional<EdidImage> table = m_editor.wholeTableOrWarn(
        tr("The EDID table must have %1 bytes; the editor holds %2.\nNothing was written."));
    if (!table)
        return false;
    const EdidImage &image = *table;
    if (!checksPassedOrAccepted(checksBeforeUpload(image)))
        return false;

    UploadOptions options;
    // The flag follows the radio buttons; the slot has refused in AUTOMIX already.
    options.guard = ModeGuard::Recorded;
    options.readBack = m_verifyAfterWrite->isChecked();
    options.progress = progressToBar();
    const UploadOutcome outcome =
        m_session ? uploadTable(*m_session, image, options) : UploadOutcome{};
    if (outcome.step == UploadStep::Write && !foundOrWarn(outcome.write.status))
        return false;
    if (outcome.verification &&
        outcome.verification->readBack.status == SessionStatus::HardwareNotFound) {
        m_varnexFound = false;
        updateDeviceLabel();
    }
    if (outcome.step == UploadStep::ReadBack && !outcome.done()) {
        // The editor keeps the user's table: it is what should be on the Varnex.
        m_feedback.warn(outcome.message, outcome.advice);
        return false;
    }
    if (!outcome.done()) {
        // A broken write is one sentence to act on at once, as a failed read is.
        m_feedback.warn(outcome.message + QLatin1Char('\n') + outcome.advice);
        return false;
    }
    m_editor.markStored();
    m_feedback.showStatus(tr("EDID values written..."));
    return true;
}

bool DeviceActions::checksPassedOrAccepted(const QList<UploadCheck> &checks)
{
    // An empty file loads as 256 zero bytes, whose checksums are right.
    if (!checksOfKind(checks, UploadCheckKind::HeaderMissing).isEmpty() &&
        !m_feedback.confirm(tr("The table in the editor has no EDID header (00 FF FF FF FF FF FF "
                               "00), so the video source will not accept it."),
                            tr("Write anyway?")))
        return false;
    if (!checksOfKind(checks, UploadCheckKind::ChecksumWrong).isEmpty() &&
        !m_feedback.dialogs().askYesNo(QStringLiteral("Varnex EDID Utility"),
                                       QStringLiteral("The EDID Checksum is not correct."),
                                       QStringLiteral("Write anyway?")))
        return false;
    // Sources reject such a table as surely as a broken checksum; No is the default.
    if (const QString errors = describeDecoderErrors(checks);
        !errors.isEmpty() && !m_feedback.confirm(errors, tr("Write anyway?")))
        return false;
    return true;
}

void DeviceActions::compareWithDevice()
{
    const std::optional<EdidImage> editor = editorTableToCompare(m_editor);
    if (!editor)
        return;
    createProgressIndicator();
    const SessionReadResult result =
        m_session ? m_session->readTable(progressToBar()) : SessionReadResult{};
    if (!foundOrWarn(result.status))
        return;
    if (result.status != SessionStatus::Done) {
        m_feedback.warn(result.message + QLatin1Char('\n') + tr("Nothing was compared. ") +
                        result.advice);
        return;
    }
    showComparison(m_feedback, *editor, result.image, tr("the table of the Varnex"));
}
