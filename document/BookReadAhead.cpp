#include "document/BookReadAhead.h"

#include <QDir>
#include <QFileInfo>

#include "document/MainSettings.h"
#include "platform/Paths.h"

TBookReadAhead::TBookReadAhead(std::string path, ServiceDirectories dirs)
    : FPath(std::move(path)), FDirs(std::move(dirs)) {
    FRead = std::async(std::launch::async, [path = FPath, dirs = FDirs] { return Read(path, dirs); });
}

TBookReadAhead::~TBookReadAhead() {
    if (FRead.valid()) {
        FRead.wait();
    }
}

TBookReadAhead TBookReadAhead::ForStart(const QString& commandLineBook) {
    const TSettingValues settings = TMainSettings::Peek();
    std::string path = settings.FileName;
    if (!commandLineBook.isEmpty()) {
        const std::optional<std::string> stored = platform::ToStoredPath(
            QDir::toNativeSeparators(QFileInfo(commandLineBook).absoluteFilePath()));
        path = stored ? *stored : std::string();
    }
    if (path.empty() || !platform::FileExists(path)) {
        return {};
    }
    return TBookReadAhead(std::move(path), {settings.DirTests, settings.DirPDF});
}

TBookRead TBookReadAhead::Read(const std::string& path, const ServiceDirectories& dirs) {
    TBookRead read;
    read.Book->OnMessage = [](const std::string&) {};
    read.Result = sprav_file::Load(platform::ToOsPath(path), *read.Book, dirs.Tests, &read.Bytes);
    if (read.Result.Ok()) {
        read.Savable = sprav_file::CheckSavable(*read.Book, dirs);
    }
    return read;
}

std::optional<TBookRead> TBookReadAhead::Take(const std::string& path, const ServiceDirectories& dirs) {
    if (!FRead.valid()) {
        return std::nullopt;
    }
    TBookRead read = FRead.get();
    if (path != FPath || dirs.Tests != FDirs.Tests || dirs.Desc != FDirs.Desc) {
        return std::nullopt;
    }
    return read;
}
