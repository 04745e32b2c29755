// Test files and chip names: the commands, the selection chain and the enabled states, through the real
// widgets of the main window.
#include <QKeyEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "forms/FormMessages.h"
#include "forms/NamePanel.h"
#include "forms/PrefixPanel.h"
#include "tests/gui/MainWindowFixture.h"

namespace gui_test {
namespace {

const QString kDuplicateCaption = QStringLiteral("Справочник");
const QString kDeleteFileQuestion =
    QStringLiteral("Вы действительно хотите далит текущий файл и все названия микросхем с ним связанные?");
const QString kDeleteNameQuestion = QStringLiteral("Удалить выбранный аналог?");

QString DuplicateQuestion(const QString& path) {
    return QStringLiteral("Файл'") + path +
           QStringLiteral("' уже существует. Вы хотите добавить этот же файл еще раз?");
}

class BookEditingTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        SetDirectories("/T");
        Start();
        window->FileNew1Execute();
    }

    // A test file with the given names, made current and shown.
    void BookWithNames(const QStringList& names) {
        AddFiles({MakeFile(QStringLiteral("t1.qor"))});
        for (const QString& name : names) {
            AddName(name);
        }
        window->Book().SetModified(false);
    }

    void ExpectStates(bool add, bool del) {
        EXPECT_EQ(Button("bbAddSinonim")->isEnabled(), add);
        EXPECT_EQ(Button("bbDelSinonim")->isEnabled(), del);
        EXPECT_EQ(Find<QWidget>("clbPref")->isEnabled(), add);
    }
};

TEST_F(BookEditingTest, AddingSeveralFilesAsksOnlyAboutTheDuplicate) {
    const QString a = MakeFile(QStringLiteral("a.qor"));
    const QString b = MakeFile(QStringLiteral("b.wsk"));
    const QString c = MakeFile(QStringLiteral("c.qor"));
    AddFiles({b});
    window->Book().SetModified(false);

    desktop->QueueOpenFiles(QStringList{a, b, c});
    desktop->QueueMessageBoxAnswer(MessageAnswer::No);
    Action("acAddFile")->trigger();

    const DesktopCall dialog = desktop->Take();
    EXPECT_EQ(dialog.options.Filter, QStringLiteral("AllTest|*.qor;*.wsk|QOR|*.qor|WSK|*.wsk"));
    EXPECT_EQ(dialog.options.FilterIndex, 1);
    EXPECT_TRUE(dialog.options.Title.isEmpty());
    EXPECT_EQ(dialog.options.InitialDir, QStringLiteral("/T"));  // the tests directory
    desktop->TakeMessageBox(DuplicateQuestion(b), kDuplicateCaption, MessageIcon::Question,
                            MessageButtons::YesNo);

    EXPECT_EQ(Rows(lbFiles()), (QStringList{b, a, c}));
    EXPECT_EQ(SelectedRow(lbFiles()), 2);
    EXPECT_EQ(window->Book().Sprav().CurrentFileIndex(), 2);
    EXPECT_TRUE(window->Modified());
}

TEST_F(BookEditingTest, TestFilesBelowTheTestsDirectoryShowInTokenForm) {
    window->Book().SetDirectories(Stored(QStringLiteral("tests")), window->Book().DirPDF());
    const QString inside = MakeFile(QStringLiteral("tests/dig/la3.qor"));
    AddFiles({inside});
    EXPECT_EQ(Rows(lbFiles()), QStringList{Native(QStringLiteral("<Tests>:/dig/la3.qor"))});
    EXPECT_EQ(window->Book().Sprav().Files[0]->Path, Stored(QStringLiteral("tests/dig/la3.qor")));
    // The duplicate test compares the full path, not the shown one.
    AddFiles({inside}, {MessageAnswer::No});
    desktop->TakeMessageBox(DuplicateQuestion(inside), kDuplicateCaption, MessageIcon::Question,
                            MessageButtons::YesNo);
}

