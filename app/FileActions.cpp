#include "FileActions.h"

#include "ComposeDialog.h"
#include "DisplayEdids.h"
#include "EdidFile.h"
#include "EditorComparison.h"
#include "EditorPanel.h"
#include "HexText.h"
#include "LibraryDialog.h"
#include "RecentFiles.h"
#include "UserDialogs.h"
#include "WindowFeedback.h"
#include "edit/Presets.h"
#include "import/ImportResult.h"
#include "library/EdidLibrary.h"

#include <QAction>
#include <QColor>
#include <QDropEvent>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QTextEdit>
#include <QUrl>

using namespace varnex::edid;

namespace {

// How long the form of an imported dump stays in the status bar: a longer
// text than the other confirmations, worth reading.
constexpr int ImportMessageMs = 6000;
// Names offered by the save dialogs; bare names, so the dialog's default folder is used.
const char ProposedSaveName[] = "Varnex_edid0.bin";
const char ProposedHexTextName[] = "Varnex_edid0.txt";

} // namespace

FileActions::FileActions(EditorPanel &editor, WindowFeedback &feedback, QMenu *displayMenu,
                         QMenu *presetsMenu, QAction *saveHexTextAction)
    : QObject(feedback.window()), m_editor(editor), m_feedback(feedback), m_displayMenu(displayMenu)
{
    connect(m_displayMenu, &QMenu::aboutToShow, this, &FileActions::fillDisplayMenu);
    connect(saveHexTextAction, &QAction::triggered, this, &FileActions::saveHexText);
    setUpPresetsMenu(presetsMenu);
    // After New from Preset, in the menu that holds Load from Display.
    if (auto *fileMenu = qobject_cast<QMenu *>(m_displayMenu->parentWidget())) {
        auto *compose = new QAction(tr("New from Several Displays..."), fileMenu);
        compose->setObjectName(QStringLiteral("actionCompose"));
        const QList<QAction *> actions = fileMenu->actions();
        const qsizetype presets = actions.indexOf(presetsMenu->menuAction());
        fileMenu->insertAction(presets >= 0 ? actions.value(presets + 1) : nullptr, compose);
        connect(compose, &QAction::triggered, this, &FileActions::composeFromDisplays);

        auto *library = new QAction(tr("Library..."), fileMenu);
        library->setObjectName(QStringLiteral("actionLibrary"));
        library->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
        fileMenu->insertAction(fileMenu->actions().value(fileMenu->actions().indexOf(compose) + 1),
                               library);
        connect(library, &QAction::triggered, this, &FileActions::openLibrary);

        // After Load from File: the other way to a file loaded before.
        auto *recentMenu = new QMenu(tr("Recent Files"), fileMenu);
        recentMenu->setObjectName(QStringLiteral("menuRecentFiles"));
        fileMenu->insertMenu(m_displayMenu->menuAction(), recentMenu);
        m_recent = new RecentFiles(
            recentMenu, m_feedback, [this](const QString &name) { return loadChosenFile(name); },
            this);
    }
    // Drops on the editor reach its viewport, where QTextEdit would insert
    // the file's name as text.
    m_editorViewport = m_editor.editor()->viewport();
    m_editorViewport->installEventFilter(this);
}

std::optional<QByteArray> FileActions::readOrWarn(const QString &fileName)
{
    QString error;
    std::optional<QByteArray> data = readEdidFile(fileName, &error);
    if (!data)
        m_feedback.warn(tr("Cannot read file %1:\n%2.").arg(fileName, error));
    return data;
}

bool FileActions::load()
{
    // "*" and not "*.*": on Linux many files have no dot in their name.
    const QString fileName = m_feedback.dialogs().getOpenFileName(
        m_feedback.window(), tr("Open file"), QString(), tr("Binary Files (*.bin);;All files (*)"));
    if (fileName.isEmpty())
        return false;
    return loadFile(fileName);
}

bool FileActions::loadFile(const QString &fileName)
{
    return loadFile(fileName, LongRawTable::KeepFirstBytes);
}

