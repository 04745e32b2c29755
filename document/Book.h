// The open book as a document: the model, the two service directories its paths are shown and stored
// against, its file and whether it holds unsaved changes, the current test file and analog, the list models
// the window shows, and the history of its changes. Every change of the book is one of the named operations
// below: each checks what the book file can hold, opens its own step of the history, makes the change and
// gives back what it refused, for the window to show. Whoever shows the book gets the model as `const`.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/PathTokens.h"
#include "core/Sprav.h"
#include "core/SpravFile.h"
#include "document/BookHistory.h"
#include "document/BookLists.h"
#include "document/BookReadAhead.h"
#include "document/RecoveryJournal.h"
#include "document/SharedBook.h"

// What an operation did: the refusals it met, in the order met, each a text for an information box; and how
// many entries it added.
struct TBookOutcome {
    std::vector<QString> Refusals;
    int Added = 0;
    // False when the operation refused before asking the model anything (a name it could not take): the
    // book and its lists are as they were.
    bool Attempted = true;

    bool Refused() const { return !Refusals.empty(); }
};

// An entry of the prefix list, as the generated names are made from it and as the list shows it.
struct TPrefixEntry {
    std::string Bytes;
    QString Text;
};

// The result of reading a book file into the document.
struct TBookLoad {
    bool Ok = false;
    // Why the file could not be read; empty when it was.
    QString Failure;
    // Read, but with an entry the book file could not hold as it stands: said once, now.
    QString Notice;
};

// The result of playing this editor's unsaved steps onto the book as another program saved it.
struct TBookMerge {
    bool Ok = false;
    // Why the book file could not be read; the editor's book is then as it was.
    QString Failure;
    // The steps that could no longer be made, each as its undo names it, with the reason.
    std::vector<QString> Skipped;
};

class TBook : public QObject, private TSpravListener {
    Q_OBJECT

public:
    explicit TBook(QObject* parent = nullptr);
    ~TBook() override;

    const TSprav& Sprav() const { return FSprav; }
    TFileListModel& FileList() { return FFileList; }
    TNameListModel& NameList() { return FNameList; }
    const TNameListModel& NameList() const { return FNameList; }
    TBookHistory& History() { return FHistory; }
    const TBookHistory& History() const { return FHistory; }

    // The directories behind the <Tests>: and <Desc>: tokens, exactly as stored.
    const std::string& DirTests() const { return FDirs.Tests; }
    const std::string& DirPDF() const { return FDirs.Desc; }
    const ServiceDirectories& Directories() const { return FDirs; }
    void SetDirectories(const std::string& tests, const std::string& pdf);
    // A test file's path as the lists show it: in <Tests>: form, decoded.
    QString ShownTestPath(const std::string& path) const;

    // ---- The book's file and its unsaved changes.

    // The book file in use: the one read or saved last, or chosen to be read. It stays after New, so that
    // the book dialogs open in its folder and the next start reopens it.
    const std::string& SpravFileName() const { return FSpravFileName; }
    void SetSpravFileName(std::string path);
    // After New the book has no file of its own until it is saved.
    bool IsNew() const { return FNew; }
    // The book holds changes not yet saved. A command that may change the book marks it at its start, so
    // that a command then refused or cancelled still counts; undoing or redoing back to the state last read
    // or saved clears it.
    bool Modified() const { return FModified; }
    void SetModified(bool modified = true);

    // Empties the book (no file is touched); the history starts afresh.
    void Clear();
    // New: the book emptied, nothing unsaved, no file of its own.
    void New();
    // Reads the book file at `path` into the emptied book. A file that cannot be read leaves the book empty
    // and no book file in use; either way nothing is unsaved.
    TBookLoad Load(const std::string& path);
    // A read of the book file made beforehand (while the window was built), for the first load to take
    // when it is of that file against the same service directories.
    void OfferRead(TBookReadAhead read) { FReadAhead = std::move(read); }
    // Writes the book to `path`, which from then on is its file: nothing is unsaved. The failure's text
    // (file and reason) when it could not be written; the book and its state are then as they were.
    QString Save(const std::string& path);
    // True when `path` is the book file as last read or saved here, and another program has changed it
    // since; `changed` then gives when, as the file system says.
    bool ChangedByAnother(const std::string& path, QString* changed = nullptr) const;
    // True when `path` names the book's own file, by whatever name: no table may replace it.
    bool IsBookFile(const std::string& path) const;
    // Writes the book as a table to `path`; the failure's text when it could not. The book's own file is
    // refused, whoever asks.
    QString Export(const std::string& path) const;

