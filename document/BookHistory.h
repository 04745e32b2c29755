// Undo and redo of the changes made to the book. Each operation of the document opens a step (TBookStep) for
// as long as it runs; the history hears every change the book makes meanwhile and keeps it, so that the step
// can be played back the other way and forward again, however the operation reached its result. A whole new
// book (read, New) starts the history afresh, by the document's own call. Any other change made outside a
// step is a fault of the program: the steps kept could no longer be played back onto the book.
//
// The history is bounded by what its steps hold, not by their number: a step that added 300 generated names
// holds a thousand times what a rename does. Past the bound the oldest steps go first; the newest step is
// always kept.
#pragma once

#include <QObject>
#include <QString>

#include <cstddef>
#include <deque>
#include <cstdint>
#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "core/Sprav.h"

class TBookHistory : public QObject, private TSpravListener {
    Q_OBJECT

public:
    // One change the book made, with what it takes to make it again or take it back.
    struct Change {
        enum class Kind { InsertFile, RemoveFile, InsertNames, RemoveNames, ChangeName };
        Kind What;
        int File = -1;      // the test file's position in the book
        int Position = -1;  // InsertFile/RemoveFile: unused; the names: the first analog's position
        // The test file's path, and how many test files of the same path come before it: what finds the
        // test file again in a copy of the book where positions differ (another program's save).
        std::string Path;
        int Occurrence = 0;
        // The analogs inserted or removed (a test file's own, for InsertFile and RemoveFile); ChangeName:
        // the analog before and after.
        std::vector<TSpravSinonim> Names;
    };

    explicit TBookHistory(TSprav& sprav, QObject* parent = nullptr);
    ~TBookHistory() override;

    // What a day's work may hold: steps past it are dropped, the oldest first. About 20 000 steps of a
    // select-all over 300 prefixes would hold 400 MB; this keeps the last few thousand of them, and
    // thousands of times more of the usual ones.
    static constexpr std::size_t kDefaultByteLimit = std::size_t{48} << 20;

    bool CanUndo() const { return FIndex > 0; }
    bool CanRedo() const { return FIndex < FSteps.size(); }
    // The names of the steps an undo and a redo would take: "удаление «К155ЛА3»"; empty when none.
    QString UndoText() const;
    QString RedoText() const;
    void Undo();
    void Redo();
    // The steps kept, and how many of them are done (below the next redo).
    std::size_t Count() const { return FSteps.size(); }
    std::size_t Index() const { return FIndex; }

    // The book as last read or saved: undoing or redoing back to it leaves nothing unsaved. Once its step
    // is dropped for the bound, no undo reaches it any more.
    void SetClean();
    bool IsClean() const;

    // Makes a change to the whole book (a read, New) and starts the history afresh.
    void Restart(const std::function<void()>& change);

    // What the kept steps hold, in bytes as counted against the bound.
    std::size_t HeldBytes() const { return FHeldBytes; }
    std::size_t ByteLimit() const { return FByteLimit; }
    void SetByteLimit(std::size_t bytes);

    // The change that takes `change` back.
    static Change Reversed(const Change& change);
    // Makes `change` in `sprav` at the positions it names, which must be there.
    static void Make(TSprav& sprav, const Change& change);

    // A step as it can be played onto another copy of the book: forward as it was taken, or backward (its
    // undo). `Id` tells the steps apart, so that a step and its undo cancel out.
    struct Move {
        std::uint64_t Id = 0;
        QString Text;
        std::vector<Change> Changes;
        bool Forward = true;
    };
    // Called whenever a step is taken or redone (forward) or undone (backward), after the book changed.
    void SetMoveObserver(std::function<void(const Move&)> observer) { FMoveObserver = std::move(observer); }
    // The way from the book as last read or saved to the book as it is: the steps done since, or the steps
    // undone below it, backward. None when that state is out of reach (dropped for the bound, or left by
    // a new step after undoing below it).
    std::optional<std::vector<Move>> UnsavedMoves() const;
    // Takes back what the open step has changed so far and forgets it: a step that cannot be played whole.
    void AbandonOpenStep();
    // An operation is running: its step is open.
    bool InStep() const { return FDepth > 0; }

    // Called when the book changes outside any step (a fault of the program), before the history starts
    // afresh. By default it warns, and stops a debug build; tests fail on it.
    static void SetStrayChangeHandler(std::function<void()> handler);

signals:
    // An undo or redo has changed the book. Where it did: the test file and analog the user should see
    // (-1: the test file alone), either of which may lie past the end when the change took them away.
    void Applied(int fileIndex, int nameIndex);
    // Steps were taken, done, undone or dropped, or the clean state moved: what undo and redo offer may
    // have changed.
    void StepsChanged();

private:
    friend class TBookStep;

    struct Step {
        QString Text;
        std::vector<Change> Changes;
        std::size_t Bytes = 0;
        std::uint64_t Id = 0;
    };
    void Tell(const Step& step, bool forward) const;
    int Occurrence(int index) const;

    void Begin(const QString& text);
    void End();
    void Record(Change change);
    // Plays a step's changes back (undo) or forward again (redo).
    void Apply(const std::vector<Change>& changes, bool forward, bool show = true);
    int FileIndex(const TSpravFile& file);
    Change NamesChange(Change::Kind kind, const TSpravFile& file, int position, std::vector<TSpravSinonim> names);

    void FilesInserted() override;
    void FilesAboutToBeInserted(int first, int last) override;
    void FilesAboutToBeRemoved(int first, int last) override;
    void SinonimsAboutToBeInserted(const TSpravFile& file, int first, int last) override;
    void SinonimsInserted(const TSpravFile& file) override;
    void SinonimsAboutToBeRemoved(const TSpravFile& file, int first, int last) override;
    void SinonimAboutToBeChanged(const TSpravFile& file, int position) override;
    void SinonimChanged(const TSpravFile& file, int position) override;
    void BookReset() override;

    void Push(Step step);
    void DropOldest();
    void Stray();

    TSprav& FSprav;
    // Steps below FIndex are done; those from it on were undone and wait for a redo. A new step drops them.
    std::deque<Step> FSteps;
    std::size_t FIndex = 0;
    // How many steps were done when the book was last read or saved; -1 once that state is out of reach.
    std::ptrdiff_t FClean = 0;
    std::size_t FHeldBytes = 0;
    std::size_t FByteLimit = kDefaultByteLimit;
    bool FRestarting = false;
    std::uint64_t FNextId = 1;
    std::function<void(const Move&)> FMoveObserver;
    // The open step: its name and what it has changed so far; none while no step is open.
    int FDepth = 0;
    QString FText;
    std::vector<Change> FChanges;
    // While a step is played back, what the book hears is the history's own doing.
    bool FApplying = false;
    // Between an "about to" and its "done".
    int FInsertFirst = -1;
    int FInsertLast = -1;
    TSpravSinonim FBefore;
    // The last test file asked about and where it stood, as the steps of one command touch one file.
    const TSpravFile* FLastFile = nullptr;
    int FLastIndex = -1;
    int FLastOccurrence = 0;
};

// One command of the user: what the book changes while it lives is one step of the history, named by
// `text` ("удаление «К155ЛА3»"). Steps nest: only the outermost counts. A step that changed nothing leaves
// no trace.
class TBookStep {
public:
    TBookStep(TBookHistory& history, const QString& text);
    ~TBookStep();
    TBookStep(const TBookStep&) = delete;
    TBookStep& operator=(const TBookStep&) = delete;

    // Names the step by what the command has found out it does.
    void SetText(const QString& text);

private:
    TBookHistory& FHistory;
};