TEST_F(BookEditingTest, CancelledAddStillMarksTheBook) {
    desktop->QueueOpenFiles(std::nullopt);
    Action("acAddFile")->trigger();
    desktop->Take();
    EXPECT_TRUE(window->Modified());
    EXPECT_EQ(Count(lbFiles()), 0);
}

TEST_F(BookEditingTest, PathsWindows1251CannotHoldAreSkipped) {
    const QString good = MakeFile(QStringLiteral("good.qor"));
    const QString bad = MakeFile(QStringLiteral("тест-中.qor"));
    AddFiles({bad, good});
    desktop->TakeInformation(
        QStringLiteral("Путь содержит символы, которые нельзя сохранить в справочнике: ") + bad);
    EXPECT_EQ(Rows(lbFiles()), QStringList{good});
}

TEST_F(BookEditingTest, DeletingTestFilesKeepsTheSelectionChain) {
    const QString a = MakeFile(QStringLiteral("a.qor"));
    const QString b = MakeFile(QStringLiteral("b.qor"));
    const QString c = MakeFile(QStringLiteral("c.qor"));
    const QString d = MakeFile(QStringLiteral("d.qor"));
    AddFiles({a, b, c, d});
    SetCurrentRow(lbFiles(), 1);
    AddName(QStringLiteral("SN7400"));
    window->Book().SetModified(false);

    // No: nothing goes, but the book counts as changed.
    desktop->QueueMessageBoxAnswer(MessageAnswer::No);
    Action("acDeleteFile")->trigger();
    desktop->TakeMessageBox(kDeleteFileQuestion, kCaption, MessageIcon::Question, MessageButtons::YesNo);
    EXPECT_EQ(Count(lbFiles()), 4);
    EXPECT_TRUE(window->Modified());

    // Yes: the row below moves up and becomes selected and current, though rows follow it.
    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    Action("acDeleteFile")->trigger();
    desktop->Take();
    EXPECT_EQ(Rows(lbFiles()), (QStringList{a, c, d}));
    EXPECT_EQ(SelectedRow(lbFiles()), 1);
    EXPECT_EQ(window->Book().Sprav().CurrentFile, window->Book().Sprav().Files[1].get());
    EXPECT_TRUE(Rows(lbNames()).isEmpty());
    SetCurrentRow(lbFiles(), 2);
    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    Action("acDeleteFile")->trigger();
    desktop->Take();
    EXPECT_EQ(Rows(lbFiles()), (QStringList{a, c}));

    // Deleting the last row while it is current selects the row above: a list with rows keeps one
    // selected, and the next name goes to the test file shown.
    SetCurrentRow(lbFiles(), 0);
    AddName(QStringLiteral("K155LA3"));
    SetCurrentRow(lbFiles(), 1);
    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    Action("acDeleteFile")->trigger();
    desktop->Take();
    EXPECT_EQ(Rows(lbFiles()), QStringList{a});
    EXPECT_EQ(SelectedRow(lbFiles()), 0);
    EXPECT_EQ(window->Book().Sprav().CurrentFile, window->Book().Sprav().Files[0].get());
    EXPECT_EQ(Rows(lbNames()), QStringList{QStringLiteral("K155LA3")});
    AddName(QStringLiteral("K155LA4"));
    EXPECT_EQ(window->Book().Sprav().Files[0]->Sinonims.size(), 2u);

    // The only row deleted: nothing is left to select.
    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    Action("acDeleteFile")->trigger();
    desktop->Take();
    EXPECT_EQ(Count(lbFiles()), 0);
    EXPECT_EQ(window->Book().Sprav().CurrentFile, nullptr);
    EXPECT_EQ(Count(lbNames()), 0);
}

