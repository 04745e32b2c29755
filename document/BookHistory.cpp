#include "document/BookHistory.h"

#include <QtGlobal>

#include <algorithm>
#include <numeric>
#include <utility>

namespace {

std::vector<TSpravSinonim> Copies(const TSpravFile& file, int first, int last) {
    std::vector<TSpravSinonim> copies;
    copies.reserve(static_cast<std::size_t>(last - first + 1));
    for (int i = first; i <= last; ++i) {
        copies.push_back(*file.Sinonims[static_cast<std::size_t>(i)]);
    }
    return copies;
}

std::vector<std::unique_ptr<TSpravSinonim>> Entries(const std::vector<TSpravSinonim>& names) {
    std::vector<std::unique_ptr<TSpravSinonim>> entries;
    entries.reserve(names.size());
    for (const TSpravSinonim& name : names) {
        entries.push_back(std::make_unique<TSpravSinonim>(name));
    }
    return entries;
}

// What one kept analog costs: the entry and, beyond the strings' own bytes, what the heap takes for each.
constexpr std::size_t kPerName = sizeof(TSpravSinonim) + 2 * 16;

std::size_t HeldBytes(const QString& text, const std::vector<TBookHistory::Change>& changes) {
    std::size_t bytes = sizeof(TBookHistory::Change) + static_cast<std::size_t>(text.size()) * sizeof(QChar);
    for (const TBookHistory::Change& change : changes) {
        bytes += sizeof(TBookHistory::Change) + change.Path.size();
        for (const TSpravSinonim& name : change.Names) {
            bytes += kPerName + name.Name.size() + name.DescPath.size();
        }
    }
    return bytes;
}

std::function<void()>& StrayChangeHandler() {
    static std::function<void()> handler = [] {
        qWarning("The book changed outside any step of its history; the history starts afresh.");
        Q_ASSERT_X(false, "TBookHistory", "the book changed outside any step");
    };
    return handler;
}

std::vector<int> Run(int first, std::size_t count) {
    std::vector<int> positions(count);
    std::iota(positions.begin(), positions.end(), first);
    return positions;
}

}  // namespace

TBookHistory::TBookHistory(TSprav& sprav, QObject* parent) : QObject(parent), FSprav(sprav) {
    FSprav.AddListener(this);
}

TBookHistory::~TBookHistory() {
    FSprav.RemoveListener(this);
}

void TBookHistory::Begin(const QString& text) {
    if (FDepth++ == 0) {
        FText = text;
        FChanges.clear();
    }
}

void TBookHistory::End() {
    if (--FDepth > 0 || FChanges.empty()) {
        return;
    }
    Step step{FText, std::move(FChanges)};
    FChanges.clear();
    step.Bytes = ::HeldBytes(step.Text, step.Changes);
    step.Id = FNextId++;
    Push(std::move(step));
    Tell(FSteps.back(), true);
    emit StepsChanged();
}

void TBookHistory::Push(Step step) {
    // The undone steps are no longer reachable once a new one is taken.
    while (FSteps.size() > FIndex) {
        FHeldBytes -= FSteps.back().Bytes;
        FSteps.pop_back();
    }
    if (FClean > static_cast<std::ptrdiff_t>(FIndex)) {
        FClean = -1;
    }
    FHeldBytes += step.Bytes;
    FSteps.push_back(std::move(step));
    ++FIndex;
    while (FHeldBytes > FByteLimit && FSteps.size() > 1) {
        DropOldest();
    }
}

void TBookHistory::DropOldest() {
    FHeldBytes -= FSteps.front().Bytes;
    FSteps.pop_front();
    --FIndex;
    // The state the book was saved in lay below the dropped step: no undo reaches it any more.
    FClean = FClean > 0 ? FClean - 1 : -1;
}

void TBookHistory::SetByteLimit(std::size_t bytes) {
    FByteLimit = bytes;
    const std::size_t before = FSteps.size();
    while (FHeldBytes > FByteLimit && FSteps.size() > 1) {
        DropOldest();
    }
    if (FSteps.size() != before) {
        emit StepsChanged();
    }
}

QString TBookHistory::UndoText() const {
    return CanUndo() ? FSteps[FIndex - 1].Text : QString();
}

QString TBookHistory::RedoText() const {
    return CanRedo() ? FSteps[FIndex].Text : QString();
}

void TBookHistory::Undo() {
    if (!CanUndo()) {
        return;
    }
    --FIndex;
    Apply(FSteps[FIndex].Changes, false);
    Tell(FSteps[FIndex], false);
    emit StepsChanged();
}

void TBookHistory::Redo() {
    if (!CanRedo()) {
        return;
    }
    ++FIndex;
    Apply(FSteps[FIndex - 1].Changes, true);
    Tell(FSteps[FIndex - 1], true);
    emit StepsChanged();
}

