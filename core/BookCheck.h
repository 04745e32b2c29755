// The book check: everything in the open book that will trouble the people who use it, found without
// changing anything. A pure function of the book, the two service directories and a way to ask whether a
// file exists, so that it runs the same on a real disk, a network share or a test's folder.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/PathTokens.h"

class TSprav;

namespace book_check {

enum class FindingKind {
    MissingTestFile,     // the test file is not on the disk
    RepeatedTestFile,    // the same test-file path is listed again
    MissingDescription,  // an analog's description file is not on the disk
    EmptyName,           // an analog with no name: a bare "|" line in the book file
    RepeatedName,        // the same chip name again under one test file
    NameCaseVariant,     // a chip name that differs from an earlier one under the same test file only in case
    NameInSeveralFiles,  // one chip name under several test files: a notice, not a fault
};

// Faults make the book wrong for its users; notices are worth knowing.
bool IsFault(FindingKind kind);

struct Finding {
    FindingKind Kind;
    int FileIndex = -1;  // where the finding is: a test file of the book
    int NameIndex = -1;  // and one of its analogs; -1 when the finding is about the test file itself
    // The entry it repeats or clashes with (RepeatedTestFile: the earlier test file; RepeatedName and
    // NameCaseVariant: the earlier analog in the same test file). -1 when there is none.
    int OtherFileIndex = -1;
    int OtherNameIndex = -1;
    // NameInSeveralFiles: every test file holding the name, in book order (the finding sits at the first).
    std::vector<int> Files;
    // The path that was looked for: the test file's path with <Tests>: expanded, or the description path
    // with <Desc>: expanded, against the directories the check was given.
    std::string LookedFor;
};

// True when a regular file exists at the stored (Windows-1251) path.
using FileExistsFunction = std::function<bool(const std::string& storedPath)>;
// Told the work done and the work there is; false stops the check.
using ProgressFunction = std::function<bool(std::size_t done, std::size_t total)>;

struct Result {
    std::vector<Finding> Findings;  // in book order: by test file, then by analog
    bool Cancelled = false;         // stopped by the progress function: the findings so far
    std::size_t Faults() const;
    std::size_t Notices() const { return Findings.size() - Faults(); }
};

// Checks the whole book. Each distinct path is asked about once. `progress`, when given, is called now and
// then (and always at the end) with the number of test files done.
Result Check(const TSprav& sprav, const ServiceDirectories& dirs, const FileExistsFunction& exists,
             const ProgressFunction& progress = {});

// A chip name with its letters in one case, Cyrillic included (Windows-1251 bytes), for comparisons that
// ignore letter case.
std::string FoldCase(const std::string& name);

}  // namespace book_check
