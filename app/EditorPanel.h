#pragma once

#include "EdidImage.h"

#include <QObject>

#include <functional>
#include <optional>

class QColor;
class QTextCursor;
class QTextEdit;
class WindowFeedback;

// The EDID editor: the hex text in the window's text field and the table it
// stands for. Every change the program makes goes through here, so that it
// alone knows whether the user typed since the table was last read, loaded,
// saved or written ("stored"), and asks before such changes are lost.
class EditorPanel : public QObject
{
    Q_OBJECT

public:
    // Works on `editor` and speaks through `feedback`; neither is owned and
    // both must outlive the panel (they share its parent, the window).
    EditorPanel(QTextEdit *editor, WindowFeedback &feedback, QObject *parent);

    QTextEdit *editor() const { return m_editor; }
    // The user may type only while the Varnex is in CUSTOM mode.
    void setEditable(bool editable);

    // The bytes the text holds as ParseEDIDText counts them: how many were
    // read, or -1 when the text is no hex table.
    int parse(varnex::edid::EdidImage &image) const;
    // parse, telling the user "Hex Format Error" and where the text went
    // wrong when it fails.
    int parseOrWarn(varnex::edid::EdidImage &image);
    // The editor's table when it parses to all 256 bytes; otherwise nothing,
    // after telling the user `shortMessage` with the required (%1) and the
    // held (%2) byte counts.
    std::optional<varnex::edid::EdidImage> wholeTableOrWarn(const QString &shortMessage);

    // The table drawn as DisplayEDID draws it: 16 lines of 16 values, the
    // two checksum bytes bold red.
    void display(const varnex::edid::EdidImage &image);
    // Replaces the content with `text` as plain text, all of it bold 8 pt in `colour`.
    void showWholeTable(const QString &text, const QColor &colour);

    // The Check Checksums button: the table redrawn when its checksums are
    // right, or corrected when the user agrees. False when nothing was shown.
    bool verifyChecksums();

    // The table now in the editor is what was last read, loaded, saved or written.
    void markStored() { m_typedSinceStored = false; }
    // True when nothing was typed since the table was stored, or when the
    // user agrees to discard it.
    bool discardTypedChangesOk();

    // An edit's result into the editor as one undo step; an edit that leaves
    // the table as it is adds no step. False when nothing changed.
    bool applyEdit(const varnex::edid::EdidImage &image);

protected:
    // Alt with a letter is for menus and buttons, never typed into the table.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // One undo step that replaces the whole content, not counted as typing.
    // `write` inserts the new content at the cursor it is given.
    void replaceContent(const std::function<void(QTextCursor &)> &write);

    QTextEdit *m_editor;
    WindowFeedback &m_feedback;
    // The user changed the editor since it was last stored.
    bool m_typedSinceStored = false;
    // Nesting depth of replaceContent; changes meanwhile are not typing.
    int m_programEdits = 0;
};
