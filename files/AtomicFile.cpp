#include "files/AtomicFile.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <type_traits>

#include "files/WholeFile.h"
#include "files/WholePath.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace atomic_file {

namespace {

std::optional<Fault> armedFault;

// The armed fault for `step`, once: the seam tests use to stand in for a full disk or a failing device.
std::optional<Fault> TakeFault(FaultStep step) {
    if (!armedFault || armedFault->Step != step) {
        return std::nullopt;
    }
    std::optional<Fault> fault = armedFault;
    armedFault.reset();
    return fault;
}

using NameChar = std::filesystem::path::value_type;

// True when `c` continues a character rather than starting one: a UTF-8 continuation byte, or the low
// half of a UTF-16 surrogate pair. A name is never cut there.
bool ContinuesCharacter(NameChar c) {
    const auto code = static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<NameChar>>(c));
    return sizeof(NameChar) == 1 ? (code & 0xC0u) == 0x80u : code >= 0xDC00u && code <= 0xDFFFu;
}

}  // namespace

void ArmFault(std::optional<Fault> fault) {
    armedFault = fault;
}

std::filesystem::path TemporaryNameFor(const std::filesystem::path& target) {
    using Name = std::filesystem::path::string_type;
    static const Name kSuffix = std::filesystem::path(".qortmp").native();
    Name name = target.filename().native();
    if (name.size() + kSuffix.size() > kMaxNameLength) {
        // FNV-1a over the whole name: two long names that share their beginning get different temporary
        // files.
        std::uint32_t hash = 2166136261u;
        for (const NameChar c : name) {
            hash = (hash ^ static_cast<std::uint32_t>(c)) * 16777619u;
        }
        constexpr char kDigits[] = "0123456789abcdef";
        Name tag(1, NameChar('~'));
        for (int shift = 28; shift >= 0; shift -= 4) {
            tag.push_back(NameChar(kDigits[(hash >> shift) & 0xFu]));
        }
        std::size_t keep = kMaxNameLength - kSuffix.size() - tag.size();
        while (keep > 0 && ContinuesCharacter(name[keep])) {
            --keep;
        }
        name.resize(keep);
        name += tag;
    }
    name += kSuffix;
    return target.parent_path() / std::filesystem::path(name);
}

}  // namespace atomic_file

namespace {

using atomic_file::FaultStep;
using atomic_file::TakeFault;

#ifdef _WIN32

std::error_code LastError() {
    return {static_cast<int>(::GetLastError()), std::system_category()};
}

std::error_code WriteAll(HANDLE file, std::string_view data) {
    if (const auto fault = TakeFault(FaultStep::Write)) {
        data = data.substr(0, std::min(fault->BytesBeforeFailure, data.size()));
        const std::error_code written = WriteAll(file, data);
        return written ? written : fault->Error;
    }
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
    // A leftover of a save that was cut short is ours: it goes, and the new file takes its name.
    ::DeleteFileW(temporary.c_str());
    if (const auto fault = TakeFault(FaultStep::Create)) {
        return fault->Error;
    }
    HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return LastError();
    }
    std::error_code ec = WriteAll(file, data);
    if (!ec) {
        if (const auto fault = TakeFault(FaultStep::Sync)) {
            ec = fault->Error;
        } else if (!::FlushFileBuffers(file)) {
            ec = LastError();
        }
    }
    if (!::CloseHandle(file) && !ec) {
        ec = LastError();
    }
    if (const auto fault = TakeFault(FaultStep::Close); fault && !ec) {
        ec = fault->Error;
    }
    return ec;
}

