// The books opened or saved last, newest first, as the settings keep them between runs: the list behind the
// "Файл" menu's items.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "document/MainSettings.h"

class TRecentBookList {
public:
    using RecentSlots = std::array<std::string, kRecentBookCount>;

    // The list as the settings keep it. Reading skips empty slots, repeats and paths with a control byte
    // (no dialog gives such a path; a hand-edited store can).
    void SetSlots(const RecentSlots& stored);
    RecentSlots GetSlots() const;

    // Puts the book at the top, from wherever it stood; a full list loses its oldest book.
    void Add(const std::string& path);
    void Remove(const std::string& path);

    // Newest first. Paths compare byte for byte, as the editor compares book paths everywhere: they are kept
    // exactly as the user's system gave them.
    const std::vector<std::string>& Paths() const { return FPaths; }

private:
    std::vector<std::string> FPaths;
};
