// The boxes and file dialogs the forms show. The application installs the real, Qt-based service; tests
// install a scripted one that records every call and returns queued answers.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// windows.h defines MessageBox as a macro for MessageBoxA/W; the member below is the service's own.
#ifdef MessageBox
#undef MessageBox
#endif

namespace platform {

// Whether an icon theme may give the standard icons of the style (the glyphs of buttons, the icons of
// boxes) in place of the style's own: a desktop's theme may. "hicolor", where every system falls back when
// there is no desktop, holds programs' own icons only, and looking into it reads its whole index and scans
// its folders, a good part of the work before a start shows anything, for nothing.
bool IconThemeMayAnswer();

enum class MessageIcon { None, Question, Warning, Information, Error };
// YesNoDefaultNo: Yes and No with No taking Enter, for a question whose Yes loses someone's work.
// MergeReplaceCancel: Yes "Объединить" (the default), No "Заменить", Cancel "Отмена".
enum class MessageButtons { Ok, YesNo, YesNoCancel, YesNoDefaultNo, MergeReplaceCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

struct FileDialogOptions {
    QString Title;             // empty: the platform's default title
    QString Filter;            // "Name|*.a;*.b|Name|*.c", converted in one place
    int FilterIndex = 1;       // the preselected filter, counted from 1
    QString DefaultExtension;  // without the dot; appended to a name typed without an extension
    QString InitialDir;        // empty: the platform's default folder
    QString FileName;          // the name proposed in the dialog
    bool OverwritePrompt = false;
    bool MustExist = true;  // open dialogs: the chosen file must exist
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // One OK button, no icon, the application title as caption.
    virtual void Information(const QString& text) = 0;
    // A system message box with no owner window and an explicit caption.
    virtual MessageAnswer MessageBox(const QString& text, const QString& caption, MessageIcon icon,
                                     MessageButtons buttons) = 0;
    // The application's default error report: the platform's error text, the application title as caption.
    virtual void ErrorReport(const QString& text) = 0;

    // File dialogs give paths with native separators; nullopt when cancelled. Each gives the window that
    // opened it (the parent's window, or the window active at the call when there is no parent) the
    // activation back when it closes, with the focus on the widget that had it. A closing dialog does not
    // promise that itself: under Wine no window was left active, and keys went nowhere until a click.
    std::optional<QString> OpenFile(QWidget* parent, const FileDialogOptions& options);
    std::optional<QStringList> OpenFiles(QWidget* parent, const FileDialogOptions& options);
    std::optional<QString> SaveFile(QWidget* parent, const FileDialogOptions& options);
    std::optional<QString> ChooseFolder(QWidget* parent, const QString& title, const QString& initialDir);

protected:
    // The dialogs themselves, shown by the calls above.
    virtual std::optional<QString> ShowOpenFile(QWidget* parent, const FileDialogOptions& options) = 0;
    virtual std::optional<QStringList> ShowOpenFiles(QWidget* parent, const FileDialogOptions& options) = 0;
    virtual std::optional<QString> ShowSaveFile(QWidget* parent, const FileDialogOptions& options) = 0;
    virtual std::optional<QString> ShowChooseFolder(QWidget* parent, const QString& title,
                                                    const QString& initialDir) = 0;
};

// The application title: the caption of information boxes and error reports. Kept apart from Qt's
// application display name, which the platforms would append to every window title.
void SetApplicationTitle(const QString& title);
QString ApplicationTitle();

// "Name|*.a;*.b|Other|*.c" as Qt writes it: "Name (*.a *.b);;Other (*.c)". The one place filters are
// converted.
QString ToQtFilter(const QString& filter);

// `path` with ".extension" appended when its file name has no extension and `extension` is not empty.
QString WithDefaultExtension(const QString& path, const QString& extension);

// The service in use; the Qt one unless another has been installed.
Dialogs& CurrentDialogs();
// Installs `dialogs` (not owned); nullptr brings back the Qt one.
void InstallDialogs(Dialogs* dialogs);

}  // namespace platform