// Whether what `target` names is something other than a file on a disk: a device ("NUL", "COM1",
// "\\.\PIPE\..."), a pipe. Asked of the open handle, which is the only sure way on Windows: device names
// are reserved in every folder. A name that cannot be opened is no such thing.
bool IsDeviceOrPipe(const std::filesystem::path& target) {
    HANDLE handle = ::CreateFileW(target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const DWORD type = ::GetFileType(handle);
    ::CloseHandle(handle);
    return type != FILE_TYPE_DISK;
}

std::error_code CheckReplaceable(const std::filesystem::path& target) {
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    // A folder in the file's place is said as a folder, as on POSIX, not as a refusal to write.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    // Only a file is ever replaced: a device or a pipe would be swapped for a file of the same name.
    if (IsDeviceOrPipe(target)) {
        return NotARegularFileError();
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return {ERROR_ACCESS_DENIED, std::system_category()};
    }
    return {};
}

std::error_code Replace(const std::filesystem::path& temporary, const std::filesystem::path& target) {
    if (const auto fault = TakeFault(FaultStep::Rename)) {
        return fault->Error;
    }
    if (!::MoveFileExW(temporary.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return LastError();
    }
    return {};
}

#else

std::error_code LastError() {
    return {errno, std::generic_category()};
}

std::error_code WriteAll(int fd, std::string_view data) {
    std::optional<atomic_file::Fault> fault = TakeFault(FaultStep::Write);
    if (fault) {
        data = data.substr(0, std::min(fault->BytesBeforeFailure, data.size()));
    }
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return LastError();
        }
        if (written == 0) {
            return std::make_error_code(std::errc::io_error);  // never for a regular file; no endless loop
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return fault ? fault->Error : std::error_code();
}

// `mode` is the replaced file's permissions, or 0 for a new file, which gets the usual ones.
std::error_code WriteTemporary(const std::filesystem::path& temporary, std::string_view data, mode_t mode,
                               struct stat& written) {
    // A leftover of a save that was cut short is ours: it goes, and the new file takes its name. O_EXCL
    // still refuses to follow a link planted there in between.
    ::unlink(temporary.c_str());
    if (const auto fault = TakeFault(FaultStep::Create)) {
        return fault->Error;
    }
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return LastError();
    }
    std::error_code ec;
    if (mode != 0 && ::fchmod(fd, mode) != 0) {
        ec = LastError();
    }
    if (!ec) {
        ec = WriteAll(fd, data);
    }
    if (!ec) {
        if (const auto fault = TakeFault(FaultStep::Sync)) {
            ec = fault->Error;
        } else if (::fsync(fd) != 0) {
            ec = LastError();
        }
    }
    if (!ec && ::fstat(fd, &written) != 0) {
        ec = LastError();
    }
    if (::close(fd) != 0 && !ec) {
        ec = LastError();
    }
    if (const auto fault = TakeFault(FaultStep::Close); fault && !ec) {
        ec = fault->Error;
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
    // Only a regular file is ever replaced: a named pipe, a device or a socket would be swapped for a
    // regular file of the same name, under every program that uses it (the target has been followed
    // through its links already, so a link to a regular file passes).
    if (!S_ISREG(info.st_mode)) {
        return NotARegularFileError();
    }
    if (::access(target.c_str(), W_OK) != 0) {
        return LastError();
    }
    mode = info.st_mode & 07777;
    return {};
}

// `written` identifies the temporary file this save wrote: should another save of the same target have
// taken the name in the meantime, its file is not ours to move into place.
std::error_code Replace(const std::filesystem::path& temporary, const std::filesystem::path& target,
                        const struct stat& written) {
    struct stat now {};
    if (::lstat(temporary.c_str(), &now) != 0) {
        return LastError();
    }
    if (now.st_dev != written.st_dev || now.st_ino != written.st_ino) {
        return std::make_error_code(std::errc::device_or_resource_busy);
    }
    if (const auto fault = TakeFault(FaultStep::Rename)) {
        return fault->Error;
    }
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
    if (!whole_path::PassesWhole(given)) {
        return whole_path::ControlCharacterError();
    }
    const std::filesystem::path target = FollowLinks(given);
    const std::filesystem::path temporary = atomic_file::TemporaryNameFor(target);
#ifdef _WIN32
    if (std::error_code ec = CheckReplaceable(target)) {
        return ec;
    }
    std::error_code ec = WriteTemporary(temporary, data);
    if (!ec) {
        ec = Replace(temporary, target);
    }
    if (ec) {
        ::DeleteFileW(temporary.c_str());
    }
#else
    mode_t mode = 0;
    if (std::error_code ec = CheckReplaceable(target, mode)) {
        return ec;
    }
    struct stat written {};
    std::error_code ec = WriteTemporary(temporary, data, mode, written);
    if (!ec) {
        ec = Replace(temporary, target, written);
    }
    // Only a file this save created is removed; a busy name belongs to another save.
    if (ec && ec != std::errc::device_or_resource_busy && ec != std::errc::file_exists) {
        ::unlink(temporary.c_str());
    }
#endif
    return ec;
}