bool FileActions::loadFile(const QString &fileName, LongRawTable rule)
{
    const std::optional<QByteArray> data = readOrWarn(fileName);
    if (!data)
        return false;
    const EdidFileContents contents = interpretEdidFile(*data, rule);
    // Kept as they are, the first bytes need no word about what was left out.
    const bool fittedRaw = rule == LongRawTable::Fit && contents.kind == EdidFileKind::RawImage;
    showLoadedContents(contents, tr("File loaded"), fittedRaw ? data->size() : 0);
    if (m_recent)
        m_recent->add(fileName);
    return true;
}

void FileActions::showLoadedContents(const EdidFileContents &contents, const QString &loadedMessage,
                                     qsizetype tableSize)
{
    if (contents.kind == EdidFileKind::HexText)
        m_editor.showWholeTable(QString::fromLatin1(contents.text), QColor(0, 0, 255, 255));
    else
        m_editor.display(contents.image);
    m_editor.markStored();

    if (contents.kind != EdidFileKind::Imported) {
        m_feedback.showStatus(loadedMessage);
    } else {
        QString status = tr("Imported from %1").arg(contents.imported.formName());
        if (!contents.imported.note.isEmpty())
            status += QStringLiteral(". ") + contents.imported.note;
        m_feedback.showStatus(status, ImportMessageMs);
        tableSize = contents.imported.table.size();
    }
    if (const QString leftOut = leftOutDescription(tableSize); !leftOut.isEmpty()) {
        QString text = tr("The table has %1 bytes. The Varnex takes the first %2; "
                          "left out: %3.")
                           .arg(tableSize)
                           .arg(EdidImageSize)
                           .arg(leftOut);
        if (!contents.countNote.isEmpty())
            text += QLatin1Char(' ') + contents.countNote;
        m_feedback.inform(text);
    }
}

bool FileActions::save()
{
    return saveEditorTable(tr("Save File"), QString::fromLatin1(ProposedSaveName),
                           tr("Binary file (*.bin)"), writeEdidFile);
}

bool FileActions::saveHexText()
{
    // Save keeps its zero fill, which users rely on; hex text of nothing
    // would be a table nobody made.
    EdidImage image;
    if (m_editor.parse(image) == 0) {
        m_feedback.warn(tr("The editor holds no table.\nNothing was saved."));
        return false;
    }
    return saveEditorTable(tr("Save as Hex Text"), QString::fromLatin1(ProposedHexTextName),
                           tr("Text files (*.txt);;All files (*)"), writeEdidHexFile);
}

bool FileActions::saveEditorTable(const QString &caption, const QString &proposedName,
                                  const QString &filter,
                                  bool (*write)(const QString &, const EdidImage &, QString *,
                                                const std::function<void()> &))
{
    EdidImage image;
    if (m_editor.parseOrWarn(image) < 0)
        return false;

    const QString fileName =
        m_feedback.dialogs().getSaveFileName(m_feedback.window(), caption, proposedName, filter);
    if (fileName.isEmpty())
        return false;

    QString error;
    const auto opened = [this] { m_feedback.showStatus(tr("Saving file...")); };
    if (!write(fileName, image, &error, opened)) {
        m_feedback.warn(tr("Cannot write file %1:\n%2.").arg(fileName, error));
        return false;
    }
    m_editor.markStored();
    if (m_recent)
        m_recent->add(fileName);
    m_feedback.showStatus(tr("File saved"));
    return true;
}

void FileActions::compareWithFile()
{
    const std::optional<EdidImage> editor = editorTableToCompare(m_editor);
    if (!editor)
        return;
    const QString fileName =
        m_feedback.dialogs().getOpenFileName(m_feedback.window(), tr("Compare with File"),
                                             QString(), tr("Binary Files (*.bin);;All files (*)"));
    if (fileName.isEmpty())
        return;

    // The file is read as Load from File reads it.
    const std::optional<QByteArray> data = readOrWarn(fileName);
    if (!data)
        return;
    const EdidFileContents contents = interpretEdidFile(*data);
    EdidImage other = contents.image;
    if (contents.kind == EdidFileKind::HexText &&
        parseHexText(hexTextAsEdited(contents.text), other) != EdidImageSize) {
        m_feedback.warn(tr("The file %1 holds no EDID table of %2 bytes to compare with.")
                            .arg(fileName)
                            .arg(EdidImageSize));
        return;
    }
    showComparison(m_feedback, *editor, other,
                   tr("the file %1").arg(QFileInfo(fileName).fileName()));
}

