// The filter conversion and default extension of the file dialogs, and the scripted twin the GUI tests use.
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "tests/support/ScriptedDesktop.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;
using test_support::DesktopCall;
using test_support::ScriptedDesktop;

TEST(FileDialogFilter, SystemFormBecomesQtForm) {
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("Справочники|*.spr;*.lib|Все файлы|*.*"),
         QStringLiteral("Справочники (*.spr *.lib);;Все файлы (*.*)")},
        {QStringLiteral("Тесты (*.qor, *.wsk)|*.qor; *.wsk"),
         QStringLiteral("Тесты (*.qor, *.wsk) (*.qor *.wsk)")},
        {QStringLiteral("Префиксы|*.prf"), QStringLiteral("Префиксы (*.prf)")},
        {QStringLiteral("Без шаблона"), QStringLiteral("Без шаблона (*)")},
        {QString(), QString()},
    };
    for (const auto& [system, qt] : cases) {
        EXPECT_EQ(platform::ToQtFilter(system), qt) << system.toStdString();
    }
}

TEST(FileDialogFilter, DefaultExtensionOnlyForANameWithout) {
    EXPECT_EQ(platform::WithDefaultExtension(QStringLiteral("/b/book"), QStringLiteral("spr")),
              QStringLiteral("/b/book.spr"));
    EXPECT_EQ(platform::WithDefaultExtension(QStringLiteral("/b/book.txt"), QStringLiteral("spr")),
              QStringLiteral("/b/book.txt"));
    EXPECT_EQ(platform::WithDefaultExtension(QStringLiteral("/b.d/book"), QStringLiteral("spr")),
              QStringLiteral("/b.d/book.spr"));
    EXPECT_EQ(platform::WithDefaultExtension(QStringLiteral("/b/book"), QString()),
              QStringLiteral("/b/book"));
}

TEST(ScriptedDesktop, RecordsCallsInOrderAndAnswersFromTheQueue) {
    ScriptedDesktop desktop;
    EXPECT_EQ(&platform::CurrentDialogs(), &desktop);
    desktop.QueueMessageBoxAnswer(MessageAnswer::Yes);
    desktop.QueueChooseFolder(QStringLiteral("/x"));
    desktop.QueueOpenFile(std::nullopt);

    platform::CurrentDialogs().Information(QStringLiteral("note"));
    EXPECT_EQ(platform::CurrentDialogs().MessageBox(QStringLiteral("q"), QStringLiteral("c"),
                                                    MessageIcon::Warning, MessageButtons::YesNo),
              MessageAnswer::Yes);
    EXPECT_EQ(platform::CurrentDialogs().ChooseFolder(nullptr, QStringLiteral("t"), QStringLiteral("/i")),
              QStringLiteral("/x"));
    platform::FileDialogOptions options;
    options.Filter = QStringLiteral("A|*.a");
    EXPECT_FALSE(platform::CurrentDialogs().OpenFile(nullptr, options).has_value());
    platform::CurrentShell().Execute(nullptr, QStringLiteral("open"), QStringLiteral("f"), {}, {}, 5);

    EXPECT_EQ(desktop.UntakenCount(), 5);
    desktop.TakeInformation(QStringLiteral("note"));
    desktop.TakeMessageBox(QStringLiteral("q"), QStringLiteral("c"), MessageIcon::Warning,
                           MessageButtons::YesNo);
    const DesktopCall folder = desktop.Take();
    EXPECT_EQ(folder.kind, DesktopCall::Kind::ChooseFolder);
    EXPECT_EQ(folder.initialDir, QStringLiteral("/i"));
    EXPECT_EQ(desktop.Take().options.Filter, QStringLiteral("A|*.a"));
    const DesktopCall shell = desktop.TakeShellExecute();
    EXPECT_EQ(shell.file, QStringLiteral("f"));
    EXPECT_EQ(shell.showCommand, 5);
}

TEST(ScriptedDesktop, UnexpectedBoxFailsTheTestAndAnswersNo) {
    ScriptedDesktop desktop;
    MessageAnswer answer = MessageAnswer::Yes;
    EXPECT_NONFATAL_FAILURE(answer = desktop.MessageBox(QStringLiteral("Сохранить?"), QStringLiteral("c"),
                                                        MessageIcon::Question, MessageButtons::YesNo),
                            "Сохранить?");
    EXPECT_EQ(answer, MessageAnswer::No);
    desktop.QueueSaveFile(QStringLiteral("/a"));
    EXPECT_NONFATAL_FAILURE(answer = desktop.MessageBox(QStringLiteral("q"), QStringLiteral("c"),
                                                        MessageIcon::Question, MessageButtons::YesNoCancel),
                            "SaveFile");
    EXPECT_EQ(answer, MessageAnswer::Cancel);
    EXPECT_EQ(desktop.UntakenCount(), 2);
    desktop.Take();
    desktop.Take();
    EXPECT_EQ(desktop.SaveFile(nullptr, {}),
              QStringLiteral("/a"));  // the answer was not used up by the wrong call
    desktop.Take();
}

TEST(ScriptedDesktop, LeftoversFailTheTestAndTheQtServiceComesBack) {
    platform::Dialogs* before = &platform::CurrentDialogs();
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDesktop desktop;
            desktop.Information(QStringLiteral("never taken"));
        },
        "never taken");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDesktop desktop;
            desktop.QueueChooseFolder(std::nullopt);
        },
        "never used");
    EXPECT_EQ(&platform::CurrentDialogs(), before);
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDesktop desktop;
            desktop.Take();
        },
        "none");
}

}  // namespace
