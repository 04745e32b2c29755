#include "core/CommentFile.h"

#include "core/Cp1251Case.h"
#include "core/SpravFile.h"
#include "files/AtomicFile.h"
#include "files/WholeFile.h"

#include <algorithm>

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

// One byte of a Windows-1251 path as Windows compares file names: letter case and the kind of separator do
// not count.
unsigned char Folded(unsigned char c) {
    return c == '/' ? '\\' : cp1251_case::Upper(c);
}

}  // namespace

// From the last byte: the paths of one book share their folders and differ in their names and
// extensions, so most comparisons end at once.
bool SamePath(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = a.size(); i-- > 0;) {
        if (Folded(static_cast<unsigned char>(a[i])) != Folded(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// The rest first, where the paths of one book differ.
bool SamePath(const TExpandedPath& a, std::string_view b) {
    const std::size_t dir = a.Dir.size();
    return a.Size() == b.size() && SamePath(a.Rest, b.substr(dir)) && SamePath(a.Dir, b.substr(0, dir));
}

ReadResult Read(const std::filesystem::path& path) {
    // The book's reader opens nothing but a regular file, without waiting on a pipe or a device, and never
    // takes more than the limit, whatever size the file claims.
    std::string bytes;
    const std::error_code error = ReadWholeFile(path, bytes, kMaxSize);
    if (!error) {
        ReadResult read{ReadStatus::Ok, Parse(bytes), WrittenStamp(path, bytes)};
        // The stamp stands for the bytes read, whatever the clock says.
        read.Stamp.Known = true;
        return read;
    }
    if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory) {
        return {ReadStatus::Missing, {}, {}};
    }
    if (error == std::errc::is_a_directory) {
        return {ReadStatus::Folder, {}, {}};
    }
    if (error == NotARegularFileError()) {
        return {ReadStatus::NotRegular, {}, {}};
    }
    if (error == std::errc::file_too_large) {
        return {ReadStatus::TooLarge, {}, {}};
    }
    return {ReadStatus::Unreadable, {}, {}};
}

std::error_code Write(const std::filesystem::path& path, std::string_view text, FileStamp* written) {
    const std::string bytes = Format(text);
    // Never a file that Read would refuse.
    if (bytes.size() > kMaxSize) {
        return std::make_error_code(std::errc::file_too_large);
    }
    const std::error_code error = WriteFileAtomically(path, bytes);
    if (!error && written != nullptr) {
        *written = WrittenStamp(path, bytes);
        written->Known = true;
    }
    return error;
}

SaveCheck CheckBeforeSave(const ReadResult& seen, const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::file_status now = std::filesystem::status(path, error);
    if (now.type() == std::filesystem::file_type::not_found ||
        now.type() == std::filesystem::file_type::directory) {
        return SaveCheck::Go;
    }
    switch (seen.Status) {
        case ReadStatus::Ok:
            return ChangedSince(seen.Stamp, path) ? SaveCheck::ChangedOnDisk : SaveCheck::Go;
        case ReadStatus::Missing:
        case ReadStatus::Folder:
            // A file where there was none: another program's comment.
            return SaveCheck::ChangedOnDisk;
        default:
            return SaveCheck::NotReadInWhole;
    }
}

}  // namespace comment_file
