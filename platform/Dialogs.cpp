// The Qt implementation of the boxes and file dialogs.
#include "platform/Dialogs.h"

#include "platform/Paths.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPointer>

namespace platform {

QString ToQtFilter(const QString& filter) {
    if (filter.isEmpty()) {
        return {};
    }
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        // A name left without its pattern matches everything rather than nothing.
        const QString pattern = i + 1 < parts.size() ? parts[i + 1] : QStringLiteral("*");
        QStringList patterns = pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& one : patterns) {
            one = one.trimmed();
        }
        filters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

QString WithDefaultExtension(const QString& path, const QString& extension) {
    if (extension.isEmpty()) {
        return path;
    }
    const QByteArray bytes = path.toUtf8();
    if (!ExtractFileExt(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))
             .empty()) {
        return path;
    }
    return path + QLatin1Char('.') + extension;
}

namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

MessageAnswer ToAnswer(int button) {
    switch (button) {
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        case QMessageBox::Ok:
            return MessageAnswer::Ok;
        default:
            return MessageAnswer::Cancel;
    }
}

// Boxes that belong to the application sit over the window the user is working in.
QWidget* ActiveWindow() {
    QWidget* modal = QApplication::activeModalWidget();
    return modal != nullptr ? modal : QApplication::activeWindow();
}

// The whole interface speaks Russian, so the buttons do too, whatever translations the machine has.
void NameButtons(QMessageBox& box) {
    const std::pair<QMessageBox::StandardButton, const char*> names[] = {{QMessageBox::Ok, "OK"},
                                                                         {QMessageBox::Yes, "&Да"},
                                                                         {QMessageBox::No, "&Нет"},
                                                                         {QMessageBox::Cancel, "Отмена"}};
    for (const auto& [which, name] : names) {
        if (QAbstractButton* button = box.button(which)) {
            button->setText(QString::fromUtf8(name));
        }
    }
}

// While it lives, the style makes the icons of a box and its buttons from its own images, without looking
// into an icon theme that has none of them (IconThemeMayAnswer). The style asks a theme only in an
// application that follows the desktop's settings, and nothing else reads that while a box is put together.
class TStyleOwnIcons {
public:
    TStyleOwnIcons() {
        if (!IconThemeMayAnswer()) {
            QGuiApplication::setDesktopSettingsAware(false);
        }
    }
    ~TStyleOwnIcons() { QGuiApplication::setDesktopSettingsAware(FDesktopAware); }
    TStyleOwnIcons(const TStyleOwnIcons&) = delete;
    TStyleOwnIcons& operator=(const TStyleOwnIcons&) = delete;

private:
    const bool FDesktopAware = QGuiApplication::desktopSettingsAware();
};

void ShowOkBox(const QString& text, QMessageBox::Icon icon) {
    QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), text, QMessageBox::NoButton, ActiveWindow());
    {
        const TStyleOwnIcons ownIcons;
        box.setIcon(icon);
        box.setStandardButtons(QMessageBox::Ok);
    }
    NameButtons(box);
    box.exec();
}

// One file dialog set up from every field of the options.
void Configure(QFileDialog& dialog, const FileDialogOptions& options) {
    if (!options.Title.isEmpty()) {
        dialog.setWindowTitle(options.Title);
    }
    const QString filter = ToQtFilter(options.Filter);
    if (!filter.isEmpty()) {
        const QStringList filters = filter.split(QStringLiteral(";;"));
        dialog.setNameFilters(filters);
        const qsizetype index = options.FilterIndex - 1;
        dialog.selectNameFilter(filters.value(index >= 0 && index < filters.size() ? index : 0));
    }
    dialog.setDefaultSuffix(options.DefaultExtension);
    if (!options.InitialDir.isEmpty()) {
        dialog.setDirectory(options.InitialDir);
    }
    if (!options.FileName.isEmpty()) {
        dialog.selectFile(options.FileName);
    }
}

std::optional<QStringList> RunFileDialog(QFileDialog& dialog, const FileDialogOptions& options) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    QStringList paths;
    for (const QString& path : dialog.selectedFiles()) {
        // A file picked or named as it exists is taken as it is; the default extension only completes a
        // name typed without one.
        const bool existing = dialog.acceptMode() == QFileDialog::AcceptOpen && QFileInfo(path).isFile();
        paths << QDir::toNativeSeparators(existing ? path
                                                   : WithDefaultExtension(path, options.DefaultExtension));
    }
    return paths;
}

// The window that opens a dialog, and its focus widget, taken before the dialog and given the activation and
// the focus back when it has closed. Guarded pointers: what ran in the dialog's event loop (a timer, a
// closing window) may have deleted either.
class ActivationReturn {
public:
    explicit ActivationReturn(QWidget* parent)
        : FWindow(parent != nullptr ? parent->window() : QApplication::activeWindow()),
          FFocus(FWindow != nullptr ? FWindow->focusWidget() : nullptr) {}
    ~ActivationReturn() {
        if (FWindow == nullptr || !FWindow->isVisible()) {
            return;
        }
        FWindow->raise();
        FWindow->activateWindow();
        // On an inactive window this names the widget its activation focuses.
        if (FFocus != nullptr && FFocus->window() == FWindow && FFocus->isVisible()) {
            FFocus->setFocus(Qt::OtherFocusReason);
        }
    }
    ActivationReturn(const ActivationReturn&) = delete;
    ActivationReturn& operator=(const ActivationReturn&) = delete;

private:
    QPointer<QWidget> FWindow;
    QPointer<QWidget> FFocus;
};

