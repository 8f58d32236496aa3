#pragma once

#include <QStyledItemDelegate>

class QTreeView;

// Draws a tree view's items with their text wrapped at word breaks and makes
// each row as tall as its wrapped text at the column's present width, which
// QTreeView does not (it sizes rows as for one line). Rows are laid out again
// whenever a column is resized.
class WrappedTextDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // Installs itself on `view` (the parent) and turns its word wrap on.
    explicit WrappedTextDelegate(QTreeView *view);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QTreeView *m_view;
};
