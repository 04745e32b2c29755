#include "files/WholeFile.h"

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

#include "files/WholePath.h"

#ifdef _WIN32

std::error_code ReadWholeFile(const std::filesystem::path& path, std::string& content, std::size_t maxBytes) {
    content.clear();
    if (!whole_path::PassesWhole(path)) {
        return whole_path::ControlCharacterError();
    }
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::directory) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    if (!ec && status.type() != std::filesystem::file_type::regular) {
        return NotARegularFileError();
    }
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        // The two everyday reasons as the portable codes the callers tell apart; others as the system's.
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return std::make_error_code(std::errc::no_such_file_or_directory);
        }
        if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
            return std::make_error_code(std::errc::permission_denied);
        }
        return {static_cast<int>(error), std::system_category()};
    }
    // A name such as CON or a pipe opens as something other than a file on the disk.
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        ::CloseHandle(file);
        return NotARegularFileError();
    }
    char buffer[64 * 1024];
    while (true) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            ec = {static_cast<int>(::GetLastError()), std::system_category()};
            break;
        }
        if (got == 0) {
            break;
        }
        if (content.size() + got > maxBytes) {
            ec = std::make_error_code(std::errc::file_too_large);
            break;
        }
        content.append(buffer, got);
    }
    ::CloseHandle(file);
    if (ec) {
        content.clear();
    }
    return ec;
}

#else

std::error_code ReadWholeFile(const std::filesystem::path& path, std::string& content, std::size_t maxBytes) {
    content.clear();
    if (!whole_path::PassesWhole(path)) {
        return whole_path::ControlCharacterError();
    }
    // The kind of file is checked before it is opened, and again on what was opened: a named pipe
    // without a writer would block the open, a device such as /dev/zero never ends. O_NONBLOCK keeps the
    // open itself from waiting when a pipe takes the name in between.
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            return std::make_error_code(std::errc::is_a_directory);
        }
        if (!S_ISREG(info.st_mode)) {
            return NotARegularFileError();
        }
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return {errno, std::generic_category()};
    }
    std::error_code ec;
    if (::fstat(fd, &info) != 0) {
        ec = {errno, std::generic_category()};
    } else if (S_ISDIR(info.st_mode)) {
        ec = std::make_error_code(std::errc::is_a_directory);
    } else if (!S_ISREG(info.st_mode)) {
        ec = NotARegularFileError();
    } else if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
        ec = std::make_error_code(std::errc::file_too_large);
    } else {
        content.reserve(static_cast<std::size_t>(info.st_size));
    }
    char buffer[64 * 1024];
    while (!ec) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno != EINTR) {
                ec = {errno, std::generic_category()};
            }
            continue;
        }
        if (got == 0) {
            break;
        }
        // The size claimed at the open is no promise: the file may grow while it is read.
        if (content.size() + static_cast<std::size_t>(got) > maxBytes) {
            ec = std::make_error_code(std::errc::file_too_large);
            break;
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (ec) {
        content.clear();
    }
    return ec;
}

#endif
