#include "document/Book.h"

#include <QHash>

#include <algorithm>
#include <climits>
#include <deque>
#include <filesystem>
#include <utility>

#include "core/BookLines.h"
#include "core/CsvExport.h"
#include "core/PrefixNames.h"
#include "document/BookTexts.h"
#include "platform/Paths.h"
#include "platform/Text.h"

using platform::FromCp1251;

// While an operation runs, what the model refuses is written into its outcome; an operation that runs
// another takes the inner one's refusals into its own.
class TBook::TRunning {
public:
    TRunning(TBook& book, TBookOutcome& outcome) : FBook(book), FOuter(book.FOutcome) {
        FBook.FOutcome = &outcome;
    }
    ~TRunning() { FBook.FOutcome = FOuter; }
    TRunning(const TRunning&) = delete;
    TRunning& operator=(const TRunning&) = delete;

private:
    TBook& FBook;
    TBookOutcome* FOuter;
};

namespace {

// Each text once, in the order first refused, with the number of names it refused when more than one:
// a pass over 300 prefixes says "no test file" once, not 300 times.
void Gather(std::vector<QString>& refusals) {
    std::vector<std::pair<QString, int>> counted;
    for (QString& text : refusals) {
        const auto seen =
            std::find_if(counted.begin(), counted.end(), [&](const auto& entry) { return entry.first == text; });
        if (seen != counted.end()) {
            ++seen->second;
        } else {
            counted.emplace_back(std::move(text), 1);
        }
    }
    refusals.clear();
    for (auto& [text, count] : counted) {
        refusals.push_back(count == 1 ? text : QStringLiteral("%1\n\nНе добавлено названий: %2.").arg(text).arg(count));
    }
}

}  // namespace

TBook::TBook(QObject* parent) : QObject(parent), FFileList(FSprav), FNameList(FSprav), FHistory(FSprav) {
    FSprav.AddListener(this);
    FSprav.OnMessage = [this](const std::string& text) {
        if (FOutcome != nullptr) {
            FOutcome->Refusals.push_back(QString::fromStdString(text));
        } else {
            qWarning("A refusal of the book outside any operation: %s", text.c_str());
        }
    };
    FSprav.SetCurrentFile(-1);
    FHistory.SetMoveObserver([this](const TBookHistory::Move& move) {
        if (FJournal != nullptr) {
            FJournal->Append(move);
        }
    });
}

TBook::~TBook() {
    FSprav.RemoveListener(this);
}

void TBook::SetDirectories(const std::string& tests, const std::string& pdf) {
    if (tests == FDirs.Tests && pdf == FDirs.Desc) {
        return;
    }
    FDirs = {tests, pdf};
    FFileList.SetDirTests(tests);
    emit Changed();
}

QString TBook::ShownTestPath(const std::string& path) const {
    return FromCp1251(ToTestsToken(path, FDirs.Tests));
}

// ---------------------------------------------------------------------------------------------------------
// The file and the unsaved changes.

void TBook::SetSpravFileName(std::string path) {
    if (path == FSpravFileName) {
        return;
    }
    FSpravFileName = std::move(path);
    emit SpravFileNameChanged(FSpravFileName);
}

void TBook::SetModified(bool modified) {
    if (modified == FModified) {
        return;
    }
    FModified = modified;
    emit ModifiedChanged(modified);
}

void TBook::Clear() {
    FHistory.Restart([this] { FSprav.ClearAll(); });
    BeginJournal();
}

void TBook::New() {
    FNew = true;
    Clear();
    SetModified(false);
    Watch();
}

TBookLoad TBook::Load(const std::string& path) {
    std::optional<TBookRead> read = FReadAhead.Take(path, FDirs);
    if (!read) {
        read = ReadBook(path);
    }
    return Take(path, *read);
}

