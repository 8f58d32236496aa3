#include "WrappedTextDelegate.h"

#include <QHeaderView>
#include <QTreeView>

WrappedTextDelegate::WrappedTextDelegate(QTreeView *view) : QStyledItemDelegate(view), m_view(view)
{
    m_view->setWordWrap(true);
    m_view->setTextElideMode(Qt::ElideNone);
    m_view->setUniformRowHeights(false);
    m_view->setItemDelegate(this);
    connect(m_view->header(), &QHeaderView::sectionResized, m_view, &QTreeView::doItemsLayout);
}

QSize WrappedTextDelegate::sizeHint(const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    QStyleOptionViewItem wrapped = option;
    // The style wraps the text only within a valid rectangle; its height is
    // what the text will need, so any will do.
    wrapped.rect =
        QRect(0, 0, m_view->header()->sectionSize(index.column()), option.fontMetrics.height());
    return QStyledItemDelegate::sizeHint(wrapped, index);
}
