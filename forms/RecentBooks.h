// The books opened or saved last, newest first, listed in the "Файл" menu so that one is reopened with a
// click. The list lives in the settings (MainSettings.h) between runs.
#pragma once

#include <QObject>

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "document/MainSettings.h"

class QAction;
class QMenu;

class TRecentBooks : public QObject {
    Q_OBJECT

public:
    using RecentSlots = std::array<std::string, kRecentBookCount>;

    // Puts the list's items into `menu`, after a separator of their own, before the separator that leads to
    // `exitItem` (before `exitItem` itself when none does). Shown only while the list holds a book.
    TRecentBooks(QMenu& menu, QAction* exitItem, QObject* parent);

    // The list as the settings keep it. Reading skips empty slots, repeats and paths with a control byte
    // (no dialog gives such a path; a hand-edited store can).
    void SetSlots(const RecentSlots& stored);
    RecentSlots GetSlots() const;

    // Puts the book at the top, from wherever it stood; a full list loses its oldest book.
    void Add(const std::string& path);
    void Remove(const std::string& path);

    // When the book at `path` is gone (or is no regular file), says so in a box naming it and drops it from
    // the list; true then.
    bool DropIfGone(const std::string& path);

signals:
    // The user chose the book at `path` in the menu.
    void Chosen(const std::string& path);

private:
    void UpdateMenu();

    // Paths compare byte for byte, as the editor compares book paths everywhere: they are kept exactly as
    // the user's system gave them.
    std::vector<std::string> FPaths;
    QAction* FSeparator = nullptr;
    std::array<QAction*, kRecentBookCount> FItems{};
};