// The book becomes what was read (nothing, when the read failed), with nothing unsaved.
TBookLoad TBook::Take(const std::string& path, TBookRead& fromFile) {
    const sprav_file::ReadResult& result = fromFile.Result;
    TSprav& read = *fromFile.Book;
    FHistory.Restart([&] {
        FSprav.Rebuild([&](TSprav& book) {
            book.ClearAll();
            if (result.Ok()) {
                book.Files = std::move(read.Files);
            }
        });
    });
    // The current entries as reading left them: the last test file and its last analog.
    if (result.Ok()) {
        FSprav.SetCurrentFile(read.CurrentFileIndex());
        FSprav.CurrentSinonimIndex = read.CurrentSinonimIndex;
    }
    SetModified(false);
    FNew = false;
    TBookLoad load;
    if (!result.Ok()) {
        load.Failure = document::LoadFailureText(path, result);
        SetSpravFileName({});
        FSharedBook.Forget();
        BeginJournal();
        Watch();
        return load;
    }
    load.Ok = true;
    SetSpravFileName(path);
    FSharedBook.Remember(path, fromFile.Bytes);
    BeginJournal();
    Watch();
    // A book another program wrote may hold an entry this editor could not write back as it stands: the
    // user learns of it now, by name, rather than at every save.
    if (!fromFile.Savable.Ok()) {
        load.Notice = document::UnsavableBookText(fromFile.Savable);
    }
    return load;
}

QString TBook::Save(const std::string& path) {
    std::string written;
    const sprav_file::WriteResult result = sprav_file::Save(platform::ToOsPath(path), FSprav, FDirs, &written);
    if (!result.Ok()) {
        return document::SaveFailedText(path, document::SaveFailureReason(result));
    }
    FSharedBook.Remember(path, written);
    FNew = false;
    SetSpravFileName(path);
    FHistory.SetClean();
    SetModified(false);
    BeginJournal();
    Watch();
    return {};
}

bool TBook::ChangedByAnother(const std::string& path, QString* changed) const {
    return FSharedBook.ChangedByAnother(path, changed);
}

bool TBook::IsBookFile(const std::string& path) const {
    if (FNew || FSpravFileName.empty()) {
        return false;
    }
    return csv_export::IsTheBookItself(platform::ToOsPath(path), platform::ToOsPath(FSpravFileName));
}

QString TBook::Export(const std::string& path) const {
    const std::filesystem::path book =
        FNew || FSpravFileName.empty() ? std::filesystem::path() : platform::ToOsPath(FSpravFileName);
    const std::error_code error = csv_export::Save(platform::ToOsPath(path), FSprav, FDirs, book);
    if (!error) {
        return {};
    }
    return error == csv_export::TargetIsTheBookError()
               ? document::TableOverBookText()
               : document::SaveFailedText(path, document::SystemErrorText(error));
}

// ---------------------------------------------------------------------------------------------------------
// The current test file and analog.

void TBook::SetCurrentFile(int position) {
    FSprav.SetCurrentFile(position);
}

void TBook::SetCurrentName(int position) {
    if (position == FSprav.CurrentSinonimIndex) {
        return;
    }
    FSprav.CurrentSinonimIndex = position;
    emit CurrentChanged();
}

// ---------------------------------------------------------------------------------------------------------
// What the book file can hold.

std::optional<std::string> TBook::TakeName(const QString& typed, TBookOutcome& outcome) const {
    std::optional<std::string> name = platform::ToCp1251(typed);
    if (!name) {
        outcome.Refusals.push_back(document::UnstorableNameText());
    } else if (book_lines::HasControlByte(*name)) {
        outcome.Refusals.push_back(document::ControlCharacterRefusal());
        return std::nullopt;
    }
    return name;
}

bool TBook::FitsSinonimLine(const std::string& name, const std::string& descPath, TBookOutcome& outcome) const {
    const std::string descToken = ToDescToken(descPath, FDirs.Desc);
    if (book_lines::SinonimLineLength(name.size(), descToken.size()) <= book_lines::kMaxLineLength) {
        return true;
    }
    outcome.Refusals.push_back(document::SinonimLineTooLongText());
    return false;
}

bool TBook::FitsLineCount(const std::string& entry, TBookOutcome& outcome) const {
    if (FSprav.LineCount() < book_lines::kMaxLines) {
        return true;
    }
    outcome.Refusals.push_back(document::BookFullText(entry));
    return false;
}

// ---------------------------------------------------------------------------------------------------------
// The test files.

