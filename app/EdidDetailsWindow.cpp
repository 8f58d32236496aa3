#include "EdidDetailsWindow.h"

#include "DetailsEditors.h"
#include "HexText.h"
#include "UserDialogs.h"
#include "WrappedTextDelegate.h"
#include "decode/DecodedTree.h"
#include "decode/EdidDecoder.h"
#include "decode/EdidSummary.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStackedWidget>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

using namespace varnex::edid;

namespace {

// Quiet time after typing before the table is decoded again: short enough to
// feel live, long enough not to decode at every keystroke.
constexpr int DefaultDecodeDelayMs = 150;
// Where the byte range of a row is kept in its items.
constexpr int OffsetRole = Qt::UserRole;
constexpr int LengthRole = Qt::UserRole + 1;
// The tree opens this many levels deep: blocks and their sections.
constexpr int ExpandedLevels = 1;

QString offsetText(int offset)
{
    if (offset < 0)
        return QString();
    return QStringLiteral("0x") +
           QString::number(offset, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

void addNode(QTreeWidgetItem *parent, const DecodedNode &node)
{
    auto *item = new QTreeWidgetItem(parent, {node.name, node.value, offsetText(node.offset)});
    item->setData(0, OffsetRole, node.offset);
    item->setData(0, LengthRole, node.length);
    item->setToolTip(1, node.value);
    for (const DecodedNode &child : node.children)
        addNode(item, child);
}

} // namespace

EdidDetailsWindow::EdidDetailsWindow(QTextEdit *editor, UserDialogs &dialogs,
                                     ReplaceTable replaceTable, QWidget *parent)
    : QWidget(parent, Qt::Window), m_editor(editor), m_dialogs(dialogs),
      m_replaceTable(std::move(replaceTable)), m_decodeTimer(new QTimer(this)),
      m_summary(new QLabel(this)), m_problem(new QLabel(this)), m_pages(new QStackedWidget(this)),
      m_fields(new QTreeWidget(this)), m_findings(new QTreeWidget(this)), m_editButton(nullptr),
      m_editMenu(new QMenu(this)), m_editsNote(new QLabel(this))
{
    setObjectName(QStringLiteral("EdidDetailsWindow"));
    setWindowTitle(tr("EDID Details"));
    resize(720, 640);

    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_problem->setObjectName(QStringLiteral("problem"));
    m_problem->setWordWrap(true);
    m_problem->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    m_fields->setObjectName(QStringLiteral("fields"));
    m_fields->setHeaderLabels({tr("Field"), tr("Value"), tr("Offset")});
    m_fields->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_fields->header()->setStretchLastSection(false);
    m_fields->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_fields->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    m_findings->setObjectName(QStringLiteral("findings"));
    m_findings->setHeaderLabels({tr("Severity"), tr("Block"), tr("Offset"), tr("Message")});
    m_findings->setRootIsDecorated(false);
    // Long messages wrap in their column rather than end in an ellipsis.
    new WrappedTextDelegate(m_findings);
    for (int column = 0; column < 3; ++column)
        m_findings->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);

    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(m_fields);
    splitter->addWidget(m_findings);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    m_pages->addWidget(splitter);
    m_pages->addWidget(m_problem);

    // The same edits from a button and from the tree's context menu.
    QMenu *editMenu = m_editMenu;
    const QList<DetailsEdit> edits = detailsEdits();
    for (int i = 0; i < edits.size(); ++i) {
        auto *action = new QAction(edits.at(i).text, this);
        action->setObjectName(edits.at(i).objectName);
        connect(action, &QAction::triggered, this, [this, i] { runEdit(i); });
        editMenu->addAction(action);
        m_fields->addAction(action);
        m_editActions.append(action);
    }
    m_fields->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto *editButton = new QPushButton(tr("Edit"), this);
    editButton->setObjectName(QStringLiteral("editButton"));
    editButton->setMenu(editMenu);
    m_editButton = editButton;

    m_editsNote->setObjectName(QStringLiteral("editsNote"));
    m_editsNote->setWordWrap(true);
    m_editsNote->setText(tr("The table can be edited in CUSTOM mode; switching to CUSTOM changes "
                            "the Varnex's mode."));
    m_editsNote->hide();

    auto *top = new QHBoxLayout;
    top->addWidget(m_summary, 1);
    top->addWidget(editButton, 0, Qt::AlignTop);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_editsNote);
    layout->addWidget(m_pages, 1);

