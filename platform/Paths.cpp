// Turning stored paths into OS paths and back.
#include "platform/Paths.h"

#include "files/WholePath.h"
#include "platform/Text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace platform {

QString ToOsPathText(std::string_view stored) {
    QString text = FromCp1251(stored);
#ifndef _WIN32
    // Books written on Windows use "\"; on POSIX it is never a useful file-name character here.
    text.replace(QLatin1Char('\\'), QLatin1Char('/'));
#endif
    return text;
}

std::filesystem::path ToOsPath(std::string_view stored) {
#ifdef _WIN32
    return std::filesystem::path(ToOsPathText(stored).toStdWString());
#else
    // Qt 6 names files in UTF-8 on POSIX; the bytes are made directly, as the book check asks this of every
    // path of a book. "\" never stands inside a UTF-8 sequence, so it is turned into "/" afterwards.
    std::string encoded = Cp1251ToUtf8(stored);
    std::replace(encoded.begin(), encoded.end(), '\\', '/');
    return std::filesystem::path(std::move(encoded));
#endif
}

std::optional<std::string> ToStoredPath(const QString& chosen) {
    return ToCp1251(QDir::toNativeSeparators(chosen));
}

QString AbsoluteNativePath(const QString& given) {
    return QDir::toNativeSeparators(QFileInfo(given).absoluteFilePath());
}

QString ToDisplayPath(std::string_view stored) {
    return FromCp1251(stored);
}

bool FileExists(std::string_view stored) {
    if (stored.empty()) {
        return false;
    }
    // The system's test would stop at a NUL and answer for the file the first part names.
    const std::filesystem::path path = ToOsPath(stored);
    if (!whole_path::PassesWhole(path)) {
        return false;
    }
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

std::string ExePath() {
#ifdef _WIN32
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return std::string(buffer, length);
#else
    // /proc knows the executable even before (or without) a QCoreApplication.
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    QString path;
    if (!error) {
        path = QFile::decodeName(QByteArray::fromStdString(self.string()));
    } else if (QCoreApplication::instance() != nullptr) {
        path = QCoreApplication::applicationFilePath();
    }
    // A path Windows-1251 cannot hold gives no path rather than a wrong one.
    return ToCp1251(QDir::toNativeSeparators(path)).value_or(std::string());
#endif
}

}  // namespace platform
