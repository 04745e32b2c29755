#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <csignal>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/Sprav.h"
#include "core/SpravFile.h"
#include "files/AtomicFile.h"
#include "files/WholeFile.h"
#include "tests/core/TempFolder.h"

namespace {

const ServiceDirectories kDirs{"C:\\Tests", "C:\\Desc"};
const std::string kEmptyBook = "Список файлов пуст. Сначала необходимо добавить файл.";

struct RecordingSprav : TSprav {
    std::vector<std::string> Messages;
    RecordingSprav() {
        OnMessage = [this](const std::string& text) { Messages.push_back(text); };
    }
};

// The whole book as text lines: "F <path>" for a test file, "A <name>|<desc>" for an analog.
std::vector<std::string> Dump(const TSprav& sprav) {
    std::vector<std::string> lines;
    for (const auto& file : sprav.Files) {
        lines.push_back("F " + file->Path);
        for (const auto& s : file->Sinonims) {
            lines.push_back("A " + s->Name + "|" + s->DescPath);
        }
    }
    return lines;
}

std::vector<std::string> SplitToStrings(std::string_view content) {
    std::vector<std::string_view> views;
    const sprav_file::ReadResult result = sprav_file::SplitLines(content, views);
    EXPECT_TRUE(result.Ok());
    return {views.begin(), views.end()};
}

// Loads `bytes` written to a file of `folder`.
sprav_file::ReadResult LoadBytes(const TempFolder& folder, const std::string& bytes, TSprav& sprav,
                                 const std::string& dirTests = kDirs.Tests) {
    const auto path = folder / "book.spr";
    WriteBytes(path, bytes);
    return sprav_file::Load(path, sprav, dirTests);
}

std::string Formatted(const TSprav& sprav, const ServiceDirectories& dirs = kDirs) {
    std::string out;
    const sprav_file::WriteResult result = sprav_file::Format(sprav, dirs, out);
    EXPECT_TRUE(result.Ok()) << result.Entry;
    return out;
}

// n lines "L<i>" joined by CR LF, with or without a break after the last one.
std::string ManyLines(std::size_t n, bool finalBreak) {
    std::string text = " 0 T\r\n";
    for (std::size_t i = 1; i < n; ++i) {
        text.append("L").append(std::to_string(i)).append("|\r\n");
    }
    if (!finalBreak) {
        text.resize(text.size() - 2);
    }
    return text;
}

}  // namespace

// ---------------------------------------------------------------- reading

TEST(SpravFileSplit, LineBreaksAreCrLfLfOrLoneCr) {
    struct Case {
        std::string content;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {""}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b", ""}},
        {"a\nb\n", {"a", "b", ""}},
        {"a\rb\r", {"a", "b", ""}},
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"\r\n\r\n", {"", "", ""}},
        {"\n\r", {"", "", ""}},
        {"\xCA\x31\x35\x35|\xCE\xD3\r\n", {"\xCA\x31\x35\x35|\xCE\xD3", ""}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitToStrings(c.content), c.lines) << testing::PrintToString(c.content);
    }
}

TEST(SpravFileSplit, LineLengthLimitCountsCharactersWithoutTheBreak) {
    struct Case {
        std::string content;
        bool ok;
        std::size_t failingLine;
    };
    const std::string max(999, 'x');
    const std::string over(1000, 'x');
    const Case cases[] = {
        {max + "\r\n" + max + "\n" + max + "\r" + max, true, 0},
        {over, false, 1},
        {"a\r\n" + over + "\r\nb", false, 2},
        {"a\nb\n" + over, false, 3},
        {"a\rb\r" + over + "\r", false, 3},
        {max + "\r\r\n", true, 0},
    };
    for (const Case& c : cases) {
        std::vector<std::string_view> lines;
        const sprav_file::ReadResult result = sprav_file::SplitLines(c.content, lines);
        EXPECT_EQ(result.Ok(), c.ok) << c.content.size();
        if (!c.ok) {
            EXPECT_EQ(result.Failure, sprav_file::ReadFailure::LineTooLong);
            EXPECT_EQ(result.LineNumber, c.failingLine);
        }
    }
}