TEST_F(BookEditingTest, DeleteKeyOnTheListsRunsTheDeleteCommands) {
    BookWithNames({QStringLiteral("K1"), QStringLiteral("K2")});
    lbNames()->setFocus();
    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    QTest::keyClick(lbNames(), Qt::Key_Delete);
    desktop->TakeMessageBox(kDeleteNameQuestion, kCaption, MessageIcon::Question, MessageButtons::YesNo);
    EXPECT_EQ(Rows(lbNames()), QStringList{QStringLiteral("K1")});

    desktop->QueueMessageBoxAnswer(MessageAnswer::No);
    QTest::keyClick(lbFiles(), Qt::Key_Delete);
    desktop->TakeMessageBox(kDeleteFileQuestion, kCaption, MessageIcon::Question, MessageButtons::YesNo);
    EXPECT_EQ(Count(lbFiles()), 1);
}

TEST_F(BookEditingTest, SelectingATestFileShowsItsNamesAndFirstName) {
    AddFiles({MakeFile(QStringLiteral("a.qor")), MakeFile(QStringLiteral("b.qor"))});
    SetCurrentRow(lbFiles(), 0);
    AddName(QStringLiteral("A1"));
    AddName(QStringLiteral("A2"));
    SetCurrentRow(lbFiles(), 1);
    EXPECT_TRUE(Rows(lbNames()).isEmpty());
    EXPECT_TRUE(eName()->text().isEmpty());

    QTest::keyClick(lbFiles(), Qt::Key_Up);
    EXPECT_EQ(SelectedRow(lbFiles()), 0);
    EXPECT_EQ(Rows(lbNames()), (QStringList{QStringLiteral("A1"), QStringLiteral("A2")}));
    EXPECT_EQ(SelectedRow(lbNames()), 0);
    EXPECT_EQ(eName()->text(), QStringLiteral("A1"));

    // The same test file again keeps its current name.
    SetCurrentRow(lbNames(), 1);
    EXPECT_EQ(eName()->text(), QStringLiteral("A2"));
    window->lbFilesClick();
    EXPECT_EQ(SelectedRow(lbNames()), 1);
    EXPECT_EQ(eName()->text(), QStringLiteral("A2"));
}

TEST_F(BookEditingTest, MouseClicksOnRowsSelectWhatWasClicked) {
    AddFiles({MakeFile(QStringLiteral("a.qor")), MakeFile(QStringLiteral("b.qor"))});
    SetCurrentRow(lbFiles(), 0);
    AddName(QStringLiteral("A1"));
    AddName(QStringLiteral("A2"));
    SetCurrentRow(lbFiles(), 1);
    AddName(QStringLiteral("B1"));

    auto click = [](QListView* list, int row) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, RowRect(list, row).center());
    };
    click(lbFiles(), 0);
    EXPECT_EQ(window->Book().Sprav().CurrentFileIndex(), 0);
    EXPECT_EQ(Rows(lbNames()), (QStringList{QStringLiteral("A1"), QStringLiteral("A2")}));
    click(lbNames(), 1);
    EXPECT_EQ(eName()->text(), QStringLiteral("A2"));
    EXPECT_EQ(window->Book().Sprav().CurrentSinonimIndex, 1);
    click(lbFiles(), 1);
    EXPECT_EQ(Rows(lbNames()), QStringList{QStringLiteral("B1")});
    eName()->setText(QStringLiteral("B2"));
    Button("bbAddSinonim")->click();
    EXPECT_EQ(window->Book().Sprav().Files[1]->Sinonims.size(), 2u);
    EXPECT_EQ(window->Book().Sprav().Files[0]->Sinonims.size(), 2u);
}

