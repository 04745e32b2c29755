#include "AtomicFile.h"

#include <random>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace {

std::filesystem::path TemporaryNameBeside(const std::filesystem::path& target) {
    static std::mt19937 generator{std::random_device{}()};
    std::filesystem::path temporary = target;
    temporary += ".tmp" + std::to_string(generator() % 1'000'000'000u);
    return temporary;
}

#ifdef _WIN32

std::error_code LastError() { return {static_cast<int>(::GetLastError()), std::system_category()}; }

std::error_code WriteAll(HANDLE file, std::string_view data) {
    while (!data.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, data.data(), chunk, &written, nullptr)) {
            return LastError();
        }
        data.remove_prefix(written);
    }
    return {};
}

std::error_code WriteTemporary(const std::filesystem::path& temporary, std::string_view data) {
    HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return LastError();
    }
    std::error_code ec = WriteAll(file, data);
    if (!ec && !::FlushFileBuffers(file)) {
        ec = LastError();
    }
    if (!::CloseHandle(file) && !ec) {
        ec = LastError();
    }
    return ec;
}

std::error_code CheckReplaceable(const std::filesystem::path& target) {
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return {ERROR_ACCESS_DENIED, std::system_category()};
    }
    return {};
}

std::error_code Replace(const std::filesystem::path& temporary, const std::filesystem::path& target) {
    if (!::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return LastError();
    }
    return {};
}

#else

std::error_code LastError() { return {errno, std::generic_category()}; }

// `mode` is the replaced file's permissions, or 0 for a new file, which gets the usual ones.
std::error_code WriteTemporary(const std::filesystem::path& temporary, std::string_view data, mode_t mode) {
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return LastError();
    }
    std::error_code ec;
    if (mode != 0 && ::fchmod(fd, mode) != 0) {
        ec = LastError();
    }
    while (!ec && !data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            ec = LastError();
            break;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    if (!ec && ::fsync(fd) != 0) {
        ec = LastError();
    }
    if (::close(fd) != 0 && !ec) {
        ec = LastError();
    }
    return ec;
}

// A read-only book stays read-only: renaming over it would succeed on POSIX, so ask first.
std::error_code CheckReplaceable(const std::filesystem::path& target, mode_t& mode) {
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        mode = 0;
        return {};
    }
    if (S_ISDIR(info.st_mode)) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    if (::access(target.c_str(), W_OK) != 0) {
        return LastError();
    }
    mode = info.st_mode & 07777;
    return {};
}

std::error_code Replace(const std::filesystem::path& temporary, const std::filesystem::path& target) {
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        return LastError();
    }
    // Make the rename itself durable.
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

#endif

}  // namespace

namespace {

// A book reached through a symbolic link is saved where the link points; replacing the link itself with
// a regular file would silently part this copy from the shared one. A dangling link is replaced.
std::filesystem::path FollowLinks(const std::filesystem::path& given) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(given, ec)) {
        return given;
    }
    std::filesystem::path resolved = std::filesystem::canonical(given, ec);
    return ec ? given : resolved;
}

}  // namespace

std::error_code WriteFileAtomically(const std::filesystem::path& given, std::string_view data) {
    const std::filesystem::path target = FollowLinks(given);
#ifdef _WIN32
    if (std::error_code ec = CheckReplaceable(target)) {
        return ec;
    }
#else
    mode_t mode = 0;
    if (std::error_code ec = CheckReplaceable(target, mode)) {
        return ec;
    }
#endif
    const std::filesystem::path temporary = TemporaryNameBeside(target);
#ifdef _WIN32
    std::error_code ec = WriteTemporary(temporary, data);
#else
    std::error_code ec = WriteTemporary(temporary, data, mode);
#endif
    if (!ec) {
        ec = Replace(temporary, target);
    }
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
    }
    return ec;
}
