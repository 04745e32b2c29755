// The find dialog driven while modal from the main window: what it lists for a filter, what it shows as
// the choice, and where the window lands when the choice is confirmed or the search cancelled.
#include <QListView>
#include <QTest>

#include <utility>
#include <vector>

#include "forms/fm_VvodSinonim.h"
#include "tests/gui/MainWindowFixture.h"

namespace gui_test {
namespace {

using Names = QStringList;

QStringList Listed(const TfmVvodSinonim& dialog) {
    QStringList rows;
    const QAbstractItemModel* model = dialog.lbNames->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        rows.append(model->index(row, 0).data().toString());
    }
    return rows;
}

int ChosenRow(const TfmVvodSinonim& dialog) {
    const QModelIndexList selected = dialog.lbNames->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.front().row();
}

void ClickRow(QListView* list, int row, bool twice = false) {
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    if (twice) {
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
}

// Where the window stands: the selected test file and analog, the model's current ones, the typed name.
struct Place {
    int file, name, currentFile, currentName;
    QString typed;
    bool operator==(const Place&) const = default;
};

void PrintTo(const Place& p, std::ostream* out) {
    *out << "files row " << p.file << ", names row " << p.name << ", current " << p.currentFile << "/"
         << p.currentName << ", eName \"" << p.typed.toStdString() << '"';
}

class FindDialogTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        // Test files lie in the tests directory, so the file list shows them in token form.
        SetDirectories(Stored(QString()));
        Start();
        window->FileNew1Execute();
    }

    // One test file per entry, with its names, in book order; the first test file is left current.
    void Book(const std::vector<std::pair<QString, Names>>& files) {
        for (const auto& [file, names] : files) {
            AddFiles({MakeFile(file)});
            for (const QString& name : names) {
                AddName(name);
            }
        }
        if (!files.empty()) {
            SetCurrentRow(lbFiles(), 0);
        }
        window->Book().SetModified(false);
    }

    // Opens the dialog (the find command unless told otherwise) and runs `steps` on it while it is modal;
    // the steps are expected to close it.
    void RunFind(const std::function<void(TfmVvodSinonim&)>& steps, const std::function<void()>& open = {}) {
        bool shown = false;
        WhenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<TfmVvodSinonim*>(modal);
            if (dialog == nullptr) {
                ADD_FAILURE() << "another dialog is open: " << modal->objectName().toStdString();
                modal->close();
                return;
            }
            shown = true;
            steps(*dialog);
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the steps left the dialog open";
                dialog->reject();
            }
        });
        if (open) {
            open();
        } else {
            Action("acFindSin")->trigger();
        }
        EXPECT_TRUE(shown);
    }

    Place Here() const {
        const TSprav& sprav = window->Book().Sprav();
        return {SelectedRow(lbFiles()), SelectedRow(lbNames()), sprav.CurrentFileIndex(),
                sprav.CurrentSinonimIndex, eName()->text()};
    }
};

TEST_F(FindDialogTest, CtrlFListsEveryAnalogInBookOrderWithTheFirstOnesFile) {
    Book({{QStringLiteral("a.qor"), {QStringLiteral("К155ЛА3"), QStringLiteral("74LS00")}},
          {QStringLiteral("empty.qor"), {}},
          {QStringLiteral("b.wsk"), {QStringLiteral("КР580ВМ80")}}});
    SetCurrentRow(lbFiles(), 2);
    const Place before = Here();
    ASSERT_TRUE(Rows(lbFiles())[0].startsWith(QStringLiteral("<Tests>:")));

    RunFind(
        [&](TfmVvodSinonim& dialog) {
            EXPECT_EQ(Listed(dialog), (Names{QStringLiteral("К155ЛА3"), QStringLiteral("74LS00"),
                                             QStringLiteral("КР580ВМ80")}));
            EXPECT_TRUE(dialog.edFilter->text().isEmpty());
            EXPECT_EQ(ChosenRow(dialog), 0);
            EXPECT_EQ(dialog.edFile->text(), PathOf(QStringLiteral("a.qor")));  // the full path
            EXPECT_TRUE(dialog.edFile->isReadOnly());
            EXPECT_EQ(Here(), before);  // showing the choice selects nothing in the window

            ClickRow(dialog.lbNames, 2);
            EXPECT_EQ(dialog.edFile->text(), PathOf(QStringLiteral("b.wsk")));
            EXPECT_EQ(std::pair(dialog.FileIndex, dialog.NameIndex), std::pair(2, 0));
            dialog.bbCancel->click();
        },
        [&] {
            window->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
            QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
        });
    EXPECT_EQ(Here(), before);
}

