#include "core/Sprav.h"

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

void TSprav::SetCurrentFile(int position) {
    if (position < 0) {
        CurrentFile = nullptr;
        FCurrentFileIndex = -1;
        CurrentSinonimIndex = -1;
        return;
    }
    if (static_cast<size_t>(position) >= Files.size()) {
        return;
    }
    CurrentFile = Files[position].get();
    const int oldIndex = FCurrentFileIndex;
    FCurrentFileIndex = position;
    // Selecting the same test file again keeps its current analog; a different one starts at its first.
    if (position != oldIndex && !CurrentFile->Sinonims.empty()) {
        CurrentSinonimIndex = 0;
    }
}

void TSprav::AddTestFile(std::string path) {
    auto entry = std::make_unique<TSpravFile>();
    entry->Path = std::move(path);
    Files.push_back(std::move(entry));
    SetCurrentFile(static_cast<int>(Files.size()) - 1);
}

void TSprav::DeleteTestFile(int position) {
    if (position < 0 || static_cast<size_t>(position) >= Files.size()) {
        return;
    }
    if (Files[position].get() == CurrentFile) {
        CurrentFile = nullptr;
    }
    // The indexes stay as they are: the caller rebuilds the list, which selects whatever now stands there.
    Files.erase(Files.begin() + position);
}

TSpravSinonim* TSprav::GetSinonim(const TSpravFile* file, int position) const {
    if (file == nullptr || position < 0 || static_cast<size_t>(position) >= file->Sinonims.size()) {
        return nullptr;
    }
    return file->Sinonims[position].get();
}

TSpravSinonim* TSprav::AddFileSinonim(TSpravFile* file, std::string name) {
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
    TSpravSinonim* added = entry.get();
    file->Sinonims.push_back(std::move(entry));
    CurrentSinonimIndex = static_cast<int>(file->Sinonims.size()) - 1;
    return added;
}

TSpravSinonim* TSprav::AddSinonim(std::string name) {
    TSpravSinonim* added = AddFileSinonim(CurrentFile, std::move(name));
    if (added != nullptr) {
        added->DescPath.clear();
    }
    return added;
}

TSpravSinonim* TSprav::AddSinonimWithDesc(std::string name, std::string descPath) {
    TSpravSinonim* added = AddFileSinonim(CurrentFile, std::move(name));
    if (added != nullptr) {
        added->DescPath = std::move(descPath);
    }
    return added;
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
    entry->Name = name;
    entry->DescPath = descPath;
    return position;
}

void TSprav::DeleteSinonim(int position) {
    if (CurrentFile == nullptr || position < 0 ||
        static_cast<size_t>(position) >= CurrentFile->Sinonims.size()) {
        return;
    }
    CurrentFile->Sinonims.erase(CurrentFile->Sinonims.begin() + position);
}

void TSprav::ClearAll() {
    Files.clear();
    CurrentFile = nullptr;
    FCurrentFileIndex = -1;
    CurrentSinonimIndex = -1;
}
