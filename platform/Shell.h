// Fire-and-forget requests to the desktop shell: open a document, a folder, a web or mail link.
#pragma once

#include <QString>

class QWidget;

namespace platform {

// Show commands, with the values of Windows' SW_SHOWMAXIMIZED, SW_SHOW and SW_SHOWDEFAULT (whose names
// windows.h takes for macros).
enum ShowCommand : int { ShowMaximized = 3, Show = 5, ShowDefault = 10 };

class Shell {
public:
    virtual ~Shell() = default;
    // The result is not reported: the shell shows its own messages, if any.
    virtual void Execute(QWidget* owner, const QString& verb, const QString& file, const QString& parameters,
                         const QString& directory, int showCommand) = 0;
};

Shell& CurrentShell();
void InstallShell(Shell* shell);  // not owned; nullptr brings back the desktop's

}  // namespace platform