TEST_F(FindDialogTest, FilterIsRaisedToUpperCaseWithTheCaretKept) {
    Book({{QStringLiteral("a.qor"), {QStringLiteral("КЛA")}}});
    RunFind([](TfmVvodSinonim& dialog) {
        QLineEdit* filter = dialog.edFilter;
        TypeText(filter, QStringLiteral("л"));
        EXPECT_EQ(filter->text(), QStringLiteral("Л"));
        EXPECT_EQ(filter->cursorPosition(), 1);
        TypeText(filter, QStringLiteral("a"));
        EXPECT_EQ(filter->text(), QStringLiteral("ЛA"));
        QTest::keyClick(filter, Qt::Key_Home);
        TypeText(filter, QStringLiteral("к"));
        EXPECT_EQ(filter->text(), QStringLiteral("КЛA"));
        EXPECT_EQ(filter->cursorPosition(), 1);
        EXPECT_EQ(Listed(dialog), Names{QStringLiteral("КЛA")});
        dialog.reject();
    });
}

// A name matches when it holds the filter with letter case ignored, Cyrillic included; the first match
// becomes the choice and shows its test file.
TEST_F(FindDialogTest, FilterFindsNamesHoldingItInAnyLetterCase) {
    Book({{QStringLiteral("a.qor"), {QStringLiteral("К155ЛА3"), QStringLiteral("кр580вм80")}},
          {QStringLiteral("b.qor"),
           {QStringLiteral("74LS155"), QStringLiteral("sn7400n"), QStringLiteral("КТ315")}}});
    const struct {
        QString typed;
        Names listed;
        const char* file;
    } cases[] = {
        {QStringLiteral("155"), {QStringLiteral("К155ЛА3"), QStringLiteral("74LS155")}, "a.qor"},
        {QStringLiteral("ла"), {QStringLiteral("К155ЛА3")}, "a.qor"},
        {QStringLiteral("ВМ8"), {QStringLiteral("кр580вм80")}, "a.qor"},
        {QStringLiteral("SN74"), {QStringLiteral("sn7400n")}, "b.qor"},
        {QStringLiteral("74"), {QStringLiteral("74LS155"), QStringLiteral("sn7400n")}, "b.qor"},
        {QStringLiteral("т3"), {QStringLiteral("КТ315")}, "b.qor"},
    };
    RunFind([&](TfmVvodSinonim& dialog) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.typed.toStdString());
            dialog.edFilter->clear();
            EXPECT_EQ(Listed(dialog).size(), 5);
            TypeText(dialog.edFilter, c.typed);
            EXPECT_EQ(Listed(dialog), c.listed);
            EXPECT_EQ(ChosenRow(dialog), 0);
            EXPECT_EQ(dialog.edFile->text(), PathOf(QLatin1String(c.file)));
        }
        dialog.reject();
    });
}

