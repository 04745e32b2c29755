#include "tests/support/ScriptedDesktop.h"

#include <QApplication>
#include <QGuiApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace test_support {

using platform::MessageAnswer;
using Kind = DesktopCall::Kind;

const char* KindName(Kind kind) {
    switch (kind) {
        case Kind::Information:
            return "Information";
        case Kind::MessageBox:
            return "MessageBox";
        case Kind::ErrorReport:
            return "ErrorReport";
        case Kind::OpenFile:
            return "OpenFile";
        case Kind::OpenFiles:
            return "OpenFiles";
        case Kind::SaveFile:
            return "SaveFile";
        case Kind::ChooseFolder:
            return "ChooseFolder";
        case Kind::ShellExecute:
            return "ShellExecute";
    }
    return "?";
}

namespace {

DesktopCall NewCall(Kind kind) {
    DesktopCall call{};
    call.kind = kind;
    return call;
}

std::string Describe(const DesktopCall& call) {
    QString what = call.text;
    if (call.kind == Kind::ChooseFolder) {
        what = call.title;
    } else if (call.kind == Kind::ShellExecute) {
        what = call.file;
    } else if (call.kind == Kind::OpenFile || call.kind == Kind::OpenFiles || call.kind == Kind::SaveFile) {
        what = call.options.Title;
    }
    return std::string(KindName(call.kind)) + " \"" + what.toStdString() + "\"";
}

}  // namespace

ScriptedDesktop::ScriptedDesktop() {
    platform::InstallDialogs(this);
    platform::InstallShell(this);
}

ScriptedDesktop::~ScriptedDesktop() {
    platform::InstallDialogs(nullptr);
    platform::InstallShell(nullptr);
    for (const QueuedAnswer& answer : FAnswers) {
        ADD_FAILURE() << "A queued " << KindName(answer.kind) << " answer was never used";
    }
    for (const DesktopCall& call : FCalls) {
        ADD_FAILURE() << "A call was never taken by the test: " << Describe(call);
    }
}

void ScriptedDesktop::QueueMessageBoxAnswer(MessageAnswer answer) {
    FAnswers.push_back({Kind::MessageBox, answer, false, {}});
}

void ScriptedDesktop::QueueOpenFile(std::optional<QString> path) {
    FAnswers.push_back(
        {Kind::OpenFile, MessageAnswer::Cancel, path.has_value(), QStringList{path.value_or(QString())}});
}

void ScriptedDesktop::QueueOpenFiles(std::optional<QStringList> paths) {
    FAnswers.push_back(
        {Kind::OpenFiles, MessageAnswer::Cancel, paths.has_value(), paths.value_or(QStringList())});
}

void ScriptedDesktop::QueueSaveFile(std::optional<QString> path) {
    FAnswers.push_back(
        {Kind::SaveFile, MessageAnswer::Cancel, path.has_value(), QStringList{path.value_or(QString())}});
}

void ScriptedDesktop::QueueChooseFolder(std::optional<QString> path) {
    FAnswers.push_back(
        {Kind::ChooseFolder, MessageAnswer::Cancel, path.has_value(), QStringList{path.value_or(QString())}});
}

DesktopCall ScriptedDesktop::Take() {
    if (FCalls.empty()) {
        ADD_FAILURE() << "Expected a desktop call, but there was none";
        return NewCall(Kind::Information);
    }
    DesktopCall call = std::move(FCalls.front());
    FCalls.pop_front();
    return call;
}

int ScriptedDesktop::UntakenCount() const {
    return static_cast<int>(FCalls.size());
}
int ScriptedDesktop::QueuedAnswerCount() const {
    return static_cast<int>(FAnswers.size());
}

void ScriptedDesktop::TakeInformation(const QString& text) {
    const bool hadCall = !FCalls.empty();
    const DesktopCall call = Take();
    if (hadCall) {
        EXPECT_EQ(KindName(call.kind), std::string(KindName(Kind::Information)));
        EXPECT_EQ(call.text, text);
    }
}

void ScriptedDesktop::TakeMessageBox(const QString& text, const QString& caption, platform::MessageIcon icon,
                                     platform::MessageButtons buttons) {
    const bool hadCall = !FCalls.empty();
    const DesktopCall call = Take();
    if (hadCall) {
        EXPECT_EQ(KindName(call.kind), std::string(KindName(Kind::MessageBox)));
        EXPECT_EQ(call.text, text);
        EXPECT_EQ(call.caption, caption);
        EXPECT_EQ(call.icon, icon);
        EXPECT_EQ(call.buttons, buttons);
    }
}

void ScriptedDesktop::TakeErrorReport(const QString& text) {
    const bool hadCall = !FCalls.empty();
    const DesktopCall call = Take();
    if (hadCall) {
        EXPECT_EQ(KindName(call.kind), std::string(KindName(Kind::ErrorReport)));
        EXPECT_EQ(call.text, text);
    }
}

DesktopCall ScriptedDesktop::TakeShellExecute() {
    const bool hadCall = !FCalls.empty();
    DesktopCall call = Take();
    if (hadCall) {
        EXPECT_EQ(KindName(call.kind), std::string(KindName(Kind::ShellExecute)));
    }
    return call;
}

