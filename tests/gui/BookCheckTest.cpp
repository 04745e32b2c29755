// The book check from the Service menu: its report on a small book with one of each common trouble, the
// jump from a row to the main window, the report after the book changes, copying, and where help is found.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QToolButton>
#include <QProgressDialog>
#include <QScreen>
#include <QTest>
#include <QThread>
#include <QTreeWidget>

#include "forms/fm_BookCheck.h"
#include "platform/HelpFile.h"
#include "platform/Paths.h"
#include "tests/gui/MainWindowFixture.h"

namespace gui_test {
namespace {

class BookCheckTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        SetDirectories(Stored(QStringLiteral("T")), Stored(QStringLiteral("D")));
        MakeFile(QStringLiteral("T/a.qor"));
        MakeFile(QStringLiteral("T/b.qor"));
        MakeFile(QStringLiteral("D/la3.pdf"));
        // A missing test file, a missing datasheet and a doubled name.
        const QString book = MakeFile(QStringLiteral("book.spr"), Native(Cp(" 0 <Tests>:/a.qor\r\n"
                                                                            "К155ЛА3|<Desc>:/la3.pdf\r\n"
                                                                            "SN7400|<Desc>:/gone.pdf\r\n"
                                                                            " 1 <Tests>:/gone.qor\r\n"
                                                                            "КР1533ЛА3|\r\n"
                                                                            " 2 <Tests>:/b.qor\r\n"
                                                                            "К555ЛА3|\r\n"
                                                                            "К555ЛА3|\r\n")));
        Start(book);
    }

    QTreeWidget* Report() const { return window->findChild<QTreeWidget*>(QStringLiteral("lvFindings")); }
    TfmBookCheck* Dialog() const { return window->findChild<TfmBookCheck*>(); }

    std::vector<QStringList> ReportRows() const {
        std::vector<QStringList> rows;
        for (int i = 0; i < Report()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = Report()->topLevelItem(i);
            rows.push_back({item->text(0), item->text(1), item->text(2)});
        }
        return rows;
    }

