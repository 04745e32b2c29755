// The comment panel `pTestInfo` under the test-file list: the free-text comment of the current test file,
// kept in a text file beside the test file.
#pragma once

#include <QWidget>

#include <memory>
#include <optional>
#include <string>

#include "core/CommentFile.h"

class TBook;
class TCollapsibleTitle;

namespace Ui {
class TCommentPanel;
}

class TCommentPanel : public QWidget {
    Q_OBJECT

public:
    explicit TCommentPanel(QWidget* parent = nullptr);
    ~TCommentPanel() override;

    // The book whose current test file the comment belongs to.
    void SetBook(const TBook& book);
    // The book file and the prefix file in use: a comment file is never one of them.
    void SetFilesInUse(const std::string& bookFile, const std::string& prefixFile);

    // The comment of the (new) current test file; a step of the test-file click.
    void LoadTestComment();

    // Before a command drops the comment's unsaved edits: asks whether to save them, with Cancel when the
    // command can be cancelled. False when the command must stop: cancelled, or the save failed.
    bool MaybeSaveComment(bool cancellable);
    // The book is closed: the text stays in the editor but belongs to no test file any more.
    void ForgetTestFile();
    // The text typed and not yet saved, if any, and the test file it was read for (its path, and how many
    // test files of that path come before it); none while it belongs to no test file.
    bool HasUnsavedText() const { return FUnsaved; }
    const std::optional<std::pair<std::string, int>>& LoadedFor() const { return FLoadedFor; }
    QString Text() const;
    // Puts back the text typed for the current test file before the editor was closed without saving it.
    void RestoreText(const QString& text);

    // Handlers.
    void pTitleTestInfoClick();
    void bbSavePrimClick();
    void mmTestInfoChange();

signals:
    // The text was typed, or has become saved or given up.
    void TextChanged();

private:
    // Writes the text to the comment file of the test file it was loaded for; true when written or when
    // there is no such test file. A refusal or a failure is shown here.
    bool SaveComment();
    // False when the comment path is a test file of the book (the test file's own, for a ".txt" test file):
    // such a test file has no comment file, so that a comment never overwrites a test.
    QString NoCommentFileReason(const std::string& commentPath) const;
    // The same refusal when the file a save would replace is one of those files under another name (a
    // link, another spelling of the path): asked of the file system, so only before a save.
    QString SameFileReason(const std::string& commentPath) const;
    // False when the save must stop: the file on disk is not the one the editor read, and the user says
    // it must not be replaced, or it was never read in whole.
    bool MayReplace(const std::string& commentPath);
    // Shows `text` as the comment, or, when `notice` is not empty, that line read-only in its place.
    void ShowComment(const QString& text, const QString& notice);
    void SetUnsaved(bool unsaved);

    std::unique_ptr<Ui::TCommentPanel> ui;
    TCollapsibleTitle* FTitle = nullptr;
    const TBook* FBook = nullptr;
    std::string FBookFile;
    std::string FPrefixFile;
    // The comment file of the test file the text was loaded for, fixed at loading: a later change of the
    // current test file (files added, a row clicked) can never send this text into another test's comment.
    std::optional<std::string> FCommentPath;
    std::optional<std::pair<std::string, int>> FLoadedFor;
    // What the comment file was when this panel last read or wrote it (the text itself is not kept).
    comment_file::ReadResult FSeen;
    // The editor shows why the comment file was not read, not a comment.
    bool FNoticeShown = false;
    bool FUnsaved = false;
};
