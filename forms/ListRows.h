// Rows of the main window's list boxes as the system sees them: one selected row or none.
#pragma once

#include <QItemSelectionModel>
#include <QListWidget>
#include <QSignalBlocker>

namespace forms {

inline int SelectedRow(const QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.front());
}

// Selects `row`, or nothing when it lies outside the list, as the program's own change: the list's click
// handler does not run.
inline void SelectRowQuietly(QListWidget* list, int row) {
    const QSignalBlocker programChange(list);
    if (row >= 0 && row < list->count()) {
        list->setCurrentRow(row);
    } else {
        list->setCurrentRow(-1);
        list->clearSelection();
    }
}

}  // namespace forms

// A list box whose selected row the user moves but never takes away: a click below the last row, a Ctrl+click
// or Ctrl+Space on the selected row leave it selected. Without a selected row the panes beside the list go
// empty and the next command has nothing to work on. Only the program empties the selection.
class TRowList : public QListWidget {
    Q_OBJECT

public:
    using QListWidget::QListWidget;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override {
        const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
        const bool takesAway =
            index.isValid() ? selectionModel()->isSelected(index) &&
                                  (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
                            : (command & (QItemSelectionModel::Clear | QItemSelectionModel::Deselect |
                                          QItemSelectionModel::Toggle));
        return takesAway ? QItemSelectionModel::SelectionFlags(QItemSelectionModel::NoUpdate) : command;
    }
};