TBookOutcome TBook::AddTestFiles(const QStringList& chosen,
                                 const std::function<bool(const std::string&)>& addAgain,
                                 const std::function<void(const QString&)>& refused) {
    TBookOutcome outcome;
    const TRunning running(*this, outcome);
    // Said in its place, before the next question, when the caller asks for that.
    const auto tell = [&outcome, &refused] {
        if (refused) {
            for (const QString& text : outcome.Refusals) {
                refused(text);
            }
            outcome.Refusals.clear();
        }
    };
    SetModified();
    const std::size_t countBefore = FSprav.Files.size();
    TBookStep step(FHistory, QStringLiteral("добавление тестовых файлов"));
    std::size_t lines = FSprav.LineCount();
    for (const QString& path : chosen) {
        const std::optional<std::string> bytes = platform::ToCp1251(path);
        if (!bytes) {
            outcome.Refusals.push_back(document::UnstorablePathText(path));
            continue;
        }
        if (book_lines::HasControlByte(*bytes)) {
            outcome.Refusals.push_back(document::ControlCharacterRefusal());
            continue;
        }
        const std::string stored = platform::ToStoredPath(path).value_or(std::string());
        const std::string tokenPath = ToTestsToken(stored, FDirs.Tests);
        if (book_lines::TestFileLineLength(FSprav.Files.size(), tokenPath.size()) > book_lines::kMaxLineLength) {
            outcome.Refusals.push_back(document::TestFileLineTooLongText(stored));
            continue;
        }
        if (lines >= book_lines::kMaxLines) {
            outcome.Refusals.push_back(document::BookFullText(stored));
            break;  // said once: no later file fits either
        }
        // A path kept in token form (read while the tests directory was unset) names the file below the
        // directory as it is now.
        const bool listed = std::any_of(FSprav.Files.begin(), FSprav.Files.end(), [&](const auto& file) {
            return FromTestsToken(file->Path, FDirs.Tests) == stored;
        });
        if (listed) {
            tell();
            if (!addAgain(stored)) {
                continue;
            }
        }
        FSprav.AddTestFile(stored);
        ++lines;
    }
    tell();
    outcome.Added = static_cast<int>(FSprav.Files.size() - countBefore);
    if (outcome.Added == 1) {
        step.SetText(QStringLiteral("добавление тестового файла «%1»").arg(ShownTestPath(FSprav.Files.back()->Path)));
    }
    return outcome;
}

TBookOutcome TBook::DeleteTestFile(int position) {
    TBookOutcome outcome;
    const TRunning running(*this, outcome);
    SetModified();
    if (position < 0 || static_cast<std::size_t>(position) >= FSprav.Files.size()) {
        return outcome;
    }
    const TBookStep step(FHistory, QStringLiteral("удаление тестового файла «%1»")
                                       .arg(ShownTestPath(FSprav.Files[static_cast<std::size_t>(position)]->Path)));
    FSprav.DeleteTestFile(position);
    return outcome;
}

// ---------------------------------------------------------------------------------------------------------
// The names.

TBookOutcome TBook::AddName(const QString& typed, const QString& description) {
    TBookOutcome outcome;
    const TRunning running(*this, outcome);
    SetModified();
    outcome.Attempted = false;
    if (typed.isEmpty()) {
        outcome.Refusals.push_back(QStringLiteral("Введите название микросхемы (аналога)."));
        return outcome;
    }
    const std::optional<std::string> name = TakeName(typed, outcome);
    // The description edit only ever shows text that came from the book or from a checked dialog.
    const std::string descPath = platform::ToCp1251(description).value_or(std::string());
    if (!name || !FitsSinonimLine(*name, descPath, outcome) || !FitsLineCount(*name, outcome)) {
        return outcome;
    }
    outcome.Attempted = true;
    const TBookStep step(FHistory, QStringLiteral("добавление «%1»").arg(typed));
    outcome.Added = FSprav.AddSinonimWithDesc(*name, descPath) != nullptr ? 1 : 0;
    return outcome;
}

TBookOutcome TBook::RenameName(int position, const QString& typed, const QString& description) {
    TBookOutcome outcome;
    const TRunning running(*this, outcome);
    SetModified();
    const std::optional<std::string> name = TakeName(typed, outcome);
    const std::string descPath = platform::ToCp1251(description).value_or(std::string());
    if (!name || !FitsSinonimLine(*name, descPath, outcome)) {
        outcome.Attempted = false;
        return outcome;
    }
    const TSpravSinonim* before = FSprav.GetSinonim(FSprav.CurrentFile, position);
    const QString old = before != nullptr ? FromCp1251(before->Name) : QString();
    const TBookStep step(FHistory, old == typed ? QStringLiteral("изменение «%1»").arg(old)
                                                : QStringLiteral("переименование «%1» в «%2»").arg(old, typed));
    outcome.Added = FSprav.ChangeSinonim(FSprav.CurrentFile, position, *name, descPath) < 0 ? 0 : 1;
    return outcome;
}

