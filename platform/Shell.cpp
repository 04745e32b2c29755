// Opening documents, folders and links through the desktop.
#include "platform/Shell.h"

#include "platform/Paths.h"
#include "platform/Text.h"

#include <QDesktopServices>
#include <QFile>
#include <QRegularExpression>
#include <QUrl>
#include <QWidget>

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#endif

namespace platform {
namespace {

class DesktopShell final : public Shell {
public:
    void Execute(QWidget* owner, const QString& verb, const QString& file, const QString& parameters,
                 const QString& directory, int showCommand) override;
};

#ifdef _WIN32
void DesktopShell::Execute(QWidget* owner, const QString& verb, const QString& file,
                           const QString& parameters, const QString& directory, int showCommand) {
    const HWND window = owner != nullptr ? reinterpret_cast<HWND>(owner->winId()) : nullptr;
    auto text = [](const QString& s) { return s.isEmpty() ? nullptr : reinterpret_cast<LPCWSTR>(s.utf16()); };
    ShellExecuteW(window, text(verb), text(file), text(parameters), text(directory), showCommand);
}
#else
void DesktopShell::Execute(QWidget*, const QString&, const QString& file, const QString&, const QString&,
                           int) {
    // "https:", "mailto:"... are links; a single letter before the colon is a drive, so a path.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (scheme.match(file).hasMatch()) {
        QDesktopServices::openUrl(QUrl(file));
        return;
    }
    const auto stored = ToCp1251(file);
    if (!stored) {
        return;  // no stored path can hold it, so there is no such file of ours
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(ToOsPathText(*stored)));
}
#endif

DesktopShell& Desktop() {
    static DesktopShell shell;
    return shell;
}

Shell* installed = nullptr;

}  // namespace

Shell& CurrentShell() {
    return installed != nullptr ? *installed : Desktop();
}
void InstallShell(Shell* shell) {
    installed = shell;
}

}  // namespace platform