TEST_F(BookEditingTest, AListWithRowsKeepsItsSelectedRowWhateverTheMouseOrKeyboardDo) {
    AddFiles({MakeFile(QStringLiteral("a.qor")), MakeFile(QStringLiteral("b.qor"))});
    SetCurrentRow(lbFiles(), 0);
    AddName(QStringLiteral("A1"));
    AddName(QStringLiteral("A2"));
    SetCurrentRow(lbNames(), 0);
    window->resize(900, 700);
    QApplication::processEvents();

    const auto tryToDeselect = [&](QListView* list) {
        const int selected = SelectedRow(list);
        ASSERT_GE(selected, 0);
        const QPoint below(5, list->viewport()->height() - 3);
        ASSERT_FALSE(list->indexAt(below).isValid()) << "the list must have room below its last row";
        const QPoint onSelected = RowRect(list, selected).center();
        // Each gesture on its own: a failed one gives the row back before the next.
        const auto expectKept = [&](const char* gesture) {
            EXPECT_EQ(SelectedRow(list), selected) << gesture;
            if (SelectedRow(list) != selected) {
                SetCurrentRow(list, selected);
            }
        };
        list->setFocus();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, below);
        expectKept("click below the last row");
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, below);
        expectKept("double click below the last row");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, onSelected);
        expectKept("Ctrl+click on the selected row");
        QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
        expectKept("Ctrl+Space");
    };
    tryToDeselect(lbNames());
    EXPECT_EQ(eName()->text(), QStringLiteral("A1"));
    tryToDeselect(lbFiles());
    EXPECT_EQ(window->Book().Sprav().CurrentFileIndex(), 0);
    EXPECT_EQ(Rows(lbNames()), (QStringList{QStringLiteral("A1"), QStringLiteral("A2")}));
    EXPECT_EQ(SelectedRow(lbNames()), 0);

    // The rows still change hands as usual, and the next name goes to the selected test file, no question.
    QTest::mouseClick(lbFiles()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      RowRect(lbFiles(), 1).center());
    EXPECT_EQ(SelectedRow(lbFiles()), 1);
    AddName(QStringLiteral("B1"));
    EXPECT_EQ(window->Book().Sprav().Files[1]->Sinonims.size(), 1u);
    EXPECT_EQ(desktop->UntakenCount(), 0);
}

TEST_F(BookEditingTest, EnabledStatesFollowTheTypedName) {
    BookWithNames({QStringLiteral("К155ЛА3"), QStringLiteral("SN7400")});
    SetCurrentRow(lbNames(), 0);

    eName()->clear();
    ExpectStates(true, false);
    TypeText(eName(), QStringLiteral("к155ла3"));  // the other letter case, Cyrillic too
    ExpectStates(false, true);
    eName()->setText(QStringLiteral(" К155ЛА3"));  // a leading blank makes another name
    ExpectStates(true, false);
    // A listed name typed while another row is selected: delete removes the selected row.
    eName()->setText(QStringLiteral("sn7400"));
    ExpectStates(false, true);
    EXPECT_EQ(SelectedRow(lbNames()), 0);
    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    Button("bbDelSinonim")->click();
    desktop->Take();
    EXPECT_EQ(Rows(lbNames()), QStringList{QStringLiteral("SN7400")});
}

TEST_F(BookEditingTest, ListedNameWithNoSelectedRowKeepsDeleteDisabled) {
    BookWithNames({QStringLiteral("SN7400")});
    window->RefreshNames(false);  // a rebuild without reselection leaves no row selected
    eName()->setText(QStringLiteral("sn7400"));
    ExpectStates(false, false);
}

TEST_F(BookEditingTest, AddingANameSelectsItAndDisablesAdd) {
    BookWithNames({});
    AddName(QStringLiteral("КР1533ЛА3"));
    EXPECT_EQ(Rows(lbNames()), QStringList{QStringLiteral("КР1533ЛА3")});
    EXPECT_EQ(SelectedRow(lbNames()), 0);
    EXPECT_EQ(window->Book().Sprav().CurrentSinonimIndex, 0);
    EXPECT_EQ(window->Book().Sprav().CurrentFile->Sinonims[0]->Name, Cp("КР1533ЛА3"));
    ExpectStates(false, true);
    EXPECT_TRUE(window->Modified());
    EXPECT_EQ(eName()->selectedText(), eName()->text());  // ready for the next name

    // Enter in the name field adds while the add button is enabled, and does nothing once it is not.
    eName()->setText(QStringLiteral("SN74LS00"));
    QTest::keyClick(eName(), Qt::Key_Return);
    EXPECT_EQ(Count(lbNames()), 2);
    QTest::keyClick(eName(), Qt::Key_Return);
    EXPECT_EQ(Count(lbNames()), 2);

    // The menu item adds even then: a second row with the same name.
    Action("acAddName")->trigger();
    EXPECT_EQ(Rows(lbNames()), (QStringList{QStringLiteral("КР1533ЛА3"), QStringLiteral("SN74LS00"),
                                            QStringLiteral("SN74LS00")}));
}

