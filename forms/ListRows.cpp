#include "forms/ListRows.h"

TRowList::TRowList(QWidget* parent) : QListView(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

// The model's changes are watched from before the view and its selection model hear of them until after:
// slots run in the order they were connected, so these come first for "about to" and last for "done".
void TRowList::setModel(QAbstractItemModel* model) {
    for (const QMetaObject::Connection& connection : FModelWatch) {
        disconnect(connection);
    }
    FModelWatch.clear();
    const auto begin = [this] { ++FQuiet; };
    const auto end = [this] { --FQuiet; };
    if (model != nullptr) {
        FModelWatch = {
            connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this, begin),
            connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, begin),
            connect(model, &QAbstractItemModel::modelAboutToBeReset, this, begin),
            connect(model, &QAbstractItemModel::layoutAboutToBeChanged, this, begin),
        };
    }
    QListView::setModel(model);
    if (model != nullptr) {
        FModelWatch += {
            connect(model, &QAbstractItemModel::rowsInserted, this, end),
            connect(model, &QAbstractItemModel::rowsRemoved, this, end),
            connect(model, &QAbstractItemModel::modelReset, this, end),
            connect(model, &QAbstractItemModel::layoutChanged, this, end),
        };
    }
}

int TRowList::SelectedRow() const {
    if (selectionModel() == nullptr) {
        return -1;
    }
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.front().row();
}

int TRowList::RowCount() const {
    return model() == nullptr ? 0 : model()->rowCount();
}

void TRowList::SelectRow(int row) {
    if (selectionModel() == nullptr) {
        return;
    }
    ++FQuiet;
    if (row >= 0 && row < RowCount()) {
        selectionModel()->setCurrentIndex(model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
    } else {
        selectionModel()->setCurrentIndex({}, QItemSelectionModel::Clear);
    }
    --FQuiet;
}

QItemSelectionModel::SelectionFlags TRowList::selectionCommand(const QModelIndex& index,
                                                               const QEvent* event) const {
    const QItemSelectionModel::SelectionFlags command = QListView::selectionCommand(index, event);
    const bool takesAway = index.isValid()
                               ? selectionModel()->isSelected(index) &&
                                     (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
                               : (command & (QItemSelectionModel::Clear | QItemSelectionModel::Deselect |
                                             QItemSelectionModel::Toggle));
    return takesAway ? QItemSelectionModel::SelectionFlags(QItemSelectionModel::NoUpdate) : command;
}

void TRowList::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QListView::selectionChanged(selected, deselected);
    if (FQuiet == 0) {
        emit RowSelected();
    }
}
