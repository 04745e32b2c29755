// The list models follow the book row by row: a view over them keeps what the user sees (its selection,
// its scrolling) through every change that does not touch those rows, and the typed-name lookup always
// answers for the rows as they are.
#include <gtest/gtest.h>

#include <QListView>
#include <QSignalSpy>

#include "document/BookLists.h"
#include "tests/gui/MainWindowFixture.h"

namespace gui_test {
namespace {

class BookListsTest : public ::testing::Test {
protected:
    void SetUp() override {
        sprav.OnMessage = [](const std::string&) {};
        for (const char* path : {"C:\\T\\a.qor", "C:\\T\\b.qor"}) {
            sprav.AddTestFile(path);
        }
        sprav.SetCurrentFile(0);
        for (const char* name : {"К155ЛА3", "SN7400", "к155ла3", "КР155ЛА3"}) {
            sprav.AddSinonim(Cp(name));
        }
        names.setModel(&nameList);
    }

    // The models over a bare model, changed directly: what they show does not depend on who changes it.
    TSprav sprav;
    TFileListModel fileList{sprav};
    TNameListModel nameList{sprav};
    QListView names;
};

TEST_F(BookListsTest, TheNamesFollowTheCurrentTestFile) {
    EXPECT_EQ(Rows(&names), (QStringList{QStringLiteral("К155ЛА3"), QStringLiteral("SN7400"),
                                         QStringLiteral("к155ла3"), QStringLiteral("КР155ЛА3")}));
    sprav.SetCurrentFile(1);
    EXPECT_EQ(Count(&names), 0);
    sprav.AddSinonim("X");
    EXPECT_EQ(Rows(&names), QStringList{QStringLiteral("X")});
    sprav.DeleteTestFile(1);
    EXPECT_EQ(Count(&names), 0);
    sprav.SetCurrentFile(0);
    EXPECT_EQ(Count(&names), 4);
    sprav.ClearAll();
    EXPECT_EQ(Count(&names), 0);
}

TEST_F(BookListsTest, AChangeIsAnnouncedAsRowsAndTheSelectionStays) {
    SetCurrentRow(&names, 3);
    QSignalSpy resets(&nameList, &QAbstractItemModel::modelReset);
    QSignalSpy removals(&nameList, &QAbstractItemModel::rowsRemoved);
    sprav.DeleteSinonim(1);
    sprav.AddSinonim("Y");
    sprav.ChangeSinonim(sprav.CurrentFile, 0, "Z", "");
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(removals.count(), 1);
    EXPECT_EQ(SelectedRow(&names), 2) << "the selected name moved up a row with the list";
    EXPECT_EQ(Rows(&names).at(0), QStringLiteral("Z"));
}

TEST_F(BookListsTest, TheLookupFindsTheFirstRowWhateverTheCaseAndFollowsEveryChange) {
    const TNameListModel& model = nameList;
    EXPECT_EQ(model.FindName(QStringLiteral("к155ЛА3")), 0);
    EXPECT_EQ(model.FindName(QStringLiteral("К155ЛА")), -1) << "the whole name, not a part";
    sprav.DeleteSinonim(0);
    EXPECT_EQ(model.FindName(QStringLiteral("К155ЛА3")), 1) << "the other case is now the first";
    sprav.AddSinonim(Cp("SN7400"));
    EXPECT_EQ(model.FindName(QStringLiteral("sn7400")), 0) << "an added copy does not take the first row";
    sprav.ChangeSinonim(sprav.CurrentFile, 0, "74LS00", "");
    EXPECT_EQ(model.FindName(QStringLiteral("sn7400")), 3);
    EXPECT_EQ(model.FindName(QStringLiteral("74ls00")), 0);
    sprav.RemoveSinonims(*sprav.CurrentFile, {0, 1});
    EXPECT_EQ(model.FindName(QStringLiteral("КР155ЛА3")), 0);
    EXPECT_EQ(model.FindName(QStringLiteral("74ls00")), -1);
}

TEST_F(BookListsTest, TestFilesShowInTokenFormAndFollowTheDirectory) {
    QListView files;
    files.setModel(&fileList);
    EXPECT_EQ(Rows(&files), (QStringList{QStringLiteral("C:\\T\\a.qor"), QStringLiteral("C:\\T\\b.qor")}));
    fileList.SetDirTests("C:\\T");
    EXPECT_EQ(Rows(&files),
              (QStringList{QStringLiteral("<Tests>:\\a.qor"), QStringLiteral("<Tests>:\\b.qor")}));
    SetCurrentRow(&files, 1);
    sprav.AddTestFile("C:\\T\\c.qor");
    sprav.DeleteTestFile(0);
    EXPECT_EQ(Rows(&files),
              (QStringList{QStringLiteral("<Tests>:\\b.qor"), QStringLiteral("<Tests>:\\c.qor")}));
    EXPECT_EQ(SelectedRow(&files), 0);
}

}  // namespace
}  // namespace gui_test