    void DoubleClickRow(int row) {
        QTreeWidget* report = Report();
        const QRect rect = report->visualItemRect(report->topLevelItem(row));
        // A double click as a user makes it: the first click, then the second reported as a double one.
        QTest::mouseClick(report->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
        QTest::mouseDClick(report->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    }

    void ExpectShown(int file, int name, const QString& typed) {
        EXPECT_EQ(SelectedRow(lbFiles()), file);
        EXPECT_EQ(SelectedRow(lbNames()), name);
        EXPECT_EQ(eName()->text(), typed);
    }
};

TEST_F(BookCheckTest, CtrlKReportsEachTroubleWhereItIsAndJumpsThereWithoutChangingTheBook) {
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(lbFiles(), Qt::Key_K, Qt::ControlModifier);
    ASSERT_NE(Dialog(), nullptr);
    EXPECT_TRUE(Dialog()->isVisible());
    EXPECT_FALSE(Dialog()->isModal());

    const std::vector<QStringList> expected = {
        {QStringLiteral("Файл описания не найден: ") + PathOf(QStringLiteral("D/gone.pdf")),
         Native(QStringLiteral("<Tests>:/a.qor")), QStringLiteral("SN7400")},
        {QStringLiteral("Тестовый файл не найден: ") + PathOf(QStringLiteral("T/gone.qor")),
         Native(QStringLiteral("<Tests>:/gone.qor")), QString()},
        {QStringLiteral("Название повторяется (строка 1 списка аналогов)"),
         Native(QStringLiteral("<Tests>:/b.qor")), QStringLiteral("К555ЛА3")},
    };
    EXPECT_EQ(ReportRows(), expected);
    EXPECT_TRUE(Dialog()
                    ->findChild<QLabel*>(QStringLiteral("lbSummary"))
                    ->text()
                    .startsWith(QStringLiteral("Ошибок: 3. Сведений: 0.")));

    // Double-click and Enter both jump; Enter leaves the report open for the next row.
    DoubleClickRow(0);
    ExpectShown(0, 1, QStringLiteral("SN7400"));
    EXPECT_EQ(edFileInfo()->text(), Native(QStringLiteral("<Desc>:/gone.pdf")));
    Report()->setFocus();
    Report()->setCurrentItem(Report()->topLevelItem(1));
    QTest::keyClick(Report(), Qt::Key_Return);
    ExpectShown(1, 0, QStringLiteral("КР1533ЛА3"));  // a test file is shown as a click on it shows it
    EXPECT_TRUE(Dialog()->isVisible());
    DoubleClickRow(2);
    ExpectShown(2, 1, QStringLiteral("К555ЛА3"));

    // The check and the jumps only read: nothing to save.
    EXPECT_FALSE(window->Modified());
    EXPECT_EQ(window->Book().Sprav().Files[2]->Sinonims.size(), 2u);

    Dialog()->findChild<QPushButton*>(QStringLiteral("bbCopy"))->click();
    const QString copied = QApplication::clipboard()->text();
    EXPECT_TRUE(
        copied.contains(Native(QStringLiteral("Ошибка\tНазвание повторяется (строка 1 списка аналогов)\t"
                                              "<Tests>:/b.qor\tК555ЛА3\n"))))
        << copied.toStdString();
    EXPECT_EQ(copied.count(QLatin1Char('\n')), 2 + 3);
}

TEST_F(BookCheckTest, AfterTheBookChangesARowIsFollowedToWhereItIsNowOrReportedGone) {
    window->findChild<QAction*>(QStringLiteral("acCheckSprav"))->trigger();
    ASSERT_EQ(Report()->topLevelItemCount(), 3);

    // Test file 0 goes, with the missing datasheet under it: the doubled name moves up to test file 1.
    window->ShowAnalog(0, -1);
    desktop->QueueMessageBoxAnswer(MessageAnswer::Yes);
    Action("acDeleteFile")->trigger();
    desktop->Take();
    EXPECT_TRUE(Dialog()->IsStale());
    EXPECT_TRUE(Dialog()
                    ->findChild<QLabel*>(QStringLiteral("lbSummary"))
                    ->text()
                    .contains(QStringLiteral("Справочник изменён после проверки")));

    DoubleClickRow(2);  // the doubled name, made when it was under test file 2
    ExpectShown(1, 1, QStringLiteral("К555ЛА3"));
    EXPECT_FALSE(Dialog()->IsStale());
    EXPECT_EQ(Report()->topLevelItemCount(), 2);

    // New empties the book: the row of the missing test file is checked again and is gone.
    window->Book().SetModified(false);
    window->FileNew1Execute();
    DoubleClickRow(0);
    desktop->TakeInformation(
        QStringLiteral("Справочник изменился, и этой ошибки в нём больше нет. Проверка выполнена заново."));
    EXPECT_EQ(Report()->topLevelItemCount(), 0);
    EXPECT_EQ(Count(lbFiles()), 0);
}

// A rename may leave an analog without a name; the check says so where it is, and its row jumps there.
TEST_F(BookCheckTest, AnAnalogRenamedToNothingIsReportedAndJumpedTo) {
    window->ShowAnalog(1, 0);
    eName()->clear();
    Button("bbEditSinonim")->click();
    ASSERT_EQ(window->Book().Sprav().Files[1]->Sinonims[0]->Name, "");

    window->findChild<QAction*>(QStringLiteral("acCheckSprav"))->trigger();
    const std::vector<QStringList> rows = ReportRows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[2], (QStringList{QStringLiteral("Пустое название аналога (строка 1 списка аналогов)"),
                                    Native(QStringLiteral("<Tests>:/gone.qor")), QString()}));
    EXPECT_TRUE(Dialog()
                    ->findChild<QLabel*>(QStringLiteral("lbSummary"))
                    ->text()
                    .startsWith(QStringLiteral("Ошибок: 4. Сведений: 0.")));

    DoubleClickRow(0);
    ExpectShown(0, 1, QStringLiteral("SN7400"));
    DoubleClickRow(2);
    ExpectShown(1, 0, QString());
}

TEST_F(BookCheckTest, ARowWhoseEntryWasRenamedBehindTheReportsBackIsNotFollowedBlindly) {
    window->findChild<QAction*>(QStringLiteral("acCheckSprav"))->trigger();
    // A change the report was not told of: the entry at the row's place is another one now.
    window->Book().Sprav().Files[2]->Sinonims[1]->Name = Cp("К555ЛА4");
    DoubleClickRow(2);
    desktop->TakeInformation(
        QStringLiteral("Справочник изменился, и этой ошибки в нём больше нет. Проверка выполнена заново."));
    EXPECT_EQ(Report()->topLevelItemCount(), 2);
}

TEST_F(BookCheckTest, ASlowCheckShowsItsProgressAndCanBeStopped) {
    window->FileNew1Execute();
    QStringList paths;
    for (int i = 0; i < 3000; ++i) {
        paths.append(QStringLiteral("/slow/%1.qor").arg(i));
    }
    window->Book().AddTestFiles(paths, [](const std::string&) { return true; });
    window->findChild<QAction*>(QStringLiteral("acCheckSprav"))
        ->trigger();  // quick: the disk answers at once
    ASSERT_NE(Dialog(), nullptr);
    // A share that answers in a millisecond a file: three seconds in all, unless stopped.
    Dialog()->SetFileExists([](const std::string&) {
        QThread::msleep(1);
        return false;
    });
    QString progressText;
    WhenModal([&progressText](QWidget* modal) {
        auto* progress = qobject_cast<QProgressDialog*>(modal);
        ASSERT_NE(progress, nullptr);
        progressText = progress->labelText();
        QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
    });
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(Dialog()->RunCheck());
    EXPECT_LT(timer.elapsed(), 2500);
    EXPECT_EQ(progressText, QStringLiteral("Проверка справочника..."));
    EXPECT_GT(Report()->topLevelItemCount(), 0);
    EXPECT_LT(Report()->topLevelItemCount(), 3000);
    EXPECT_TRUE(Dialog()
                    ->findChild<QLabel*>(QStringLiteral("lbSummary"))
                    ->text()
                    .contains(QStringLiteral("Проверка прервана: показано найденное до остановки.")));
}

// The report opens where the user can read it and still fix what it lists: over no list, no name field and
// none of its buttons, though the screen below the window is all the room there is.
TEST_F(BookCheckTest, TheReportOpensClearOfTheListsAndTheNameEntry) {
    const QRect screen = window->screen()->availableGeometry();
    for (const bool prefixPanel : {false, true}) {
        // The window where it was, then moved down and right: a report opened again finds its place anew.
        const QSize size(screen.width() * 3 / 4, screen.height() - 340);
        for (const QRect& geometry : {QRect(screen.topLeft(), size),
                                      QRect(screen.bottomRight() - QPoint(size.width(), size.height()) +
                                                QPoint(1, 1),
                                            size)}) {
            if (Dialog() != nullptr) {
                Dialog()->close();
                QApplication::processEvents();
            }
            window->setGeometry(geometry);
            if (prefixPanel && !window->findChild<QWidget*>(QStringLiteral("paPref"))->isVisible()) {
                window->findChild<QToolButton*>(QStringLiteral("bbRight"))->click();
            }
            QApplication::processEvents();
            window->findChild<QAction*>(QStringLiteral("acCheckSprav"))->trigger();
            ASSERT_NE(Dialog(), nullptr);
            QApplication::processEvents();
            const QRect report = Dialog()->frameGeometry();
            const std::string where = std::string(prefixPanel ? "with" : "without") + " the prefix panel, window at " +
                                      std::to_string(geometry.x()) + "," + std::to_string(geometry.y());
            EXPECT_TRUE(screen.contains(report)) << report.x() << "," << report.y() << " " << where;
            for (const char* name :
                 {"lbFiles", "lbNames", "eName", "bbAddSinonim", "bbEditSinonim", "bbDelSinonim"}) {
                const QWidget* control = window->findChild<QWidget*>(QLatin1String(name));
                ASSERT_TRUE(control != nullptr && control->isVisible()) << name << " " << where;
                EXPECT_FALSE(report.intersects(QRect(control->mapToGlobal(QPoint(0, 0)), control->size())))
                    << name << " " << where;
            }
        }
    }
}

TEST(ReportPlace, BesideTheWindowOverItsFreePanelsOrWhereItCoversLeast) {
    const auto covered = [](const QPoint& at, QSize size, const QList<QRect>& keepClear) {
        qint64 area = 0;
        for (const QRect& clear : keepClear) {
            const QRect both = QRect(at, size).intersected(clear);
            area += both.isEmpty() ? 0 : qint64(both.width()) * both.height();
        }
        return area;
    };
    // Room at the window's right: there, level with its top.
    EXPECT_EQ(forms::ClearPlace(QSize(400, 300), QRect(0, 0, 1600, 900), QRect(0, 0, 800, 600),
                                {QRect(10, 60, 380, 500), QRect(400, 60, 390, 500)}),
              QPoint(800, 0));

    // A maximized window: over the panels below the lists and the name entry, inside the screen.
    const QRect screen(0, 0, 1920, 1050);
    const QList<QRect> controls{QRect(0, 60, 900, 500),    QRect(910, 60, 1000, 500),
                                QRect(910, 570, 600, 25),  QRect(1520, 570, 120, 25),
                                QRect(1650, 570, 120, 25), QRect(1780, 570, 120, 25)};
    const QPoint maximized = forms::ClearPlace(QSize(680, 330), screen, screen, controls);
    EXPECT_EQ(covered(maximized, QSize(680, 330), controls), 0) << maximized.x() << "," << maximized.y();
    EXPECT_TRUE(screen.contains(QRect(maximized, QSize(680, 330))));

    // No clear place at all: where the least is covered, nearest the window's right top among equals.
    const QList<QRect> crowded{QRect(0, 0, 50, 100), QRect(50, 40, 50, 20)};
    const QPoint least =
        forms::ClearPlace(QSize(50, 50), QRect(0, 0, 100, 100), QRect(0, 0, 100, 100), crowded);
    EXPECT_EQ(covered(least, QSize(50, 50), crowded), 500);
    EXPECT_EQ(least, QPoint(50, 0));
}

TEST(HelpLookup, TheHelpFileComesFirstThenTheGuideBesideTheProgramThenTheInstalledGuide) {
    QTemporaryDir folder;
    const std::string root = platform::ToStoredPath(QDir::toNativeSeparators(folder.path())).value();
    const std::string exe = root + "/bin/Prog";
    const std::vector<std::string> candidates = platform::HelpCandidates(exe);
#ifdef _WIN32
    // On Windows the program and its guide lie in one folder, with nothing installed elsewhere.
    ASSERT_EQ(candidates.size(), 2u);
#else
    ASSERT_EQ(candidates.size(), 3u);
    EXPECT_EQ(candidates[2], root + "/share/qor-sprav/Prog.html");
#endif
    EXPECT_EQ(candidates[0], root + "/bin/Prog.chm");
    EXPECT_EQ(candidates[1], root + "/bin/Prog.html");

    EXPECT_EQ(platform::FindHelpFile(candidates), "");
    QDir(folder.path()).mkpath(QStringLiteral("bin"));
    QDir(folder.path()).mkpath(QStringLiteral("share/qor-sprav"));
    for (int i = static_cast<int>(candidates.size()) - 1; i >= 0; --i) {
        WriteBytes(QString::fromStdString(candidates[static_cast<std::size_t>(i)]), "x");
        EXPECT_EQ(platform::FindHelpFile(candidates), candidates[static_cast<std::size_t>(i)]);
    }
}

}  // namespace
}  // namespace gui_test
