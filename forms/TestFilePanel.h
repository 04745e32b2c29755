// The test files of the book: the list `lbFiles` with its popup menu, adding and deleting test files, and
// the habits users expect of such a list (the Delete key, files dropped from a file manager).
#pragma once

#include <QStringList>
#include <QWidget>

#include <memory>

class QMenu;
class TBook;

namespace Ui {
class TTestFilePanel;
}

class TTestFilePanel : public QWidget {
    Q_OBJECT

public:
    explicit TTestFilePanel(QWidget* parent = nullptr);
    ~TTestFilePanel() override;

    // The book whose test files the list shows and the commands change.
    void SetBook(TBook& book);

    // Commands.
    void acAddFileExecute();
    void acDeleteFileExecute();
    // Adds test files as the add command does after its dialog; also the target of drops.
    void AddTestFiles(const QStringList& chosenPaths);

    // The selected row, set without telling anyone: the window's chain decides what follows.
    void SelectRow(int row);
    int SelectedRow() const;

signals:
    // The user has selected another row, or none.
    void RowClicked();
    // Test files were added while no book was shown: the book has started.
    void FilesAdded();
    // A command has added or deleted test files, or left the list as it was: the selection runs anew.
    void FilesChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::TTestFilePanel> ui;
    TBook* FBook = nullptr;
    QMenu* pmFile = nullptr;
};