std::optional<ScriptedDesktop::QueuedAnswer> ScriptedDesktop::NextAnswer(const DesktopCall& call) {
    FCalls.push_back(call);
    if (FAnswers.empty()) {
        ADD_FAILURE() << "No answer queued for " << Describe(call);
        return std::nullopt;
    }
    if (FAnswers.front().kind != call.kind) {
        ADD_FAILURE() << "The next queued answer is for " << KindName(FAnswers.front().kind) << ", not for "
                      << Describe(call);
        return std::nullopt;
    }
    QueuedAnswer answer = FAnswers.front();
    FAnswers.pop_front();
    return answer;
}

void ScriptedDesktop::TakeActivationAsADialogWould() {
    // Only where there is an activation to take: a window of the application is active.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr ||
        QApplication::activeWindow() == nullptr) {
        return;
    }
    if (FDialogWindow == nullptr) {
        FDialogWindow = std::make_unique<QWidget>();
        FDialogWindow->setObjectName(QStringLiteral("ScriptedFileDialog"));
        FDialogWindow->resize(200, 100);
    }
    FDialogWindow->show();
    FDialogWindow->activateWindow();
    if (!QTest::qWaitForWindowActive(FDialogWindow.get(), 1000)) {
        ADD_FAILURE() << "The scripted dialog's window did not become active";
    }
    // Hidden, it leaves the activation where the platform puts it (the offscreen one: nowhere), as a closing
    // dialog under Wine left it.
    FDialogWindow->hide();
}

void ScriptedDesktop::Information(const QString& text) {
    DesktopCall call = NewCall(Kind::Information);
    call.text = text;
    call.caption = platform::ApplicationTitle();
    FCalls.push_back(call);
}

MessageAnswer ScriptedDesktop::MessageBox(const QString& text, const QString& caption,
                                          platform::MessageIcon icon, platform::MessageButtons buttons) {
    DesktopCall call = NewCall(Kind::MessageBox);
    call.text = text;
    call.caption = caption;
    call.icon = icon;
    call.buttons = buttons;
    const auto answer = NextAnswer(call);
    if (!answer) {
        return buttons == platform::MessageButtons::YesNoCancel ||
                       buttons == platform::MessageButtons::MergeReplaceCancel
                   ? MessageAnswer::Cancel
                   : MessageAnswer::No;
    }
    return answer->message;
}

void ScriptedDesktop::ErrorReport(const QString& text) {
    DesktopCall call = NewCall(Kind::ErrorReport);
    call.text = text;
    call.caption = platform::ApplicationTitle();
    call.icon = platform::MessageIcon::Error;
    FCalls.push_back(call);
}

namespace {

DesktopCall FileDialogCall(Kind kind, QWidget* parent, const platform::FileDialogOptions& options) {
    DesktopCall call = NewCall(kind);
    call.options = options;
    call.owner = parent;
    return call;
}

}  // namespace

std::optional<QString> ScriptedDesktop::ShowOpenFile(QWidget* parent,
                                                     const platform::FileDialogOptions& options) {
    TakeActivationAsADialogWould();
    const auto answer = NextAnswer(FileDialogCall(Kind::OpenFile, parent, options));
    return answer && answer->chosen ? std::optional(answer->paths.value(0)) : std::nullopt;
}

std::optional<QStringList> ScriptedDesktop::ShowOpenFiles(QWidget* parent,
                                                          const platform::FileDialogOptions& options) {
    TakeActivationAsADialogWould();
    const auto answer = NextAnswer(FileDialogCall(Kind::OpenFiles, parent, options));
    return answer && answer->chosen ? std::optional(answer->paths) : std::nullopt;
}

std::optional<QString> ScriptedDesktop::ShowSaveFile(QWidget* parent,
                                                     const platform::FileDialogOptions& options) {
    TakeActivationAsADialogWould();
    const auto answer = NextAnswer(FileDialogCall(Kind::SaveFile, parent, options));
    return answer && answer->chosen ? std::optional(answer->paths.value(0)) : std::nullopt;
}

std::optional<QString> ScriptedDesktop::ShowChooseFolder(QWidget* parent, const QString& title,
                                                         const QString& initialDir) {
    TakeActivationAsADialogWould();
    DesktopCall call = NewCall(Kind::ChooseFolder);
    call.title = title;
    call.initialDir = initialDir;
    call.owner = parent;
    const auto answer = NextAnswer(call);
    return answer && answer->chosen ? std::optional(answer->paths.value(0)) : std::nullopt;
}

void ScriptedDesktop::Execute(QWidget* owner, const QString& verb, const QString& file,
                              const QString& parameters, const QString& directory, int showCommand) {
    DesktopCall call = NewCall(Kind::ShellExecute);
    call.owner = owner;
    call.verb = verb;
    call.file = file;
    call.parameters = parameters;
    call.directory = directory;
    call.showCommand = showCommand;
    FCalls.push_back(call);
}

}  // namespace test_support