class QtDialogs final : public Dialogs {
public:
    void Information(const QString& text) override { ShowOkBox(text, QMessageBox::NoIcon); }

    MessageAnswer MessageBox(const QString& text, const QString& caption, MessageIcon icon,
                             MessageButtons buttons) override {
        // Windows shows such a box without an owner; Qt would let a window manager stack a parentless box
        // under the window it was asked from (seen when a click on a list row asks), so it sits over the
        // active window like the other boxes.
        QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::NoButton, ActiveWindow());
        {
            const TStyleOwnIcons ownIcons;
            box.setIcon(ToQtIcon(icon));
            switch (buttons) {
                case MessageButtons::Ok:
                    box.setStandardButtons(QMessageBox::Ok);
                    box.setEscapeButton(QMessageBox::Ok);
                    break;
                case MessageButtons::YesNo:
                    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
                    box.setEscapeButton(QMessageBox::No);
                    break;
                case MessageButtons::YesNoCancel:
                    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
                    box.setEscapeButton(QMessageBox::Cancel);
                    break;
                case MessageButtons::YesNoDefaultNo:
                    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
                    box.setEscapeButton(QMessageBox::No);
                    box.setDefaultButton(QMessageBox::No);
                    break;
                case MessageButtons::MergeReplaceCancel:
                    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
                    box.setEscapeButton(QMessageBox::Cancel);
                    box.setDefaultButton(QMessageBox::Yes);
                    break;
            }
        }
        NameButtons(box);
        if (buttons == MessageButtons::MergeReplaceCancel) {
            box.button(QMessageBox::Yes)->setText(QStringLiteral("&Объединить"));
            box.button(QMessageBox::No)->setText(QStringLiteral("&Заменить"));
        }
        return ToAnswer(box.exec());
    }

    void ErrorReport(const QString& text) override { ShowOkBox(text, QMessageBox::Critical); }

    std::optional<QString> ShowOpenFile(QWidget* parent, const FileDialogOptions& options) override {
        QFileDialog dialog(parent);
        Configure(dialog, options);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // Qt would append the default extension to every name, an existing file's too, and then refuse the
        // typed name it completes; the extension is applied after the dialog instead.
        dialog.setDefaultSuffix(QString());
        const bool mustExist = options.MustExist && options.DefaultExtension.isEmpty();
        dialog.setFileMode(mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        const auto paths = RunFileDialog(dialog, options);
        return paths ? std::optional(paths->front()) : std::nullopt;
    }

    std::optional<QStringList> ShowOpenFiles(QWidget* parent, const FileDialogOptions& options) override {
        QFileDialog dialog(parent);
        Configure(dialog, options);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // Qt has no "many files that need not exist"; several names are only ever chosen among existing
        // files.
        dialog.setFileMode(QFileDialog::ExistingFiles);
        return RunFileDialog(dialog, options);
    }

    std::optional<QString> ShowSaveFile(QWidget* parent, const FileDialogOptions& options) override {
        QFileDialog dialog(parent);
        Configure(dialog, options);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !options.OverwritePrompt);
        const auto paths = RunFileDialog(dialog, options);
        return paths ? std::optional(paths->front()) : std::nullopt;
    }

    std::optional<QString> ShowChooseFolder(QWidget* parent, const QString& title,
                                            const QString& initialDir) override {
        const QString folder = QFileDialog::getExistingDirectory(parent, title, initialDir);
        if (folder.isEmpty()) {
            return std::nullopt;
        }
        return QDir::toNativeSeparators(folder);
    }
};

QtDialogs& Standard() {
    static QtDialogs dialogs;
    return dialogs;
}

Dialogs* installed = nullptr;

}  // namespace

bool IconThemeMayAnswer() {
    if (!QGuiApplication::desktopSettingsAware()) {
        return false;
    }
    const QString theme = QIcon::themeName();
    return !theme.isEmpty() && theme != QLatin1String("hicolor");
}

std::optional<QString> Dialogs::OpenFile(QWidget* parent, const FileDialogOptions& options) {
    const ActivationReturn back(parent);
    return ShowOpenFile(parent, options);
}

std::optional<QStringList> Dialogs::OpenFiles(QWidget* parent, const FileDialogOptions& options) {
    const ActivationReturn back(parent);
    return ShowOpenFiles(parent, options);
}

std::optional<QString> Dialogs::SaveFile(QWidget* parent, const FileDialogOptions& options) {
    const ActivationReturn back(parent);
    return ShowSaveFile(parent, options);
}

std::optional<QString> Dialogs::ChooseFolder(QWidget* parent, const QString& title,
                                             const QString& initialDir) {
    const ActivationReturn back(parent);
    return ShowChooseFolder(parent, title, initialDir);
}

Dialogs& CurrentDialogs() {
    return installed != nullptr ? *installed : Standard();
}
void InstallDialogs(Dialogs* dialogs) {
    installed = dialogs;
}

}  // namespace platform
