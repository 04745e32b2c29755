#include "tests/gui/GuiTestSupport.h"

#include <QApplication>
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
        FApplication = std::make_unique<TApplication>(argc, argv);
        platform::SetApplicationTitle(QStringLiteral("Редактор справочников"));
    }
    void TearDown() override { FApplication.reset(); }

private:
    std::unique_ptr<QApplication> FApplication;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

void Poll(std::function<void(QWidget*)> step, int attemptsLeft, int delay) {
    QTimer::singleShot(delay, [step = std::move(step), attemptsLeft]() mutable {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            step(modal);
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