    // ---- The current test file and analog.

    const TSpravFile* CurrentFile() const { return FSprav.CurrentFile; }
    int CurrentFileIndex() const { return FSprav.CurrentFileIndex(); }
    // The current analog's position in the current test file's list; -1: none. May lie past the end after a
    // deletion, until the lists select again.
    int CurrentNameIndex() const { return FSprav.CurrentSinonimIndex; }
    void SetCurrentFile(int position);
    void SetCurrentName(int position);
    // The test file with this path: the `occurrence`-th of those with it (counted from 0); -1 when there
    // is no such one. With `orLast`, the last of those with the path when there are fewer.
    int FindTestFile(const std::string& path, int occurrence, bool orLast = false) const;
    // How many test files before the one at `index` have its path.
    int OccurrenceOf(int index) const;

    // ---- The named operations.

    // Adds the chosen test files in order. A file listed already is added again only when `addAgain` says
    // so; a path the book cannot hold is refused, and once the book is full no later file is added.
    // With `refused`, each refusal is given to it when it is met, in its place among the questions,
    // rather than gathered in the outcome.
    TBookOutcome AddTestFiles(const QStringList& chosen, const std::function<bool(const std::string&)>& addAgain,
                              const std::function<void(const QString&)>& refused = {});
    TBookOutcome DeleteTestFile(int position);
    // Adds the typed name to the current test file, with the description path shown beside it.
    TBookOutcome AddName(const QString& typed, const QString& description);
    // Gives the analog at `position` of the current test file the typed name and the description path.
    TBookOutcome RenameName(int position, const QString& typed, const QString& description);
    TBookOutcome DeleteName(int position);
    // The analog at `position` takes the datasheet at `path`, when the typed name is that analog's name: a
    // name typed for a new chip, or another listed name, must not give the analog another's datasheet.
    TBookOutcome ChooseDescription(int position, const QString& typed, const std::string& path);

    // One pass of the prefix list over the current test file: each marked entry's generated name is added
    // when it is not listed, each unmarked entry's name taken away when it is listed exactly. A removal
    // shows every mark anew (`marks` follows), so later entries see the list as it is then. `stepText`
    // names the step; an empty typed name only clears the marks.
    TBookOutcome PrefixPass(const QString& stepText, const QString& typed, const std::vector<TPrefixEntry>& entries,
                            std::vector<bool>& marks);
    // Every entry marked, then the pass.
    TBookOutcome MarkAllPrefixes(const QString& typed, const std::vector<TPrefixEntry>& entries,
                                 std::vector<bool>& marks);
    // Every mark taken off in list order with the pass after each, as one would untick them one by one,
    // in time in proportion to the names and entries rather than to their product.
    TBookOutcome UnmarkAllPrefixes(const QString& typed, const std::vector<TPrefixEntry>& entries,
                                   std::vector<bool>& marks);
    // Whether each entry's generated name is listed, letter case ignored.
    std::vector<bool> ListedMarks(const QString& typed, const std::vector<TPrefixEntry>& entries) const;

    // ---- Another program's changes.

    // Reads the book file again and plays `moves` onto it (the steps this editor had not saved, as the
    // history or the recovery journal gives them), each finding its test file by path and its analogs by
    // name, never by position. A step whose change is already there counts as made; one that can no
    // longer be made is skipped whole. The history holds the book as read as its clean state and the
    // played steps above it.
    TBookMerge MergeWithFile(const std::vector<TBookHistory::Move>& moves);
    // The way from the book as last read or saved to the book as it is: the history's, or, when the history
    // no longer reaches that state, the recovery journal's. None when neither has it.
    std::optional<std::vector<TBookHistory::Move>> UnsavedMoves() const;
    // Reads the book file again, as another program saved it; a file that cannot be read (still being
    // written) leaves the book as it is, and gives false.
    bool Reread();