TBookOutcome TBook::DeleteName(int position) {
    TBookOutcome outcome;
    const TRunning running(*this, outcome);
    SetModified();
    const TSpravSinonim* doomed = FSprav.GetSinonim(FSprav.CurrentFile, position);
    const TBookStep step(FHistory,
                         QStringLiteral("удаление «%1»").arg(doomed != nullptr ? FromCp1251(doomed->Name) : QString()));
    FSprav.DeleteSinonim(position);
    return outcome;
}

TBookOutcome TBook::ChooseDescription(int position, const QString& typed, const std::string& path) {
    TBookOutcome outcome;
    const TRunning running(*this, outcome);
    const TSpravSinonim* selected = FSprav.GetSinonim(FSprav.CurrentFile, position);
    if (selected == nullptr || document::FoldedName(selected->Name) != typed.toCaseFolded()) {
        outcome.Attempted = false;
        return outcome;
    }
    const std::string name = selected->Name;
    if (!FitsSinonimLine(name, path, outcome)) {
        outcome.Attempted = false;
        return outcome;
    }
    SetModified();
    const TBookStep step(FHistory, QStringLiteral("выбор файла описания для «%1»").arg(FromCp1251(name)));
    outcome.Added = FSprav.ChangeSinonim(FSprav.CurrentFile, position, name, path) < 0 ? 0 : 1;
    return outcome;
}

// ---------------------------------------------------------------------------------------------------------
// The prefix pass.

std::vector<bool> TBook::ListedMarks(const QString& typed, const std::vector<TPrefixEntry>& entries) const {
    std::vector<bool> marks(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        marks[i] = FNameList.FindName(entries[i].Text + typed) >= 0;
    }
    return marks;
}

// Names added in the pass are not looked for again until its end, so the same prefix marked twice adds its
// name twice.
TBookOutcome TBook::PrefixPass(const QString& stepText, const QString& typedText,
                               const std::vector<TPrefixEntry>& entries, std::vector<bool>& marks) {
    TBookOutcome outcome;
    const TRunning running(*this, outcome);
    marks.resize(entries.size());
    if (typedText.isEmpty()) {
        std::fill(marks.begin(), marks.end(), false);
        outcome.Attempted = false;
        return outcome;
    }
    const std::optional<std::string> typed = platform::ToCp1251(typedText);
    if (!typed) {
        // No listed name can hold such text, so nothing is removed; a marked entry would add one.
        if (std::find(marks.begin(), marks.end(), true) != marks.end()) {
            outcome.Refusals.push_back(document::UnstorableNameText());
            SetModified();
        }
        marks = ListedMarks(typedText, entries);
        outcome.Attempted = false;
        return outcome;
    }
    const TBookStep step(FHistory, stepText);
    // Each refusal of the whole pass is said once, not once per prefix.
    bool bookFull = false;
    bool refused = false;
    // The names as the list showed them when the pass began or last took a name away.
    QHash<QString, int> shown = FNameList.Lookup();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string generated = prefix_names::GeneratedName(entries[i].Bytes, *typed);
        const int listed = shown.value((entries[i].Text + typedText).toCaseFolded(), -1);
        const TSpravSinonim* listedName = FSprav.GetSinonim(FSprav.CurrentFile, listed);
        switch (prefix_names::PassStep(marks[i], generated, listed,
                                       listedName != nullptr ? listedName->Name : std::string())) {
            case prefix_names::Step::Add:
                // A name the book file cannot hold is refused as a typed one is: the model says so for its
                // characters, the line check for its length (a generated name has no description path).
                if (!bookFull && FitsSinonimLine(generated, std::string(), outcome)) {
                    bookFull = !FitsLineCount(generated, outcome);
                    if (!bookFull && FSprav.AddSinonim(generated) != nullptr) {
                        ++outcome.Added;
                    }
                }
                SetModified();
                break;
            case prefix_names::Step::Refuse:
                refused = true;
                SetModified();
                break;
            case prefix_names::Step::Remove:
                SetModified();
                FSprav.DeleteSinonim(listed);
                shown = FNameList.Lookup();
                marks = ListedMarks(typedText, entries);
                break;
            case prefix_names::Step::Keep:
                break;
        }
    }
    if (refused) {
        outcome.Refusals.push_back(document::ControlCharacterRefusal());
    }
    Gather(outcome.Refusals);
    return outcome;
}

