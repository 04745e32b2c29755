// The directories dialog, driven while modal as a user would drive it.
#include "forms/fm_Dir.h"

#include "forms/DirectoryEdit.h"
#include "platform/Text.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/ScriptedDesktop.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using gui_test::WhenModal;
using test_support::DesktopCall;
using test_support::ScriptedDesktop;

const std::string kTests = "C:\\Tests";
const std::string kPDF = "D:\\\xCE\xEF\xE8\xF1\xE0\xED\xE8\xFF\\";  // D:\Описания\ in Windows-1251

DirectoryEdit* Edit(QWidget* dialog, const char* name) {
    return dialog->findChild<DirectoryEdit*>(name);
}

TEST(DirDialog, ShowsBothDirectoriesAndOkTakesTheTextsAsTyped) {
    std::string tests = kTests;
    std::string pdf = kPDF;
    WhenModal([](QWidget* modal) {
        EXPECT_EQ(modal->objectName(), QStringLiteral("fmDir"));
        EXPECT_EQ(modal->windowTitle(), QStringLiteral("Задание Директорий, используемых программой"));
        EXPECT_EQ(modal->findChild<QGroupBox*>("GroupBox1")->title(),
                  QStringLiteral("Дирекотрии справочника микросхем"));
        EXPECT_EQ(modal->findChild<QLabel*>("Label1")->text(), QStringLiteral("Путь к файлам тестов:"));
        EXPECT_EQ(modal->findChild<QLabel*>("Label2")->text(), QStringLiteral("<Tests>:"));
        EXPECT_EQ(modal->findChild<QLabel*>("Label3")->text(), QStringLiteral("<Desc>:"));
        EXPECT_EQ(modal->findChild<QLabel*>("Label4")->text(),
                  QStringLiteral("Путь к файлам описания микросхем:"));
        EXPECT_EQ(Edit(modal, "edTestDir")->text(), QStringLiteral("C:\\Tests"));
        EXPECT_EQ(Edit(modal, "edPDFDir")->text(), QStringLiteral("D:\\Описания\\"));
        for (const char* covered : {"edTestDir1", "edPDFDir2", "bbLoadTestDir", "bbLoadPDFDir"}) {
            ASSERT_NE(modal->findChild<QWidget*>(covered), nullptr) << covered;
            EXPECT_FALSE(modal->findChild<QWidget*>(covered)->isVisible()) << covered;
        }
        auto* ok = modal->findChild<QPushButton*>("bbOk");
        EXPECT_EQ(ok->text(), QStringLiteral("Сохранить"));
        EXPECT_TRUE(ok->isDefault());
        EXPECT_EQ(modal->findChild<QPushButton*>("bbCancel")->text(), QStringLiteral("Отмена"));

        Edit(modal, "edTestDir")->setText(QStringLiteral(" E:\\Новые тесты "));  // nothing is trimmed
        Edit(modal, "edPDFDir")->clear();
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    EXPECT_TRUE(RunDirDialog(nullptr, tests, pdf));
    EXPECT_EQ(tests, *platform::ToCp1251(QStringLiteral(" E:\\Новые тесты ")));
    EXPECT_EQ(pdf, "");
}

TEST(DirDialog, EnterAcceptsUnchangedTexts) {
    std::string tests = kTests;
    std::string pdf = kPDF;
    WhenModal([](QWidget* modal) { QTest::keyClick(Edit(modal, "edTestDir"), Qt::Key_Return); });
    EXPECT_TRUE(RunDirDialog(nullptr, tests, pdf));
    EXPECT_EQ(tests, kTests);
    EXPECT_EQ(pdf, kPDF);
}

TEST(DirDialog, CancelEscAndClosingChangeNothing) {
    const std::pair<const char*, std::function<void(QWidget*)>> ways[] = {
        {"Cancel button",
         [](QWidget* d) { QTest::mouseClick(d->findChild<QPushButton*>("bbCancel"), Qt::LeftButton); }},
        {"Esc", [](QWidget* d) { QTest::keyClick(Edit(d, "edPDFDir"), Qt::Key_Escape); }},
        {"window close", [](QWidget* d) { d->close(); }},
    };
    for (const auto& [name, leave] : ways) {
        std::string tests = kTests;
        std::string pdf = kPDF;
        WhenModal([leave = leave](QWidget* modal) {
            Edit(modal, "edTestDir")->setText(QStringLiteral("X:\\edited"));
            Edit(modal, "edPDFDir")->setText(QStringLiteral("Y:\\edited"));
            leave(modal);
        });
        EXPECT_FALSE(RunDirDialog(nullptr, tests, pdf)) << name;
        EXPECT_EQ(tests, kTests) << name;
        EXPECT_EQ(pdf, kPDF) << name;
    }
}

TEST(DirDialog, CanBeWidenedButNeverMadeTaller) {
    TfmDir dialog;
    dialog.show();
    const QSize designed = dialog.size();
    dialog.resize(designed.width() + 280, designed.height() + 270);
    EXPECT_EQ(dialog.size(), QSize(designed.width() + 280, designed.height()));
    // The edits take the new width; the buttons keep to the bottom right corner.
    EXPECT_EQ(dialog.edTestDir->width(), dialog.edPDFDir->width());
    EXPECT_GT(dialog.edTestDir->geometry().right(), dialog.bbOk->geometry().left());
    EXPECT_GT(dialog.bbCancel->geometry().right(), dialog.width() - 20);
    EXPECT_GT(dialog.bbCancel->geometry().bottom(), dialog.GroupBox1->geometry().bottom());
    dialog.resize(100, 50);
    EXPECT_EQ(dialog.height(), designed.height());
    EXPECT_GE(dialog.width(), dialog.bbOk->width() + dialog.bbCancel->width());
}

TEST(DirDialog, FolderButtonPutsTheChosenFolderInTheField) {
    ScriptedDesktop desktop;
    desktop.QueueChooseFolder(QStringLiteral("/srv/Тесты"));
    desktop.QueueChooseFolder(std::nullopt);
    std::string tests = kTests;
    std::string pdf = kPDF;
    QWidget* shown = nullptr;
    WhenModal([&shown](QWidget* modal) {
        shown = modal;
        DirectoryEdit* edit = Edit(modal, "edTestDir");
        QTest::mouseClick(edit->Button(), Qt::LeftButton);
        EXPECT_EQ(edit->text(), QStringLiteral("/srv/Тесты"));
        QTest::mouseClick(Edit(modal, "edPDFDir")->Button(), Qt::LeftButton);  // cancelled
        EXPECT_EQ(Edit(modal, "edPDFDir")->text(), QStringLiteral("D:\\Описания\\"));
        QTest::mouseClick(modal->findChild<QPushButton*>("bbOk"), Qt::LeftButton);
    });
    EXPECT_TRUE(RunDirDialog(nullptr, tests, pdf));
    EXPECT_EQ(tests, *platform::ToCp1251(QStringLiteral("/srv/Тесты")));
    EXPECT_EQ(pdf, kPDF);

    const DesktopCall first = desktop.Take();
    EXPECT_EQ(first.kind, DesktopCall::Kind::ChooseFolder);
    // The stored path as this system names it.
    EXPECT_EQ(first.initialDir, QDir::toNativeSeparators(QStringLiteral("C:/Tests")));
    EXPECT_EQ(first.owner, shown);
    const DesktopCall second = desktop.Take();
    EXPECT_EQ(second.kind, DesktopCall::Kind::ChooseFolder);
    EXPECT_EQ(second.initialDir, QDir::toNativeSeparators(QStringLiteral("D:/Описания/")));
}

TEST(DirDialog, PathWindows1251CannotHoldIsRefusedWithABox) {
    const QString foreign = QStringLiteral("/srv/测试");
    const QString refusal =
        QStringLiteral("Путь содержит символы, которые нельзя сохранить в справочнике: ") + foreign;
    ScriptedDesktop desktop;
    desktop.QueueChooseFolder(foreign);
    std::string tests = kTests;
    std::string pdf = kPDF;
    WhenModal([&](QWidget* modal) {
        // Chosen with the button: the field keeps its text.
        QTest::mouseClick(Edit(modal, "edTestDir")->Button(), Qt::LeftButton);
        EXPECT_EQ(Edit(modal, "edTestDir")->text(), QStringLiteral("C:\\Tests"));
        desktop.Take();
        desktop.TakeInformation(refusal);
        // Typed, then OK: the box, and the dialog stays open.
        Edit(modal, "edPDFDir")->setText(foreign);
        QTest::mouseClick(modal->findChild<QPushButton*>("bbOk"), Qt::LeftButton);
        desktop.TakeInformation(refusal);
        EXPECT_TRUE(modal->isVisible());
        EXPECT_EQ(QApplication::activeModalWidget(), modal);
        Edit(modal, "edPDFDir")->setText(QStringLiteral("/srv/pdf"));
        QTest::mouseClick(modal->findChild<QPushButton*>("bbOk"), Qt::LeftButton);
    });
    EXPECT_TRUE(RunDirDialog(nullptr, tests, pdf));
    EXPECT_EQ(tests, kTests);
    EXPECT_EQ(pdf, "/srv/pdf");
}

// Each directory is refused, with the dialog kept open, when the book could not stand behind it: a control
// character would cut a path short or break a line of the book, and a text beginning with "<" would take
// part of a token for itself (with "<De" every save would grow "<Desc>:" into "<Desc>:sc>:").
TEST(DirDialog, DirectoriesTheBookCannotHoldAreRefused) {
    const QString controls = QStringLiteral(
        "Текст содержит управляющие символы (перевод строки, табуляцию и "
        "т. п.): такой текст нельзя сохранить в справочнике.");
    const QString token = QStringLiteral(
        "Путь к директории не может начинаться с символа «<»: с него в "
        "справочнике начинаются метки <Tests>: и <Desc>:.");
    const std::pair<QString, QString> refused[] = {
        {QStringLiteral("C:\\Tests\nD:\\"), controls},
        {QStringLiteral("C:\\Tests") + QChar(0) + QStringLiteral("x"), controls},
        {QStringLiteral("<De"), token},
        {QStringLiteral("<Tests>:"), token},
    };
    for (const char* field : {"edTestDir", "edPDFDir"}) {
        SCOPED_TRACE(field);
        ScriptedDesktop desktop;
        std::string tests = kTests;
        std::string pdf = kPDF;
        WhenModal([&](QWidget* modal) {
            for (const auto& [text, refusal] : refused) {
                Edit(modal, field)->setText(text);
                QTest::mouseClick(modal->findChild<QPushButton*>("bbOk"), Qt::LeftButton);
                desktop.TakeInformation(refusal);
                EXPECT_EQ(QApplication::activeModalWidget(), modal);
                EXPECT_EQ(modal->focusWidget(), Edit(modal, field));
            }
            Edit(modal, field)->setText(QStringLiteral("E:\\a<b"));  // "<" inside is a folder's business
            QTest::mouseClick(modal->findChild<QPushButton*>("bbOk"), Qt::LeftButton);
        });
        EXPECT_TRUE(RunDirDialog(nullptr, tests, pdf));
        EXPECT_EQ(field == std::string("edTestDir") ? tests : pdf, "E:\\a<b");
        EXPECT_EQ(field == std::string("edTestDir") ? pdf : tests,
                  field == std::string("edTestDir") ? kPDF : kTests);
    }
}

}  // namespace
