#pragma once

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QStringListModel>
#include <QTest>

// How tests reach a list of names shown through a string-list model: as a user
// sees it (rows, the selected row) and as a click sets it.
namespace ListRows {

inline QStringListModel* model(const QAbstractItemView* view)
{
    return qobject_cast<QStringListModel*>(view->model());
}

inline int count(const QAbstractItemView* view)
{
    return view->model()->rowCount();
}

inline QModelIndex find(const QAbstractItemView* view, const QString& name)
{
    const int row = int(model(view)->stringList().indexOf(name));
    return row < 0 ? QModelIndex() : view->model()->index(row, 0);
}

// The texts of the selected rows.
inline QStringList selected(const QAbstractItemView* view)
{
    QStringList out;
    for (const QModelIndex& index : view->selectionModel()->selectedIndexes())
        out << index.data().toString();
    return out;
}

inline void selectRow(QAbstractItemView* view, int row)
{
    view->selectionModel()->setCurrentIndex(view->model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
}

inline void select(QAbstractItemView* view, const QString& name)
{
    const QModelIndex index = find(view, name);
    QVERIFY2(index.isValid(), qPrintable(name));
    selectRow(view, index.row());
}

// Where a click lands on the row of name.
inline QPoint centre(const QAbstractItemView* view, const QString& name)
{
    return view->visualRect(find(view, name)).center();
}

} // namespace ListRows
