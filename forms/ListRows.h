// Rows of the main window's list boxes as the system sees them: one selected row or none.
#pragma once

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
