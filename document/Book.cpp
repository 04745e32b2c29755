#include "document/Book.h"

#include <QHash>

#include <algorithm>
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
}

void TBook::New() {
    Clear();
    SetModified(false);
    FNew = true;
}

TBookLoad TBook::Load(const std::string& path) {
    std::string read;
    sprav_file::ReadResult result;
    FHistory.Restart([&] {
        FSprav.ClearAll();
        result = sprav_file::Load(platform::ToOsPath(path), FSprav, FDirs.Tests, &read);
    });
    SetModified(false);
    FNew = false;
    TBookLoad load;
    if (!result.Ok()) {
        load.Failure = document::LoadFailureText(path, result);
        SetSpravFileName({});
        FSharedBook.Forget();
        return load;
    }
    load.Ok = true;
    SetSpravFileName(path);
    FSharedBook.Remember(path, read);
    // A book another program wrote may hold an entry this editor could not write back as it stands: the
    // user learns of it now, by name, rather than at every save.
    const sprav_file::WriteResult savable = sprav_file::CheckSavable(FSprav, FDirs);
    if (!savable.Ok()) {
        load.Notice = document::UnsavableBookText(savable);
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
                                 const std::function<bool(const std::string&)>& addAgain) {
    TBookOutcome outcome;
    const TRunning running(*this, outcome);
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
        if (listed && !addAgain(stored)) {
            continue;
        }
        FSprav.AddTestFile(stored);
        ++lines;
    }
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
