#pragma once

#include <QObject>

class QAction;
class QMainWindow;
class QTextEdit;

// Edit: Undo, Redo, Cut, Copy, Paste and Select All on the EDID editor,
// with the standard shortcuts (and Ctrl+Y for Redo as well), so that they
// work whichever widget of the window has the focus. Each action is enabled
// only while the editor can do it.
class EditMenu : public QObject
{
    Q_OBJECT

public:
    // The menu goes into `window`'s menu bar (window is the parent) before
    // `menuAfter`; `editor` is not owned and must outlive this.
    EditMenu(QMainWindow *window, QTextEdit *editor, QAction *menuAfter);

    // Owned by the menu; other windows on the same editor add them for their shortcuts.
    QAction *undoAction() const { return m_undo; }
    QAction *redoAction() const { return m_redo; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateEnabled();

    QTextEdit *m_editor;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
    QAction *m_cut = nullptr;
    QAction *m_copy = nullptr;
    QAction *m_paste = nullptr;
    QAction *m_selectAll = nullptr;
    bool m_undoAvailable = false;
    bool m_redoAvailable = false;
    bool m_selection = false;
};
