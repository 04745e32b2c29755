#include "document/RecentBookList.h"

#include <algorithm>

#include "core/BookLines.h"

void TRecentBookList::SetSlots(const RecentSlots& stored) {
    FPaths.clear();
    for (const std::string& path : stored) {
        if (!path.empty() && !book_lines::HasControlByte(path) &&
            std::find(FPaths.begin(), FPaths.end(), path) == FPaths.end()) {
            FPaths.push_back(path);
        }
    }
}

TRecentBookList::RecentSlots TRecentBookList::GetSlots() const {
    RecentSlots stored;
    std::copy_n(FPaths.begin(), std::min(FPaths.size(), stored.size()), stored.begin());
    return stored;
}

void TRecentBookList::Add(const std::string& path) {
    std::string top = path;  // `path` may be one of the list's own strings
    std::erase(FPaths, top);
    FPaths.insert(FPaths.begin(), std::move(top));
    if (FPaths.size() > kRecentBookCount) {
        FPaths.resize(kRecentBookCount);
    }
}

void TRecentBookList::Remove(const std::string& path) {
    std::erase(FPaths, std::string(path));  // a copy, as in Add
}
