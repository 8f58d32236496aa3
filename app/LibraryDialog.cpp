#include "LibraryDialog.h"

#include "UserDialogs.h"
#include "library/LibraryName.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

using namespace varnex::edid;

namespace {

enum Column
{
    NameColumn,
    ProductColumn,
    ModeColumn,
    NoteColumn,
    ColumnCount
};

// Wide enough for the four columns of a typical entry.
constexpr int DialogWidth = 760;
constexpr int DialogHeight = 420;

} // namespace

LibraryDialog::LibraryDialog(QWidget *parent, UserDialogs &dialogs, const QString &directory,
                             TableSource currentTable)
    : QDialog(parent), m_dialogs(dialogs), m_library(directory),
      m_currentTable(std::move(currentTable)), m_list(new QTreeWidget(this)),
      m_filter(new QLineEdit(this))
{
    setWindowTitle(tr("Library"));
    resize(DialogWidth, DialogHeight);
    auto *layout = new QVBoxLayout(this);

    m_filter->setObjectName(QStringLiteral("libraryFilter"));
    m_filter->setPlaceholderText(tr("Filter by name, product, mode or note"));
    m_filter->setClearButtonEnabled(true);
    connect(m_filter, &QLineEdit::textChanged, this, &LibraryDialog::applyFilter);
    layout->addWidget(m_filter);

    m_list->setObjectName(QStringLiteral("libraryEntries"));
    m_list->setColumnCount(ColumnCount);
    m_list->setHeaderLabels({tr("Name"), tr("Product"), tr("Preferred mode"), tr("Note")});
    m_list->setRootIsDecorated(false);
    m_list->setSortingEnabled(false);
    m_list->header()->setStretchLastSection(true);
    connect(m_list, &QTreeWidget::itemActivated, this, &LibraryDialog::loadSelected);
    layout->addWidget(m_list);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    const auto addButton = [&](const char *objectName, const QString &text, auto slot) {
        QPushButton *button = buttons->addButton(text, QDialogButtonBox::ActionRole);
        button->setObjectName(QString::fromLatin1(objectName));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, slot);
        return button;
    };
    addButton("libraryLoad", tr("Load"), &LibraryDialog::loadSelected);
    addButton("libraryAdd", tr("Add Current Table..."), &LibraryDialog::addCurrentTable);
    addButton("libraryRename", tr("Rename..."), &LibraryDialog::renameSelected);
    addButton("libraryRemove", tr("Remove"), &LibraryDialog::removeSelected);
    addButton("libraryOpenFolder", tr("Open Folder"), &LibraryDialog::openFolder);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    refresh();
}

void LibraryDialog::refresh()
{
    const std::optional<LibraryEntry> selected = selectedEntry();
    m_list->clear();
    for (const LibraryEntry &entry : m_library.entries()) {
        auto *item = new QTreeWidgetItem(m_list);
        item->setText(NameColumn, entry.name);
        item->setText(ProductColumn, entry.image ? entry.product : tr("(no EDID table)"));
        item->setText(ModeColumn, entry.preferredMode);
        item->setText(NoteColumn, entry.note);
        item->setToolTip(NameColumn, entry.filePath);
    }
    m_list->resizeColumnToContents(NameColumn);
    m_list->resizeColumnToContents(ProductColumn);
    m_list->resizeColumnToContents(ModeColumn);
    applyFilter();
    if (selected)
        select(selected->name);
}

void LibraryDialog::select(const QString &name)
{
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_list->topLevelItem(i);
        if (item->text(NameColumn) == name) {
            m_list->setCurrentItem(item);
            return;
        }
    }
}

void LibraryDialog::applyFilter()
{
    const QString filter = m_filter->text().trimmed();
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_list->topLevelItem(i);
        bool matches = filter.isEmpty();
        for (int column = 0; column < ColumnCount && !matches; ++column)
            matches = item->text(column).contains(filter, Qt::CaseInsensitive);
        item->setHidden(!matches);
    }
}

