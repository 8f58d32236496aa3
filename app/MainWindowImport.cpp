// Tables brought in from elsewhere: the displays of this computer, dropped
// files, and our hex text written out for other tools.
#include "MainWindow.h"

#include "DisplayEdids.h"
#include "EdidFile.h"
#include "ui_DoctorForm.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QUrl>

using namespace varnex::edid;

namespace {

// Name offered by the hex text save dialog, beside the raw file's Varnex_edid0.bin.
const char ProposedHexTextName[] = "Varnex_edid0.txt";

} // namespace

void MainWindow::setUpFileImport()
{
    connect(ui->menuLoadFromDisplay, &QMenu::aboutToShow, this, &MainWindow::fillDisplayMenu);
    connect(ui->actionSaveHexText, &QAction::triggered, this, &MainWindow::saveHexText);
    setAcceptDrops(true);
    // Drops on the editor reach its viewport, where QTextEdit would insert
    // the file's name as text.
    ui->EDIDtext->viewport()->installEventFilter(this);
}

bool MainWindow::saveHexText()
{
    return saveEditorTable(tr("Save as Hex Text"), QString::fromLatin1(ProposedHexTextName),
                           tr("Text files (*.txt);;All files (*)"), writeEdidHexFile);
}

void MainWindow::fillDisplayMenu()
{
    QMenu *menu = ui->menuLoadFromDisplay;
    menu->clear();
    const QList<DisplayEdid> displays = listDisplayEdids(drmDirectory(), decodedProductName);
    if (displays.isEmpty()) {
        menu->addAction(tr("No display with an EDID found"))->setEnabled(false);
        return;
    }
    for (const DisplayEdid &display : displays) {
        // A product name may hold '&', which a menu takes for a mnemonic.
        QString title = display.title();
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        connect(menu->addAction(title), &QAction::triggered, this,
                [this, display] { loadDisplayEdid(display); });
    }
}

bool MainWindow::loadDisplayEdid(const DisplayEdid &display)
{
    if (!discardTypedChangesOk())
        return false;
    showLoadedContents(interpretEdidFile(display.edid), tr("Loaded from %1").arg(display.connector),
                       display.edid.size());
    return true;
}

QString MainWindow::draggedFile(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls())
        return QString();
    const QList<QUrl> urls = mime->urls();
    // Several files give no one table to load.
    if (urls.size() != 1 || !urls.constFirst().isLocalFile())
        return QString();
    return urls.constFirst().toLocalFile();
}

bool MainWindow::takeFileDrop(QDropEvent *event)
{
    const QString fileName = draggedFile(event->mimeData());
    if (fileName.isEmpty())
        return false;
    event->acceptProposedAction();
    // Once the drop is over: the discard question must not hold up the
    // program the file was dragged from.
    QMetaObject::invokeMethod(
        this,
        [this, fileName] {
            if (discardTypedChangesOk())
                loadEdidFile(fileName);
        },
        Qt::QueuedConnection);
    return true;
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!draggedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent *event)
{
    if (!draggedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    takeFileDrop(event);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    const bool editorDrag = watched == ui->EDIDtext->viewport() &&
                            (event->type() == QEvent::DragEnter ||
                             event->type() == QEvent::DragMove || event->type() == QEvent::Drop);
    if (!editorDrag)
        return QMainWindow::eventFilter(watched, event);
    // QDragEnterEvent and QDragMoveEvent are QDropEvents.
    auto *drop = static_cast<QDropEvent *>(event);
    // Text dragged within or into the editor stays the editor's business.
    if (!drop->mimeData() || !drop->mimeData()->hasUrls())
        return false;
    // Files are never inserted as their names: one is loaded, several are refused.
    if (event->type() == QEvent::Drop)
        takeFileDrop(drop);
    else if (!draggedFile(drop->mimeData()).isEmpty())
        drop->acceptProposedAction();
    else
        drop->ignore();
    return true;
}