    m_decodeTimer->setSingleShot(true);
    m_decodeTimer->setInterval(DefaultDecodeDelayMs);
    connect(m_decodeTimer, &QTimer::timeout, this, &EdidDetailsWindow::decodeEditor);
    connect(m_editor, &QTextEdit::textChanged, m_decodeTimer, qOverload<>(&QTimer::start));
    // The selection, not the current item: a view that gets the focus makes
    // its first row current, which is no choice of the user's.
    for (QTreeWidget *view : {m_fields, m_findings})
        connect(view, &QTreeWidget::itemSelectionChanged, this,
                [this, view] { onItemSelected(view->selectedItems().value(0)); });
    // In AUTOMIX mode the editor is disabled, and so are the edits.
    m_editor->installEventFilter(this);
    decodeEditor();
}

bool EdidDetailsWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_editor && event->type() == QEvent::EnabledChange)
        updateEditsEnabled();
    return QWidget::eventFilter(watched, event);
}

void EdidDetailsWindow::updateEditsEnabled()
{
    const bool enabled = m_tableShown && m_editor->isEnabled();
    m_editButton->setEnabled(enabled);
    // A disabled button says nothing of why; the note does.
    const bool automix = m_tableShown && !m_editor->isEnabled();
    m_editsNote->setVisible(automix);
    m_editButton->setToolTip(automix ? m_editsNote->text() : QString());
    for (QAction *action : std::as_const(m_editActions))
        action->setEnabled(enabled);
}

void EdidDetailsWindow::addUndoActions(QAction *undo, QAction *redo)
{
    m_editMenu->insertSeparator(m_editMenu->actions().value(0));
    m_editMenu->insertActions(m_editMenu->actions().value(0), {undo, redo});
    addActions({undo, redo});
}

void EdidDetailsWindow::setDecodeDelay(int ms)
{
    m_decodeTimer->setInterval(ms);
}

void EdidDetailsWindow::flushPendingDecode()
{
    if (!m_decodeTimer->isActive())
        return;
    m_decodeTimer->stop();
    decodeEditor();
}

void EdidDetailsWindow::decodeEditor()
{
    const QByteArray text = m_editor->toPlainText().toLatin1();
    EdidImage image{};
    const int count = parseHexText(text, image);
    if (count < 0) {
        const std::optional<HexTextProblem> problem = findHexTextProblem(text);
        showProblem(problem ? describeHexTextProblem(*problem) : tr("The text does not parse."));
        return;
    }
    if (count == 0) {
        // Zero fill would decode as a table of nothing, with errors of its own.
        showProblem(tr("The editor holds no bytes: load a file, read the Varnex or type a table."));
        m_summary->setText(tr("<b>No table</b>"));
        return;
    }
    showFields(image);
}

void EdidDetailsWindow::showProblem(const QString &reason)
{
    m_summary->setText(tr("<b>The editor's text is not an EDID table.</b>"));
    m_problem->setText(reason);
    m_pages->setCurrentWidget(m_problem);
    m_fields->clear();
    m_findings->clear();
    m_tableShown = false;
    updateEditsEnabled();
}

