#include "DetailsLauncher.h"

#include "EdidDetailsWindow.h"
#include "EditorPanel.h"
#include "WindowFeedback.h"

#include <QAction>
#include <QMainWindow>
#include <QScreen>

using namespace varnex::edid;

namespace {

// Gap between the main window and the Details window beside it, in pixels.
constexpr int DetailsGap = 8;

} // namespace

DetailsLauncher::DetailsLauncher(QMainWindow *window, QAction *openAction, EditorPanel &editor,
                                 WindowFeedback &feedback, QAction *undo, QAction *redo)
    : QObject(window), m_window(window), m_editor(editor), m_feedback(feedback), m_undo(undo),
      m_redo(redo)
{
    connect(openAction, &QAction::triggered, this, &DetailsLauncher::show);
}

void DetailsLauncher::show()
{
    if (!m_details) {
        m_details = new EdidDetailsWindow(
            m_editor.editor(), m_feedback.dialogs(),
            [this](const EdidImage &image) {
                if (!m_editor.applyEdit(image))
                    m_feedback.showStatus(tr("The edit leaves the table as it was."));
            },
            m_window);
        m_details->addUndoActions(m_undo, m_redo);
        // Beside the main window, on its right where the screen has room.
        const QRect frame = m_window->frameGeometry();
        QPoint place(frame.right() + DetailsGap, frame.top());
        if (const QScreen *screen = m_window->screen()) {
            const QRect available = screen->availableGeometry();
            if (place.x() + m_details->width() > available.right())
                place.setX(std::max(available.left(), frame.left() - DetailsGap -
                                                          m_details->frameGeometry().width()));
        }
        m_details->move(place);
    }
    m_details->show();
    m_details->raise();
    m_details->activateWindow();
}