TBookOutcome TBook::MarkAllPrefixes(const QString& typed, const std::vector<TPrefixEntry>& entries,
                                    std::vector<bool>& marks) {
    marks.assign(entries.size(), true);
    return PrefixPass(QStringLiteral("отметка всех префиксов"), typed, entries, marks);
}

// While every mark shows whether its name is listed, a pass after one entry is unmarked can only take away
// that entry's name: the first listed name equal to it with letter case ignored, when that one is the same
// byte for byte. This does so for each entry from `from` on, as those passes one after another would, in one
// sweep over the names.
void TBook::RemoveGeneratedNames(std::size_t from, const std::string& typed, const QString& typedText,
                                 const std::vector<TPrefixEntry>& entries) {
    const auto& sinonims = FSprav.CurrentFile->Sinonims;
    // For each name as the lookup folds it, the positions of the names still listed, first one first.
    QHash<QString, std::deque<std::size_t>> listed;
    listed.reserve(static_cast<qsizetype>(sinonims.size()));
    for (std::size_t i = 0; i < sinonims.size(); ++i) {
        listed[document::FoldedName(sinonims[i]->Name)].push_back(i);
    }
    std::vector<bool> removed(sinonims.size(), false);
    for (std::size_t i = from; i < entries.size(); ++i) {
        const auto found = listed.find((entries[i].Text + typedText).toCaseFolded());
        if (found == listed.end() || found->empty()) {
            continue;
        }
        const std::size_t first = found->front();
        const std::string generated = prefix_names::GeneratedName(entries[i].Bytes, typed);
        if (prefix_names::PassStep(false, generated, static_cast<int>(first), sinonims[first]->Name) ==
            prefix_names::Step::Remove) {
            removed[first] = true;
            found->pop_front();
        }
    }
    std::vector<int> positions;
    for (std::size_t i = 0; i < removed.size(); ++i) {
        if (removed[i]) {
            positions.push_back(static_cast<int>(i));
        }
    }
    if (!positions.empty()) {
        SetModified();
        FSprav.RemoveSinonims(*FSprav.CurrentFile, positions);
    }
}

TBookOutcome TBook::UnmarkAllPrefixes(const QString& typedText, const std::vector<TPrefixEntry>& entries,
                                      std::vector<bool>& marks) {
    TBookOutcome outcome;
    const TRunning running(*this, outcome);
    const QString stepText = QStringLiteral("снятие отметки со всех префиксов");
    const TBookStep step(FHistory, stepText);
    marks.resize(entries.size());
    if (entries.empty()) {
        outcome.Attempted = false;
        return outcome;
    }
    marks[0] = false;
    const std::optional<std::string> typed = platform::ToCp1251(typedText);
    const bool namesCanGo = !typedText.isEmpty() && typed && FSprav.CurrentFile != nullptr;
    const auto marksShowListedNames = [&](std::size_t from) {
        for (std::size_t i = from; i < entries.size(); ++i) {
            if (marks[i] != (FNameList.FindName(entries[i].Text + typedText) >= 0)) {
                return false;
            }
        }
        return true;
    };
    if (namesCanGo && marksShowListedNames(1)) {
        RemoveGeneratedNames(0, *typed, typedText, entries);
    } else {
        // Marks not yet recomputed (after a load, say) may add or take away names of other entries: the
        // first pass runs in full, and leaves every mark showing whether its name is listed. With no name
        // typed, one the book cannot hold, or no test file current, the later passes change nothing.
        TBookOutcome first = PrefixPass(stepText, typedText, entries, marks);
        outcome.Refusals.insert(outcome.Refusals.end(), first.Refusals.begin(), first.Refusals.end());
        outcome.Added = first.Added;
        outcome.Attempted = first.Attempted || namesCanGo;
        if (namesCanGo) {
            RemoveGeneratedNames(1, *typed, typedText, entries);
        }
    }
    marks = ListedMarks(typedText, entries);
    Gather(outcome.Refusals);
    return outcome;
}

