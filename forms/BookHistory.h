// Undo and redo of the changes made to the book. Each command of the user that may change the book opens a
// step (TBookStep) for as long as it runs; the history hears every change the book makes meanwhile and keeps
// it, so that the step can be played back the other way and forward again, however the command reached its
// result. A change made outside any step (a book read, New) starts the history afresh: nothing before it
// could be played back onto a book changed in an unknown way.
#pragma once

#include <QObject>
#include <QString>
#include <QUndoStack>

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
        std::string Path;   // InsertFile/RemoveFile: the test file's path
        // The analogs inserted or removed (a test file's own, for InsertFile and RemoveFile); ChangeName:
        // the analog before and after.
        std::vector<TSpravSinonim> Names;
    };

    explicit TBookHistory(TSprav& sprav, QObject* parent = nullptr);
    ~TBookHistory() override;

    QUndoStack& Stack() { return FStack; }

    // The book as last read or saved: undoing or redoing back to it leaves nothing unsaved.
    void SetClean() { FStack.setClean(); }
    bool IsClean() const { return FStack.isClean(); }

signals:
    // An undo or redo has changed the book. Where it did: the test file and analog the user should see
    // (-1: the test file alone), either of which may lie past the end when the change took them away.
    void Applied(int fileIndex, int nameIndex);

private:
    friend class TBookStep;
    friend class TStepCommand;

    void Begin(const QString& text);
    void End();
    void Record(Change change);
    // Plays a step's changes back (undo) or forward again (redo).
    void Apply(const std::vector<Change>& changes, bool forward);
    int FileIndex(const TSpravFile& file);

    void FilesInserted() override;
    void FilesAboutToBeInserted(int first, int last) override;
    void FilesAboutToBeRemoved(int first, int last) override;
    void SinonimsAboutToBeInserted(const TSpravFile& file, int first, int last) override;
    void SinonimsInserted(const TSpravFile& file) override;
    void SinonimsAboutToBeRemoved(const TSpravFile& file, int first, int last) override;
    void SinonimAboutToBeChanged(const TSpravFile& file, int position) override;
    void SinonimChanged(const TSpravFile& file, int position) override;
    void BookReset() override;

    TSprav& FSprav;
    QUndoStack FStack;
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
