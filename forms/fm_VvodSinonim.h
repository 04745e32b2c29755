// The find dialog: every analog of the book whose name holds the typed filter, and the test file of the
// chosen one. It only reads the book; the caller jumps the main window to the choice.
#pragma once

#include <QAbstractListModel>
#include <QDialog>

#include <memory>
#include <utility>
#include <vector>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class TSprav;

namespace Ui {
class TfmVvodSinonim;
}

// The rows of the find list: one (test-file position, analog position) pair per listed analog, shown with
// the analog's name. The names of the book are decoded and case-folded once, when the book is set; each
// filter then refills the same vector of pairs, so a keystroke allocates nothing per row.
class TSinonimList : public QAbstractListModel {
public:
    using Entry = std::pair<int, int>;

    explicit TSinonimList(QObject* parent = nullptr);

    void SetBook(const TSprav* sprav);
    // Lists every analog whose name holds `filter` with letter case ignored, in book order.
    void Fill(const QString& filter);
    const Entry& At(int row) const { return FRows[static_cast<std::size_t>(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const TSprav* FSprav = nullptr;
    std::vector<QString> FFolded;   // every name of the book, case-folded, in book order
    std::vector<int> FFirstOfFile;  // where each test file's names begin in FFolded, and the end
    std::vector<Entry> FRows;
};

class TfmVvodSinonim : public QDialog {
    Q_OBJECT

public:
    explicit TfmVvodSinonim(QWidget* parent = nullptr);
    ~TfmVvodSinonim() override;

    // The choice: the test file's position in the book and the analog's position in that test file.
    int FileIndex = 0;
    int NameIndex = 0;
    // The book to search, set by the caller before the dialog is shown; not owned.
    const TSprav* Sprav = nullptr;

    // The components.
    QGroupBox* GroupBox1;
    QLineEdit* edFilter;
    QListView* lbNames;
    QLabel* Label1;
    QLineEdit* edFile;
    QPushButton* bbOk;
    QPushButton* bbCancel;

    void FormShow();
    void edFilterChange();
    void lbNamesClick();
    void FillNames(const QString& filter);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int SelectedRow() const;

    std::unique_ptr<Ui::TfmVvodSinonim> FUi;
    TSinonimList* FList;
    // Set while the program itself changes the filter text or the selected row, so that only the user's
    // changes run the handlers.
    bool FProgramChange = false;
};
