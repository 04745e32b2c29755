#include "tests/gui/GuiTestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>

#include "forms/Application.h"
#include "platform/Dialogs.h"

#include <gtest/gtest.h>

namespace gui_test {
namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "gui_tests";
        static char* argv[] = {name, nullptr};
        // The editor's own application object, so that the suites see what a failing handler does.
        // Headless wherever the suites run. CTest says so in the environment, but Wine passes no variable
        // of Qt's own on to a Windows program: there the suites would meet the real window system.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
#ifdef _WIN32
        // The offscreen platform looks for fonts beside Qt's libraries; on Windows they are the system's.
        if (qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR")) {
            qputenv("QT_QPA_FONTDIR",
                    QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::FontsLocation)));
        }
#endif
        FApplication = std::make_unique<TApplication>(argc, argv);
        platform::SetApplicationTitle(QStringLiteral("Редактор справочников"));
    }
    void TearDown() override {
        FApplication.reset();
    }

private:
    std::unique_ptr<QApplication> FApplication;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

void Poll(std::function<void(QWidget*)> step, int attemptsLeft, int delay) {
    QTimer::singleShot(delay, [step = std::move(step), attemptsLeft]() mutable {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            const bool failedBefore = ::testing::Test::HasFailure();
            const QPointer<QWidget> open(modal);
            step(modal);
            // A step that failed part-way may leave its dialog open, and the test would wait for it for
            // ever: the failure is reported, the dialog is closed.
            if (!failedBefore && ::testing::Test::HasFailure() && open != nullptr && open->isVisible()) {
                if (auto* dialog = qobject_cast<QDialog*>(open.data())) {
                    dialog->reject();
                } else {
                    open->close();
                }
            }
        } else if (attemptsLeft > 0) {
            Poll(std::move(step), attemptsLeft - 1, 1);
        } else {
            ADD_FAILURE() << "No modal dialog appeared";
        }
    });
}

}  // namespace

void WhenModal(std::function<void(QWidget*)> step) {
    Poll(std::move(step), 1000, 0);
}

}  // namespace gui_test
