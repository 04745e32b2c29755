// The scripted twin of the desktop's boxes, file dialogs and shell for tests: it records every call with its
// exact texts and returns the answers queued by the test, and fails the test on a call nobody expected.
#pragma once

#include "platform/Dialogs.h"
#include "platform/Shell.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <memory>
#include <optional>
#include <ostream>

class QWidget;

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace test_support {

struct DesktopCall {
    enum class Kind {
        Information,
        MessageBox,
        ErrorReport,
        OpenFile,
        OpenFiles,
        SaveFile,
        ChooseFolder,
        ShellExecute
    };
    Kind kind;
    QString text;     // box text
    QString caption;  // MessageBox: as given; Information and ErrorReport: the application title at the call
    platform::MessageIcon icon = platform::MessageIcon::None;
    platform::MessageButtons buttons = platform::MessageButtons::Ok;
    platform::FileDialogOptions options;        // file dialogs
    QString title, initialDir;                  // ChooseFolder
    QString verb, file, parameters, directory;  // ShellExecute
    int showCommand = 0;
    QWidget* owner = nullptr;  // shell owner or dialog parent
};

const char* KindName(DesktopCall::Kind kind);

class ScriptedDesktop final : public platform::Dialogs, public platform::Shell {
public:
    ScriptedDesktop();  // installs itself as CurrentDialogs() and CurrentShell()
    ~ScriptedDesktop()
        override;  // uninstalls; ADD_FAILURE for queued answers never used and calls never taken
    ScriptedDesktop(const ScriptedDesktop&) = delete;
    ScriptedDesktop& operator=(const ScriptedDesktop&) = delete;

    void QueueMessageBoxAnswer(platform::MessageAnswer answer);
    void QueueOpenFile(std::optional<QString> path);  // nullopt: the user cancels
    void QueueOpenFiles(std::optional<QStringList> paths);
    void QueueSaveFile(std::optional<QString> path);
    void QueueChooseFolder(std::optional<QString> path);

    DesktopCall Take();  // the oldest recorded call not yet taken; ADD_FAILURE when there is none
    int UntakenCount() const;
    int QueuedAnswerCount() const;

    // Conveniences that Take() the next call and EXPECT its kind and texts:
    void TakeInformation(const QString& text);
    void TakeMessageBox(const QString& text, const QString& caption, platform::MessageIcon icon,
                        platform::MessageButtons buttons);
    void TakeErrorReport(const QString& text);
    DesktopCall TakeShellExecute();

    // platform::Dialogs
    void Information(const QString& text) override;
    platform::MessageAnswer MessageBox(const QString& text, const QString& caption,
                                       platform::MessageIcon icon, platform::MessageButtons buttons) override;
    void ErrorReport(const QString& text) override;

    // platform::Shell
    void Execute(QWidget* owner, const QString& verb, const QString& file, const QString& parameters,
                 const QString& directory, int showCommand) override;

private:
    // platform::Dialogs: the file and folder dialogs, shown through its public calls
    std::optional<QString> ShowOpenFile(QWidget* parent, const platform::FileDialogOptions& options) override;
    std::optional<QStringList> ShowOpenFiles(QWidget* parent,
                                             const platform::FileDialogOptions& options) override;
    std::optional<QString> ShowSaveFile(QWidget* parent, const platform::FileDialogOptions& options) override;
    std::optional<QString> ShowChooseFolder(QWidget* parent, const QString& title,
                                            const QString& initialDir) override;

    struct QueuedAnswer {
        DesktopCall::Kind kind;
        platform::MessageAnswer message = platform::MessageAnswer::Cancel;
        bool chosen = false;  // false: the user cancels
        QStringList paths;    // one path for the single-file dialogs
    };

    // The next queued answer when it is of `call`'s kind; records the call either way.
    std::optional<QueuedAnswer> NextAnswer(const DesktopCall& call);
    // A file or folder dialog is a window of its own: while it is open it holds the activation, and when it
    // closes nothing promises that the window which opened it gets the activation back.
    void TakeActivationAsADialogWould();

    std::deque<DesktopCall> FCalls;
    std::deque<QueuedAnswer> FAnswers;
    std::unique_ptr<QWidget> FDialogWindow;  // the stand-in for the dialog's own window
};

}  // namespace test_support