TEST_F(BookEditingTest, ARefusedNameStaysInTheFieldToBeCorrected) {
    BookWithNames({QStringLiteral("K1")});
    ASSERT_EQ(SelectedRow(lbNames()), 0);
    const QString unstorable = QStringLiteral(
        "Название микросхемы не может начинаться с пробела, содержать символ «|» или управляющие символы "
        "(перевод строки, табуляцию и т. п.).");
    eName()->setText(QStringLiteral(" K2"));
    Button("bbAddSinonim")->click();
    desktop->TakeInformation(unstorable);
    EXPECT_EQ(eName()->text(), QStringLiteral(" K2"));
    EXPECT_EQ(Rows(lbNames()), QStringList{QStringLiteral("K1")});

    eName()->setText(QStringLiteral("K|2"));
    Find<QPushButton>("bbEditSinonim")->click();
    desktop->TakeInformation(unstorable);
    EXPECT_EQ(eName()->text(), QStringLiteral("K|2"));
    EXPECT_EQ(Rows(lbNames()), QStringList{QStringLiteral("K1")});

    // The datasheet chosen for the refused name stays beside it, not the selected analog's: corrected and
    // added, the new name takes the file the user chose.
    window->Book().Sprav().CurrentFile->Sinonims[0]->DescPath = "/d/x.pdf";
    window->RefreshNames(true);
    ASSERT_TRUE(edFileInfo()->text().endsWith(QStringLiteral("x.pdf")));
    eName()->setText(QStringLiteral(" K2"));
    desktop->QueueOpenFile(MakeFile(QStringLiteral("y.pdf")));
    Find<QPushButton>("bbLoadFileInfo")->click();
    desktop->Take();
    const QString chosen = edFileInfo()->text();
    ASSERT_TRUE(chosen.endsWith(QStringLiteral("y.pdf")));
    for (const char* button : {"bbAddSinonim", "bbEditSinonim"}) {
        Find<QPushButton>(button)->click();
        desktop->TakeInformation(unstorable);
        EXPECT_EQ(eName()->text(), QStringLiteral(" K2")) << button;
        EXPECT_EQ(edFileInfo()->text(), chosen) << button;
    }
    eName()->setText(QStringLiteral("K2"));
    Button("bbAddSinonim")->click();
    ASSERT_EQ(window->Book().Sprav().CurrentFile->Sinonims.size(), 2u);
    EXPECT_TRUE(QString::fromStdString(window->Book().Sprav().CurrentFile->Sinonims[1]->DescPath).endsWith("y.pdf"));
    EXPECT_EQ(window->Book().Sprav().CurrentFile->Sinonims[0]->DescPath, "/d/x.pdf");
}

