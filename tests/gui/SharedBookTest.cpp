// A book on a shared folder: two editors open on one book, and other programs writing it, never have their
// saved work replaced without a question.
#include <QTest>

#include "tests/gui/MainWindowFixture.h"

namespace gui_test {
namespace {

class SharedBookTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        SetDirectories(Stored(QStringLiteral("T")));
        book = MakeFile(QStringLiteral("book.spr"), " 0 <Tests>:/a.qor\r\nA1|\r\n");
    }

    std::unique_ptr<TfmMain> OpenEditor() {
        auto editor = std::make_unique<TfmMain>();
        editor->FormCreate(book);
        return editor;
    }

    void AddName(TfmMain& editor, const QString& name) {
        editor.findChild<QLineEdit*>(QStringLiteral("eName"))->setText(name);
        editor.findChild<QPushButton*>(QStringLiteral("bbAddSinonim"))->click();
    }

    // Save over the book, answering the replace question Yes and, when asked, the question about another
    // program's changes with `overwrite` (Yes: merge, No: replace, Cancel). True when that question was
    // asked.
    bool SaveOver(TfmMain& editor, std::optional<MessageAnswer> overwrite) {
        desktop->QueueSaveFile(book);
        desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
        if (overwrite) {
            desktop->QueueMessageBoxAnswer(*overwrite);
        }
        editor.FileSave1Execute();
        EXPECT_EQ(desktop->Take().kind, DesktopCall::Kind::SaveFile);
        desktop->TakeMessageBox(QStringLiteral("Заменить существующий файл?"),
                                QStringLiteral("Редактор Справочников"), MessageIcon::Question,
                                MessageButtons::YesNo);
        if (desktop->UntakenCount() == 0) {
            return false;
        }
        const DesktopCall asked = desktop->Take();
        EXPECT_EQ(asked.kind, DesktopCall::Kind::MessageBox);
        EXPECT_EQ(asked.text, QStringLiteral("Справочник «") + book +
                                  QStringLiteral("» изменён другой программой, а в редакторе есть несохранённые "
                                                 "изменения."));
        EXPECT_EQ(asked.caption, kCaption);
        EXPECT_EQ(asked.icon, MessageIcon::Warning);
        EXPECT_EQ(asked.buttons, MessageButtons::MergeReplaceCancel);
        return true;
    }

    QString book;
};

TEST_F(SharedBookTest, TwoEditorsOnOneBookCannotSilentlyOverwriteEachOther) {
    std::unique_ptr<TfmMain> first = OpenEditor();
    std::unique_ptr<TfmMain> second = OpenEditor();
    AddName(*first, QStringLiteral("FIRST"));
    AddName(*second, QStringLiteral("SECOND"));

    // The first to save finds the book as it was read; saving again finds it as it wrote it.
    EXPECT_FALSE(SaveOver(*first, std::nullopt));
    EXPECT_EQ(ReadBytes(book), " 0 <Tests>:/a.qor\r\nA1|\r\nFIRST|\r\n");
    EXPECT_FALSE(SaveOver(*first, std::nullopt));

    // The second is asked; Cancel leaves the first one's work on disk and its own unsaved.
    EXPECT_TRUE(SaveOver(*second, MessageAnswer::Cancel));
    EXPECT_EQ(ReadBytes(book), " 0 <Tests>:/a.qor\r\nA1|\r\nFIRST|\r\n");
    EXPECT_TRUE(second->Modified());

    // "Заменить" replaces it; from then on the second editor's own file is what it knows.
    EXPECT_TRUE(SaveOver(*second, MessageAnswer::No));
    EXPECT_EQ(ReadBytes(book), " 0 <Tests>:/a.qor\r\nA1|\r\nSECOND|\r\n");
    EXPECT_FALSE(second->Modified());
    EXPECT_FALSE(SaveOver(*second, std::nullopt));
    // And now the first one is the one that is asked.
    EXPECT_TRUE(SaveOver(*first, MessageAnswer::Cancel));
}

TEST_F(SharedBookTest, AChangeOfTheSameSizeIsSeenAndRewritingTheSameBytesIsNot) {
    std::unique_ptr<TfmMain> editor = OpenEditor();
    AddName(*editor, QStringLiteral("B2"));

    const std::string original = ReadBytes(book);
    WriteBytes(book, original);  // touched, not changed
    EXPECT_FALSE(SaveOver(*editor, std::nullopt));

    std::string other = ReadBytes(book);
    other[other.size() - 4] = '3';  // B2 -> B3 by another program
    WriteBytes(book, other);
    AddName(*editor, QStringLiteral("C1"));
    EXPECT_TRUE(SaveOver(*editor, MessageAnswer::Cancel));
    EXPECT_EQ(ReadBytes(book), other);
}

// Enter on the real box: the overwrite question takes No unless Yes is chosen on purpose.
TEST(SharedBookQuestion, EnterAnswersNoWhereYesWouldLoseWork) {
    for (const auto& [buttons, expected] : {std::pair{MessageButtons::YesNoDefaultNo, MessageAnswer::No},
                                            std::pair{MessageButtons::YesNo, MessageAnswer::Yes}}) {
        WhenModal([](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); });
        EXPECT_EQ(platform::CurrentDialogs().MessageBox(QStringLiteral("?"), kCaption, MessageIcon::Warning,
                                                        buttons),
                  expected);
    }
}

}  // namespace
}  // namespace gui_test