    // ---- The recovery journal.

    // From now on every step is written to a journal in `folder` before the operation returns.
    void EnableRecovery(const QString& folder);
    // The comment being typed, for the journal; none: saved or given up.
    void SetUnsavedComment(const std::optional<recovery::TComment>& comment);
    // Nothing unsaved is left to keep: the journal goes (a close that asked, or did not need to).
    void DiscardJournal();
    const recovery::TJournalWriter* Journal() const { return FJournal.get(); }
    recovery::TJournalWriter* Journal() { return FJournal.get(); }
    // Plays `moves` onto the book as it is; gives the steps skipped. `exact`: the book is the very one the
    // moves were made on (its file unchanged since), so each change goes where it was made, duplicates
    // included; a change that does not fit there is looked for as in a merge.
    std::vector<QString> Replay(const std::vector<TBookHistory::Move>& moves, bool exact = false);
    // The size and hash of the book file as last read or saved here; not known after a failed read.
    const FileStamp& DiskStamp() const { return FSharedBook.Stamp(); }

    // Undo and redo of one step. The book counts as unsaved after either unless it is back as it was last
    // read or saved.
    void Undo();
    void Redo();

signals:
    // The entries of the book or its directories have changed: whatever was found in them before may no
    // longer hold.
    void Changed();
    void SpravFileNameChanged(const std::string& path);
    // Another program has changed the book file since it was read or saved here (seen by a watch on it).
    void ChangedOnDisk();
    void ModifiedChanged(bool modified);
    // Another test file or analog is current, or none.
    void CurrentChanged();

private:
    // What the model refuses while an operation runs goes to that operation's outcome.
    class TRunning;

    void FilesInserted() override { emit Changed(); }
    void FilesRemoved() override { emit Changed(); }
    void SinonimsInserted(const TSpravFile&) override { emit Changed(); }
    void SinonimsRemoved(const TSpravFile&) override { emit Changed(); }
    void SinonimChanged(const TSpravFile&, int) override { emit Changed(); }
    void BookReset() override { emit Changed(); }
    void CurrentFileChanged() override { emit CurrentChanged(); }

    // A name as the book stores it, or the refusal.
    std::optional<std::string> TakeName(const QString& typed, TBookOutcome& outcome) const;
    bool FitsSinonimLine(const std::string& name, const std::string& descPath, TBookOutcome& outcome) const;
    bool FitsLineCount(const std::string& entry, TBookOutcome& outcome) const;
    QString ReplayChange(const TBookHistory::Change& change);
    bool FitsInPlace(const TBookHistory::Change& change) const;
    void RemoveGeneratedNames(std::size_t from, const std::string& typed, const QString& typedText,
                              const std::vector<TPrefixEntry>& entries);

    TSprav FSprav;
    ServiceDirectories FDirs;
    TFileListModel FFileList;
    TNameListModel FNameList;
    TBookHistory FHistory;
    std::string FSpravFileName;
    bool FNew = false;
    bool FModified = false;
    // What the book file was when last read or written, to ask before replacing another's changes.
    TSharedBook FSharedBook;
    TBookOutcome* FOutcome = nullptr;
    // The book starts anew from what its file holds (or from nothing): the journal with it.
    void BeginJournal();
    TBookRead ReadBook(const std::string& path) const { return TBookReadAhead::Read(path, FDirs); }
    // The book becomes `read` (checked against the current service directories).
    TBookLoad Take(const std::string& path, TBookRead& fromFile);
    void Watch();

    std::unique_ptr<recovery::TJournalWriter> FJournal;
    std::unique_ptr<QFileSystemWatcher> FWatcher;
    TBookReadAhead FReadAhead;
};
