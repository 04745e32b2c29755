#include "core/FileIdentity.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
    if (path.empty()) {
        return std::nullopt;
    }
#ifdef _WIN32
    // Opened for its attributes only, sharing everything, so that no other program's open is refused
    // meanwhile. Without FILE_FLAG_OPEN_REPARSE_POINT the open follows links; FILE_FLAG_BACKUP_SEMANTICS
    // lets it open a folder too.
    HANDLE file = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL known = ::GetFileInformationByHandle(file, &info);
    ::CloseHandle(file);
    if (!known) {
        return std::nullopt;
    }
    FileIdentity identity;
    identity.Volume = info.dwVolumeSerialNumber;
    identity.Index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return identity;
#else
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    FileIdentity identity;
    identity.Volume = static_cast<std::uint64_t>(info.st_dev);
    identity.Index = static_cast<std::uint64_t>(info.st_ino);
    return identity;
#endif
}
