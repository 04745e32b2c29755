#include "core/BookCheck.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "core/Cp1251Case.h"
#include "core/PathTokens.h"
#include "core/Sprav.h"

namespace book_check {

namespace {

// Progress is reported every this many test files: often enough for a responsive bar, rarely enough to
// cost nothing.
constexpr std::size_t kProgressStep = 32;

// Asks about each distinct path once: books name the same datasheet from many analogs.
class ExistenceCache {
public:
    ExistenceCache(const FileExistsFunction& exists, std::size_t paths) : FExists(exists) {
        FKnown.reserve(paths);
    }
    bool operator()(const std::string& path) {
        auto [it, inserted] = FKnown.try_emplace(path, false);
        if (inserted) {
            it->second = FExists(path);
        }
        return it->second;
    }
    void Forget() { FKnown = {}; }

private:
    const FileExistsFunction& FExists;
    std::unordered_map<std::string, bool> FKnown;
};

// The test files holding one name. Most names stand under one test file only: the others are kept apart,
// so that a group costs no allocation of its own until a second test file holds its name.
struct NameGroup {
    int FirstFile;
    int FirstName;
    std::vector<int> OtherFiles;
    int LastFile() const { return OtherFiles.empty() ? FirstFile : OtherFiles.back(); }
};

}  // namespace

bool IsFault(FindingKind kind) {
    return kind != FindingKind::NameInSeveralFiles;
}

std::size_t Result::Faults() const {
    return static_cast<std::size_t>(
        std::count_if(Findings.begin(), Findings.end(), [](const Finding& f) { return IsFault(f.Kind); }));
}

std::string FoldCase(const std::string& name) {
    std::string folded(name);
    for (char& ch : folded) {
        ch = static_cast<char>(cp1251_case::Upper(static_cast<unsigned char>(ch)));
    }
    return folded;
}

Result Check(const TSprav& sprav, const ServiceDirectories& dirs, const FileExistsFunction& exists,
             const ProgressFunction& progress) {
    Result result;
    // Sized for the whole book at once: growing them entry by entry would rehash them many times over.
    const std::size_t lines = sprav.LineCount();
    ExistenceCache existing(exists, lines);
    std::unordered_map<std::string, int> firstFileOfPath;
    firstFileOfPath.reserve(sprav.Files.size());
    std::unordered_map<std::string, std::size_t> groupOfName;  // by folded name
    groupOfName.reserve(lines);
    std::vector<NameGroup> groups;
    groups.reserve(lines);
    std::unordered_map<std::string, int> exactNames;
    std::unordered_map<std::string, int> foldedNames;

    const std::size_t total = sprav.Files.size();
    std::size_t done = 0;
    for (; done < total; ++done) {
        if (progress && done % kProgressStep == 0 && done > 0 && !progress(done, total)) {
            result.Cancelled = true;
            break;
        }
        const TSpravFile& file = *sprav.Files[done];
        const int fileIndex = static_cast<int>(done);

        // A book read while the tests directory was unset keeps its <Tests>: paths in token form: they are
        // looked for below the directory as it is now, and a listed path is the same file in either form.
        std::string testPath = FromTestsToken(file.Path, dirs.Tests);
        if (auto [first, isFirst] = firstFileOfPath.try_emplace(testPath, fileIndex); !isFirst) {
            result.Findings.push_back(
                {FindingKind::RepeatedTestFile, fileIndex, -1, first->second, -1, {}, std::move(testPath)});
        } else if (!existing(testPath)) {
            result.Findings.push_back(
                {FindingKind::MissingTestFile, fileIndex, -1, -1, -1, {}, std::move(testPath)});
        }

        exactNames.clear();
        foldedNames.clear();
        for (std::size_t n = 0; n < file.Sinonims.size(); ++n) {
            const TSpravSinonim& sinonim = *file.Sinonims[n];
            const int nameIndex = static_cast<int>(n);
            // A new name may be left empty; no program that reads the book can find such a chip. It is
            // not compared with the other names: one fault is said once.
            const bool unnamed = sinonim.Name.empty();
            std::string folded = FoldCase(sinonim.Name);

            if (unnamed) {
                result.Findings.push_back({FindingKind::EmptyName, fileIndex, nameIndex, -1, -1, {}, {}});
            } else if (auto [first, isFirst] = exactNames.try_emplace(sinonim.Name, nameIndex); !isFirst) {
                result.Findings.push_back(
                    {FindingKind::RepeatedName, fileIndex, nameIndex, fileIndex, first->second, {}, {}});
            } else if (auto [variant, isNew] = foldedNames.try_emplace(folded, nameIndex); !isNew) {
                result.Findings.push_back(
                    {FindingKind::NameCaseVariant, fileIndex, nameIndex, fileIndex, variant->second, {}, {}});
            }

            if (!sinonim.DescPath.empty()) {
                std::string described = FromDescToken(sinonim.DescPath, dirs.Desc);
                if (!existing(described)) {
                    result.Findings.push_back({FindingKind::MissingDescription,
                                               fileIndex,
                                               nameIndex,
                                               -1,
                                               -1,
                                               {},
                                               std::move(described)});
                }
            }

            if (unnamed) {
                continue;
            }
            auto [group, isNewName] = groupOfName.try_emplace(std::move(folded), groups.size());
            if (isNewName) {
                groups.push_back({fileIndex, nameIndex, {}});
            } else if (groups[group->second].LastFile() != fileIndex) {
                groups[group->second].OtherFiles.push_back(fileIndex);
            }
        }
    }
    // The tables of a large book take a while to let go (a string for every path and name): each goes
    // between two progress reports, so that the caller gets its turn in between.
    const auto report = [&] {
        if (progress && !result.Cancelled) {
            progress(done, total);
        }
    };
    report();
    existing.Forget();
    firstFileOfPath = {};
    report();
    groupOfName = {};
    report();

    for (NameGroup& group : groups) {
        if (!group.OtherFiles.empty()) {
            std::vector<int> files{group.FirstFile};
            files.insert(files.end(), group.OtherFiles.begin(), group.OtherFiles.end());
            result.Findings.push_back({FindingKind::NameInSeveralFiles,
                                       group.FirstFile,
                                       group.FirstName,
                                       -1,
                                       -1,
                                       std::move(files),
                                       {}});
        }
    }
    std::stable_sort(result.Findings.begin(), result.Findings.end(), [](const Finding& a, const Finding& b) {
        return a.FileIndex != b.FileIndex ? a.FileIndex < b.FileIndex : a.NameIndex < b.NameIndex;
    });
    return result;
}

}  // namespace book_check
