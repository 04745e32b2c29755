// The book check's report: a window beside the main one that lists what is wrong in the open book and
// where, jumps the main window to a row's test file and chip name, and copies itself as text. The book
// may change while it is open; a row is then never followed blindly (see JumpTo).
#pragma once

#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/BookCheck.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

class QTreeWidgetItem;
class TBook;

namespace forms {

// Where a window of `size` goes on `screen` so that it covers as little of `keepClear` as it can: the
// controls the user works in while reading it. Among equal places, one that covers less of `window`, then
// one nearer its right side.
QPoint ClearPlace(QSize size, const QRect& screen, const QRect& window, const QList<QRect>& keepClear);

}  // namespace forms

namespace Ui {
class TfmBookCheck;
}

class TfmBookCheck : public QDialog {
    Q_OBJECT

public:
    // Shows a test file and one of its analogs in the main window (-1: the test file alone).
    using JumpFunction = std::function<void(int fileIndex, int nameIndex)>;

    TfmBookCheck(const TBook& book, JumpFunction jump, QWidget* parent);
    ~TfmBookCheck() override;

    // Moves the report where it covers none of what the user fixes from it in `window`: the lists a jump
    // shows, the name field and its buttons.
    void PlaceBeside(const QWidget& window);

    // Checks the book now, with a progress bar when it takes longer than a frame. False when the
    // user stopped it; the rows then show what was found so far.
    bool RunCheck();
    // How a file's existence is asked; the platform's test unless set (a slow share can be stood in for).
    void SetFileExists(book_check::FileExistsFunction exists) { FExists = std::move(exists); }
    // The book or the directories have changed: the rows may no longer point where they say.
    void BookChanged();
    bool IsStale() const { return FStale; }

    // The report as text: a heading, then a line per row with its columns separated by tabs.
    QString ReportText() const;

    // Handlers.
    void lvFindingsActivated(QTreeWidgetItem* item);
    void bbRecheckClick();
    void bbCopyClick();

private:
    // A row, with what it said when it was made, to recognise it again after a change.
    struct Row {
        book_check::Finding Finding;
        std::string FilePath;
        std::string Name;
    };

    void ShowRows(const std::function<void()>& between = {});
    void ShowSummary();
    bool StillTrue(const Row& row) const;
    // Follows a row; a stale report is first checked again and the row looked for among the new ones.
    void JumpTo(const Row& row);
    QString WhatIsWrong(const Row& row) const;

    std::unique_ptr<Ui::TfmBookCheck> FUi;
    const TBook& FBook;
    JumpFunction FJump;
    book_check::FileExistsFunction FExists;
    std::vector<Row> FRows;
    bool FStale = false;
    bool FCancelled = false;
};
