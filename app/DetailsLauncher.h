#pragma once

#include <QObject>
#include <QPointer>

class EdidDetailsWindow;
class EditorPanel;
class QAction;
class QMainWindow;
class WindowFeedback;

// View, EDID Details: the Details window on the editor, made on first use
// as a child window of the main window (so it closes with it) and placed
// beside it; its edits come back into the editor as one undo step each.
class DetailsLauncher : public QObject
{
    Q_OBJECT

public:
    // `window` (the parent) owns the Details window; `openAction` (the
    // window's) opens it; `editor` and `feedback` are not owned and must
    // outlive this. `undo` and `redo` (the Edit menu's, not owned) work from
    // the Details window too.
    DetailsLauncher(QMainWindow *window, QAction *openAction, EditorPanel &editor,
                    WindowFeedback &feedback, QAction *undo, QAction *redo);

    // Opens the Details window or brings it to the front.
    void show();

private:
    QMainWindow *m_window;
    EditorPanel &m_editor;
    WindowFeedback &m_feedback;
    QAction *m_undo;
    QAction *m_redo;
    QPointer<EdidDetailsWindow> m_details;
};