void EdidDetailsWindow::showFields(const EdidImage &image)
{
    const DecodedEdid decoded =
        decodeEdid(QByteArrayView(reinterpret_cast<const char *>(image.data()), image.size()));
    const EdidSummary summary = summarize(decoded);
    const QString statusColour = summary.errors > 0     ? QStringLiteral("#b00000")
                                 : summary.warnings > 0 ? QStringLiteral("#a06000")
                                                        : QStringLiteral("#006000");
    m_summary->setText(
        QStringLiteral("<b>%1</b><br>%2<br><span style=\"color:%3\">%4</span>")
            .arg(summary.product.isEmpty() ? tr("(no product)") : summary.product.toHtmlEscaped(),
                 summary.preferredMode.isEmpty()
                     ? tr("No preferred mode")
                     : tr("Preferred mode: %1").arg(summary.preferredMode),
                 statusColour, summary.status));

    // Rebuilding keeps the user's place: the same rows stay open and scrolled to.
    QSet<QString> open;
    for (QTreeWidgetItemIterator it(m_fields); *it; ++it)
        if ((*it)->isExpanded())
            open.insert((*it)->text(0) + QLatin1Char('/') + (*it)->text(2));
    const int scroll = m_fields->verticalScrollBar()->value();
    const bool firstFill = m_fields->topLevelItemCount() == 0;

    QSignalBlocker blockFields(m_fields);
    QSignalBlocker blockFindings(m_findings);
    m_fields->clear();
    const DecodedNode root = decodedTree(decoded);
    for (const DecodedNode &block : root.children)
        addNode(m_fields->invisibleRootItem(), block);
    for (QTreeWidgetItemIterator it(m_fields); *it; ++it) {
        QTreeWidgetItem *item = *it;
        int depth = 0;
        for (QTreeWidgetItem *p = item->parent(); p; p = p->parent())
            ++depth;
        const QString key = item->text(0) + QLatin1Char('/') + item->text(2);
        item->setExpanded(firstFill ? depth < ExpandedLevels : open.contains(key));
    }
    m_fields->verticalScrollBar()->setValue(scroll);

    m_findings->clear();
    for (const Finding &finding : decoded.findings) {
        auto *item = new QTreeWidgetItem(m_findings, {severityName(finding.severity),
                                                      QString::number(finding.block),
                                                      offsetText(finding.offset), finding.message});
        item->setData(0, OffsetRole, finding.offset);
        item->setData(0, LengthRole, 1);
        item->setToolTip(3, finding.message);
    }
    m_pages->setCurrentIndex(0);
    m_tableShown = true;
    updateEditsEnabled();
}

void EdidDetailsWindow::onItemSelected(QTreeWidgetItem *item)
{
    if (!item)
        return;
    selectBytes(item->data(0, OffsetRole).toInt(), item->data(0, LengthRole).toInt());
}

void EdidDetailsWindow::selectBytes(int offset, int length)
{
    // Only the bytes the editor shows can be selected.
    if (offset < 0 || offset >= EdidImageSize)
        return;
    const int last = std::min(offset + std::max(length, 1), EdidImageSize) - 1;
    const auto position = [](int byte) {
        return (byte / HexTextBytesPerLine) * HexTextLineLength + (byte % HexTextBytesPerLine) * 3;
    };
    QTextCursor cursor(m_editor->document());
    const int end = std::min(position(last) + 2, m_editor->document()->characterCount() - 1);
    if (position(offset) > end)
        return;
    cursor.setPosition(position(offset));
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    m_editor->setTextCursor(cursor);
    m_editor->ensureCursorVisible();
}

void EdidDetailsWindow::runEdit(int index)
{
    const QList<DetailsEdit> edits = detailsEdits();
    if (index < 0 || index >= edits.size())
        return;
    EdidImage image{};
    const QByteArray text = m_editor->toPlainText().toLatin1();
    if (parseHexText(text, image) < 0) {
        const std::optional<HexTextProblem> problem = findHexTextProblem(text);
        m_dialogs.warning(this, tr("Varnex EDID Utility"), tr("Hex Format Error"),
                          problem ? describeHexTextProblem(*problem) : QString());
        return;
    }
    const std::optional<EditResult> result = edits.at(index).run(image, m_dialogs, this);
    if (!result)
        return;
    if (!result->ok()) {
        m_dialogs.warning(this, tr("Varnex EDID Utility"), tr("The edit was not made."),
                          result->error);
        return;
    }
    m_replaceTable(*result->image);
}