// ---------------------------------------------------------------------------------------------------------
// Undo and redo.

void TBook::Undo() {
    if (FHistory.CanUndo()) {
        FHistory.Undo();
        SetModified(!FHistory.IsClean());
    }
}

void TBook::Redo() {
    if (FHistory.CanRedo()) {
        FHistory.Redo();
        SetModified(!FHistory.IsClean());
    }
}

// ---------------------------------------------------------------------------------------------------------
// Steps played onto another copy of the book.

namespace {

using Change = TBookHistory::Change;
using Kind = TBookHistory::Change::Kind;

// The position of the analog named `name`, looked for first where it was, then from the top; -1: none.
// Positions in `taken` are already spoken for.
int FindName(const TSpravFile& file, const std::string& name, int where, const std::vector<int>& taken) {
    const auto free = [&taken](int i) { return std::find(taken.begin(), taken.end(), i) == taken.end(); };
    const auto& names = file.Sinonims;
    if (where >= 0 && static_cast<std::size_t>(where) < names.size() &&
        names[static_cast<std::size_t>(where)]->Name == name && free(where)) {
        return where;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i]->Name == name && free(static_cast<int>(i))) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

const QString kNoSuchTestFile = QStringLiteral("этого тестового файла в справочнике уже нет");
const QString kNoSuchName = QStringLiteral("этого аналога в справочнике уже нет");
const QString kBookFull = QStringLiteral("справочник не вместит больше %1 строк").arg(book_lines::kMaxLines);

}  // namespace

int TBook::OccurrenceOf(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= FSprav.Files.size()) {
        return 0;
    }
    const std::string& path = FSprav.Files[static_cast<std::size_t>(index)]->Path;
    return static_cast<int>(std::count_if(FSprav.Files.begin(), FSprav.Files.begin() + index,
                                          [&path](const auto& file) { return file->Path == path; }));
}

int TBook::FindTestFile(const std::string& path, int occurrence, bool orLast) const {
    int seen = 0;
    int last = -1;
    for (std::size_t i = 0; i < FSprav.Files.size(); ++i) {
        if (FSprav.Files[i]->Path == path) {
            if (seen++ == occurrence) {
                return static_cast<int>(i);
            }
            last = static_cast<int>(i);
        }
    }
    return orLast ? last : -1;
}

