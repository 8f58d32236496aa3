// The device bodies of MainWindow: start-up, mode switch, EDID read and write.
#include "MainWindow.h"

#include "Checksum.h"
#include "DeviceConnection.h"
#include "DeviceSession.h"
#include "HexOffset.h"
#include "EdidHeader.h"
#include "HexText.h"
#include "ProcessState.h"
#include "UserDialogs.h"
#include "VerifiedWrite.h"
#include "ui_DoctorForm.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>

using namespace varnex::edid;
using namespace varnex::splitter;
using varnex::device::ModeSelector;

std::function<void(int, int)> MainWindow::progressToBar()
{
    return [this](int value, int maximum) { on_ProgressChange(value, maximum); };
}

bool MainWindow::foundOrWarn(SessionStatus status)
{
    m_varnexFound = status != SessionStatus::HardwareNotFound;
    updateDeviceLabel();
    if (m_varnexFound)
        return true;
    warnUser(tr("Hardware not found"),
             tr("Check that the USB cable is connected and that the Varnex is powered. On "
                "Linux, the udev rule of this utility must be installed (see \"Hardware "
                "set-up\" in the README)."));
    return false;
}

void MainWindow::updateDeviceLabel()
{
    if (!m_varnexFound)
        m_deviceLabel->setText(tr("No Varnex found"));
    else if (ui->dynamicEDID->isChecked())
        m_deviceLabel->setText(tr("Varnex: AUTOMIX"));
    else
        m_deviceLabel->setText(tr("Varnex: CUSTOM"));
}

void MainWindow::closeDevice()
{
    if (m_services.connection)
        m_services.connection->closeDevice();
}

void MainWindow::forgetDeviceHandle()
{
    if (m_services.connection)
        m_services.connection->forgetHandle();
}

void MainWindow::showModeState(bool automix)
{
    ui->dynamicEDID->setChecked(automix);
    ui->staticEDID->setChecked(!automix);
    ui->EDIDtext->setEnabled(!automix);
    updateDeviceLabel();
}

void MainWindow::InitEDIDMode()
{
    ProcessState &state = processState();
    state.deviceSettings = DeviceSettings{};
    ui->EDIDtext->setEnabled(false);
    ui->dynamicEDID->setChecked(true);

    // The first open only tells whether the Varnex is there; without it the
    // window starts silently in AUTOMIX.
    m_varnexFound = m_session && m_session->isPresent();
    updateDeviceLabel();
    if (!m_varnexFound)
        return;

    // Without a reply the byte keeps this value: AUTOMIX, in which writing is refused.
    quint8 reply = 1;
    const bool ok = SendModeRequest(ModeSelector::Query, reply);
    showModeState(!(ok && reply == 0));
    state.deviceSettings.automix = ui->dynamicEDID->isChecked() ? 1 : 0;
    ReadEDID();
}

void MainWindow::CheckEDIDStatus()
{
    const bool automix = ui->dynamicEDID->isChecked();
    processState().deviceSettings.automix = automix ? 1 : 0;
    quint8 reply = 0;
    SendModeRequest(automix ? ModeSelector::SelectAutomix : ModeSelector::SelectCustom, reply);
    ui->EDIDtext->setEnabled(!automix);
}

bool MainWindow::SendModeRequest(ModeSelector selector, quint8 &reply)
{
    const SessionModeResult result =
        m_session ? m_session->sendModeRequest(selector) : SessionModeResult{};
    if (!foundOrWarn(result.status))
        return false;
    if (result.status == SessionStatus::Done)
        reply = result.reply;
    return true;
}

bool MainWindow::ReadEDIDfromDevice()
{
    createProgressIndicator();
    const SessionReadResult result =
        m_session ? m_session->readTable(progressToBar()) : SessionReadResult{};
    if (!foundOrWarn(result.status))
        return false;

    // A table with a lost chunk would look like a real one; keep the editor as it was.
    if (result.status != SessionStatus::Done) {
        warnUser(tr("The EDID could not be read completely: the bytes from offset %1 "
                    "did not arrive.\nThe editor keeps its previous table. Check the "
                    "connection to the Varnex and read again.")
                     .arg(hexOffset(result.missingOffset)));
        return false;
    }

    std::array<char, EdidTextBufferSize> &buffer = processState().EdidTextBuffer;
    formatHexText(result.image, std::span<char>(buffer));
    statusBar()->showMessage(tr("EDID values read."), StatusMessageMs);
    showWholeTable(QString::fromLatin1(buffer.data()), Qt::black);
    m_typedSinceStored = false;
    return true;
}

bool MainWindow::WriteEDIDtoDevice()
{
    createProgressIndicator();
    EdidImage image;
    const int count = parseEditorOrWarn(image);
    if (count < 0)
        return false;
    // Missing bytes would be written as zeros over the splitter's table.
    if (count != EdidImageSize) {
        warnUser(tr("The EDID table must have %1 bytes; the editor holds %2.\nNothing "
                    "was written.")
                     .arg(EdidImageSize)
                     .arg(count));
        return false;
    }
    // An empty file loads as 256 zero bytes, whose checksums are right.
    if (!hasEdidHeader(image) &&
        !confirmUser(tr("The table in the editor has no EDID header (00 FF FF FF FF FF FF 00), "
                        "so the video source will not accept it."),
                     tr("Write anyway?")))
        return false;
    if (!blockChecksumCorrect(image, 0) || !blockChecksumCorrect(image, 1)) {
        if (!dialogs().askYesNo(QStringLiteral("Varnex EDID Utility"),
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
            warnUser(tr("Writing the EDID failed: nothing was sent to the Varnex.\nWrite the "
                        "table again."));
        } else {
            // The write ends at the first unconfirmed frame: say how far it got.
            const QString confirmed =
                failed == 0 ? tr("No bytes were confirmed")
                            : tr("The bytes 0x00 to %1 were confirmed").arg(hexOffset(failed - 1));
            warnUser(tr("Writing the EDID failed: the Varnex did not confirm the bytes "
                        "from offset %1.\n%2; the frames after offset %1 were not sent. Its EDID "
                        "table may be incomplete. Write the table again.")
                         .arg(hexOffset(failed), confirmed));
        }
        return false;
    }
    if (m_verifyAfterWrite->isChecked() && !verifyWrittenTable(image))
        return false;
    m_typedSinceStored = false;
    statusBar()->showMessage(tr("EDID values written..."), StatusMessageMs);
    return true;
}

bool MainWindow::verifyWrittenTable(const EdidImage &sent)
{
    const WriteVerification check =
        varnex::splitter::verifyWrittenTable(*m_session, sent, progressToBar());
    if (check.readBack.status == SessionStatus::HardwareNotFound) {
        m_varnexFound = false;
        updateDeviceLabel();
    }
    if (check.done())
        return true;
    // The editor keeps the user's table: it is what should be on the Varnex.
    warnUser(check.message, check.advice);
    return false;
}