// Raised by the user's locale, a letter still finds the names that hold it: a Turkish locale raises i to İ.
TEST_F(FindDialogTest, LetterRaisedByATurkishLocaleStillFindsItsNames) {
    Book({{QStringLiteral("a.qor"),
           {QStringLiteral("MC14IC"), QStringLiteral("ic74"), QStringLiteral("K1")}}});
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Turkish));
    RunFind([](TfmVvodSinonim& dialog) {
        TypeText(dialog.edFilter, QStringLiteral("ic"));
        // "İC" where the locale raises letters as Turkish does (Qt with ICU), "IC" where it cannot.
        EXPECT_EQ(dialog.edFilter->text(), QLocale().toUpper(QStringLiteral("ic")));
        EXPECT_EQ(Listed(dialog), (Names{QStringLiteral("MC14IC"), QStringLiteral("ic74")}));
        dialog.reject();
    });
    QLocale::setDefault(saved);
}

TEST_F(FindDialogTest, SameNameUnderTwoTestFilesGivesTwoRowsAndTheSecondJumpsThere) {
    Book({{QStringLiteral("a.qor"), {QStringLiteral("К155ЛА3"), QStringLiteral("КТ315")}},
          {QStringLiteral("b.qor"), {QStringLiteral("74LS00"), QStringLiteral("К155ЛА3")}}});
    RunFind([&](TfmVvodSinonim& dialog) {
        TypeText(dialog.edFilter, QStringLiteral("ла3"));
        EXPECT_EQ(Listed(dialog), (Names{QStringLiteral("К155ЛА3"), QStringLiteral("К155ЛА3")}));
        ClickRow(dialog.lbNames, 1);
        EXPECT_EQ(dialog.edFile->text(), PathOf(QStringLiteral("b.qor")));
        dialog.bbOk->click();
    });
    EXPECT_EQ(Here(), (Place{1, 1, 1, 1, QStringLiteral("К155ЛА3")}));
    EXPECT_EQ(Rows(lbNames()), (Names{QStringLiteral("74LS00"), QStringLiteral("К155ЛА3")}));
    EXPECT_FALSE(window->Modified());
}

// Every way a chooser confirms lands on the chosen row, here the third one.
TEST_F(FindDialogTest, ButtonDoubleClickAndEnterConfirm) {
    const std::pair<const char*, std::function<void(TfmVvodSinonim&)>> ways[] = {
        {"Выбрать",
         [](TfmVvodSinonim& d) {
             ClickRow(d.lbNames, 2);
             d.bbOk->click();
         }},
        {"double click", [](TfmVvodSinonim& d) { ClickRow(d.lbNames, 2, true); }},
        {"Enter on the list",
         [](TfmVvodSinonim& d) {
             d.lbNames->setFocus();
             QTest::keyClick(d.lbNames, Qt::Key_Down);
             QTest::keyClick(d.lbNames, Qt::Key_Down);
             QTest::keyClick(d.lbNames, Qt::Key_Return);
         }},
        {"arrows and Enter in the filter",
         [](TfmVvodSinonim& d) {
             QTest::keyClick(d.edFilter, Qt::Key_Down);
             QTest::keyClick(d.edFilter, Qt::Key_Down);
             EXPECT_EQ(d.edFile->text().right(5), QStringLiteral("b.qor"));
             QTest::keyClick(d.edFilter, Qt::Key_Return);
         }},
        {"Enter in the filter",
         [](TfmVvodSinonim& d) {
             TypeText(d.edFilter, QStringLiteral("b"));
             QTest::keyClick(d.edFilter, Qt::Key_Return);
         }},
    };
    Book({{QStringLiteral("a.qor"), {QStringLiteral("A1"), QStringLiteral("A2")}},
          {QStringLiteral("b.qor"), {QStringLiteral("B1"), QStringLiteral("B2")}}});
    for (const auto& [way, confirm] : ways) {
        SCOPED_TRACE(way);
        SetCurrentRow(lbFiles(), 0);
        RunFind([&](TfmVvodSinonim& dialog) { confirm(dialog); });
        EXPECT_EQ(Here(), (Place{1, 0, 1, 0, QStringLiteral("B1")}));
    }
}

