// The Device menu of MainWindow: verification after a write, and the
// comparison of the editor's table with a file's or the splitter's.
#include "MainWindow.h"

#include "ByteDifferences.h"
#include "DeviceSession.h"
#include "HexOffset.h"
#include "EdidComparison.h"
#include "EdidFile.h"
#include "HexText.h"
#include "UserDialogs.h"
#include "ui_DoctorForm.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

using namespace varnex::edid;
using namespace varnex::splitter;

void MainWindow::setupDeviceMenu()
{
    auto *menu = new QMenu(tr("Device"), this);
    menu->setObjectName(QStringLiteral("menuDevice"));
    menuBar()->insertMenu(ui->menuHelp->menuAction(), menu);

    // Not stored: every run starts with the safe choice.
    m_verifyAfterWrite = menu->addAction(tr("Verify after Writing"));
    m_verifyAfterWrite->setObjectName(QStringLiteral("actionVerifyAfterWrite"));
    m_verifyAfterWrite->setCheckable(true);
    m_verifyAfterWrite->setChecked(true);
    menu->addSeparator();
    QAction *compareFile = menu->addAction(tr("Compare with File..."));
    compareFile->setObjectName(QStringLiteral("actionCompareFile"));
    connect(compareFile, &QAction::triggered, this, &MainWindow::CompareWithFile);
    QAction *compareDevice = menu->addAction(tr("Compare with Varnex"));
    compareDevice->setObjectName(QStringLiteral("actionCompareDevice"));
    connect(compareDevice, &QAction::triggered, this, &MainWindow::CompareWithDevice);
}

std::optional<EdidImage> MainWindow::editorTableForComparison()
{
    EdidImage image;
    const int count = parseEditorOrWarn(image);
    if (count < 0)
        return std::nullopt;
    if (count != EdidImageSize) {
        warnUser(tr("The EDID table must have %1 bytes to be compared; the editor holds %2.")
                     .arg(EdidImageSize)
                     .arg(count));
        return std::nullopt;
    }
    return image;
}

void MainWindow::CompareWithFile()
{
    const std::optional<EdidImage> editor = editorTableForComparison();
    if (!editor)
        return;
    const QString fileName = dialogs().getOpenFileName(this, tr("Compare with File"), QString(),
                                                       tr("Binary Files (*.bin);;All files (*)"));
    if (fileName.isEmpty())
        return;

    // The file is read as Load from File reads it.
    QString error;
    const std::optional<QByteArray> data = readEdidFile(fileName, &error);
    if (!data) {
        warnUser(tr("Cannot read file %1:\n%2.").arg(fileName, error));
        return;
    }
    const EdidFileContents contents = interpretEdidFile(*data);
    EdidImage other = contents.image;
    if (contents.kind == EdidFileKind::HexText &&
        parseHexText(hexTextAsEdited(contents.text), other) != EdidImageSize) {
        warnUser(tr("The file %1 holds no EDID table of %2 bytes to compare with.")
                     .arg(fileName)
                     .arg(EdidImageSize));
        return;
    }
    showComparison(*editor, other, tr("the file %1").arg(QFileInfo(fileName).fileName()));
}

void MainWindow::CompareWithDevice()
{
    const std::optional<EdidImage> editor = editorTableForComparison();
    if (!editor)
        return;
    createProgressIndicator();
    const SessionReadResult result =
        m_session ? m_session->readTable(progressToBar()) : SessionReadResult{};
    if (!foundOrWarn(result.status))
        return;
    if (result.status != SessionStatus::Done) {
        warnUser(tr("The EDID could not be read completely: the bytes from offset %1 did not "
                    "arrive.\nNothing was compared. Check the connection to the Varnex and try "
                    "again.")
                     .arg(hexOffset(result.missingOffset)));
        return;
    }
    showComparison(*editor, result.image, tr("the table of the Varnex"));
}

void MainWindow::showComparison(const EdidImage &editor, const EdidImage &other,
                                const QString &otherName)
{
    const TableComparison comparison = compareTables(editor, other);
    const QString text =
        comparison.identical()
            ? tr("The table in the editor compared with %1:").arg(otherName)
            : tr("The table in the editor (left of each arrow) compared with %1 (right): %2.")
                  .arg(otherName, describeDifferingOffsets(differingOffsets(editor, other)));
    dialogs().showReport(this, tr("Varnex EDID Utility"), text, comparisonText(comparison));
}