// Plays one change onto the book, finding its test file by path and its analogs by name. Empty when it was
// made or was there already; otherwise why it can no longer be made.
QString TBook::ReplayChange(const Change& change) {
    const int file = FindTestFile(change.Path, change.Occurrence);
    switch (change.What) {
        case Kind::InsertFile: {
            if (file >= 0) {
                return {};  // added by the other too
            }
            if (FSprav.LineCount() + 1 + change.Names.size() > book_lines::kMaxLines) {
                return kBookFull;
            }
            Change at = change;
            at.File = std::clamp(change.File, 0, static_cast<int>(FSprav.Files.size()));
            TBookHistory::Make(FSprav, at);
            return {};
        }
        case Kind::RemoveFile: {
            if (file < 0) {
                return kNoSuchTestFile;
            }
            // Names the other added to the test file would go with it: that is not this step's to decide.
            std::vector<int> taken;
            for (const TSpravSinonim& name : change.Names) {
                const int at = FindName(*FSprav.Files[static_cast<std::size_t>(file)], name.Name, -1, taken);
                if (at >= 0) {
                    taken.push_back(at);
                }
            }
            if (taken.size() != FSprav.Files[static_cast<std::size_t>(file)]->Sinonims.size()) {
                return QStringLiteral("в этот тестовый файл добавлены другие названия");
            }
            FSprav.TakeTestFile(file);
            return {};
        }
        case Kind::InsertNames: {
            if (file < 0) {
                return kNoSuchTestFile;
            }
            // No book holds more names than that: no need to look for each of them first.
            if (change.Names.size() > book_lines::kMaxLines) {
                return kBookFull;
            }
            TSpravFile& entry = *FSprav.Files[static_cast<std::size_t>(file)];
            std::vector<int> taken;
            bool allThere = true;
            for (const TSpravSinonim& name : change.Names) {
                const int at = FindName(entry, name.Name, -1, taken);
                allThere = allThere && at >= 0;
                taken.push_back(at);
            }
            if (allThere) {
                return {};  // the same names added by both
            }
            if (FSprav.LineCount() + change.Names.size() > book_lines::kMaxLines) {
                return kBookFull;
            }
            Change at = change;
            at.File = file;
            at.Position = std::clamp(change.Position, 0, static_cast<int>(entry.Sinonims.size()));
            TBookHistory::Make(FSprav, at);
            return {};
        }
        case Kind::RemoveNames: {
            if (file < 0) {
                return kNoSuchTestFile;
            }
            TSpravFile& entry = *FSprav.Files[static_cast<std::size_t>(file)];
            std::vector<int> positions;
            for (std::size_t i = 0; i < change.Names.size(); ++i) {
                // Where the analog stood, when that is a position at all (a journal may say anything).
                const long long where = static_cast<long long>(change.Position) + static_cast<long long>(i);
                const int at = FindName(entry, change.Names[i].Name,
                                        where >= 0 && where <= INT_MAX ? static_cast<int>(where) : -1, positions);
                if (at < 0) {
                    return kNoSuchName;
                }
                positions.push_back(at);
            }
            std::sort(positions.begin(), positions.end());
            FSprav.RemoveSinonims(entry, positions);
            return {};
        }
        case Kind::ChangeName: {
            if (file < 0) {
                return kNoSuchTestFile;
            }
            TSpravFile& entry = *FSprav.Files[static_cast<std::size_t>(file)];
            const TSpravSinonim& before = change.Names[0];
            const TSpravSinonim& after = change.Names[1];
            const int at = FindName(entry, before.Name, change.Position, {});
            if (at >= 0 && entry.Sinonims[static_cast<std::size_t>(at)]->DescPath == before.DescPath) {
                FSprav.SetSinonim(entry, at, after.Name, after.DescPath);
                return {};
            }
            const int done = FindName(entry, after.Name, change.Position, {});
            if (done >= 0 && entry.Sinonims[static_cast<std::size_t>(done)]->DescPath == after.DescPath) {
                return {};  // renamed the same way by the other
            }
            return at >= 0 ? QStringLiteral("этот аналог уже изменён по-другому") : kNoSuchName;
        }
    }
    return {};
}

// True when the change can be made exactly where it was made: the book still has that place, and what
// the change takes away or renames is there.
bool TBook::FitsInPlace(const Change& change) const {
    const auto& files = FSprav.Files;
    const TSpravFile* file = change.File >= 0 && static_cast<std::size_t>(change.File) < files.size()
                                 ? files[static_cast<std::size_t>(change.File)].get()
                                 : nullptr;
    const auto namesAt = [&file](int position, const std::vector<TSpravSinonim>& names) {
        if (position < 0 || static_cast<std::size_t>(position) + names.size() > file->Sinonims.size()) {
            return false;
        }
        for (std::size_t i = 0; i < names.size(); ++i) {
            const TSpravSinonim& there = *file->Sinonims[static_cast<std::size_t>(position) + i];
            if (there.Name != names[i].Name || there.DescPath != names[i].DescPath) {
                return false;
            }
        }
        return true;
    };
    if (change.What == Kind::InsertFile) {
        return change.File >= 0 && static_cast<std::size_t>(change.File) <= files.size() &&
               FSprav.LineCount() + 1 + change.Names.size() <= book_lines::kMaxLines;
    }
    if (file == nullptr || file->Path != change.Path) {
        return false;
    }
    switch (change.What) {
        case Kind::RemoveFile:
            return file->Sinonims.size() == change.Names.size() && namesAt(0, change.Names);
        case Kind::InsertNames:
            return change.Position >= 0 && static_cast<std::size_t>(change.Position) <= file->Sinonims.size() &&
                   FSprav.LineCount() + change.Names.size() <= book_lines::kMaxLines;
        case Kind::RemoveNames:
            return namesAt(change.Position, change.Names);
        case Kind::ChangeName:
            return namesAt(change.Position, {change.Names[0]});
        case Kind::InsertFile:
            break;
    }
    return false;
}