TEST_F(FindDialogTest, FilterMatchingNothingKeepsThePreviousChoiceForVybrat) {
    Book({{QStringLiteral("a.qor"), {QStringLiteral("К155ЛА3"), QStringLiteral("КТ315")}},
          {QStringLiteral("b.qor"), {QStringLiteral("74LS00")}}});
    SetCurrentRow(lbFiles(), 1);
    RunFind([&](TfmVvodSinonim& dialog) {
        TypeText(dialog.edFilter, QStringLiteral("кт"));
        EXPECT_EQ(Listed(dialog), Names{QStringLiteral("КТ315")});
        TypeText(dialog.edFilter, QStringLiteral("Z"));
        EXPECT_TRUE(Listed(dialog).isEmpty());
        EXPECT_EQ(dialog.edFile->text(), PathOf(QStringLiteral("a.qor")));
        dialog.bbOk->click();
    });
    EXPECT_EQ(Here(), (Place{0, 1, 0, 1, QStringLiteral("КТ315")}));
}

TEST_F(FindDialogTest, CancellingLeavesTheWindowAsItWasAndNewNamesGoToTheSameFile) {
    const std::pair<const char*, std::function<void(TfmVvodSinonim&)>> ways[] = {
        {"Отменить", [](TfmVvodSinonim& d) { d.bbCancel->click(); }},
        {"Escape", [](TfmVvodSinonim& d) { QTest::keyClick(d.lbNames, Qt::Key_Escape); }},
    };
    Book({{QStringLiteral("a.qor"), {QStringLiteral("A1"), QStringLiteral("A2")}},
          {QStringLiteral("b.qor"), {QStringLiteral("B1")}}});
    SetCurrentRow(lbNames(), 1);
    const Place before = Here();
    ASSERT_EQ(before, (Place{0, 1, 0, 1, QStringLiteral("A2")}));
    for (const auto& [way, cancel] : ways) {
        SCOPED_TRACE(way);
        RunFind([&](TfmVvodSinonim& dialog) {
            TypeText(dialog.edFilter, QStringLiteral("b"));
            ClickRow(dialog.lbNames, 0);
            EXPECT_EQ(dialog.edFile->text(), PathOf(QStringLiteral("b.qor")));
            cancel(dialog);
        });
        EXPECT_EQ(Here(), before);
        EXPECT_EQ(Rows(lbNames()), (Names{QStringLiteral("A1"), QStringLiteral("A2")}));
        EXPECT_FALSE(window->Modified());
    }
    AddName(QStringLiteral("A3"));
    EXPECT_EQ(window->Book().Sprav().Files[0]->Sinonims.size(), 3u);
    EXPECT_EQ(window->Book().Sprav().Files[1]->Sinonims.size(), 1u);
}

// With nothing listed the choice stays at the first test file and its first analog, which may not exist.
TEST_F(FindDialogTest, ConfirmingOnAnEmptyBookIsSafe) {
    // Confirming runs the test-file click all the same, which empties the name field.
    eName()->setText(QStringLiteral("K155"));
    RunFind([](TfmVvodSinonim& dialog) {
        EXPECT_TRUE(Listed(dialog).isEmpty());
        EXPECT_TRUE(dialog.edFile->text().isEmpty());
        TypeText(dialog.edFilter, QStringLiteral("1"));
        dialog.bbOk->click();
    });
    EXPECT_EQ(Here(), (Place{-1, -1, -1, -1, QString()}));
    EXPECT_TRUE(Rows(lbFiles()).isEmpty());

    Book({{QStringLiteral("a.qor"), {}}, {QStringLiteral("b.qor"), {}}});
    SetCurrentRow(lbFiles(), 1);
    RunFind([](TfmVvodSinonim& dialog) {
        EXPECT_TRUE(Listed(dialog).isEmpty());
        EXPECT_TRUE(dialog.edFile->text().isEmpty());
        dialog.bbOk->click();
    });
    EXPECT_EQ(Here(), (Place{0, -1, 0, -1, QString()}));
    EXPECT_TRUE(Rows(lbNames()).isEmpty());
    EXPECT_FALSE(window->Modified());
}

}  // namespace
}  // namespace gui_test