void FileActions::fillDisplayMenu()
{
    m_displayMenu->clear();
    const QList<DisplayEdid> displays = listDisplayEdids(drmDirectory(), decodedProductName);
    if (displays.isEmpty()) {
        m_displayMenu->addAction(tr("No display with an EDID found"))->setEnabled(false);
        return;
    }
    for (const DisplayEdid &display : displays) {
        // A product name may hold '&', which a menu takes for a mnemonic.
        QString title = display.title();
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        connect(m_displayMenu->addAction(title), &QAction::triggered, this,
                [this, display] { loadDisplayEdid(display); });
    }
}

bool FileActions::loadDisplayEdid(const DisplayEdid &display)
{
    if (!m_editor.discardTypedChangesOk())
        return false;
    showLoadedContents(interpretEdidFile(display.edid, LongRawTable::Fit),
                       tr("Loaded from %1").arg(display.connector), display.edid.size());
    return true;
}

void FileActions::setUpPresetsMenu(QMenu *menu)
{
    for (const QString &name : presetNames()) {
        QAction *action = menu->addAction(presetTitle(name));
        action->setObjectName(QStringLiteral("preset_") + name);
        connect(action, &QAction::triggered, this, [this, name] { loadPreset(name); });
    }
}

void FileActions::composeFromDisplays()
{
    auto *dialog = new ComposeDialog(m_feedback.window(), m_feedback.dialogs(), m_readSplitter);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &ComposeDialog::composed, this, [this](const EdidImage &image) {
        if (!m_editor.discardTypedChangesOk())
            return;
        m_editor.display(image);
        m_editor.markStored();
        m_feedback.showStatus(tr("Composed table loaded"));
    });
    dialog->open();
}

bool FileActions::loadChosenFile(const QString &fileName)
{
    return m_editor.discardTypedChangesOk() && loadFile(fileName);
}

void FileActions::openLibrary()
{
    const auto currentTable = [this]() -> std::optional<EdidImage> {
        EdidImage image;
        if (m_editor.parseOrWarn(image) < 0)
            return std::nullopt;
        return image;
    };
    auto *dialog = new LibraryDialog(m_feedback.window(), m_feedback.dialogs(),
                                     EdidLibrary::defaultDirectory(), currentTable);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &LibraryDialog::loadRequested, this, &FileActions::loadChosenFile);
    dialog->open();
}

bool FileActions::loadPreset(const QString &name)
{
    const std::optional<EdidImage> image = buildPreset(name);
    if (!image || !m_editor.discardTypedChangesOk())
        return false;
    m_editor.display(*image);
    m_editor.markStored();
    m_feedback.showStatus(tr("Preset loaded"));
    return true;
}

QString FileActions::draggedFile(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls())
        return QString();
    const QList<QUrl> urls = mime->urls();
    // Several files give no one table to load.
    if (urls.size() != 1 || !urls.constFirst().isLocalFile())
        return QString();
    return urls.constFirst().toLocalFile();
}

bool FileActions::acceptsDrag(const QMimeData *mime)
{
    return !draggedFile(mime).isEmpty();
}

bool FileActions::takeFileDrop(QDropEvent *event)
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
            if (m_editor.discardTypedChangesOk())
                loadFile(fileName, LongRawTable::Fit);
        },
        Qt::QueuedConnection);
    return true;
}

bool FileActions::eventFilter(QObject *watched, QEvent *event)
{
    // Compared by address only: the filter also sees events while the editor
    // is being destroyed, when it may no longer be called.
    const bool editorDrag = watched == m_editorViewport &&
                            (event->type() == QEvent::DragEnter ||
                             event->type() == QEvent::DragMove || event->type() == QEvent::Drop);
    if (!editorDrag)
        return QObject::eventFilter(watched, event);
    // QDragEnterEvent and QDragMoveEvent are QDropEvents.
    auto *drop = static_cast<QDropEvent *>(event);
    // Text dragged within or into the editor stays the editor's business.
    if (!drop->mimeData() || !drop->mimeData()->hasUrls())
        return false;
    // Files are never inserted as their names: one is loaded, several are refused.
    if (event->type() == QEvent::Drop)
        takeFileDrop(drop);
    else if (acceptsDrag(drop->mimeData()))
        drop->acceptProposedAction();
    else
        drop->ignore();
    return true;
}