std::vector<QString> TBook::Replay(const std::vector<TBookHistory::Move>& moves, bool exact) {
    std::vector<QString> skipped;
    for (const TBookHistory::Move& move : moves) {
        TBookStep step(FHistory, move.Text);
        QString reason;
        const auto play = [&](const Change& change) {
            if (reason.isEmpty()) {
                const Change played = move.Forward ? change : TBookHistory::Reversed(change);
                if (exact && FitsInPlace(played)) {
                    TBookHistory::Make(FSprav, played);
                } else {
                    reason = ReplayChange(played);
                }
            }
        };
        if (move.Forward) {
            std::for_each(move.Changes.begin(), move.Changes.end(), play);
        } else {
            std::for_each(move.Changes.rbegin(), move.Changes.rend(), play);
        }
        if (!reason.isEmpty()) {
            // A step is played whole or not at all.
            FHistory.AbandonOpenStep();
            QString text = move.Forward ? move.Text : QStringLiteral("отмена: %1").arg(move.Text);
            if (!text.isEmpty()) {
                text[0] = text[0].toUpper();
            }
            skipped.push_back(text + QStringLiteral(": ") + reason);
        }
    }
    return skipped;
}

TBookMerge TBook::MergeWithFile(const std::vector<TBookHistory::Move>& moves) {
    TBookMerge merge;
    const std::string path = FSpravFileName;
    TBookRead read = ReadBook(path);
    if (!read.Result.Ok()) {
        // Another program may still be writing it: the book stays as it is.
        merge.Failure = document::LoadFailureText(path, read.Result);
        return merge;
    }
    Take(path, read);
    merge.Ok = true;
    merge.Skipped = Replay(moves);
    SetModified(FHistory.CanUndo() || !merge.Skipped.empty());
    return merge;
}

std::optional<std::vector<TBookHistory::Move>> TBook::UnsavedMoves() const {
    if (std::optional<std::vector<TBookHistory::Move>> moves = FHistory.UnsavedMoves()) {
        return moves;
    }
    // A journal with a record missing would play a different book.
    if (FJournal == nullptr || FJournal->Path().isEmpty() || FJournal->Failed()) {
        return std::nullopt;
    }
    QFile file(FJournal->Path());
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    std::optional<recovery::TJournal> journal = recovery::Parse(std::string_view(bytes.constData(), bytes.size()));
    if (!journal) {
        return std::nullopt;
    }
    return std::move(journal->Moves);
}

bool TBook::Reread() {
    const std::string path = FSpravFileName;
    TBookRead read = ReadBook(path);
    if (!read.Result.Ok()) {
        return false;
    }
    Take(path, read);
    return true;
}

// ---------------------------------------------------------------------------------------------------------
// The recovery journal and the watch on the book file.

void TBook::EnableRecovery(const QString& folder) {
    FJournal = std::make_unique<recovery::TJournalWriter>(folder);
    BeginJournal();
}

void TBook::BeginJournal() {
    if (FJournal == nullptr) {
        return;
    }
    const FileStamp& stamp = FSharedBook.Stamp();
    const bool read = stamp.Known && !FNew && FSharedBook.Path() == FSpravFileName;
    FJournal->Begin(read ? FSpravFileName : std::string(), read ? stamp.Size : 0, read ? stamp.Hash : 0);
}

void TBook::SetUnsavedComment(const std::optional<recovery::TComment>& comment) {
    if (FJournal != nullptr) {
        FJournal->SetComment(comment);
    }
}

void TBook::DiscardJournal() {
    if (FJournal != nullptr) {
        FJournal->Discard();
    }
}

// A file replaced by renaming another over it leaves the watch: it is watched anew after every change.
void TBook::Watch() {
    if (FWatcher == nullptr) {
        FWatcher = std::make_unique<QFileSystemWatcher>();
        connect(FWatcher.get(), &QFileSystemWatcher::fileChanged, this, [this] {
            Watch();
            if (!FNew && ChangedByAnother(FSpravFileName)) {
                emit ChangedOnDisk();
            }
        });
    }
    if (!FWatcher->files().isEmpty()) {
        FWatcher->removePaths(FWatcher->files());
    }
    if (!FNew && !FSpravFileName.empty()) {
        FWatcher->addPath(platform::ToOsPathText(FSpravFileName));
    }
}
