#include "core/Sprav.h"

#include <algorithm>
#include <utility>

bool IsStorableSinonimName(std::string_view name) {
    if (!name.empty() && name.front() == ' ') {
        return false;
    }
    // A loop without an early exit rather than find_first_of with a set, which calls memchr once per
    // character of the name and made loading and saving a large book several times slower.
    // Any byte below 0x20, not only a line break: the reader refuses a book that holds one.
    bool found = false;
    for (const char ch : name) {
        found |= (ch == '|') | (static_cast<unsigned char>(ch) < 0x20);
    }
    return !found;
}

template <class Call>
void TSprav::Tell(Call call) const {
    if (FResetting) {
        return;
    }
    for (TSpravListener* listener : FListeners) {
        call(*listener);
    }
}

void TSprav::AddListener(TSpravListener* listener) {
    FListeners.push_back(listener);
}

void TSprav::RemoveListener(TSpravListener* listener) {
    std::erase(FListeners, listener);
}

void TSprav::ShowMessage(const char* utf8Text) const {
    if (OnMessage) {
        OnMessage(utf8Text);
    }
}

std::size_t TSprav::LineCount() const {
    std::size_t lines = Files.size();
    for (const auto& file : Files) {
        lines += file->Sinonims.size();
    }
    return lines;
}

void TSprav::SetCurrent(TSpravFile* file, int position) {
    const bool changed = file != CurrentFile;
    CurrentFile = file;
    FCurrentFileIndex = position;
    if (changed) {
        Tell([](TSpravListener& listener) { listener.CurrentFileChanged(); });
    }
}

void TSprav::SetCurrentFile(int position) {
    if (position < 0) {
        SetCurrent(nullptr, -1);
        CurrentSinonimIndex = -1;
        return;
    }
    if (static_cast<size_t>(position) >= Files.size()) {
        return;
    }
    const int oldIndex = FCurrentFileIndex;
    SetCurrent(Files[position].get(), position);
    // Selecting the same test file again keeps its current analog; a different one starts at its first.
    if (position != oldIndex && !CurrentFile->Sinonims.empty()) {
        CurrentSinonimIndex = 0;
    }
}

void TSprav::AddTestFile(std::string path) {
    auto entry = std::make_unique<TSpravFile>();
    entry->Path = std::move(path);
    const int position = static_cast<int>(Files.size());
    Tell([position](TSpravListener& listener) { listener.FilesAboutToBeInserted(position, position); });
    Files.push_back(std::move(entry));
    Tell([](TSpravListener& listener) { listener.FilesInserted(); });
    SetCurrentFile(position);
}

void TSprav::DeleteTestFile(int position) {
    if (position < 0 || static_cast<size_t>(position) >= Files.size()) {
        return;
    }
    Tell([position](TSpravListener& listener) { listener.FilesAboutToBeRemoved(position, position); });
    // The indexes stay as they are: the caller rebuilds the list, which selects whatever now stands there.
    if (Files[position].get() == CurrentFile) {
        SetCurrent(nullptr, FCurrentFileIndex);
    }
    Files.erase(Files.begin() + position);
    Tell([](TSpravListener& listener) { listener.FilesRemoved(); });
}

void TSprav::InsertTestFile(int position, std::unique_ptr<TSpravFile> file) {
    Tell([position](TSpravListener& listener) { listener.FilesAboutToBeInserted(position, position); });
    Files.insert(Files.begin() + position, std::move(file));
    if (CurrentFile != nullptr && position <= FCurrentFileIndex) {
        ++FCurrentFileIndex;
    }
    Tell([](TSpravListener& listener) { listener.FilesInserted(); });
}

std::unique_ptr<TSpravFile> TSprav::TakeTestFile(int position) {
    Tell([position](TSpravListener& listener) { listener.FilesAboutToBeRemoved(position, position); });
    if (Files[position].get() == CurrentFile) {
        SetCurrent(nullptr, FCurrentFileIndex);
    } else if (CurrentFile != nullptr && position < FCurrentFileIndex) {
        --FCurrentFileIndex;
    }
    std::unique_ptr<TSpravFile> taken = std::move(Files[position]);
    Files.erase(Files.begin() + position);
    Tell([](TSpravListener& listener) { listener.FilesRemoved(); });
    return taken;
}

void TSprav::InsertSinonims(TSpravFile& file, int position,
                            std::vector<std::unique_ptr<TSpravSinonim>> entries) {
    if (entries.empty()) {
        return;
    }
    const int last = position + static_cast<int>(entries.size()) - 1;
    Tell([&](TSpravListener& listener) { listener.SinonimsAboutToBeInserted(file, position, last); });
    file.Sinonims.insert(file.Sinonims.begin() + position, std::make_move_iterator(entries.begin()),
                         std::make_move_iterator(entries.end()));
    Tell([&](TSpravListener& listener) { listener.SinonimsInserted(file); });
}