// The read that meets the end of the file counts: 99 998 lines with a final break are 99 999 reads.
TEST(SpravFileSplit, LineReadLimit) {
    struct Case {
        std::size_t lines;
        bool finalBreak;
        bool ok;
    };
    const Case cases[] = {
        {99'998, true, true},
        {99'999, false, true},
        {99'999, true, false},
        {100'000, false, false},
    };
    for (const Case& c : cases) {
        std::vector<std::string_view> lines;
        const sprav_file::ReadResult result = sprav_file::SplitLines(ManyLines(c.lines, c.finalBreak), lines);
        EXPECT_EQ(result.Ok(), c.ok) << c.lines << " " << c.finalBreak;
        if (!c.ok) {
            EXPECT_EQ(result.Failure, sprav_file::ReadFailure::TooManyLines);
        }
    }
    std::vector<std::string_view> lines;
    EXPECT_FALSE(sprav_file::SplitLines(std::string(99'999, '\n'), lines).Ok());
    EXPECT_TRUE(sprav_file::SplitLines(std::string(99'998, '\n'), lines).Ok());
}

TEST(SpravFileLoad, ParsesTestFilesAndAnalogs) {
    TempFolder folder;
    RecordingSprav sprav;
    const std::string book =
        " 12 C:\\x.qor\r\n"                 // the number is ignored, nothing to expand
        "K155LA3|<Desc>:\\la3.pdf\r\n"      // the description stays in token form
        "SN7400\r\n"                        // no bar: the whole line is name and description
        "A|B|C\r\n"                         // the name ends at the first bar
        "|\r\n"                             // empty name, empty description
        "\r\n"                              // empty lines are skipped
        " 7 <Tests>:\\dig\\a b  c.qor\r\n"  // only the first space after the number separates
        "\xA0X |\r\n"                       // a non-breaking space does not mark a test-file line
        " 3\r\n"                            // no second space: must not fail
        " 4 \r\n"
        " \r\n"
        " 5 <tests>:\\a.qor\r\n";
    ASSERT_TRUE(LoadBytes(folder, book, sprav).Ok());
    EXPECT_EQ(Dump(sprav), (std::vector<std::string>{
                               "F C:\\x.qor",
                               "A K155LA3|<Desc>:\\la3.pdf",
                               "A SN7400|SN7400",
                               "A A|B|C",
                               "A |",
                               "F C:\\Tests\\dig\\a b  c.qor",
                               "A \xA0X |",
                               "F 3",
                               "F ",
                               "F ",
                               "F <tests>:\\a.qor",
                           }));
    EXPECT_TRUE(sprav.Messages.empty());
}

TEST(SpravFileLoad, LastTestFileAndLastAnalogAreCurrent) {
    TempFolder folder;
    TSprav sprav;
    ASSERT_TRUE(LoadBytes(folder, " 0 a\r\nx|\r\n 1 b\r\ny|\r\nz|\r\n", sprav).Ok());
    EXPECT_EQ(sprav.CurrentFileIndex(), 1);
    EXPECT_EQ(sprav.CurrentFile, sprav.Files[1].get());
    EXPECT_EQ(sprav.CurrentSinonimIndex, 1);
}

TEST(SpravFileLoad, EmptyFileIsAnEmptyBookWithoutMessages) {
    TempFolder folder;
    RecordingSprav sprav;
    ASSERT_TRUE(LoadBytes(folder, "", sprav).Ok());
    EXPECT_TRUE(sprav.Files.empty());
    EXPECT_EQ(sprav.CurrentFileIndex(), -1);
    EXPECT_TRUE(sprav.Messages.empty());
}

// No book starts with an analog line: such a file is refused as a whole, naming the line, and the model
// stays as it was. Empty lines before the first test-file line are still skipped.
TEST(SpravFileLoad, AnalogLineBeforeTheFirstTestFileIsNotABook) {
    struct Case {
        const char* what;
        std::string bytes;
        std::size_t line;
        std::string text;
    };
    const Case cases[] = {
        {"first line", "a|\r\nb|x\r\n 0 T\r\nd|\r\n", 1, "a|"},
        {"after empty lines", "\r\n\n\rSN7400\r\n 0 T\r\n", 4, "SN7400"},
        {"no test-file line at all", "\xCA\x31\x35\x35|<Desc>:\\a.pdf", 1, "\xCA\x31\x35\x35|<Desc>:\\a.pdf"},
        {"a non-breaking space is no space", "\xA0\x30 T\r\n", 1, "\xA0\x30 T"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        RecordingSprav sprav;
        sprav.AddTestFile("keep");
        const sprav_file::ReadResult result = LoadBytes(folder, c.bytes, sprav);
        EXPECT_EQ(result.Failure, sprav_file::ReadFailure::NotABook);
        EXPECT_EQ(result.LineNumber, c.line);
        EXPECT_EQ(result.Line, c.text);
        EXPECT_EQ(Dump(sprav), std::vector<std::string>{"F keep"});
        EXPECT_TRUE(sprav.Messages.empty());
    }
    RecordingSprav sprav;
    TempFolder folder;
    ASSERT_TRUE(LoadBytes(folder, "\r\n\r\n 0 T\r\nd|\r\n", sprav).Ok());
    EXPECT_EQ(Dump(sprav), (std::vector<std::string>{"F T", "A d|"}));
}

TEST(SpravFileLoad, LfAndLoneCrFilesReadLikeCrLfFiles) {
    const std::string crlf = " 0 <Tests>:\\a.qor\r\nK155LA3|<Desc>:\\a.pdf\r\nSN7400|\r\n 1 D:\\b.wsk\r\n";
    TempFolder folder;
    TSprav expected;
    ASSERT_TRUE(LoadBytes(folder, crlf, expected).Ok());
    ASSERT_EQ(expected.Files.size(), 2u);
    for (const char* lineEnd : {"\n", "\r"}) {
        std::string other;
        for (char ch : crlf) {
            if (ch == '\r') {
                continue;
            }
            other += ch == '\n' ? std::string(lineEnd) : std::string(1, ch);
        }
        TSprav sprav;
        ASSERT_TRUE(LoadBytes(folder, other, sprav).Ok());
        EXPECT_EQ(Dump(sprav), Dump(expected)) << testing::PrintToString(lineEnd);
    }
}

TEST(SpravFileLoad, FailureLeavesTheModelAsItWas) {
    struct Case {
        const char* what;
        std::string bytes;
        sprav_file::ReadFailure failure;
    };
    const Case cases[] = {
        {"line of 1 000 characters", " 0 a\r\nx|\r\n" + std::string(1000, 'y') + "\r\n",
         sprav_file::ReadFailure::LineTooLong},
        {"too many lines", ManyLines(99'999, true), sprav_file::ReadFailure::TooManyLines},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        RecordingSprav empty;
        EXPECT_EQ(LoadBytes(folder, c.bytes, empty).Failure, c.failure);
        EXPECT_TRUE(empty.Files.empty());
        EXPECT_EQ(empty.CurrentFileIndex(), -1);
        EXPECT_EQ(empty.CurrentSinonimIndex, -1);

        RecordingSprav filled;  // the reader never parses half a file, whatever the model held
        filled.AddTestFile("keep");
        EXPECT_FALSE(LoadBytes(folder, c.bytes, filled).Ok());
        EXPECT_EQ(Dump(filled), std::vector<std::string>{"F keep"});
        EXPECT_TRUE(empty.Messages.empty());
    }
}

// No path and no chip name holds a byte below 0x20: a file with one anywhere is refused as a whole,
// naming the line, as a file with an overlong line is. A NUL in a test-file path would otherwise cut the
// path of its comment file short, down to the book itself.
TEST(SpravFileLoad, ControlByteInAnyLineRefusesTheWholeBook) {
    struct Case {
        const char* what;
        std::string bytes;
        std::size_t line;
    };
    const Case cases[] = {
        {"NUL in a test-file path", std::string(" 0 /b/book.spr\0.qor\r\nK155LA3|\r\n", 31), 1},
        {"tab in a name", " 0 T\r\nK155\tLA3|\r\n", 2},
        {"escape in a description path", " 0 T\r\nA|\r\n\r\nB|<Desc>:\\\x1b.pdf", 4},
        {"before the first test-file line", "\x01\r\n 0 T\r\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        RecordingSprav sprav;
        sprav.AddTestFile("keep");
        const sprav_file::ReadResult result = LoadBytes(folder, c.bytes, sprav);
        EXPECT_EQ(result.Failure, sprav_file::ReadFailure::ControlByte);
        EXPECT_EQ(result.LineNumber, c.line);
        EXPECT_EQ(Dump(sprav), std::vector<std::string>{"F keep"});
        EXPECT_TRUE(sprav.Messages.empty());
    }
}

// The check reads several bytes at a time: a control byte is found wherever it stands in a line, and no
// other byte, high bytes of Cyrillic text included, is taken for one.
TEST(SpravFileLoad, ControlByteIsFoundAnywhereInALine) {
    for (std::size_t length = 1; length <= 17; ++length) {
        for (std::size_t at = 0; at < length; ++at) {
            for (const int byte : {0x00, 0x09, 0x1F, 0x20, 0x7F, 0x80, 0xA0, 0xFF}) {
                std::string line(length, '\xE0');
                line[at] = static_cast<char>(byte);
                const std::vector<std::string_view> lines{"A|", line};
                const sprav_file::ReadResult result = sprav_file::CheckControlBytes(lines);
                EXPECT_EQ(result.Ok(), byte >= 0x20) << length << " " << at << " " << byte;
                EXPECT_EQ(result.LineNumber, byte >= 0x20 ? 0u : 2u);
            }
        }
    }
}

// The file functions take a path whole or not at all: the part before a NUL names another file.
TEST(SpravFileLoad, PathWithAControlByteIsNeverCutShort) {
    TempFolder folder;
    const auto book = folder / "book.spr";
    WriteBytes(book, " 0 T\r\n");
    for (const std::string& tail : {std::string(1, '\0'), std::string("\t")}) {
        const std::filesystem::path cut = book.string() + tail + ".txt";
        std::string content = "stale";
        EXPECT_EQ(ReadWholeFile(cut, content, sprav_file::kMaxBookBytes), std::errc::illegal_byte_sequence);
        EXPECT_TRUE(content.empty());

        const sprav_file::WriteResult saved = sprav_file::Save(cut, TSprav(), kDirs);
        EXPECT_EQ(saved.Failure, sprav_file::WriteFailure::CannotWrite);
        EXPECT_EQ(saved.Error, std::errc::illegal_byte_sequence);
        EXPECT_EQ(WriteFileAtomically(cut, "comment"), std::errc::illegal_byte_sequence);
    }
    EXPECT_EQ(ReadBytes(book), " 0 T\r\n");
    EXPECT_EQ(folder.Names(), std::set<std::string>{"book.spr"});
}

TEST(SpravFileLoad, LimitsThatStillLoad) {
    TempFolder folder;
    TSprav longLine;
    const std::string name(998, '\xC0');
    ASSERT_TRUE(LoadBytes(folder, " 0 a\r\n" + name + "|\r\n", longLine).Ok());
    EXPECT_EQ(longLine.Files[0]->Sinonims[0]->Name, name);

    TSprav manyLines;
    ASSERT_TRUE(LoadBytes(folder, ManyLines(99'998, true), manyLines).Ok());
    ASSERT_EQ(manyLines.Files.size(), 1u);
    EXPECT_EQ(manyLines.Files[0]->Sinonims.size(), 99'997u);
}

TEST(SpravFileLoad, UnreadableFilesFailWithAReason) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "dir");
    for (const std::filesystem::path& path : {folder / "missing.spr", folder / "dir"}) {
        TSprav sprav;
        const sprav_file::ReadResult result = sprav_file::Load(path, sprav, kDirs.Tests);
        EXPECT_EQ(result.Failure, sprav_file::ReadFailure::CannotRead) << path;
        EXPECT_TRUE(result.Error) << path;
        if (path.filename() == "missing.spr") {
            EXPECT_EQ(result.Error, std::errc::no_such_file_or_directory) << "the reason the window names";
        }
        EXPECT_TRUE(sprav.Files.empty());
    }
}

// A file larger than any book the reader takes is refused before a byte of it is read: no line number.
TEST(SpravFileLoad, FileTooLargeToBeABookIsNotRead) {
    TempFolder folder;
    const auto path = folder / "huge.bin";
    WriteBytes(path, "");
    std::filesystem::resize_file(path, std::uintmax_t{99'999} * 1001 + 1);  // sparse: costs no disk space
    RecordingSprav sprav;
    const sprav_file::ReadResult result = sprav_file::Load(path, sprav, kDirs.Tests);
    EXPECT_EQ(result.Failure, sprav_file::ReadFailure::TooManyLines);
    EXPECT_EQ(result.LineNumber, 0u);
    EXPECT_TRUE(sprav.Files.empty());
    EXPECT_TRUE(sprav.Messages.empty());
}

// What is not a regular file is never opened as one: a device never ends, a named pipe without a writer
// would block the open for good. Each attempt runs in a child process under an alarm, so that a reader
// that hangs or reads without end fails the test instead of stopping the suite.
TEST(SpravFileLoad, DevicesAndPipesAreRefusedWithoutReading) {
#ifdef _WIN32
    GTEST_SKIP() << "no named pipes or endless devices in the Windows file system; NUL is tested instead";
#else
    TempFolder folder;
    const auto fifo = folder / "pipe.spr";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::filesystem::path& path : {std::filesystem::path("/dev/zero"), fifo}) {
        for (const bool asPrefixFile : {false, true}) {
            SCOPED_TRACE(path.string() + (asPrefixFile ? " read whole" : " loaded"));
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                ::alarm(5);
                std::error_code error;
                if (asPrefixFile) {
                    std::string content;
                    error = ReadWholeFile(path, content, sprav_file::kMaxBookBytes);
                } else {
                    TSprav sprav;
                    const sprav_file::ReadResult result = sprav_file::Load(path, sprav, kDirs.Tests);
                    error = result.Failure == sprav_file::ReadFailure::CannotRead ? result.Error : error;
                }
                ::_exit(error == NotARegularFileError() ? 0 : 1);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            EXPECT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
            EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
        }
    }
#endif
}

#ifdef _WIN32
TEST(SpravFileLoad, DeviceNameIsRefused) {
    std::string content;
    EXPECT_TRUE(ReadWholeFile("NUL", content, sprav_file::kMaxBookBytes)) << "NUL read as an empty file";
}
#endif

// A file that grows past the largest book while it is read is cut off at that size, whatever its size
// claimed at the open.
TEST(SpravFileLoad, ReadingStopsAtTheLimitWhateverTheSizeClaims) {
    TempFolder folder;
    const auto path = folder / "prefixes.prf";
    WriteBytes(path, std::string(70'000, 'x'));
    std::string content;
    EXPECT_EQ(ReadWholeFile(path, content, 69'999), std::errc::file_too_large);
    EXPECT_TRUE(content.empty());
    EXPECT_FALSE(ReadWholeFile(path, content, 70'000));
    EXPECT_EQ(content.size(), 70'000u);
}

// A book opened before the service directories are set keeps its tokens, and saves back byte for byte.
TEST(SpravFileLoad, TokensSurviveUnsetDirectories) {
    const std::string book =
        " 0 <Tests>:\\dig\\la3.qor\r\n"
        "K155LA3|<Desc>:\\la3.pdf\r\n"
        "SN7400|\r\n"
        " 1 D:\\misc\\x.wsk\r\n"
        " 2 <Tests>:\r\n"
        "X|<Desc>:\r\n";
    TempFolder folder;
    TSprav sprav;
    ASSERT_TRUE(LoadBytes(folder, book, sprav, "").Ok());
    EXPECT_EQ(sprav.Files[0]->Path, "<Tests>:\\dig\\la3.qor");
    const ServiceDirectories unset{"", ""};
    ASSERT_TRUE(sprav_file::Save(folder / "copy.spr", sprav, unset).Ok());
    EXPECT_EQ(ReadBytes(folder / "copy.spr"), book);
}

// A book as Windows users write it: Windows-1251 names, token paths, a full path with a blank and a
// Cyrillic folder, analogs without descriptions.
TEST(SpravFileSample, DemoBookLoadsAndSavesBackByteForByte) {
    const std::filesystem::path sample = std::filesystem::path(QOR_TEST_DATA) / "demo.spr";
    ASSERT_TRUE(std::filesystem::is_regular_file(sample)) << sample.string();
    RecordingSprav sprav;
    ASSERT_TRUE(sprav_file::Load(sample, sprav, kDirs.Tests).Ok());
    EXPECT_TRUE(sprav.Messages.empty());
    ASSERT_EQ(sprav.Files.size(), 4u);
    EXPECT_EQ(sprav.Files[0]->Path, "C:\\Tests\\TTL\\LA3.qor");
    EXPECT_EQ(sprav.Files[3]->Path, "D:\\Tests misc\\\xCE\xD3\\140UD7.qor");
    std::vector<std::size_t> counts;
    for (const auto& file : sprav.Files) {
        counts.push_back(file->Sinonims.size());
    }
    EXPECT_EQ(counts, (std::vector<std::size_t>{5, 2, 3, 2}));
    EXPECT_EQ(sprav.Files[0]->Sinonims[0]->Name, "\xCA\x31\x35\x35\xCB\xC0\x33");  // К155ЛА3
    EXPECT_EQ(sprav.Files[0]->Sinonims[0]->DescPath, "<Desc>:\\TTL\\k155la3.pdf");
    EXPECT_EQ(sprav.Files[0]->Sinonims[2]->DescPath, "");
    EXPECT_EQ(sprav.Files[3]->Sinonims[1]->DescPath, "D:\\Datasheets\\ua741.pdf");
    EXPECT_EQ(sprav.CurrentFileIndex(), 3);
    EXPECT_EQ(sprav.CurrentSinonimIndex, 1);

    TempFolder folder;
    ASSERT_TRUE(sprav_file::Save(folder / "copy.spr", sprav, kDirs).Ok());
    EXPECT_EQ(ReadBytes(folder / "copy.spr"), ReadBytes(sample));
}

// ---------------------------------------------------------------- writing

TEST(SpravFileFormat, ExampleBookByteForByte) {
    TSprav sprav;
    sprav.AddTestFile("C:\\Tests\\dig\\la3.qor");
    sprav.AddSinonimWithDesc("K155LA3", "C:\\Desc\\la3.pdf");
    sprav.AddSinonim("SN7400");
    sprav.AddTestFile("D:\\misc\\x.wsk");
    EXPECT_EQ(Formatted(sprav),
              " 0 <Tests>:\\dig\\la3.qor\r\n"
              "K155LA3|<Desc>:\\la3.pdf\r\n"
              "SN7400|\r\n"
              " 1 D:\\misc\\x.wsk\r\n");
    // The model keeps its full paths: the tokens exist only in the file.
    EXPECT_EQ(sprav.Files[0]->Path, "C:\\Tests\\dig\\la3.qor");
    EXPECT_EQ(sprav.Files[0]->Sinonims[0]->DescPath, "C:\\Desc\\la3.pdf");
}

TEST(SpravFileFormat, PathsInTokenFormAndOtherPaths) {
    struct Case {
        const char* what;
        std::string path;
        std::string desc;
        ServiceDirectories dirs;
        std::string bytes;
    };
    const Case cases[] = {
        {"description already in token form", "C:\\Tests\\a.qor", "<Desc>:\\a.pdf", kDirs,
         " 0 <Tests>:\\a.qor\r\nN|<Desc>:\\a.pdf\r\n"},
        {"empty directories write everything in full",
         "C:\\Tests\\a.qor",
         "C:\\Desc\\a.pdf",
         {"", ""},
         " 0 C:\\Tests\\a.qor\r\nN|C:\\Desc\\a.pdf\r\n"},
        {"letter case differs", "c:\\tests\\a.qor", "c:\\desc\\a.pdf", kDirs,
         " 0 c:\\tests\\a.qor\r\nN|c:\\desc\\a.pdf\r\n"},
        {"directories with a trailing backslash",
         "C:\\Tests\\a.qor",
         "C:\\Desc\\a.pdf",
         {"C:\\Tests\\", "C:\\Desc\\"},
         " 0 <Tests>:a.qor\r\nN|<Desc>:a.pdf\r\n"},
        {"each path gets its own token", "C:\\Desc\\a.qor", "C:\\Tests\\a.pdf", kDirs,
         " 0 C:\\Desc\\a.qor\r\nN|C:\\Tests\\a.pdf\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TSprav sprav;
        sprav.AddTestFile(c.path);
        sprav.AddSinonimWithDesc("N", c.desc);
        EXPECT_EQ(Formatted(sprav, c.dirs), c.bytes);
    }
}

TEST(SpravFileSave, EmptyBookIsAZeroByteFileAndOneTestFileIsOneLine) {
    TempFolder folder;
    const auto path = folder / "book.spr";
    WriteBytes(path, "old content that must go\r\n");
    TSprav sprav;
    ASSERT_TRUE(sprav_file::Save(path, sprav, kDirs).Ok());
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);

    sprav.AddTestFile("C:\\Tests\\\xCE\xD3\\x.qor");
    ASSERT_TRUE(sprav_file::Save(path, sprav, kDirs).Ok());
    EXPECT_EQ(ReadBytes(path), " 0 <Tests>:\\\xCE\xD3\\x.qor\r\n");
    EXPECT_EQ(folder.Names(), std::set<std::string>{"book.spr"});
}

// Saving and loading again gives the same book: order, bytes, blanks and all, numbered by order.
TEST(SpravFileSave, RoundTripKeepsOrderAndBytes) {
    TSprav sprav;
    std::string allBytes;
    for (int c = 1; c < 256; ++c) {
        if (c != '\r' && c != '\n' && c != '|') {
            allBytes += static_cast<char>(c);
        }
    }
    sprav.AddTestFile("C:\\Tests\\TTL\\\xCB\xC0\x33.qor");
    sprav.AddSinonimWithDesc("\xCA\x31\x35\x35\xCB\xC0\x33", "<Desc>:\\TTL\\k155la3.pdf");
    sprav.AddSinonimWithDesc("SN74LS00 ", "D:\\\xC4\xE0\xF2\xE0\\sn74ls00.pdf");
    sprav.AddSinonimWithDesc("", "");
    sprav.AddSinonimWithDesc("x" + allBytes, allBytes + "|tail");
    sprav.AddTestFile("D:\\Tests misc\\ a  b .wsk ");
    sprav.AddTestFile("");
    sprav.AddSinonim("\xEA\xF0\x31\x35\x33\x33\xEB\xE0\x33");
    sprav.AddTestFile("C:\\Tests\\TTL\\\xCB\xC0\x33.qor");  // a duplicate stays a separate entry
    sprav.AddSinonim("\xCA\x31\x35\x35\xCB\xC0\x33");
    sprav.AddSinonim("\xCA\x31\x35\x35\xCB\xC0\x33");

    TempFolder folder;
    const auto path = folder / "book.spr";
    ASSERT_TRUE(sprav_file::Save(path, sprav, kDirs).Ok());
    const std::string first = ReadBytes(path);
    EXPECT_EQ(first, Formatted(sprav));

    TSprav loaded;
    ASSERT_TRUE(sprav_file::Load(path, loaded, kDirs.Tests).Ok());
    EXPECT_EQ(Dump(loaded), Dump(sprav));

    ASSERT_TRUE(sprav_file::Save(path, loaded, kDirs).Ok());
    EXPECT_EQ(ReadBytes(path), first);
}

TEST(SpravFileSave, PositionNumbersAreRewrittenFromOrder) {
    TempFolder folder;
    TSprav sprav;
    ASSERT_TRUE(LoadBytes(folder, " 12 C:\\x.qor\r\n 12 C:\\y.qor\r\na|\r\n 0 C:\\z.qor\r\n", sprav).Ok());
    sprav.DeleteTestFile(0);
    EXPECT_EQ(Formatted(sprav), " 0 C:\\y.qor\r\na|\r\n 1 C:\\z.qor\r\n");

    TSprav many;  // numbers of more than one digit
    for (int i = 0; i < 12; ++i) {
        many.AddTestFile("p");
    }
    const std::string text = Formatted(many);
    EXPECT_NE(text.find("\r\n 9 p\r\n 10 p\r\n 11 p\r\n"), std::string::npos);
}

// A line the reader would refuse, or text that would come back changed, is refused before any byte is
// written, and the refusal names the entry.
TEST(SpravFileSave, RefusalsNameTheEntryAndWriteNothing) {
    struct Case {
        const char* what;
        std::string path;
        std::string name;
        std::string desc;
        sprav_file::WriteFailure failure;
        std::string entry;
    };
    const std::string path996(996, 'p');  // " 0 " + 996 = 999 characters
    const std::string path997(997, 'p');
    const Case cases[] = {
        {"test-file line of 1 000", path997, "", "", sprav_file::WriteFailure::LineTooLong, path997},
        {"analog line of 1 000", "T", std::string(500, 'n'), std::string(499, 'd'),
         sprav_file::WriteFailure::LineTooLong, std::string(500, 'n')},
        {"analog line of 1 000 after the token", "T", "N", "<Desc>:" + std::string(991, 'd'),
         sprav_file::WriteFailure::LineTooLong, "N"},
        {"line break in a test-file path", "a\r\nb", "", "", sprav_file::WriteFailure::UnstorableText,
         "a\r\nb"},
        {"lone LF in a test-file path", "a\nb", "", "", sprav_file::WriteFailure::UnstorableText, "a\nb"},
        {"line break in a description", "T", "N", "a\rb", sprav_file::WriteFailure::UnstorableText, "N"},
        {"name with a leading blank", "T", " N", "", sprav_file::WriteFailure::UnstorableText, " N"},
        {"name with a bar", "T", "N|M", "", sprav_file::WriteFailure::UnstorableText, "N|M"},
        {"name with a line break", "T", "N\nM", "", sprav_file::WriteFailure::UnstorableText, "N\nM"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TSprav sprav;
        sprav.AddTestFile("C:\\Tests\\first.qor");
        sprav.AddSinonim("ok");
        sprav.AddTestFile(c.path);
        if (!c.name.empty() || !c.desc.empty()) {
            // Set directly: the model's own operations refuse such names.
            TSpravSinonim* s = sprav.AddSinonim("placeholder");
            s->Name = c.name;
            s->DescPath = c.desc;
        }
        TempFolder folder;
        const auto existing = folder / "old.spr";
        WriteBytes(existing, "old\r\n");
        for (const auto& target : {existing, folder / "new.spr"}) {
            const sprav_file::WriteResult result = sprav_file::Save(target, sprav, kDirs);
            EXPECT_EQ(result.Failure, c.failure);
            EXPECT_EQ(result.Entry, c.entry);
        }
        EXPECT_EQ(ReadBytes(existing), "old\r\n");
        EXPECT_EQ(folder.Names(), std::set<std::string>{"old.spr"});
    }
}

// The refusal names the first entry at fault in book order, whatever the fault of a later one.
TEST(SpravFileSave, FirstEntryAtFaultIsNamed) {
    TSprav sprav;
    sprav.AddTestFile("T");
    sprav.AddSinonimWithDesc("early", "a\nb");
    sprav.AddSinonimWithDesc(std::string(1000, 'n'), "");
    sprav.AddTestFile("late\r");
    std::string out;
    const sprav_file::WriteResult result = sprav_file::Format(sprav, kDirs, out);
    EXPECT_EQ(result.Failure, sprav_file::WriteFailure::UnstorableText);
    EXPECT_EQ(result.Entry, "early");

    sprav.Files[0]->Sinonims[0]->DescPath = "fine";
    EXPECT_EQ(sprav_file::Format(sprav, kDirs, out).Failure, sprav_file::WriteFailure::LineTooLong);
    sprav.Files[0]->Sinonims[1]->Name = "short";
    EXPECT_EQ(sprav_file::Format(sprav, kDirs, out).Entry, "late\r");
}

TEST(SpravFileSave, LongestLinesThatStillLoadAreWritten) {
    const ServiceDirectories dirs{"C:\\A rather long tests folder", "C:\\A rather long desc folder"};
    TSprav sprav;
    const std::string path996(996, 'p');
    sprav.AddTestFile(path996);
    sprav.AddSinonimWithDesc(std::string(500, 'n'), std::string(498, 'd'));
    // The limit applies to the written form: a long full path that shrinks to a token fits.
    sprav.AddTestFile(dirs.Tests + std::string(988, 'q'));
    sprav.AddSinonimWithDesc("N", dirs.Desc + std::string(990, 'e'));
    TempFolder folder;
    const auto path = folder / "book.spr";
    ASSERT_TRUE(sprav_file::Save(path, sprav, dirs).Ok());
    TSprav loaded;
    ASSERT_TRUE(sprav_file::Load(path, loaded, dirs.Tests).Ok());
    ASSERT_EQ(loaded.Files.size(), 2u);
    EXPECT_EQ(loaded.Files[0]->Path, path996);
    EXPECT_EQ(loaded.Files[0]->Sinonims[0]->DescPath, std::string(498, 'd'));
    EXPECT_EQ(loaded.Files[1]->Path, sprav.Files[1]->Path);
    EXPECT_EQ(loaded.Files[1]->Sinonims[0]->DescPath, "<Desc>:" + std::string(990, 'e'));
}

TEST(SpravFileSave, LineCountLimit) {
    struct Case {
        std::size_t analogs;  // of the one test file
        bool ok;
    };
    for (const Case c : {Case{99'997, true}, Case{99'998, false}}) {
        TSprav sprav;
        sprav.AddTestFile("T");
        for (std::size_t i = 0; i < c.analogs; ++i) {
            sprav.AddSinonim("N");
        }
        TempFolder folder;
        const auto path = folder / "book.spr";
        const sprav_file::WriteResult result = sprav_file::Save(path, sprav, kDirs);
        EXPECT_EQ(result.Ok(), c.ok) << c.analogs;
        if (c.ok) {
            TSprav loaded;
            EXPECT_TRUE(sprav_file::Load(path, loaded, "").Ok());
            EXPECT_EQ(loaded.Files[0]->Sinonims.size(), c.analogs);
        } else {
            EXPECT_EQ(result.Failure, sprav_file::WriteFailure::TooManyLines);
            EXPECT_TRUE(folder.Names().empty());
        }
    }
}

// Books that load but that no save can take: the save's normal form of some entry passes the reader's
// limit. CheckSavable names the entry right after the load, as Format would at every save.
TEST(SpravFileSave, BooksThatLoadButCannotBeSavedAreFoundAtLoad) {
    struct Case {
        const char* what;
        std::string bytes;
        sprav_file::WriteFailure failure;
        std::string entry;
    };
    const std::string path998(998, 'p');
    const std::string name999(999, 'n');
    const Case cases[] = {
        {"99 999 lines without a final line end", ManyLines(99'999, false),
         sprav_file::WriteFailure::TooManyLines, "L99998"},
        {"999-character test-file line without its position", " " + path998 + "\r\n",
         sprav_file::WriteFailure::LineTooLong, path998},
        {"999-character name without a bar", " 0 T\r\n" + name999 + "\r\n",
         sprav_file::WriteFailure::LineTooLong, name999},
        {"the second entry", " 0 T\r\nA|\r\n 1 U\r\n" + name999.substr(0, 500) + "\r\n",
         sprav_file::WriteFailure::LineTooLong, name999.substr(0, 500)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        TSprav sprav;
        ASSERT_TRUE(LoadBytes(folder, c.bytes, sprav).Ok());
        const sprav_file::WriteResult found = sprav_file::CheckSavable(sprav, kDirs);
        EXPECT_EQ(found.Failure, c.failure);
        EXPECT_EQ(found.Entry, c.entry);
        std::string out;
        const sprav_file::WriteResult formatted = sprav_file::Format(sprav, kDirs, out);
        EXPECT_EQ(formatted.Failure, found.Failure);
        EXPECT_EQ(formatted.Entry, found.Entry);
    }
}

// The save never writes a book its reader refuses: a control byte in what a line would hold is refused by
// name, and one in a directory that the token stands for is not written, so it refuses nothing.
TEST(SpravFileSave, ControlBytesInWhatIsWrittenAreRefused) {
    struct Case {
        const char* what;
        std::string path;
        std::string name;
        std::string desc;
        std::string entry;
    };
    const Case cases[] = {
        {"tab in a test-file path", "C:\\a\tb.qor", "", "", "C:\\a\tb.qor"},
        {"NUL in a test-file path", std::string("a\0.qor", 6), "", "", std::string("a\0.qor", 6)},
        {"tab in a name", "T", "N\tM", "", "N\tM"},
        {"escape in a description path", "T", "N", "C:\\\x1b.pdf", "N"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TSprav sprav;
        sprav.AddTestFile(c.path);
        if (!c.name.empty()) {
            TSpravSinonim* s = sprav.AddSinonim("placeholder");  // set directly: the model refuses them
            s->Name = c.name;
            s->DescPath = c.desc;
        }
        std::string out;
        const sprav_file::WriteResult formatted = sprav_file::Format(sprav, kDirs, out);
        EXPECT_EQ(formatted.Failure, sprav_file::WriteFailure::UnstorableText);
        EXPECT_EQ(formatted.Entry, c.entry);
        const sprav_file::WriteResult checked = sprav_file::CheckSavable(sprav, kDirs);
        EXPECT_EQ(checked.Failure, formatted.Failure);
        EXPECT_EQ(checked.Entry, formatted.Entry);
    }

    const ServiceDirectories broken{"C:\\T\r\n", "D:\\\t"};
    TSprav sprav;
    sprav.AddTestFile(broken.Tests + "\\a.qor");
    sprav.AddSinonimWithDesc("N", broken.Desc + "a.pdf");
    EXPECT_TRUE(sprav_file::CheckSavable(sprav, broken).Ok());
    EXPECT_EQ(Formatted(sprav, broken), " 0 <Tests>:\\a.qor\r\nN|<Desc>:a.pdf\r\n");
}

// CheckSavable agrees with Format on books Format takes and on every kind of refusal.
TEST(SpravFileSave, CheckSavableAgreesWithFormat) {
    std::vector<std::unique_ptr<TSprav>> books;
    auto book = [&]() -> TSprav& { return *books.emplace_back(std::make_unique<TSprav>()); };
    book();
    TSprav& tokens = book();
    tokens.AddTestFile(kDirs.Tests + std::string(988, 'q'));  // fits only in token form
    tokens.AddSinonimWithDesc("N", kDirs.Desc + std::string(990, 'e'));
    tokens.AddTestFile(kDirs.Tests + std::string(989, 'q'));  // one more is too long
    TSprav& positions = book();
    for (int i = 0; i < 11; ++i) {
        positions.AddTestFile(std::string(996, 'p'));  // " 10 " makes the eleventh too long
    }
    TSprav& unstorable = book();
    unstorable.AddTestFile("T");
    unstorable.AddSinonimWithDesc("a", "b\r");
    TSprav& lines = book();
    lines.AddTestFile("T");
    for (std::size_t i = 0; i < sprav_file::kMaxLines; ++i) {
        lines.AddSinonim(std::to_string(i));
    }
    for (const auto& sprav : books) {
        std::string out;
        const sprav_file::WriteResult formatted = sprav_file::Format(*sprav, kDirs, out);
        const sprav_file::WriteResult checked = sprav_file::CheckSavable(*sprav, kDirs);
        EXPECT_EQ(checked.Failure, formatted.Failure) << formatted.Entry.substr(0, 20);
        EXPECT_EQ(checked.Entry, formatted.Entry);
    }
    EXPECT_EQ(sprav_file::CheckSavable(*books[1], kDirs).Entry, kDirs.Tests + std::string(989, 'q'));
    EXPECT_EQ(sprav_file::CheckSavable(*books[2], kDirs).Failure, sprav_file::WriteFailure::LineTooLong);
    EXPECT_EQ(sprav_file::CheckSavable(*books[4], kDirs).Entry, std::to_string(sprav_file::kMaxLines - 1));
}

// ---------------------------------------------------------------- failed saves keep the old file

namespace {

TSprav& SmallBook() {
    static TSprav sprav;
    if (sprav.Files.empty()) {
        sprav.AddTestFile("C:\\Tests\\a.qor");
        sprav.AddSinonim("K155LA3");
    }
    return sprav;
}

void ExpectCannotWrite(const std::filesystem::path& target) {
    const sprav_file::WriteResult result = sprav_file::Save(target, SmallBook(), kDirs);
    EXPECT_EQ(result.Failure, sprav_file::WriteFailure::CannotWrite) << target;
    EXPECT_TRUE(result.Error) << target;
}

}  // namespace

TEST(SpravFileSaveFailure, MissingFolder) {
    TempFolder folder;
    ExpectCannotWrite(folder / "no such folder" / "book.spr");
    EXPECT_TRUE(folder.Names().empty());
}

// Holds for root too: nothing can be created below a regular file.
TEST(SpravFileSaveFailure, ParentIsARegularFile) {
    TempFolder folder;
    WriteBytes(folder / "plain", "old");
    ExpectCannotWrite(folder / "plain" / "book.spr");
    EXPECT_EQ(ReadBytes(folder / "plain"), "old");
    EXPECT_EQ(folder.Names(), std::set<std::string>{"plain"});
}

TEST(SpravFileSaveFailure, TargetIsADirectory) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "book.spr");
    WriteBytes(folder / "book.spr" / "inside", "x");
    ExpectCannotWrite(folder / "book.spr");
    EXPECT_TRUE(std::filesystem::is_directory(folder / "book.spr"));
    EXPECT_EQ(ReadBytes(folder / "book.spr" / "inside"), "x");
    EXPECT_EQ(folder.Names(), std::set<std::string>{"book.spr"});
}

#ifndef _WIN32
namespace {

// Whether saving SmallBook() to `target` fails with CannotWrite, tried without root's privileges: root
// may write any file, so as root the attempt runs in a child process switched to the user "nobody".
// Gives -1 when that switch is not possible.
int CannotWriteUnprivileged(const std::filesystem::path& target) {
    auto attempt = [&] {
        return sprav_file::Save(target, SmallBook(), kDirs).Failure == sprav_file::WriteFailure::CannotWrite;
    };
    if (::geteuid() != 0) {
        return attempt() ? 1 : 0;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        constexpr id_t kNobody = 65534;
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
            ::_exit(3);
        }
        ::_exit(attempt() ? 1 : 0);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) > 1) {
        return -1;
    }
    return WEXITSTATUS(status);
}

}  // namespace
#endif

TEST(SpravFileSaveFailure, ReadOnlyTargetFile) {
#ifdef _WIN32
    GTEST_SKIP() << "POSIX permissions and a switch to an unprivileged user; the read-only attribute is "
                    "tested on Windows below";
#else
    TempFolder folder;
    std::filesystem::permissions(folder.Path(), std::filesystem::perms::all);  // writable for "nobody" too
    const auto path = folder / "book.spr";
    WriteBytes(path, "old\r\n");
    std::filesystem::permissions(path, std::filesystem::perms(0444));
    const int refused = CannotWriteUnprivileged(path);
    if (refused < 0) {
        GTEST_SKIP() << "cannot run the save without root's privileges";
    }
    EXPECT_EQ(refused, 1);
    EXPECT_EQ(ReadBytes(path), "old\r\n");
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0444));
    EXPECT_EQ(folder.Names(), std::set<std::string>{"book.spr"});
#endif
}

#ifdef _WIN32
TEST(SpravFileSaveFailure, ReadOnlyAttributeIsRespected) {
    TempFolder folder;
    const auto path = folder / "book.spr";
    WriteBytes(path, "old\r\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    ExpectCannotWrite(path);
    EXPECT_EQ(ReadBytes(path), "old\r\n");
    EXPECT_EQ(folder.Names(), std::set<std::string>{"book.spr"});
    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}
#endif

TEST(SpravFileSaveFailure, ReadOnlyFolder) {
#ifdef _WIN32
    GTEST_SKIP() << "a folder's write permission is POSIX; Windows folders take no read-only attribute for "
                    "their files";
#else
    TempFolder folder;
    const auto path = folder / "book.spr";
    WriteBytes(path, "old\r\n");
    std::filesystem::permissions(path, std::filesystem::perms(0666));
    std::filesystem::permissions(folder.Path(), std::filesystem::perms(0555));
    const int refused = CannotWriteUnprivileged(path);
    std::filesystem::permissions(folder.Path(), std::filesystem::perms::owner_all);
    if (refused < 0) {
        GTEST_SKIP() << "cannot run the save without root's privileges";
    }
    EXPECT_EQ(refused, 1);
    EXPECT_EQ(ReadBytes(path), "old\r\n");
    EXPECT_EQ(folder.Names(), std::set<std::string>{"book.spr"});
#endif
}

// A write that fails half way (here: the file-size limit of the process) leaves the old file and no
// temporary file behind.
TEST(SpravFileSaveFailure, WriteFailingHalfWay) {
#ifdef _WIN32
    GTEST_SKIP() << "the file-size limit of a process (RLIMIT_FSIZE) is POSIX; SaveFaults covers a write "
                    "failing half way";
#else
    TSprav sprav;
    sprav.AddTestFile("T");
    for (int i = 0; i < 20'000; ++i) {
        sprav.AddSinonimWithDesc("SN74LS" + std::to_string(i), "<Desc>:\\TTL\\sn74ls.pdf");
    }
    TempFolder folder;
    const auto path = folder / "book.spr";
    WriteBytes(path, "old\r\n");

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const sprav_file::WriteResult result = sprav_file::Save(path, sprav, kDirs);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result.Failure, sprav_file::WriteFailure::CannotWrite);
    EXPECT_EQ(result.Error, std::make_error_code(std::errc::file_too_large));
    EXPECT_EQ(ReadBytes(path), "old\r\n");
    EXPECT_EQ(folder.Names(), std::set<std::string>{"book.spr"});
#endif
}

TEST(SpravFileSave, ReplacedFileKeepsItsPermissions) {
#ifdef _WIN32
    GTEST_SKIP() << "POSIX permission bits";
#else
    TempFolder folder;
    for (const auto perms :
         {std::filesystem::perms(0640), std::filesystem::perms(0604), std::filesystem::perms(0600)}) {
        const auto path = folder / "book.spr";
        WriteBytes(path, "old\r\n");
        std::filesystem::permissions(path, perms);
        ASSERT_TRUE(sprav_file::Save(path, SmallBook(), kDirs).Ok());
        EXPECT_EQ(std::filesystem::status(path).permissions(), perms);
        EXPECT_EQ(ReadBytes(path), Formatted(SmallBook()));
    }
    EXPECT_EQ(folder.Names(), std::set<std::string>{"book.spr"});
#endif
}

// A book reached through a symbolic link is saved where the link points, and the link stays.
TEST(SpravFileSave, SymbolicLinkIsFollowed) {
#ifdef _WIN32
    GTEST_SKIP()
        << "symbolic links need a privilege on Windows and are not made by Wine's CreateSymbolicLink";
#else
    TempFolder folder;
    std::filesystem::create_directory(folder / "shared");
    const auto real = folder / "shared" / "book.spr";
    WriteBytes(real, "old\r\n");
    std::filesystem::create_symlink(real, folder / "link.spr");
    ASSERT_TRUE(sprav_file::Save(folder / "link.spr", SmallBook(), kDirs).Ok());
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.spr"));
    EXPECT_EQ(ReadBytes(real), Formatted(SmallBook()));
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"link.spr", "shared"}));
    EXPECT_EQ(std::filesystem::directory_iterator(folder / "shared")->path().filename(), "book.spr");
#endif
}

TEST(SpravFileSave, NewFileGetsTheUsualPermissions) {
#ifdef _WIN32
    GTEST_SKIP() << "umask and POSIX permission bits";
#else
    const mode_t mask = ::umask(022);
    TempFolder folder;
    ASSERT_TRUE(sprav_file::Save(folder / "book.spr", SmallBook(), kDirs).Ok());
    ::umask(mask);
    EXPECT_EQ(std::filesystem::status(folder / "book.spr").permissions(), std::filesystem::perms(0644));
#endif
}
