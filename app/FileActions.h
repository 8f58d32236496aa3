#pragma once

#include "EdidImage.h"

#include <QObject>

#include <functional>
#include <optional>

class EditorPanel;
class QAction;
class QDropEvent;
class QMenu;
class QMimeData;
class QWidget;
class RecentFiles;
class WindowFeedback;
namespace varnex::edid {
struct DisplayEdid;
struct EdidFileContents;
enum class LongRawTable;
} // namespace varnex::edid

// Tables in and out of files and other sources: Load from File, Save, Save
// as Hex Text, files dropped on the window, File, Load from Display, File,
// New from Preset, File, Recent Files, File, Library, and Device, Compare
// with File. What comes in replaces the
// editor's table only after the editor's discard question; failures are told
// to the user here, and the bool results only say whether the action succeeded.
class FileActions : public QObject
{
    Q_OBJECT

public:
    // The menus and the action belong to the window (`feedback`'s), the
    // parent of this; `editor` and `feedback` are not owned and must outlive this.
    FileActions(EditorPanel &editor, WindowFeedback &feedback, QMenu *displayMenu,
                QMenu *presetsMenu, QAction *saveHexTextAction);

    // ReadEDIDfromFile: asks for a file and loads it.
    bool load();
    // Loads a named file as load() does once the name is chosen. False,
    // after telling the user, when it cannot be read.
    bool loadFile(const QString &fileName);
    // WriteEDIDtoFile: the editor's table into a raw file the user names.
    bool save();
    // File, Save as Hex Text...: refused, with a warning, when the editor
    // holds no bytes at all.
    bool saveHexText();
    // Device, Compare with File...
    void compareWithFile();
    // File, New from Several Displays... (actionCompose): opens the compose
    // dialog without waiting for it; its table replaces the editor's, one
    // undo step, after the discard question.
    void composeFromDisplays();
    // File, Library... (actionLibrary): opens the library dialog over
    // EdidLibrary::defaultDirectory() without waiting for it; an entry it
    // loads comes in as Load from File brings a file.
    void openLibrary();
    RecentFiles *recentFiles() const { return m_recent; }
    // How the compose dialog reads the splitter's table.
    void setSplitterReader(std::function<std::optional<varnex::edid::EdidImage>()> read)
    {
        m_readSplitter = std::move(read);
    }

    // A drag the window should accept: it carries one local file.
    static bool acceptsDrag(const QMimeData *mime);
    // Accepts a drop of one file and loads it once the drop is over, as
    // Load from File does but for a raw table of more than 256 bytes: that
    // is cut as every import is (fitTable), with a box saying so. False for
    // any other drop.
    bool takeFileDrop(QDropEvent *event);

protected:
    // Takes file drags from the editor's viewport, where QTextEdit would
    // insert the file's name.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Loads a named file with `rule` for a long raw table; a fitted one
    // gets the box on what was left out.
    bool loadFile(const QString &fileName, varnex::edid::LongRawTable rule);
    // The file's bytes, or nothing after telling the user why it cannot be read.
    std::optional<QByteArray> readOrWarn(const QString &fileName);
    // Puts loaded contents into the editor: hex text as it is, any table as
    // DisplayEDID draws it. The status bar says `loadedMessage`, or names the
    // form of an imported dump. When the whole table had more than 256 bytes
    // (`tableSize`, 0 when unknown, or an import's own), the user is told
    // what was left out and how the extension count followed.
    void showLoadedContents(const varnex::edid::EdidFileContents &contents,
                            const QString &loadedMessage, qsizetype tableSize = 0);
    // Saves the editor's table through `write` (writeEdidFile or
    // writeEdidHexFile) to a file the user names in a save dialog.
    bool saveEditorTable(const QString &caption, const QString &proposedName, const QString &filter,
                         bool (*write)(const QString &, const varnex::edid::EdidImage &, QString *,
                                       const std::function<void()> &));
    // Loads a file chosen elsewhere than the Load dialog (Recent Files, the
    // library), after the editor's discard question.
    bool loadChosenFile(const QString &fileName);
    // Refilled from the DRM folder each time the menu opens.
    void fillDisplayMenu();
    bool loadDisplayEdid(const varnex::edid::DisplayEdid &display);
    void setUpPresetsMenu(QMenu *menu);
    bool loadPreset(const QString &name);
    // The one local file a drag carries, or an empty string.
    static QString draggedFile(const QMimeData *mime);

    EditorPanel &m_editor;
    WindowFeedback &m_feedback;
    QMenu *m_displayMenu;
    RecentFiles *m_recent = nullptr;
    std::function<std::optional<varnex::edid::EdidImage>()> m_readSplitter;
    // The editor's viewport, whose drags the filter takes; not owned.
    QObject *m_editorViewport = nullptr;
};
