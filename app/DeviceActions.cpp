#include "DeviceActions.h"

#include "Checksum.h"
#include "DeviceConnection.h"
#include "DeviceMessages.h"
#include "DeviceSession.h"
#include "EdidHeader.h"
#include "EditorComparison.h"
#include "EditorPanel.h"
#include "HexOffset.h"
#include "HexText.h"
#include "ProcessState.h"
#include "UserDialogs.h"
#include "VerifiedWrite.h"
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
    // A bridge this user may not open may be the Varnex: say so, and what to do.
    if (m_connection && m_connection->openDeniedAccess()) {
        m_feedback.warn(tr("Hardware not found"),
                        QString::fromUtf8(varnex::device::messages::AccessDenied));
        return false;
    }
    m_feedback.warn(tr("Hardware not found"),
                    tr("Check that the USB cable is connected and that the Varnex is powered. On "
                       "Linux, the udev rule of this utility must be installed (see \"Hardware "
                       "set-up\" in the README)."));
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
    state.deviceSettings = varnex::device::DeviceSettings{};
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

bool DeviceActions::read()
{
    createProgressIndicator();
    const SessionReadResult result =
        m_session ? m_session->readTable(progressToBar()) : SessionReadResult{};
    if (!foundOrWarn(result.status))
        return false;

    // A table with a lost chunk would look like a real one; keep the editor as it was.
    if (result.status != SessionStatus::Done) {
        m_feedback.warn(tr("The EDID could not be read completely: the bytes from offset %1 "
                           "did not arrive.\nThe editor keeps its previous table. Check the "
                           "connection to the Varnex and read again.")
                            .arg(hexOffset(result.missingOffset)));
        return false;
    }

    std::array<char, EdidTextBufferSize> &buffer = processState().EdidTextBuffer;
    formatHexText(result.image, std::span<char>(buffer));
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
    // An empty file loads as 256 zero bytes, whose checksums are right.
    if (!hasEdidHeader(image) &&
        !m_feedback.confirm(tr("The table in the editor has no EDID header (00 FF FF FF FF FF FF "
                               "00), so the video source will not accept it."),
                            tr("Write anyway?")))
        return false;
    if (!blockChecksumCorrect(image, 0) || !blockChecksumCorrect(image, 1)) {
        if (!m_feedback.dialogs().askYesNo(QStringLiteral("Varnex EDID Utility"),
                                           QStringLiteral("The EDID Checksum is not correct."),
                                           QStringLiteral("Write anyway?")))
            return false;
    }
    const SessionWriteResult result =
        m_session ? m_session->writeTable(image, progressToBar()) : SessionWriteResult{};
    if (!foundOrWarn(result.status))
        return false;

    if (result.status != SessionStatus::Done) {
        const int failed = result.failedOffset;
        if (result.framesSent == 0) {
            m_feedback.warn(tr("Writing the EDID failed: nothing was sent to the Varnex.\nWrite "
                               "the table again."));
        } else {
            // The write ends at the first unconfirmed frame: say how far it got.
            const QString confirmed =
                failed == 0 ? tr("No bytes were confirmed")
                            : tr("The bytes 0x00 to %1 were confirmed").arg(hexOffset(failed - 1));
            m_feedback.warn(tr("Writing the EDID failed: the Varnex did not confirm the bytes "
                               "from offset %1.\n%2; the frames after offset %1 were not sent. "
                               "Its EDID table may be incomplete. Write the table again.")
                                .arg(hexOffset(failed), confirmed));
        }
        return false;
    }
    if (m_verifyAfterWrite->isChecked() && !verifyWrittenTable(image))
        return false;
    m_editor.markStored();
    m_feedback.showStatus(tr("EDID values written..."));
    return true;
}

bool DeviceActions::verifyWrittenTable(const EdidImage &sent)
{
    const WriteVerification check =
        varnex::edid::verifyWrittenTable(*m_session, sent, progressToBar());
    if (check.readBack.status == SessionStatus::HardwareNotFound) {
        m_varnexFound = false;
        updateDeviceLabel();
    }
    if (check.outcome == WriteVerification::Equal)
        return true;
    // The editor keeps the user's table: it is what should be on the Varnex.
    m_feedback.warn(check.message(), check.advice());
    return false;
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
        m_feedback.warn(tr("The EDID could not be read completely: the bytes from offset %1 did "
                           "not arrive.\nNothing was compared. Check the connection to the Varnex "
                           "and try again.")
                            .arg(hexOffset(result.missingOffset)));
        return;
    }
    showComparison(m_feedback, *editor, result.image, tr("the table of the Varnex"));
}
