#include "EditorPanel.h"

#include "Checksum.h"
#include "HexText.h"
#include "UserDialogs.h"
#include "WindowFeedback.h"

#include <QColor>
#include <QFont>
#include <QKeyEvent>
#include <QScopeGuard>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

using namespace varnex::edid;

namespace {

// Point size of a table put into the editor as a whole text.
constexpr qreal WholeTablePointSize = 8;

} // namespace

EditorPanel::EditorPanel(QTextEdit *editor, WindowFeedback &feedback, QObject *parent)
    : QObject(parent), m_editor(editor), m_feedback(feedback)
{
    connect(m_editor->document(), &QTextDocument::contentsChange, this,
            [this](int, int removed, int added) {
                if (m_programEdits == 0 && (removed > 0 || added > 0))
                    m_typedSinceStored = true;
            });
    m_editor->installEventFilter(this);
}

bool EditorPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_editor && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers().testFlag(Qt::AltModifier) && !key->text().isEmpty() &&
            key->text().front().isPrint()) {
            // Ignored, not consumed: the window still sees it (menus, mnemonics).
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

bool EditorPanel::applyEdit(const EdidImage &image)
{
    EdidImage current{};
    if (parse(current) == EdidImageSize && current == image)
        return false;
    display(image);
    return true;
}

void EditorPanel::setEditable(bool editable)
{
    m_editor->setEnabled(editable);
}

int EditorPanel::parse(EdidImage &image) const
{
    // Characters outside Latin-1 become '?', which no group accepts.
    return parseHexText(m_editor->toPlainText().toLatin1(), image);
}

int EditorPanel::parseOrWarn(EdidImage &image)
{
    const int count = parse(image);
    if (count < 0) {
        const std::optional<HexTextProblem> problem =
            findHexTextProblem(m_editor->toPlainText().toLatin1());
        m_feedback.warn(tr("Hex Format Error"),
                        problem ? describeHexTextProblem(*problem) : QString());
    }
    return count;
}

std::optional<EdidImage> EditorPanel::wholeTableOrWarn(const QString &shortMessage)
{
    EdidImage image;
    const int count = parseOrWarn(image);
    if (count < 0)
        return std::nullopt;
    if (count != EdidImageSize) {
        m_feedback.warn(shortMessage.arg(EdidImageSize).arg(count));
        return std::nullopt;
    }
    return image;
}

bool EditorPanel::verifyChecksums()
{
    EdidImage image;
    if (parseOrWarn(image) < 0)
        return false;

    if (blockChecksumCorrect(image, 0) && blockChecksumCorrect(image, 1)) {
        display(image);
        m_feedback.showStatus(tr("Checksums are correct."));
        return true;
    }
    if (!m_feedback.dialogs().askYesNo(QString(),
                                       QStringLiteral("The EDID Checksum is not correct."),
                                       QStringLiteral("Do you want to calculate a new checksum?")))
        return false;
    correctChecksums(image);
    display(image);
    return true;
}

bool EditorPanel::discardTypedChangesOk()
{
    return !m_typedSinceStored ||
           m_feedback.confirm(tr("Discard the changes in the editor?"),
                              tr("What was typed since the table was last read, loaded, saved or "
                                 "written will be lost."));
}

void EditorPanel::replaceContent(const std::function<void(QTextCursor &)> &write)
{
    ++m_programEdits;
    const auto done = qScopeGuard([this] { --m_programEdits; });
    QTextDocument *document = m_editor->document();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    write(cursor);
    cursor.endEditBlock();
    // The user's cursor starts at the top of the new table, without a selection.
    m_editor->setTextCursor(QTextCursor(document));
}

void EditorPanel::showWholeTable(const QString &text, const QColor &colour)
{
    QTextCharFormat format;
    format.setFontPointSize(WholeTablePointSize);
    format.setForeground(colour);
    format.setFontWeight(QFont::Bold);
    // Plain text always: a file is never taken for rich text. The format is
    // given with the text, so nothing of the old content's format shows through.
    replaceContent([&](QTextCursor &cursor) { cursor.insertText(text, format); });
    m_editor->setCurrentCharFormat(format);
}

void EditorPanel::display(const EdidImage &image)
{
    const QByteArray text = formatHexText(image);

    QTextCharFormat inner;
    inner.setForeground(QBrush(Qt::black));
    QTextCharFormat lineEnd;

    replaceContent([&](QTextCursor &cursor) {
        for (int i = 0; i < EdidImageSize; ++i) {
            const QString digits = QString::fromLatin1(text.constData() + 3 * i, 2);
            if ((i + 1) % HexTextBytesPerLine != 0) {
                cursor.insertText(digits + QLatin1Char(' '), inner);
                continue;
            }
            // The checksum bytes end lines 7 and 15.
            const bool checksumByte = (i + 1) % EdidBlockSize == 0;
            lineEnd.setFontWeight(checksumByte ? QFont::Bold : QFont::Normal);
            lineEnd.setForeground(QBrush(checksumByte ? Qt::red : Qt::black));
            cursor.insertText(digits, lineEnd);
            cursor.insertText(QStringLiteral("\n"));
        }
    });
}
