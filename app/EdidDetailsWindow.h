#pragma once

#include "EdidImage.h"

#include <QWidget>

#include <functional>

class QAction;
class QLabel;
class QMenu;
class QStackedWidget;
class QTextEdit;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class UserDialogs;

// The "EDID Details" window: the editor's table decoded as a summary, a tree
// of fields and the list of findings, kept in step with the editor's text,
// and the edits the core offers on that table.
class EdidDetailsWindow : public QWidget
{
    Q_OBJECT

public:
    // Replaces the editor's table as one undo step.
    using ReplaceTable = std::function<void(const varnex::edid::EdidImage &)>;

    // Follows `editor` (not owned, must outlive the window); edits go back
    // through `replaceTable`, questions and warnings through `dialogs` (not owned).
    EdidDetailsWindow(QTextEdit *editor, UserDialogs &dialogs, ReplaceTable replaceTable,
                      QWidget *parent = nullptr);

    // Pause after the latest text change before decoding again, in ms.
    void setDecodeDelay(int ms);
    // Decodes now if a change is waiting (tests use it instead of waiting).
    void flushPendingDecode();
    // The editor's Undo and Redo (not owned), offered here too: in the Edit
    // menu and on their shortcuts while this window is active.
    void addUndoActions(QAction *undo, QAction *redo);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void decodeEditor();
    // The edits are offered while the editor takes changes and holds a table.
    void updateEditsEnabled();
    void showFields(const varnex::edid::EdidImage &image);
    void showProblem(const QString &reason);
    void selectBytes(int offset, int length);
    void onItemSelected(QTreeWidgetItem *item);
    void runEdit(int index);

    QTextEdit *m_editor;
    UserDialogs &m_dialogs;
    ReplaceTable m_replaceTable;
    QTimer *m_decodeTimer;
    QLabel *m_summary;
    QLabel *m_problem;
    QStackedWidget *m_pages;
    QTreeWidget *m_fields;
    QTreeWidget *m_findings;
    QWidget *m_editButton;
    QMenu *m_editMenu;
    // Why the edits are off when the editor is (AUTOMIX mode).
    QLabel *m_editsNote;
    QList<QAction *> m_editActions;
    bool m_tableShown = false;
};