TEST_F(BookEditingTest, PrefixMarksShowWhichPrefixedNamesAreListed) {
    MakeFile(QStringLiteral("pref.prf"), Cp("КР") + "\r\nSN\r\n");
    SetSetting("Software\\QOR_Sprav", "FilePreff", Stored(QStringLiteral("pref.prf")));
    Stop();
    Start();
    window->FileNew1Execute();
    BookWithNames({QStringLiteral("КР155ЛА3"), QStringLiteral("155ЛА3")});
    auto* clbPref = Find<QListWidget>("clbPref");
    ASSERT_EQ(clbPref->count(), 2);
    eName()->setText(QStringLiteral("155ла3"));  // other letter case, Cyrillic
    EXPECT_EQ(clbPref->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(clbPref->item(1)->checkState(), Qt::Unchecked);
    eName()->setText(QStringLiteral("155ЛА"));
    EXPECT_EQ(clbPref->item(0)->checkState(), Qt::Unchecked);
}

// The user deselects the test file's row: no test file is current, and a name typed then is refused.
TEST_F(BookEditingTest, ANameTypedWithTheTestFileDeselectedIsRefused) {
    AddFiles({MakeFile(QStringLiteral("a.qor"))});
    lbFiles()->clearSelection();
    EXPECT_EQ(window->Book().Sprav().CurrentFile, nullptr);
    eName()->setText(QStringLiteral("K155"));
    Action("acAddName")->trigger();
    desktop->TakeInformation(QStringLiteral("Выберите файл."));
    EXPECT_TRUE(window->Book().Sprav().Files[0]->Sinonims.empty());
}

TEST_F(BookEditingTest, NewNameCarriesTheShownDescriptionPath) {
    BookWithNames({});
    window->Book().AddName(QStringLiteral("K1"), QStringLiteral("<Desc>:/k1.pdf"));
    window->RefreshNames(true);
    EXPECT_EQ(edFileInfo()->text(), QStringLiteral("<Desc>:/k1.pdf"));
    AddName(QStringLiteral("K2"));
    EXPECT_EQ(window->Book().Sprav().CurrentFile->Sinonims[1]->DescPath, "<Desc>:/k1.pdf");

    // Right after selecting a test file the description is empty, and so is a new name's.
    AddFiles({MakeFile(QStringLiteral("b.qor"))});
    EXPECT_TRUE(edFileInfo()->text().isEmpty());
    AddName(QStringLiteral("K3"));
    EXPECT_EQ(window->Book().Sprav().CurrentFile->Sinonims[0]->DescPath, "");
}

TEST_F(BookEditingTest, RenamingKeepsThePositionAndTheDescription) {
    BookWithNames({QStringLiteral("K1"), QStringLiteral("K2")});
    window->Book().Sprav().CurrentFile->Sinonims[0]->DescPath = "/d/k1.pdf";
    SetCurrentRow(lbNames(), 1);
    SetCurrentRow(lbNames(), 0);
    eName()->setText(QStringLiteral("K1A"));
    Find<QPushButton>("bbEditSinonim")->click();
    EXPECT_EQ(Rows(lbNames()), (QStringList{QStringLiteral("K1A"), QStringLiteral("K2")}));
    EXPECT_EQ(window->Book().Sprav().CurrentFile->Sinonims[0]->DescPath, "/d/k1.pdf");
    EXPECT_EQ(SelectedRow(lbNames()), 0);
    ExpectStates(false, true);
    EXPECT_TRUE(window->Modified());

    // An empty new name is taken as it is.
    eName()->clear();
    Find<QPushButton>("bbEditSinonim")->click();
    EXPECT_EQ(Rows(lbNames()), (QStringList{QString(), QStringLiteral("K2")}));

    // With no selected row only the flag changes.
    window->RefreshNames(false);
    window->Book().SetModified(false);
    eName()->setText(QStringLiteral("X"));
    window->NamesPanel().bbEditSinonimClick();
    EXPECT_EQ(Rows(lbNames()), (QStringList{QString(), QStringLiteral("K2")}));
    EXPECT_TRUE(window->Modified());
}

TEST_F(BookEditingTest, DeletingNamesSelectsTheOneThatMovesUp) {
    BookWithNames({QStringLiteral("K1"), QStringLiteral("K2"), QStringLiteral("K3")});
    SetCurrentRow(lbNames(), 1);

    desktop->QueueMessageBoxAnswer(MessageAnswer::No);
    Action("acDeleteName")->trigger();
    desktop->TakeMessageBox(kDeleteNameQuestion, kCaption, MessageIcon::Question, MessageButtons::YesNo);
    EXPECT_EQ(Count(lbNames()), 3);
    EXPECT_FALSE(window->Modified());

    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    Action("acDeleteName")->trigger();
    desktop->Take();
    EXPECT_EQ(Rows(lbNames()), (QStringList{QStringLiteral("K1"), QStringLiteral("K3")}));
    EXPECT_EQ(SelectedRow(lbNames()), 1);
    EXPECT_EQ(eName()->text(), QStringLiteral("K3"));
    EXPECT_TRUE(window->Modified());

    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    Action("acDeleteName")->trigger();
    desktop->Take();
    // The last one deleted: the one above is selected and shown, so the list keeps a selected row.
    EXPECT_EQ(Rows(lbNames()), QStringList{QStringLiteral("K1")});
    EXPECT_EQ(SelectedRow(lbNames()), 0);
    EXPECT_EQ(eName()->text(), QStringLiteral("K1"));

    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    Action("acDeleteName")->trigger();
    desktop->Take();
    EXPECT_EQ(Count(lbNames()), 0);
    EXPECT_TRUE(eName()->text().isEmpty());
    ExpectStates(true, false);

    Action("acDeleteName")->trigger();
    desktop->TakeInformation(QStringLiteral("Не выбрано навание микросхемы (аналог)."));
}

TEST_F(BookEditingTest, DroppedTestFilesAreAddedLikeChosenOnes) {
    const QString a = MakeFile(QStringLiteral("a.qor"));
    const QString notATest = MakeFile(QStringLiteral("notes.txt"));
    AddFiles({a});
    window->Book().SetModified(false);

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(notATest),
                  QUrl::fromLocalFile(MakeFile(QStringLiteral("b.WSK")))});
    QWidget* viewport = lbFiles()->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    desktop->QueueMessageBoxAnswer(MessageAnswer::No);
    QCoreApplication::sendEvent(viewport, &drop);
    EXPECT_TRUE(drop.isAccepted());
    QTRY_COMPARE(Count(lbFiles()), 2);
    desktop->TakeMessageBox(DuplicateQuestion(a), kDuplicateCaption, MessageIcon::Question,
                            MessageButtons::YesNo);
    EXPECT_EQ(Rows(lbFiles()), (QStringList{a, PathOf(QStringLiteral("b.WSK"))}));
    EXPECT_TRUE(window->Modified());

    QMimeData other;
    other.setUrls({QUrl::fromLocalFile(notATest)});
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &other, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &refused);
    EXPECT_FALSE(refused.isAccepted());
}

