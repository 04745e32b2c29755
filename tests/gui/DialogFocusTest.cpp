// After a file or folder dialog the window that opened it is active again, with the focus where it was, so
// the next key reaches it. The scripted dialogs hold the activation while they are open, as real ones do,
// and leave it wherever their window left it.
#include <QApplication>
#include <QGuiApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QWindow>

#include "forms/DirectoryEdit.h"
#include "forms/fm_BookCheck.h"
#include "forms/fm_Dir.h"
#include "tests/gui/MainWindowFixture.h"

namespace gui_test {
namespace {

// A key as the keyboard gives it: to the window the system says has the focus, not to a widget chosen by
// the test.
void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWindow* focused = QGuiApplication::focusWindow();
    if (focused == nullptr || !focused->isVisible()) {
        ADD_FAILURE() << "No shown window takes the keyboard";
        return;
    }
    QTest::keyClick(focused, key, modifiers);
}

// The window is active again, the focus where it was. Activation is the window system's answer to a
// request, delivered as an event, so it is waited for briefly; without the request it never comes.
void ExpectActiveWithFocus(QWidget* window, QWidget* focused) {
    EXPECT_TRUE(QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }, 1000))
        << "the window that opened the dialog is not active again";
    EXPECT_EQ(QApplication::focusWidget(), focused);
}

class DialogFocusTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        SetDirectories(Stored(QStringLiteral("T")), Stored(QStringLiteral("D")));
        MakeFile(QStringLiteral("T/a.qor"));
        Start(MakeFile(QStringLiteral("book.spr"), Native(Cp(" 0 <Tests>:/a.qor\r\nК155ЛА3|\r\n"))));
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
};

// Each way into a file dialog from the main window, each with the focus somewhere else: the dialog is
// cancelled, and Ctrl+K pressed next runs the book check.
TEST_F(DialogFocusTest, MainWindowTakesKeysAgainAfterEachFileDialog) {
    SetCurrentRow(lbFiles(), 0);
    SetCurrentRow(lbNames(), 0);
    QPushButton* describe = Button("bbLoadFileInfo");
    ASSERT_TRUE(describe->isEnabled());
    const struct {
        const char* way;
        QWidget* focused;
        DesktopCall::Kind kind;
        std::function<void()> open;
    } ways[] = {
        {"Ctrl+O", lbNames(), DesktopCall::Kind::OpenFile, [] { PressKey(Qt::Key_O, Qt::ControlModifier); }},
        {"add test files", lbFiles(), DesktopCall::Kind::OpenFiles,
         [this] { QTest::mouseClick(Find<QToolButton>("tbAddFiles"), Qt::LeftButton); }},
        {"description button", describe, DesktopCall::Kind::OpenFile, [] { PressKey(Qt::Key_Space); }},
        {"CSV export", eName(), DesktopCall::Kind::SaveFile, [this] { Action("acExportCsv")->trigger(); }},
        {"Ctrl+S", lbFiles(), DesktopCall::Kind::SaveFile, [] { PressKey(Qt::Key_S, Qt::ControlModifier); }},
    };
    for (const auto& [way, focused, kind, open] : ways) {
        SCOPED_TRACE(way);
        focused->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), focused);
        switch (kind) {
            case DesktopCall::Kind::OpenFile:
                desktop->QueueOpenFile(std::nullopt);
                break;
            case DesktopCall::Kind::OpenFiles:
                desktop->QueueOpenFiles(std::nullopt);
                break;
            default:
                desktop->QueueSaveFile(std::nullopt);
        }
        open();
        const DesktopCall call = desktop->Take();
        EXPECT_EQ(test_support::KindName(call.kind), std::string(test_support::KindName(kind)));
        EXPECT_EQ(call.owner, window.get());
        ExpectActiveWithFocus(window.get(), focused);

        QSignalSpy checks(Action("acCheckSprav"), &QAction::triggered);
        PressKey(Qt::Key_K, Qt::ControlModifier);
        EXPECT_EQ(checks.count(), 1);
        // The check's report is a window of its own that takes the activation: the next way starts from
        // the main window again.
        ASSERT_NE(window->findChild<TfmBookCheck*>(), nullptr);
        window->findChild<TfmBookCheck*>()->close();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == window.get(); }));
    }
}

// A focus widget deleted while the dialog is open is not given the focus back; the window still takes keys.
TEST_F(DialogFocusTest, FocusWidgetGoneDuringTheDialog) {
    auto* field = new QLineEdit(pMain());
    field->show();
    field->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), field);
    // Runs while the scripted dialog holds the activation.
    QTimer::singleShot(0, window.get(), [field] { delete field; });
    desktop->QueueOpenFile(std::nullopt);
    PressKey(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(desktop->Take().kind, DesktopCall::Kind::OpenFile);
    EXPECT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == window.get(); }, 1000));
    QSignalSpy checks(Action("acCheckSprav"), &QAction::triggered);
    PressKey(Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(checks.count(), 1);
}

// On first start the directories dialog is the only window: a folder chosen with the button, then Enter
// saves the directories.
TEST(DirDialogFocus, TakesEnterAfterTheFolderButton) {
    test_support::ScriptedDesktop desktop;
    std::string tests = "C:\\Tests";
    std::string pdf;
    desktop.QueueChooseFolder(QStringLiteral("/srv/other"));
    WhenModal([&desktop](QWidget* modal) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(modal));
        auto* edit = modal->findChild<DirectoryEdit*>(QStringLiteral("edTestDir"));
        edit->setFocus();
        QTest::mouseClick(edit->Button(), Qt::LeftButton);
        EXPECT_EQ(desktop.Take().owner, modal);
        ExpectActiveWithFocus(modal, edit);
        PressKey(Qt::Key_Return);
        EXPECT_FALSE(modal->isVisible()) << "Enter left the dialog open";
    });
    EXPECT_TRUE(RunDirDialog(nullptr, tests, pdf));
    EXPECT_EQ(tests, "/srv/other");
}

}  // namespace
}  // namespace gui_test
