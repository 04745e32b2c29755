#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/BookCheck.h"
#include "core/Sprav.h"

namespace {

using book_check::FindingKind;

// A small book with one of every trouble. Test files, with C:\T as the tests directory and C:\D as the
// descriptions directory:
//   0 C:\T\a.qor    K155LA3 (<Desc>:\la3.pdf), SN7400 (C:\D\gone.pdf), K155LA3 again, k155la3
//   1 C:\T\gone.qor SN7400 (no description)
//   2 C:\T\a.qor    (listed again)
//   3 C:\T\b.qor    Ёлка, ёЛКА, elka (<Desc>:\gone.pdf)
void FillSmallBook(TSprav& sprav) {
    sprav.AddTestFile("C:\\T\\a.qor");
    sprav.AddSinonimWithDesc("K155LA3", "<Desc>:\\la3.pdf");
    sprav.AddSinonimWithDesc("SN7400", "C:\\D\\gone.pdf");
    sprav.AddSinonimWithDesc("K155LA3", "");
    sprav.AddSinonimWithDesc("k155la3", "");
    sprav.AddTestFile("C:\\T\\gone.qor");
    sprav.AddSinonimWithDesc("SN7400", "");
    sprav.AddTestFile("C:\\T\\a.qor");
    sprav.AddTestFile("C:\\T\\b.qor");
    sprav.AddSinonimWithDesc("\xA8\xEB\xEA\xE0", "");  // Ёлка
    sprav.AddSinonimWithDesc("\xB8\xCB\xCA\xC0", "");  // ёЛКА
    sprav.AddSinonimWithDesc("elka", "<Desc>:\\gone.pdf");
}

const std::set<std::string> kOnDisk = {"C:\\T\\a.qor", "C:\\T\\b.qor", "C:\\D\\la3.pdf"};

book_check::Result CheckSmallBook(std::vector<std::string>* asked = nullptr) {
    TSprav sprav;
    FillSmallBook(sprav);
    return book_check::Check(sprav, {"C:\\T", "C:\\D"}, [asked](const std::string& path) {
        if (asked != nullptr) {
            asked->push_back(path);
        }
        return kOnDisk.count(path) > 0;
    });
}

TEST(BookCheck, FindsEveryTroubleOfASmallBookWhereItIs) {
    std::vector<std::string> asked;
    const book_check::Result result = CheckSmallBook(&asked);

    using Row = std::tuple<FindingKind, int, int, int, int, std::string>;
    std::vector<Row> rows;
    for (const auto& f : result.Findings) {
        rows.emplace_back(f.Kind, f.FileIndex, f.NameIndex, f.OtherFileIndex, f.OtherNameIndex, f.LookedFor);
    }
    const std::vector<Row> expected = {
        {FindingKind::MissingDescription, 0, 1, -1, -1, "C:\\D\\gone.pdf"},
        {FindingKind::NameInSeveralFiles, 0, 1, -1, -1, ""},  // SN7400 in test files 0 and 1
        {FindingKind::RepeatedName, 0, 2, 0, 0, ""},
        {FindingKind::NameCaseVariant, 0, 3, 0, 0, ""},
        {FindingKind::MissingTestFile, 1, -1, -1, -1, "C:\\T\\gone.qor"},
        {FindingKind::RepeatedTestFile, 2, -1, 0, -1, "C:\\T\\a.qor"},
        {FindingKind::NameCaseVariant, 3, 1, 3, 0, ""},  // Ё and ё are one letter in two cases
        {FindingKind::MissingDescription, 3, 2, -1, -1, "C:\\D\\gone.pdf"},
    };
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(result.Faults(), 7u);
    EXPECT_EQ(result.Notices(), 1u);
    EXPECT_FALSE(result.Cancelled);
    EXPECT_EQ(result.Findings[1].Files, (std::vector<int>{0, 1}));

    // Each distinct path is asked about once: gone.pdf is named twice, a.qor is listed twice.
    EXPECT_EQ(std::set<std::string>(asked.begin(), asked.end()).size(), asked.size());
    EXPECT_EQ(asked.size(), 5u);
}

TEST(BookCheck, AWholeBookOnDiskWithDistinctNamesHasNoFindingsAndStaysUnchanged) {
    TSprav sprav;
    sprav.AddTestFile("<Tests>:\\x.qor");  // the model holds what it holds; the check only asks
    sprav.AddSinonimWithDesc("A", "");
    sprav.AddTestFile("C:\\y.qor");
    sprav.AddSinonimWithDesc("B", "<Desc>:x.pdf");
    sprav.SetCurrentFile(0);
    sprav.CurrentSinonimIndex = 0;
    std::vector<std::string> asked;
    const auto result = book_check::Check(sprav, {"", "D:"}, [&](const std::string& p) {
        asked.push_back(p);
        return true;
    });
    EXPECT_TRUE(result.Findings.empty());
    EXPECT_EQ(asked, (std::vector<std::string>{"<Tests>:\\x.qor", "C:\\y.qor", "D:x.pdf"}));
    EXPECT_EQ(sprav.CurrentFileIndex(), 0);
    EXPECT_EQ(sprav.CurrentSinonimIndex, 0);
    EXPECT_EQ(sprav.Files[1]->Sinonims[0]->DescPath, "<Desc>:x.pdf");
}

// A book read while the tests directory was unset keeps its <Tests>: paths; once the directory is set, the
// check looks for them below it, and the same file listed in both forms is a repeat.
TEST(BookCheck, TestPathsKeptInTokenFormAreLookedForBelowTheDirectoryAsItIsNow) {
    TSprav sprav;
    sprav.AddTestFile("<Tests>:\\TTL\\LA3.qor");
    sprav.AddTestFile("<Tests>:\\TTL\\gone.qor");
    sprav.AddTestFile("C:\\Tests\\TTL\\LA3.qor");
    const std::set<std::string> onDisk = {"C:\\Tests\\TTL\\LA3.qor"};
    std::vector<std::string> asked;
    const auto result = book_check::Check(sprav, {"C:\\Tests", ""}, [&](const std::string& p) {
        asked.push_back(p);
        return onDisk.count(p) > 0;
    });
    using Row = std::tuple<FindingKind, int, int, std::string>;
    std::vector<Row> rows;
    for (const auto& f : result.Findings) {
        rows.emplace_back(f.Kind, f.FileIndex, f.OtherFileIndex, f.LookedFor);
    }
    const std::vector<Row> expected = {
        {FindingKind::MissingTestFile, 1, -1, "C:\\Tests\\TTL\\gone.qor"},
        {FindingKind::RepeatedTestFile, 2, 0, "C:\\Tests\\TTL\\LA3.qor"},
    };
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(asked, (std::vector<std::string>{"C:\\Tests\\TTL\\LA3.qor", "C:\\Tests\\TTL\\gone.qor"}));
    EXPECT_EQ(sprav.Files[0]->Path, "<Tests>:\\TTL\\LA3.qor");  // the book keeps what it read
}

// A rename may leave an analog without a name; the book file then holds a bare "|" line. Each such analog
// is one fault where it is, whatever the names beside it, and its datasheet is still looked for.
TEST(BookCheck, AnAnalogWithAnEmptyNameIsAFaultWhereItIs) {
    TSprav sprav;
    sprav.AddTestFile("C:\\a.qor");
    sprav.AddSinonimWithDesc("K155LA3", "");
    sprav.AddSinonimWithDesc("", "");
    sprav.AddSinonimWithDesc("", "C:\\gone.pdf");
    sprav.AddTestFile("C:\\b.qor");
    sprav.AddSinonimWithDesc("", "");
    const auto result =
        book_check::Check(sprav, {}, [](const std::string& p) { return p != "C:\\gone.pdf"; });
    using Row = std::tuple<FindingKind, int, int>;
    std::vector<Row> rows;
    for (const auto& f : result.Findings) {
        rows.emplace_back(f.Kind, f.FileIndex, f.NameIndex);
    }
    const std::vector<Row> expected = {
        {FindingKind::EmptyName, 0, 1},
        {FindingKind::EmptyName, 0, 2},
        {FindingKind::MissingDescription, 0, 2},
        {FindingKind::EmptyName, 1, 0},
    };
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(result.Faults(), 4u);
}

TEST(BookCheck, ProgressReportsTheWorkAndCanStopIt) {
    TSprav sprav;
    for (int i = 0; i < 1000; ++i) {
        sprav.AddTestFile("f" + std::to_string(i));
    }
    std::vector<std::size_t> seen;
    auto all = book_check::Check(
        sprav, {}, [](const std::string&) { return false; },
        [&](std::size_t done, std::size_t total) {
            EXPECT_EQ(total, 1000u);
            seen.push_back(done);
            return true;
        });
    EXPECT_EQ(all.Findings.size(), 1000u);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 1000u);

    auto stopped = book_check::Check(
        sprav, {}, [](const std::string&) { return false; },
        [](std::size_t done, std::size_t) { return done < 500; });
    EXPECT_TRUE(stopped.Cancelled);
    EXPECT_GT(stopped.Findings.size(), 0u);
    EXPECT_LT(stopped.Findings.size(), 1000u);
}

TEST(BookCheck, FoldCaseJoinsLatinAndCyrillicCases) {
    EXPECT_EQ(book_check::FoldCase("k155la3"), "K155LA3");
    EXPECT_EQ(book_check::FoldCase("\xEA\xF0\xB8"), "\xCA\xD0\xA8");  // крё
    EXPECT_EQ(book_check::FoldCase("\xCA\xD0\xA8"), "\xCA\xD0\xA8");
    EXPECT_NE(book_check::FoldCase("A"), book_check::FoldCase("\xC0"));  // Latin A is not Cyrillic А
}

}  // namespace