void TSprav::SetSinonim(TSpravFile& file, int position, std::string name, std::string descPath) {
    Tell([&](TSpravListener& listener) { listener.SinonimAboutToBeChanged(file, position); });
    TSpravSinonim& entry = *file.Sinonims[static_cast<std::size_t>(position)];
    entry.Name = std::move(name);
    entry.DescPath = std::move(descPath);
    Tell([&](TSpravListener& listener) { listener.SinonimChanged(file, position); });
}

TSpravSinonim* TSprav::GetSinonim(const TSpravFile* file, int position) const {
    if (file == nullptr || position < 0 || static_cast<size_t>(position) >= file->Sinonims.size()) {
        return nullptr;
    }
    return file->Sinonims[position].get();
}

TSpravSinonim* TSprav::AddFileSinonim(TSpravFile* file, std::string name) {
    return AppendSinonim(file, std::move(name), {});
}

TSpravSinonim* TSprav::AppendSinonim(TSpravFile* file, std::string name, std::string descPath) {
    if (Files.empty()) {
        ShowMessage(sprav_messages::kEmptyBook);
        return nullptr;
    }
    if (file == nullptr) {
        ShowMessage(sprav_messages::kNoCurrentFile);
        return nullptr;
    }
    if (!IsStorableSinonimName(name)) {
        ShowMessage(sprav_messages::kUnstorableName);
        return nullptr;
    }
    auto entry = std::make_unique<TSpravSinonim>();
    entry->Name = std::move(name);
    entry->DescPath = std::move(descPath);
    TSpravSinonim* added = entry.get();
    const int position = static_cast<int>(file->Sinonims.size());
    Tell([&](TSpravListener& listener) { listener.SinonimsAboutToBeInserted(*file, position, position); });
    file->Sinonims.push_back(std::move(entry));
    Tell([&](TSpravListener& listener) { listener.SinonimsInserted(*file); });
    CurrentSinonimIndex = position;
    return added;
}

TSpravSinonim* TSprav::AddSinonim(std::string name) {
    return AppendSinonim(CurrentFile, std::move(name), {});
}

TSpravSinonim* TSprav::AddSinonimWithDesc(std::string name, std::string descPath) {
    return AppendSinonim(CurrentFile, std::move(name), std::move(descPath));
}

int TSprav::ChangeSinonim(TSpravFile* file, int position, const std::string& name,
                          const std::string& descPath) {
    TSpravSinonim* entry = GetSinonim(file, position);
    if (entry == nullptr) {
        return -1;
    }
    if (!IsStorableSinonimName(name)) {
        ShowMessage(sprav_messages::kUnstorableName);
        return -1;
    }
    SetSinonim(*file, position, name, descPath);
    return position;
}

void TSprav::DeleteSinonim(int position) {
    if (CurrentFile == nullptr || position < 0 ||
        static_cast<size_t>(position) >= CurrentFile->Sinonims.size()) {
        return;
    }
    const TSpravFile& file = *CurrentFile;
    Tell([&](TSpravListener& listener) { listener.SinonimsAboutToBeRemoved(file, position, position); });
    CurrentFile->Sinonims.erase(CurrentFile->Sinonims.begin() + position);
    Tell([&](TSpravListener& listener) { listener.SinonimsRemoved(file); });
}

void TSprav::ClearAll() {
    Rebuild([](TSprav& sprav) {
        sprav.Files.clear();
        sprav.CurrentFile = nullptr;
        sprav.FCurrentFileIndex = -1;
        sprav.CurrentSinonimIndex = -1;
    });
}

void TSprav::Rebuild(const std::function<void(TSprav&)>& change) {
    if (FResetting) {
        change(*this);
        return;
    }
    Tell([](TSpravListener& listener) { listener.BookAboutToBeReset(); });
    FResetting = true;
    try {
        change(*this);
    } catch (...) {
        FResetting = false;
        Tell([](TSpravListener& listener) { listener.BookReset(); });
        throw;
    }
    FResetting = false;
    Tell([](TSpravListener& listener) { listener.BookReset(); });
}

std::vector<std::unique_ptr<TSpravSinonim>> TSprav::RemoveSinonims(TSpravFile& file,
                                                                   const std::vector<int>& positions) {
    std::vector<std::unique_ptr<TSpravSinonim>> removed(positions.size());
    auto& sinonims = file.Sinonims;
    // Runs of neighbouring positions go at once, the last run first, so that each run's positions still
    // hold when it goes.
    std::size_t end = positions.size();
    while (end > 0) {
        std::size_t begin = end - 1;
        while (begin > 0 && positions[begin - 1] + 1 == positions[begin]) {
            --begin;
        }
        const int first = positions[begin];
        const int last = positions[end - 1];
        Tell([&](TSpravListener& listener) { listener.SinonimsAboutToBeRemoved(file, first, last); });
        std::move(sinonims.begin() + first, sinonims.begin() + last + 1,
                  removed.begin() + static_cast<std::ptrdiff_t>(begin));
        sinonims.erase(sinonims.begin() + first, sinonims.begin() + last + 1);
        Tell([&](TSpravListener& listener) { listener.SinonimsRemoved(file); });
        end = begin;
    }
    return removed;
}
