// The recovery journal of the open book: every step the editor takes, undoes or redoes is written here
// before the command returns, with the book file it applies to, so that a crash, a killed process or a
// power cut loses nothing that was not saved. The journal lives in the user's own application data folder,
// never beside the book (other programs read that folder). It is text a person can read:
//
//   QorSprav recovery journal 1
//   book    C:\Справочники\демо.spr
//   stamp   1234    9f86d081884c7d65
//   step    7   forward   удаление «К155ЛА3»
//   change  names-  0   3   0   C:\Tests\la3.qor
//   name    К155ЛА3    <Desc>:\la3.pdf
//   end
//   comment 0   C:\Tests\la3.qor    Проверять при 5 В\x0d\x0aи при 4,5 В
//
// Fields are separated by tabs; a backslash, a tab, a line break or any other control byte in a field is
// written as \\ or \xHH, and a byte Windows-1251 has no letter for as \xHH. A record ends with "end": one
// cut off by a power cut is left out, with whatever follows it.
#pragma once

#include <QFile>
#include <QLockFile>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/BookHistory.h"

namespace recovery {

// A field as the journal writes it, and back; nullopt for text no journal writer makes.
std::string EscapeBytes(std::string_view bytes);
std::optional<std::string> UnescapeBytes(std::string_view field);
std::string EscapeText(const QString& text);
std::optional<QString> UnescapeText(std::string_view field);

// The unsaved comment of a test file, as it stood in its editor.
struct TComment {
    std::string TestPath;
    int Occurrence = 0;
    std::string Text;
};

// What a journal holds: the book it applies to, the steps since that book was read or saved (a step and
// its undo cancel out), and the comment being typed.
struct TJournal {
    std::string BookPath;  // empty: a new book, not yet saved
    std::uint64_t BookSize = 0;
    std::uint64_t BookHash = 0;
    std::vector<TBookHistory::Move> Moves;
    std::optional<TComment> Comment;
};

// The journal in `bytes`; nullopt when they are no journal (another first line). A record cut off, or
// anything after a line that cannot be read, is left out.
std::optional<TJournal> Parse(std::string_view bytes);

// Adds a move to `moves`, where it cancels the move it takes back.
void AddMove(std::vector<TBookHistory::Move>& moves, TBookHistory::Move move);

// Writes the journal of one open book. Nothing is written until the first step; a folder that cannot be
// written leaves the editor without a journal, which the merge and the restore then say.
class TJournalWriter {
public:
    // `folder` holds the journals of every editor running, each with a lock of its own.
    explicit TJournalWriter(QString folder);
    ~TJournalWriter();
    TJournalWriter(const TJournalWriter&) = delete;
    TJournalWriter& operator=(const TJournalWriter&) = delete;

    // The book the next steps apply to; the journal written so far is removed.
    void Begin(std::string bookPath, std::uint64_t size, std::uint64_t hash);
    void Append(const TBookHistory::Move& move);
    // The comment being typed; none: the comment is saved or given up.
    void SetComment(const std::optional<TComment>& comment);
    // Removes the journal: nothing is unsaved any more.
    void Discard();

    // The journal file, empty while there is none.
    const QString& Path() const { return FPath; }
    bool Failed() const { return FFailed; }
    // Whether every record is forced to the disk before the command returns (the default), or left to
    // the system's cache.
    void SetFlushToDisk(bool flush) { FFlush = flush; }

private:
    bool Open();
    void Write(const std::string& record);

    QString FFolder;
    QString FPath;
    std::unique_ptr<QLockFile> FLock;
    std::unique_ptr<QFile> FFile;
    std::string FHeader;
    bool FFailed = false;
    bool FFlush = true;
};

// A journal left behind by an editor that is no longer running.
struct TLeftBehind {
    QString Path;
    std::optional<TJournal> Journal;  // none: the file is no journal
};

// The journals in `folder` whose editor is gone, newest first.
std::vector<TLeftBehind> FindLeftBehind(const QString& folder);
// Removes a journal left behind, with its lock.
void RemoveLeftBehind(const QString& path);
// Puts a file that is no journal aside, under a name no search finds again; gives that name.
QString SetAside(const QString& path);

// Where the journals live: the application's own data folder of this user.
QString DefaultFolder();

}  // namespace recovery
