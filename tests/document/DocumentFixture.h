// The document on its own, as the document suites drive it: a book read from a file of a temporary folder,
// and a failure for any change of the book that no operation made.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/SpravFile.h"
#include "document/Book.h"
#include "platform/Text.h"
#include "tests/core/TempFolder.h"

namespace document_test {

// The refusals of names, as the user reads them.
inline const QString kUnstorableName = QStringLiteral(
    "Название микросхемы не может начинаться с пробела, содержать символ «|» или управляющие символы "
    "(перевод строки, табуляцию и т. п.).");
inline const QString kControlCharacters = QStringLiteral(
    "Текст содержит управляющие символы (перевод строки, табуляцию и т. п.): такой текст нельзя сохранить в "
    "справочнике.");
inline const QString kNameLineTooLong = QStringLiteral(
    "Название микросхемы вместе с путём к файлу описания длиннее 999 символов: такую строку справочник не "
    "сохранит.");
inline const QString kUnstorableText =
    QStringLiteral("Название содержит символы, которые нельзя сохранить в справочнике.");

// UTF-8 source text as the Windows-1251 bytes the book holds.
inline std::string Cp(const char* utf8) {
    return platform::ToCp1251(QString::fromUtf8(utf8)).value();
}

inline std::vector<std::string> Names(const TBook& book, std::size_t file = 0) {
    std::vector<std::string> names;
    for (const auto& name : book.Sprav().Files.at(file)->Sinonims) {
        names.push_back(name->Name);
    }
    return names;
}

// The book entry by entry, paths exactly as stored.
inline std::vector<std::string> Entries(const TBook& book) {
    std::vector<std::string> entries;
    for (const auto& file : book.Sprav().Files) {
        entries.push_back("file " + file->Path);
        for (const auto& sinonim : file->Sinonims) {
            entries.push_back("  " + sinonim->Name + "|" + sinonim->DescPath);
        }
    }
    return entries;
}

// The bytes a save would write now.
inline std::string SavedBytes(const TBook& book) {
    std::string bytes;
    EXPECT_TRUE(sprav_file::Format(book.Sprav(), book.Directories(), bytes).Ok());
    return bytes;
}

// A book of `lines` lines: one test file and its names N1, N2, ...
inline std::string BookOfLines(int lines) {
    std::string bytes = " 0 C:\\T\\t.qor\r\n";
    for (int i = 1; i < lines; ++i) {
        bytes += "N" + std::to_string(i) + "|\r\n";
    }
    return bytes;
}

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        TBookHistory::SetStrayChangeHandler([] { ADD_FAILURE() << "the book changed outside any operation"; });
    }
    void TearDown() override { TBookHistory::SetStrayChangeHandler({}); }

    // A book read from these bytes, its first test file current; nothing unsaved, nothing to undo.
    void BookOf(const std::string& bytes) {
        WriteBytes(folder / "book.spr", bytes);
        ASSERT_TRUE(book.Load(Path("book.spr")).Ok);
        book.SetCurrentFile(0);
    }
    // A book with one test file, current, holding `names`.
    void BookWith(const std::vector<const char*>& names) {
        std::string bytes = " 0 C:\\T\\a.qor\r\n";
        for (const char* name : names) {
            bytes += Cp(name) + "|\r\n";
        }
        BookOf(bytes);
    }
    std::string Path(const char* name) const { return (folder / name).string(); }

    TempFolder folder;
    TBook book;
    const std::function<bool(const std::string&)> yes = [](const std::string&) { return true; };
    const std::function<bool(const std::string&)> no = [](const std::string&) { return false; };
};

}  // namespace document_test
