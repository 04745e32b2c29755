// The book as a CSV table: quoting as RFC 4180 says, with ";" between fields, a row per analog with its
// paths in token form, and a file that is replaced whole or not at all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/CsvExport.h"
#include "core/Sprav.h"
#include "files/AtomicFile.h"
#include "tests/core/TempFolder.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

// Reads a table back as a spreadsheet does: fields split at ";" outside quotes, rows at CR LF outside
// quotes, "" inside quotes for one quote. Fails the test on anything RFC 4180 does not allow.
Rows ParseTable(const std::string& text) {
    Rows rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"') {
                field.push_back(c);
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                field.push_back('"');
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"' && field.empty()) {
            quoted = true;
        } else if (c == ';') {
            row.push_back(std::move(field));
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            row.push_back(std::move(field));
            field.clear();
            rows.push_back(std::move(row));
            row.clear();
            ++i;
        } else {
            EXPECT_TRUE(c != '"' && c != '\r' && c != '\n') << "unquoted special byte at " << i;
            field.push_back(c);
        }
    }
    EXPECT_FALSE(quoted) << "a quote left open";
    EXPECT_TRUE(row.empty() && field.empty()) << "the last row has no CR LF";
    return rows;
}

TEST(CsvExport, QuotesOnlyTheFieldsThatNeedIt) {
    const struct {
        std::string field;
        std::string written;
    } cases[] = {
        {"K155LA3", "K155LA3"},
        {"", ""},
        {"\xCA\xD0\x31\x35\x33\x33\xCB\xC0\x33",
         "\xCA\xD0\x31\x35\x33\x33\xCB\xC0\x33"},  // Windows-1251 as is
        {" SN7400 ", " SN7400 "},                  // blanks belong to the field
        {"a,b", "a,b"},                            // a comma is no separator here
        {"a;b", "\"a;b\""},
        {"7\" disk", "\"7\"\" disk\""},
        {"\"", "\"\"\"\""},
        {"a\rb", "\"a\rb\""},
        {"a\nb", "\"a\nb\""},
        {"\"x\";\r\n", "\"\"\"x\"\";\r\n\""},
    };
    for (const auto& c : cases) {
        std::string out = "prefix";
        csv_export::AppendField(out, c.field);
        EXPECT_EQ(out, "prefix" + c.written) << c.field;
        // What was written reads back as the field.
        EXPECT_EQ(ParseTable(c.written + "\r\n"), Rows{{c.field}}) << c.field;
    }
}

// What a spreadsheet would compute or take as a number is written so that it shows as the text it is.
TEST(CsvExport, AFieldASpreadsheetWouldComputeStaysText) {
    const struct {
        std::string field;
        std::string written;
    } cases[] = {
        {"=1+1", "'=1+1"},
        {"=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\""},
        {"+7400", "'+7400"},
        {"-5V", "'-5V"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\tK1", "'\tK1"},
        {"\rK1", "\"'\rK1\""},
        {"=a;b", "\"'=a;b\""},
        {"007", "007"},  // the rule guards formulas and signs, not digits
        {"K-1=2", "K-1=2"},
        {"'x", "'x"},
    };
    for (const auto& c : cases) {
        std::string out;
        csv_export::AppendField(out, c.field);
        EXPECT_EQ(out, c.written) << c.field;
    }
    TSprav sprav;
    sprav.AddTestFile("-T\\a.qor");  // a path outside the directories is a field like any other
    sprav.AddSinonimWithDesc("=K1", "C:\\D\\=d.pdf");
    EXPECT_EQ(ParseTable(csv_export::Format(sprav, {"C:\\T", "C:\\D"})).back(),
              (std::vector<std::string>{"'-T\\a.qor", "'=K1", "<Desc>:\\=d.pdf"}));
}

TEST(CsvExport, GivesARowPerAnalogWithPathsAsTheBookStoresThem) {
    TSprav sprav;
    sprav.AddTestFile("C:\\T\\TTL\\LA3.qor");
    sprav.AddSinonimWithDesc("K155LA3", "<Desc>:\\la3.pdf");
    sprav.AddSinonimWithDesc("SN7400", "C:\\D\\7400.pdf");  // below the descriptions directory
    sprav.AddSinonimWithDesc("DM7400", "");
    sprav.AddTestFile("C:\\T\\empty.qor");  // no analogs yet
    sprav.AddTestFile("D:\\Other; tests\\\"q\".qor");
    sprav.AddSinonimWithDesc("uA741", "D:\\Data\\ua741.pdf");
    // Paths below the directories that need quotes: the token goes inside them.
    sprav.AddTestFile("C:\\T\\a;b.qor");
    sprav.AddSinonimWithDesc("K1", "C:\\D\\\"q\".pdf");
    sprav.AddTestFile("C:\\T\\c;d.qor");

    const std::string table = csv_export::Format(sprav, {"C:\\T", "C:\\D"});
    const Rows rows = ParseTable(table);
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[0].size(), 3u) << "the header names three columns";
    const Rows expected = {
        {"<Tests>:\\TTL\\LA3.qor", "K155LA3", "<Desc>:\\la3.pdf"},
        {"<Tests>:\\TTL\\LA3.qor", "SN7400", "<Desc>:\\7400.pdf"},
        {"<Tests>:\\TTL\\LA3.qor", "DM7400", ""},
        {"<Tests>:\\empty.qor", "", ""},
        {"D:\\Other; tests\\\"q\".qor", "uA741", "D:\\Data\\ua741.pdf"},
        {"<Tests>:\\a;b.qor", "K1", "<Desc>:\\\"q\".pdf"},
        {"<Tests>:\\c;d.qor", "", ""},
    };
    EXPECT_EQ(Rows(rows.begin() + 1, rows.end()), expected);
    EXPECT_NE(table.find("\r\n\"D:\\Other; tests\\\"\"q\"\".qor\";uA741;"), std::string::npos) << table;
    EXPECT_NE(table.find("\r\n\"<Tests>:\\a;b.qor\";K1;\"<Desc>:\\\"\"q\"\".pdf\"\r\n"), std::string::npos) << table;
}