std::optional<LibraryEntry> LibraryDialog::selectedEntry() const
{
    const QTreeWidgetItem *item = m_list->currentItem();
    if (!item || item->isHidden())
        return std::nullopt;
    return m_library.find(item->text(NameColumn));
}

void LibraryDialog::warn(const QString &text)
{
    m_dialogs.warning(this, tr("Varnex EDID Utility"), text, QString());
}

bool LibraryDialog::reportResult(const LibraryResult &result)
{
    if (!result.ok())
        warn(result.message);
    return result.ok();
}

void LibraryDialog::loadSelected()
{
    const std::optional<LibraryEntry> entry = selectedEntry();
    if (!entry) {
        warn(tr("Choose an entry first."));
        return;
    }
    if (!entry->image) {
        warn(tr("The entry %1 holds no EDID table.").arg(entry->name));
        return;
    }
    // Closed first: the load may ask whether to discard the editor's text.
    accept();
    emit loadRequested(entry->filePath);
}

std::optional<QString> LibraryDialog::askName(const QString &title, const QString &initial)
{
    QString name = initial;
    for (;;) {
        const std::optional<QString> typed =
            m_dialogs.askText(this, title, tr("Name (letters, digits, spaces, - _ .):"), name, {});
        if (!typed)
            return std::nullopt;
        name = typed->trimmed();
        const std::optional<QString> problem = libraryNameProblem(name);
        if (!problem)
            return normalizedLibraryName(name);
        warn(*problem);
    }
}

void LibraryDialog::addCurrentTable()
{
    const std::optional<EdidImage> image = m_currentTable();
    if (!image)
        return;
    const std::optional<QString> name = askName(tr("Add Current Table"), QString());
    if (!name)
        return;
    const std::optional<QString> note =
        m_dialogs.askText(this, tr("Add Current Table"), tr("Note (may be empty):"), {}, {});
    if (!note)
        return;
    LibraryEntryHeader header;
    header.name = *name;
    header.note = *note;
    header.source = QStringLiteral("editor");
    LibraryResult result = m_library.add(header, *image);
    if (result.status == LibraryStatus::Exists) {
        if (!m_dialogs.confirmWarning(this, tr("Varnex EDID Utility"),
                                      tr("The library has an entry %1 already.").arg(*name),
                                      tr("Replace it with the current table?")))
            return;
        result = m_library.add(header, *image, true);
    }
    if (reportResult(result)) {
        refresh();
        select(*name);
    }
}

void LibraryDialog::renameSelected()
{
    const std::optional<LibraryEntry> entry = selectedEntry();
    if (!entry) {
        warn(tr("Choose an entry first."));
        return;
    }
    const std::optional<QString> name = askName(tr("Rename Entry"), entry->name);
    if (!name || *name == entry->name)
        return;
    if (reportResult(m_library.rename(entry->name, *name))) {
        refresh();
        select(*name);
    }
}

void LibraryDialog::removeSelected()
{
    const std::optional<LibraryEntry> entry = selectedEntry();
    if (!entry) {
        warn(tr("Choose an entry first."));
        return;
    }
    if (!m_dialogs.confirmWarning(this, tr("Varnex EDID Utility"),
                                  tr("Remove the entry %1 from the library?").arg(entry->name),
                                  tr("Its file is deleted.")))
        return;
    if (reportResult(m_library.remove(entry->name)))
        refresh();
}

void LibraryDialog::openFolder()
{
    // The folder is made on the first add; show an empty one before that.
    if (!QDir().mkpath(m_library.directory())) {
        warn(tr("Cannot create the library folder %1.").arg(m_library.directory()));
        return;
    }
    if (!m_dialogs.openUrl(QUrl::fromLocalFile(m_library.directory())))
        warn(tr("No program could open the folder %1.").arg(m_library.directory()));
}
