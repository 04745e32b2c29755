#include "document/SharedBook.h"

#include <QDateTime>
#include <QFileInfo>

#include <system_error>

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

bool TSharedBook::ChangedByAnother(const std::string& path, QString* changed) const {
    // A book file that is gone holds nobody's work: writing it anew loses nothing.
    if (!IsRemembered(path) || !platform::FileExists(path) || !ChangedSince(FStamp, platform::ToOsPath(path))) {
        return false;
    }
    if (changed != nullptr) {
        *changed = QFileInfo(platform::ToOsPathText(path)).lastModified().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    }
    return true;
}
