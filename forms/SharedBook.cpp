#include "forms/SharedBook.h"

#include <QDateTime>
#include <QFileInfo>

#include <system_error>

#include "forms/FormMessages.h"
#include "platform/Paths.h"

void TSharedBook::Remember(const std::string& path, std::string_view bytes) {
    FPath = path;
    FStamp = WrittenStamp(platform::ToOsPath(path), bytes);
}

void TSharedBook::Forget() {
    FPath.clear();
    FStamp = {};
}

bool TSharedBook::IsRemembered(const std::string& path) const {
    if (!FStamp.Known) {
        return false;
    }
    if (path == FPath) {
        return true;
    }
    // The same file reached by another name (a link, another spelling of the folder).
    std::error_code error;
    return std::filesystem::equivalent(platform::ToOsPath(path), platform::ToOsPath(FPath), error) && !error;
}

bool TSharedBook::MayReplace(const std::string& path) const {
    // A book file that is gone holds nobody's work: writing it anew loses nothing.
    if (!IsRemembered(path) || !platform::FileExists(path) ||
        !ChangedSince(FStamp, platform::ToOsPath(path))) {
        return true;
    }
    const QDateTime changed = QFileInfo(platform::ToOsPathText(path)).lastModified();
    const QString text =
        QStringLiteral(
            "Файл справочника %1 изменён другой программой (%2) после того, как был открыт или "
            "сохранён в этом окне.\nЕсли сохранить справочник, сделанные там изменения будут "
            "потеряны.\n\nСохранить всё равно?")
            .arg(platform::ToDisplayPath(path), changed.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")));
    return forms::Ask(text, forms::kMessageCaption, platform::MessageIcon::Warning,
                      platform::MessageButtons::YesNoDefaultNo) == platform::MessageAnswer::Yes;
}
