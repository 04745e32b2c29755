// The main window's lists of the book (`lbFiles`, `lbNames`): views over a list model, with one selected
// row or none, as the system sees them.
#pragma once

#include <QItemSelectionModel>
#include <QListView>
#include <QMetaObject>
#include <QVector>

// A list whose selected row the user moves but never takes away: a click below the last row, a Ctrl+click
// or Ctrl+Space on the selected row leave it selected. Without a selected row the panes beside the list go
// empty and the next command has nothing to work on. Only the program empties the selection.
//
// RowSelected tells of the user's changes of the selection only: the program's own (SelectRow) and those
// the model's changes bring about (a selected row removed, the list taken anew) are not the user's choice.
class TRowList : public QListView {
    Q_OBJECT

public:
    explicit TRowList(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;

    // The selected row; -1 when none is.
    int SelectedRow() const;
    // Selects `row`, or nothing when it lies outside the list, as the program's own change.
    void SelectRow(int row);
    int RowCount() const;

signals:
    void RowSelected();

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    // Above zero while the program or the model changes the selection.
    int FQuiet = 0;
    QVector<QMetaObject::Connection> FModelWatch;
};