TEST_F(BookEditingTest, ABookBuiltByHandSurvivesSaveAndReopen) {
    AddFiles({MakeFile(QStringLiteral("a.qor")), MakeFile(QStringLiteral("b.wsk"))});
    SetCurrentRow(lbFiles(), 0);
    AddName(QStringLiteral("К155ЛА3"));
    AddName(QStringLiteral("SN7400"));
    SetCurrentRow(lbFiles(), 1);
    AddName(QStringLiteral("КР1533ЛА3"));

    desktop->QueueSaveFile(PathOf(QStringLiteral("hand.spr")));
    ASSERT_TRUE(window->FileSave1Execute());
    desktop->Take();
    window->FileNew1Execute();
    desktop->QueueOpenFile(PathOf(QStringLiteral("hand.spr")));
    window->FileOpen1Execute();
    desktop->Take();

    EXPECT_EQ(Rows(lbFiles()),
              (QStringList{PathOf(QStringLiteral("a.qor")), PathOf(QStringLiteral("b.wsk"))}));
    SetCurrentRow(lbFiles(), 0);
    EXPECT_EQ(Rows(lbNames()), (QStringList{QStringLiteral("К155ЛА3"), QStringLiteral("SN7400")}));
    SetCurrentRow(lbFiles(), 1);
    EXPECT_EQ(Rows(lbNames()), QStringList{QStringLiteral("КР1533ЛА3")});
    EXPECT_FALSE(window->Modified());
}

