#include "forms/FormMessages.h"

#include "core/BookLines.h"
#include "document/BookTexts.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace forms {

void InformAll(const std::vector<QString>& texts) {
    for (const QString& text : texts) {
        Inform(text);
    }
}

void Inform(const QString& text) {
    platform::CurrentDialogs().Information(text);
}

platform::MessageAnswer Ask(const QString& text, const QString& caption, platform::MessageIcon icon,
                            platform::MessageButtons buttons) {
    return platform::CurrentDialogs().MessageBox(text, caption, icon, buttons);
}

bool CheckStorablePath(const QString& path) {
    const std::optional<std::string> bytes = platform::ToCp1251(path);
    if (!bytes) {
        Inform(document::UnstorablePathText(path));
        return false;
    }
    if (book_lines::HasControlByte(*bytes)) {
        Inform(document::ControlCharacterRefusal());
        return false;
    }
    return true;
}

std::optional<std::string> TakeChosenPath(const QString& chosen) {
    if (!CheckStorablePath(chosen)) {
        return std::nullopt;
    }
    return platform::ToStoredPath(chosen);
}

std::optional<std::string> ChoosePathToOpen(QWidget* parent, const platform::FileDialogOptions& options) {
    const std::optional<QString> chosen = platform::CurrentDialogs().OpenFile(parent, options);
    return chosen ? TakeChosenPath(*chosen) : std::nullopt;
}

std::optional<std::string> ChoosePathToSave(QWidget* parent, const platform::FileDialogOptions& options) {
    const std::optional<QString> chosen = platform::CurrentDialogs().SaveFile(parent, options);
    return chosen ? TakeChosenPath(*chosen) : std::nullopt;
}

bool MayReplaceExisting(const std::string& path) {
    return !platform::FileExists(path) ||
           Ask(QStringLiteral("Заменить существующий файл?"), QStringLiteral("Редактор Справочников"),
               platform::MessageIcon::Question,
               platform::MessageButtons::YesNo) == platform::MessageAnswer::Yes;
}

}  // namespace forms
