#include "CommentFile.h"

#include "AtomicFile.h"

#include <algorithm>

#ifdef _WIN32
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace comment_file {

std::string Parse(std::string_view fileBytes) {
    std::string text;
    text.reserve(fileBytes.size());
    for (std::size_t i = 0; i < fileBytes.size(); ++i) {
        const char c = fileBytes[i];
        if (c == '\r') {
            text += '\n';
            if (i + 1 < fileBytes.size() && fileBytes[i + 1] == '\n') {
                ++i;
            }
        } else {
            text += c;
        }
    }
    return text;
}

std::string Format(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            bytes += "\r\n";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            bytes += c;
        }
    }
    return bytes;
}

namespace {

// One byte of a Windows-1251 path as Windows compares it: lower case, "/" as "\".
unsigned char Folded(unsigned char c) {
    if (c >= 'A' && c <= 'Z') {
        return static_cast<unsigned char>(c - 'A' + 'a');
    }
    if (c >= 0xC0 && c <= 0xDF) {  // А..Я
        return static_cast<unsigned char>(c + 0x20);
    }
    if (c == 0xA8) {  // Ё
        return 0xB8;
    }
    return c == '/' ? '\\' : c;
}

}  // namespace

bool SamePath(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Folded(static_cast<unsigned char>(a[i])) != Folded(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

#ifdef _WIN32

ReadResult Read(const std::filesystem::path& path) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) {
        return {
            ec && ec != std::errc::no_such_file_or_directory ? ReadStatus::Unreadable : ReadStatus::Missing,
            {}};
    }
    if (!std::filesystem::is_regular_file(status)) {
        return {ReadStatus::NotRegular, {}};
    }
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        return {ReadStatus::Unreadable, {}};
    }
    if (size > kMaxSize) {
        return {ReadStatus::TooLarge, {}};
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {ReadStatus::Unreadable, {}};
    }
    std::string bytes(static_cast<std::size_t>(kMaxSize) + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) {
        return {ReadStatus::Unreadable, {}};
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > kMaxSize) {
        return {ReadStatus::TooLarge, {}};
    }
    return {ReadStatus::Ok, Parse(bytes)};
}

#else

namespace {

ReadStatus Kind(const struct stat& info) {
    if (!S_ISREG(info.st_mode)) {
        return ReadStatus::NotRegular;
    }
    if (static_cast<std::uintmax_t>(info.st_size) > kMaxSize) {
        return ReadStatus::TooLarge;
    }
    return ReadStatus::Ok;
}

}  // namespace

ReadResult Read(const std::filesystem::path& path) {
    // The kind is known before the file is opened, so that opening a pipe or a device never waits.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return {errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Unreadable, {}};
    }
    if (const ReadStatus kind = Kind(info); kind != ReadStatus::Ok) {
        return {kind, {}};
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return {ReadStatus::Unreadable, {}};
    }
    ReadResult result;
    // The path may have been replaced between the two looks.
    if (::fstat(fd, &info) != 0) {
        result.Status = ReadStatus::Unreadable;
    } else {
        result.Status = Kind(info);
    }
    std::string bytes;
    if (result.Status == ReadStatus::Ok) {
        bytes.resize(static_cast<std::size_t>(info.st_size) + 1);
        std::size_t got = 0;
        while (result.Status == ReadStatus::Ok) {
            if (got == bytes.size()) {
                if (bytes.size() > kMaxSize) {
                    result.Status = ReadStatus::TooLarge;  // it grew while being read
                    break;
                }
                bytes.resize(std::min<std::size_t>(bytes.size() * 2, kMaxSize + 1));
            }
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0) {
                if (errno != EINTR) {
                    result.Status = ReadStatus::Unreadable;
                }
                continue;
            }
            if (n == 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(got);
    }
    ::close(fd);
    if (result.Status == ReadStatus::Ok) {
        result.Text = Parse(bytes);
    }
    return result;
}

#endif

std::error_code Write(const std::filesystem::path& path, std::string_view text) {
    return WriteFileAtomically(path, Format(text));
}

}  // namespace comment_file
