#include "EditMenu.h"

#include <QAction>
#include <QEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTextDocument>
#include <QTextEdit>

namespace {

// The platform's Redo keys, and Ctrl+Y, which users of every platform try.
QList<QKeySequence> redoShortcuts()
{
    QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Redo);
    const QKeySequence ctrlY(Qt::CTRL | Qt::Key_Y);
    if (!keys.contains(ctrlY))
        keys.append(ctrlY);
    return keys;
}

} // namespace

EditMenu::EditMenu(QMainWindow *window, QTextEdit *editor, QAction *menuAfter)
    : QObject(window), m_editor(editor)
{
    auto *menu = new QMenu(tr("Edit"), window);
    menu->setObjectName(QStringLiteral("menuEdit"));
    window->menuBar()->insertMenu(menuAfter, menu);

    const auto add = [menu](const char *name, const QString &text,
                            const QList<QKeySequence> &keys) {
        QAction *action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        action->setShortcuts(keys);
        return action;
    };
    m_undo = add("actionUndo", tr("Undo"), QKeySequence::keyBindings(QKeySequence::Undo));
    m_redo = add("actionRedo", tr("Redo"), redoShortcuts());
    menu->addSeparator();
    m_cut = add("actionCut", tr("Cut"), QKeySequence::keyBindings(QKeySequence::Cut));
    m_copy = add("actionCopy", tr("Copy"), QKeySequence::keyBindings(QKeySequence::Copy));
    m_paste = add("actionPaste", tr("Paste"), QKeySequence::keyBindings(QKeySequence::Paste));
    menu->addSeparator();
    m_selectAll = add("actionSelectAll", tr("Select All"),
                      QKeySequence::keyBindings(QKeySequence::SelectAll));

    connect(m_undo, &QAction::triggered, m_editor, &QTextEdit::undo);
    connect(m_redo, &QAction::triggered, m_editor, &QTextEdit::redo);
    connect(m_cut, &QAction::triggered, m_editor, &QTextEdit::cut);
    connect(m_copy, &QAction::triggered, m_editor, &QTextEdit::copy);
    connect(m_paste, &QAction::triggered, m_editor, &QTextEdit::paste);
    connect(m_selectAll, &QAction::triggered, m_editor, &QTextEdit::selectAll);

    connect(m_editor, &QTextEdit::undoAvailable, this, [this](bool available) {
        m_undoAvailable = available;
        updateEnabled();
    });
    connect(m_editor, &QTextEdit::redoAvailable, this, [this](bool available) {
        m_redoAvailable = available;
        updateEnabled();
    });
    connect(m_editor, &QTextEdit::copyAvailable, this, [this](bool available) {
        m_selection = available;
        updateEnabled();
    });
    m_undoAvailable = m_editor->document()->isUndoAvailable();
    m_redoAvailable = m_editor->document()->isRedoAvailable();
    m_selection = m_editor->textCursor().hasSelection();
    // The editor is disabled in AUTOMIX mode, and its actions with it.
    m_editor->installEventFilter(this);
    updateEnabled();
}

bool EditMenu::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_editor && event->type() == QEvent::EnabledChange)
        updateEnabled();
    return QObject::eventFilter(watched, event);
}

void EditMenu::updateEnabled()
{
    const bool editable = m_editor->isEnabled() && !m_editor->isReadOnly();
    m_undo->setEnabled(editable && m_undoAvailable);
    m_redo->setEnabled(editable && m_redoAvailable);
    m_cut->setEnabled(editable && m_selection);
    m_copy->setEnabled(m_editor->isEnabled() && m_selection);
    m_paste->setEnabled(editable);
    m_selectAll->setEnabled(m_editor->isEnabled());
}