void TBookHistory::Tell(const Step& step, bool forward) const {
    if (FMoveObserver) {
        FMoveObserver({step.Id, step.Text, step.Changes, forward});
    }
}

std::optional<std::vector<TBookHistory::Move>> TBookHistory::UnsavedMoves() const {
    if (FClean < 0) {
        return std::nullopt;
    }
    const auto clean = static_cast<std::size_t>(FClean);
    std::vector<Move> moves;
    for (std::size_t i = clean; i < FIndex; ++i) {
        moves.push_back({FSteps[i].Id, FSteps[i].Text, FSteps[i].Changes, true});
    }
    for (std::size_t i = clean; i > FIndex; --i) {
        moves.push_back({FSteps[i - 1].Id, FSteps[i - 1].Text, FSteps[i - 1].Changes, false});
    }
    return moves;
}

void TBookHistory::AbandonOpenStep() {
    if (FDepth == 0) {
        return;
    }
    // Taken back quietly: the step never happened, so there is nothing for the window to show.
    Apply(FChanges, false, false);
    FChanges.clear();
}

int TBookHistory::Occurrence(int index) const {
    int count = 0;
    const std::string& path = FSprav.Files[static_cast<std::size_t>(index)]->Path;
    for (int i = 0; i < index; ++i) {
        count += FSprav.Files[static_cast<std::size_t>(i)]->Path == path ? 1 : 0;
    }
    return count;
}

void TBookHistory::SetClean() {
    FClean = static_cast<std::ptrdiff_t>(FIndex);
    emit StepsChanged();
}

bool TBookHistory::IsClean() const {
    return FClean == static_cast<std::ptrdiff_t>(FIndex);
}

void TBookHistory::Restart(const std::function<void()>& change) {
    FRestarting = true;
    change();
    FRestarting = false;
    FSteps.clear();
    FIndex = 0;
    FClean = 0;
    FHeldBytes = 0;
    emit StepsChanged();
}

void TBookHistory::SetStrayChangeHandler(std::function<void()> handler) {
    StrayChangeHandler() = std::move(handler);
}

void TBookHistory::Stray() {
    if (StrayChangeHandler()) {
        StrayChangeHandler()();
    }
    FSteps.clear();
    FIndex = 0;
    FClean = -1;
    FHeldBytes = 0;
    emit StepsChanged();
}

void TBookHistory::Record(Change change) {
    if (FApplying || FRestarting) {
        return;
    }
    if (FDepth == 0) {
        Stray();
        return;
    }
    // Names added one after another at the end of one list (a prefix pass) are one change.
    if (change.What == Change::Kind::InsertNames && !FChanges.empty()) {
        Change& last = FChanges.back();
        if (last.What == Change::Kind::InsertNames && last.File == change.File &&
            last.Position + static_cast<int>(last.Names.size()) == change.Position) {
            last.Names.insert(last.Names.end(), change.Names.begin(), change.Names.end());
            return;
        }
    }
    FChanges.push_back(std::move(change));
}

int TBookHistory::FileIndex(const TSpravFile& file) {
    const auto& files = FSprav.Files;
    if (FLastFile != &file || FLastIndex < 0 || static_cast<std::size_t>(FLastIndex) >= files.size() ||
        files[static_cast<std::size_t>(FLastIndex)].get() != &file) {
        const auto found = std::find_if(files.begin(), files.end(),
                                        [&file](const auto& entry) { return entry.get() == &file; });
        FLastFile = &file;
        FLastIndex = found == files.end() ? -1 : static_cast<int>(found - files.begin());
        FLastOccurrence = FLastIndex < 0 ? 0 : Occurrence(FLastIndex);
    }
    return FLastIndex;
}

TBookHistory::Change TBookHistory::NamesChange(Change::Kind kind, const TSpravFile& file, int position,
                                               std::vector<TSpravSinonim> names) {
    const int index = FileIndex(file);
    return {kind, index, position, file.Path, FLastOccurrence, std::move(names)};
}

void TBookHistory::FilesAboutToBeInserted(int first, int last) {
    FInsertFirst = first;
    FInsertLast = last;
}

void TBookHistory::FilesInserted() {
    FLastFile = nullptr;
    if (FApplying) {
        return;
    }
    for (int i = FInsertFirst; i <= FInsertLast; ++i) {
        const TSpravFile& file = *FSprav.Files[static_cast<std::size_t>(i)];
        const int last = static_cast<int>(file.Sinonims.size()) - 1;
        Record({Change::Kind::InsertFile, i, -1, file.Path, Occurrence(i), Copies(file, 0, last)});
    }
}