TEST(CsvExport, TheBooksOwnFileIsKnownByWhatItIsNotByItsSpelling) {
    TempFolder folder;
    WriteBytes(folder / "book.spr", " 0 C:\\a.qor\r\n");
    WriteBytes(folder / "other.spr", "x");
    std::filesystem::create_directory(folder / "sub");
    const auto book = folder / "book.spr";
    EXPECT_TRUE(csv_export::IsTheBookItself(book, book));
    EXPECT_TRUE(csv_export::IsTheBookItself(folder / "sub" / ".." / "book.spr", book));
    EXPECT_FALSE(csv_export::IsTheBookItself(folder / "other.spr", book));
    EXPECT_FALSE(csv_export::IsTheBookItself(folder / "new.csv", book)) << "a file not there yet";
    EXPECT_FALSE(csv_export::IsTheBookItself(book, {})) << "a book never saved has no file";
#ifndef _WIN32
    std::filesystem::create_symlink(book, folder / "link.spr");
    std::filesystem::create_hard_link(book, folder / "hard.spr");
    EXPECT_TRUE(csv_export::IsTheBookItself(folder / "link.spr", book));
    EXPECT_TRUE(csv_export::IsTheBookItself(folder / "hard.spr", book));
#endif
    TSprav sprav;
    sprav.AddTestFile("C:\\a.qor");
    EXPECT_EQ(csv_export::Save(book, sprav, {}, book), csv_export::TargetIsTheBookError());
    EXPECT_EQ(ReadBytes(book), " 0 C:\\a.qor\r\n");
    EXPECT_FALSE(csv_export::Save(folder / "out.csv", sprav, {}, book));
}

TEST(CsvExport, AnEmptyBookIsTheHeaderAlone) {
    TSprav sprav;
    const std::string table = csv_export::Format(sprav, {});
    EXPECT_EQ(ParseTable(table).size(), 1u);
    EXPECT_EQ(table.find("\r\n"), table.size() - 2);
}

TEST(CsvExport, SaveReplacesTheFileWholeOrNotAtAll) {
    TempFolder folder;
    const auto path = folder / "book.csv";
    WriteBytes(path, "old");
    TSprav sprav;
    sprav.AddTestFile("C:\\T\\a.qor");
    sprav.AddSinonimWithDesc("K155LA3", "");

    atomic_file::ArmFault(atomic_file::Fault{atomic_file::FaultStep::Write,
                                             std::make_error_code(std::errc::no_space_on_device), 5});
    EXPECT_EQ(csv_export::Save(path, sprav, {}, {}), std::errc::no_space_on_device);
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(folder.Names(), std::set<std::string>{"book.csv"});

    std::string written;
    EXPECT_FALSE(csv_export::Save(path, sprav, {}, {}, &written));
    EXPECT_EQ(written, csv_export::Format(sprav, {}));
    EXPECT_EQ(ReadBytes(path), written);
}

}  // namespace
