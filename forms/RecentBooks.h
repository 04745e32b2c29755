// The books opened or saved last, newest first, listed in the "Файл" menu so that one is reopened with a
// click. The list itself (RecentBookList.h) lives in the settings between runs.
#pragma once

#include <QObject>

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "document/RecentBookList.h"

class QAction;
class QMenu;

class TRecentBooks : public QObject {
    Q_OBJECT

public:
    using RecentSlots = TRecentBookList::RecentSlots;

    // Puts the list's items into `menu`, after a separator of their own, before the separator that leads to
    // `exitItem` (before `exitItem` itself when none does). Shown only while the list holds a book.
    TRecentBooks(QMenu& menu, QAction* exitItem, QObject* parent);

    // The list as the settings keep it (RecentBookList.h says what reading skips).
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

    TRecentBookList FList;
    QAction* FSeparator = nullptr;
    std::array<QAction*, kRecentBookCount> FItems{};
};
