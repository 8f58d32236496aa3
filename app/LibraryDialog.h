#pragma once

#include "EdidImage.h"
#include "library/EdidLibrary.h"

#include <QDialog>

#include <functional>
#include <optional>

class QLineEdit;
class QTreeWidget;
class UserDialogs;

// File, Library...: the entries of the library folder with their product,
// preferred mode and note, a filter over all of these, and the buttons Load,
// Add Current Table..., Rename..., Remove and Open Folder. The dialog only
// asks and lists; Load hands the entry's file over through loadRequested,
// to be loaded as any file is.
class LibraryDialog : public QDialog
{
    Q_OBJECT

public:
    // The editor's table, telling the user why when it has none.
    using TableSource = std::function<std::optional<varnex::edid::EdidImage>()>;

    // `dialogs` must outlive this.
    LibraryDialog(QWidget *parent, UserDialogs &dialogs, const QString &directory,
                  TableSource currentTable);

    QTreeWidget *entryList() const { return m_list; }
    QLineEdit *filterBox() const { return m_filter; }
    // Lists the folder again, keeping the filter.
    void refresh();

signals:
    void loadRequested(const QString &filePath);

private:
    std::optional<varnex::edid::LibraryEntry> selectedEntry() const;
    void select(const QString &name);
    void applyFilter();
    void loadSelected();
    void addCurrentTable();
    void renameSelected();
    void removeSelected();
    void openFolder();
    // Asks for an entry name until one without a problem is given; nothing
    // when the user cancels.
    std::optional<QString> askName(const QString &title, const QString &initial);
    void warn(const QString &text);
    // Warns with the result's message unless it is Done.
    bool reportResult(const varnex::edid::LibraryResult &result);

    UserDialogs &m_dialogs;
    varnex::edid::EdidLibrary m_library;
    TableSource m_currentTable;
    QTreeWidget *m_list;
    QLineEdit *m_filter;
};
