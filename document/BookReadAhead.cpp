#include "document/BookReadAhead.h"

#include "document/MainSettings.h"
#include "platform/Paths.h"

TBookReadAhead::TBookReadAhead(std::string path, ServiceDirectories dirs)
    : FPath(std::move(path)), FDirs(std::move(dirs)) {
    FRead = std::async(std::launch::async, [path = FPath, dirs = FDirs] {
        TReadSeen read;
        read.Before = See(path);
        read.Read = Read(path, dirs);
        return read;
    });
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
        const std::optional<std::string> stored =
            platform::ToStoredPath(platform::AbsoluteNativePath(commandLineBook));
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

std::optional<TBookReadAhead::TSeen> TBookReadAhead::See(const std::string& path) {
    std::error_code error;
    const std::filesystem::path file = platform::ToOsPath(path);
    TSeen seen{std::filesystem::file_size(file, error), {}};
    if (error) {
        return std::nullopt;
    }
    seen.Time = std::filesystem::last_write_time(file, error);
    if (error) {
        return std::nullopt;
    }
    return seen;
}

std::optional<TBookRead> TBookReadAhead::Take(const std::string& path, const ServiceDirectories& dirs) {
    if (!FRead.valid()) {
        return std::nullopt;
    }
    if (path != FPath || dirs.Tests != FDirs.Tests || dirs.Desc != FDirs.Desc) {
        // Another book: what was read goes unseen, whatever became of its read.
        FRead.wait();
        FRead = {};
        return std::nullopt;
    }
    TReadSeen read = FRead.get();
    if (!read.Before || See(path) != read.Before) {
        return std::nullopt;  // changed since it was read, or not to be told
    }
    return std::move(read.Read);
}