void TBookHistory::FilesAboutToBeRemoved(int first, int last) {
    FLastFile = nullptr;
    if (FApplying) {
        return;
    }
    // The last first: played back, each removal leaves the positions of those before it as they were.
    for (int i = last; i >= first; --i) {
        const TSpravFile& file = *FSprav.Files[static_cast<std::size_t>(i)];
        const int lastName = static_cast<int>(file.Sinonims.size()) - 1;
        Record({Change::Kind::RemoveFile, i, -1, file.Path, Occurrence(i), Copies(file, 0, lastName)});
    }
}

void TBookHistory::SinonimsAboutToBeInserted(const TSpravFile&, int first, int last) {
    FInsertFirst = first;
    FInsertLast = last;
}

void TBookHistory::SinonimsInserted(const TSpravFile& file) {
    if (FApplying) {
        return;
    }
    Record(NamesChange(Change::Kind::InsertNames, file, FInsertFirst, Copies(file, FInsertFirst, FInsertLast)));
}

void TBookHistory::SinonimsAboutToBeRemoved(const TSpravFile& file, int first, int last) {
    if (FApplying) {
        return;
    }
    Record(NamesChange(Change::Kind::RemoveNames, file, first, Copies(file, first, last)));
}

void TBookHistory::SinonimAboutToBeChanged(const TSpravFile& file, int position) {
    FBefore = *file.Sinonims[static_cast<std::size_t>(position)];
}

void TBookHistory::SinonimChanged(const TSpravFile& file, int position) {
    if (FApplying) {
        return;
    }
    const TSpravSinonim& after = *file.Sinonims[static_cast<std::size_t>(position)];
    if (after.Name == FBefore.Name && after.DescPath == FBefore.DescPath) {
        return;
    }
    Record(NamesChange(Change::Kind::ChangeName, file, position, {FBefore, after}));
}

void TBookHistory::BookReset() {
    FLastFile = nullptr;
    if (!FApplying && !FRestarting) {
        Stray();
    }
}

TBookHistory::Change TBookHistory::Reversed(const Change& change) {
    Change reversed = change;
    switch (change.What) {
        case Change::Kind::InsertFile:
            reversed.What = Change::Kind::RemoveFile;
            break;
        case Change::Kind::RemoveFile:
            reversed.What = Change::Kind::InsertFile;
            break;
        case Change::Kind::InsertNames:
            reversed.What = Change::Kind::RemoveNames;
            break;
        case Change::Kind::RemoveNames:
            reversed.What = Change::Kind::InsertNames;
            break;
        case Change::Kind::ChangeName:
            std::swap(reversed.Names[0], reversed.Names[1]);
            break;
    }
    return reversed;
}

void TBookHistory::Make(TSprav& sprav, const Change& change) {
    switch (change.What) {
        case Change::Kind::InsertFile: {
            auto file = std::make_unique<TSpravFile>();
            file->Path = change.Path;
            file->Sinonims = Entries(change.Names);
            sprav.InsertTestFile(change.File, std::move(file));
            break;
        }
        case Change::Kind::RemoveFile:
            sprav.TakeTestFile(change.File);
            break;
        case Change::Kind::InsertNames:
            sprav.InsertSinonims(*sprav.Files[static_cast<std::size_t>(change.File)], change.Position,
                                 Entries(change.Names));
            break;
        case Change::Kind::RemoveNames:
            sprav.RemoveSinonims(*sprav.Files[static_cast<std::size_t>(change.File)],
                                 Run(change.Position, change.Names.size()));
            break;
        case Change::Kind::ChangeName:
            sprav.SetSinonim(*sprav.Files[static_cast<std::size_t>(change.File)], change.Position,
                             change.Names[1].Name, change.Names[1].DescPath);
            break;
    }
}

void TBookHistory::Apply(const std::vector<Change>& changes, bool forward, bool show) {
    if (changes.empty()) {
        return;
    }
    FApplying = true;
    const auto apply = [this, forward](const Change& change) { Make(FSprav, forward ? change : Reversed(change)); };
    if (forward) {
        std::for_each(changes.begin(), changes.end(), apply);
    } else {
        std::for_each(changes.rbegin(), changes.rend(), apply);
    }
    FApplying = false;
    // Undone, the step shows where it began; redone, where it ended.
    const Change& shown = forward ? changes.back() : changes.front();
    const bool aboutNames = shown.What != Change::Kind::InsertFile && shown.What != Change::Kind::RemoveFile;
    if (show) {
        emit Applied(shown.File, aboutNames ? shown.Position : -1);
    }
}

TBookStep::TBookStep(TBookHistory& history, const QString& text) : FHistory(history) {
    FHistory.Begin(text);
}

TBookStep::~TBookStep() {
    FHistory.End();
}

void TBookStep::SetText(const QString& text) {
    if (FHistory.FDepth == 1) {
        FHistory.FText = text;
    }
}
