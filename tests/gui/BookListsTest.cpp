// The list models follow the book row by row: a view over them keeps what the user sees (its selection,
// its scrolling) through every change that does not touch those rows, and the typed-name lookup always
// answers for the rows as they are.
#include <gtest/gtest.h>

#include <QListView>
#include <QSignalSpy>

#include "forms/Book.h"
#include "tests/gui/MainWindowFixture.h"

namespace gui_test {
namespace {

class BookListsTest : public ::testing::Test {
protected:
    void SetUp() override {
        book.Sprav().OnMessage = [](const std::string&) {};
        for (const char* path : {"C:\\T\\a.qor", "C:\\T\\b.qor"}) {
            book.Sprav().AddTestFile(path);
        }
        book.Sprav().SetCurrentFile(0);
        for (const char* name : {"К155ЛА3", "SN7400", "к155ла3", "КР155ЛА3"}) {
            book.Sprav().AddSinonim(Cp(name));
        }
        names.setModel(&book.NameList());
    }

    TBook book;
    QListView names;
};

TEST_F(BookListsTest, TheNamesFollowTheCurrentTestFile) {
    EXPECT_EQ(Rows(&names), (QStringList{QStringLiteral("К155ЛА3"), QStringLiteral("SN7400"),
                                         QStringLiteral("к155ла3"), QStringLiteral("КР155ЛА3")}));
    book.Sprav().SetCurrentFile(1);
    EXPECT_EQ(Count(&names), 0);
    book.Sprav().AddSinonim("X");
    EXPECT_EQ(Rows(&names), QStringList{QStringLiteral("X")});
    book.Sprav().DeleteTestFile(1);
    EXPECT_EQ(Count(&names), 0);
    book.Sprav().SetCurrentFile(0);
    EXPECT_EQ(Count(&names), 4);
    book.Sprav().ClearAll();
    EXPECT_EQ(Count(&names), 0);
}

TEST_F(BookListsTest, AChangeIsAnnouncedAsRowsAndTheSelectionStays) {
    SetCurrentRow(&names, 3);
    QSignalSpy resets(&book.NameList(), &QAbstractItemModel::modelReset);
    QSignalSpy removals(&book.NameList(), &QAbstractItemModel::rowsRemoved);
    book.Sprav().DeleteSinonim(1);
    book.Sprav().AddSinonim("Y");
    book.Sprav().ChangeSinonim(book.Sprav().CurrentFile, 0, "Z", "");
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(removals.count(), 1);
    EXPECT_EQ(SelectedRow(&names), 2) << "the selected name moved up a row with the list";
    EXPECT_EQ(Rows(&names).at(0), QStringLiteral("Z"));
}

TEST_F(BookListsTest, TheLookupFindsTheFirstRowWhateverTheCaseAndFollowsEveryChange) {
    const TNameListModel& model = book.NameList();
    EXPECT_EQ(model.FindName(QStringLiteral("к155ЛА3")), 0);
    EXPECT_EQ(model.FindName(QStringLiteral("К155ЛА")), -1) << "the whole name, not a part";
    book.Sprav().DeleteSinonim(0);
    EXPECT_EQ(model.FindName(QStringLiteral("К155ЛА3")), 1) << "the other case is now the first";
    book.Sprav().AddSinonim(Cp("SN7400"));
    EXPECT_EQ(model.FindName(QStringLiteral("sn7400")), 0) << "an added copy does not take the first row";
    book.Sprav().ChangeSinonim(book.Sprav().CurrentFile, 0, "74LS00", "");
    EXPECT_EQ(model.FindName(QStringLiteral("sn7400")), 3);
    EXPECT_EQ(model.FindName(QStringLiteral("74ls00")), 0);
    book.Sprav().RemoveSinonims(*book.Sprav().CurrentFile, {0, 1});
    EXPECT_EQ(model.FindName(QStringLiteral("КР155ЛА3")), 0);
    EXPECT_EQ(model.FindName(QStringLiteral("74ls00")), -1);
}

TEST_F(BookListsTest, TestFilesShowInTokenFormAndFollowTheDirectory) {
    QListView files;
    files.setModel(&book.FileList());
    EXPECT_EQ(Rows(&files), (QStringList{QStringLiteral("C:\\T\\a.qor"), QStringLiteral("C:\\T\\b.qor")}));
    book.SetDirectories("C:\\T", "");
    EXPECT_EQ(Rows(&files),
              (QStringList{QStringLiteral("<Tests>:\\a.qor"), QStringLiteral("<Tests>:\\b.qor")}));
    SetCurrentRow(&files, 1);
    book.Sprav().AddTestFile("C:\\T\\c.qor");
    book.Sprav().DeleteTestFile(0);
    EXPECT_EQ(Rows(&files),
              (QStringList{QStringLiteral("<Tests>:\\b.qor"), QStringLiteral("<Tests>:\\c.qor")}));
    EXPECT_EQ(SelectedRow(&files), 0);
}

}  // namespace
}  // namespace gui_test