// However the row came to be selected, the add button says whether the typed name may be added.
TEST_F(BookEditingTest, AddButtonFollowsTheTypedNameAfterASelection) {
    BookWithNames({QStringLiteral("A"), QStringLiteral("B")});
    window->RefreshNames(true);  // as opening a book does after its load already selected the analog
    EXPECT_EQ(eName()->text(), QStringLiteral("B"));
    ExpectStates(false, true);
    SetCurrentRow(lbNames(), 0);
    EXPECT_EQ(eName()->text(), QStringLiteral("A"));
    ExpectStates(false, true);
}

// Enter adds the typed name from any control without an Enter of its own; a focused button is pressed.
TEST_F(BookEditingTest, EnterAddsFromAnyControlButPressesAFocusedButton) {
    BookWithNames({QStringLiteral("A")});
    QApplication::setActiveWindow(window.get());
    eName()->setText(QStringLiteral("NEW"));
    lbFiles()->setFocus();
    QTest::keyClick(lbFiles(), Qt::Key_Return);
    EXPECT_EQ(Rows(lbNames()), (QStringList{QStringLiteral("A"), QStringLiteral("NEW")}));

    eName()->setText(QStringLiteral("RENAMED"));
    Button("bbEditSinonim")->setFocus();
    QTest::keyClick(Button("bbEditSinonim"), Qt::Key_Return);
    EXPECT_EQ(Rows(lbNames()), (QStringList{QStringLiteral("A"), QStringLiteral("RENAMED")}));

    eName()->setText(QStringLiteral("A"));  // listed: the add button is off and Enter adds nothing
    QTest::keyClick(lbNames(), Qt::Key_Return);
    EXPECT_EQ(Count(lbNames()), 2);
}

// Deleting the last, current row makes the row above current; it and every later refresh show it selected
// with its names, or the next name would go to a test file nobody sees.
TEST_F(BookEditingTest, TestFileMadeCurrentByARefreshIsSelectedAndShown) {
    AddFiles({MakeFile(QStringLiteral("a.qor"))});
    AddName(QStringLiteral("IN_A"));
    AddFiles({MakeFile(QStringLiteral("b.qor"))});
    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    Action("acDeleteFile")->trigger();
    desktop->Take();
    EXPECT_EQ(SelectedRow(lbFiles()), 0);
    EXPECT_EQ(Rows(lbNames()), QStringList{QStringLiteral("IN_A")});

    desktop->QueueOpenFiles(std::nullopt);  // a cancelled add dialog refreshes the list
    Action("acAddFile")->trigger();
    desktop->Take();
    EXPECT_EQ(SelectedRow(lbFiles()), 0);
    EXPECT_EQ(Rows(lbNames()), QStringList{QStringLiteral("IN_A")});
    AddName(QStringLiteral("ALSO_IN_A"));
    EXPECT_EQ(window->Book().Sprav().Files[0]->Sinonims.size(), 2u);
}

}  // namespace
}  // namespace gui_test

namespace gui_test {
namespace {

// A path the book cannot hold is said where it comes, before the question about the next file.
TEST_F(BookEditingTest, RefusalsAndQuestionsComeInTheOrderOfTheChosenFiles) {
    const QString listed = MakeFile(QStringLiteral("a.qor"));
    AddFiles({listed});
    const QString foreign = PathOf(QStringLiteral("中.qor"));
    AddFiles({foreign, listed}, {MessageAnswer::No});
    desktop->TakeInformation(QStringLiteral("Путь содержит символы, которые нельзя сохранить в справочнике: ") +
                             foreign);
    desktop->TakeMessageBox(DuplicateQuestion(listed), kDuplicateCaption, MessageIcon::Question,
                            MessageButtons::YesNo);
    EXPECT_EQ(Count(lbFiles()), 1);
}

}  // namespace
}  // namespace gui_test
