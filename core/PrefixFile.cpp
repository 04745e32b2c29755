#include "core/PrefixFile.h"

#include "core/SpravFile.h"
#include "files/AtomicFile.h"
#include "files/WholeFile.h"

namespace prefix_file {

std::vector<std::string> SplitEntries(std::string_view content) {
    std::vector<std::string> entries;
    std::size_t start = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        const char c = content[i];
        if (c != '\r' && c != '\n') {
            continue;
        }
        entries.emplace_back(content.substr(start, i - start));
        if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < content.size()) {
        entries.emplace_back(content.substr(start));
    }
    return entries;
}

ReadFailure Parse(std::string_view content, std::vector<std::string>& entries) {
    std::size_t lines = 0;
    std::size_t length = 0;  // of the line being read
    for (std::size_t i = 0; i < content.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(content[i]);
        if (c == '\r' || c == '\n') {
            if (++lines > kMaxEntries) {
                return ReadFailure::TooManyEntries;
            }
            length = 0;
            if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') {
                ++i;
            }
            continue;
        }
        if (c < 0x20) {
            return ReadFailure::ControlByte;
        }
        if (++length > kMaxEntryLength) {
            return ReadFailure::LineTooLong;
        }
    }
    if (length > 0 && ++lines > kMaxEntries) {  // the last line, without a line end
        return ReadFailure::TooManyEntries;
    }
    entries = SplitEntries(content);
    return ReadFailure::None;
}

std::string Format(const std::vector<std::string>& entries) {
    std::string out;
    for (const std::string& entry : entries) {
        out.append(entry).append("\r\n");
    }
    return out;
}

ReadResult Read(const std::filesystem::path& path, std::vector<std::string>& entries) {
    // The book's reader opens nothing but a regular file, without blocking on a pipe, and never takes more
    // than the limit, whatever size the file claims.
    std::string content;
    const std::error_code error = ReadWholeFile(path, content, kMaxFileBytes);
    if (error == std::errc::is_a_directory || error == NotARegularFileError()) {
        return {ReadFailure::NotRegularFile, {}};
    }
    if (error == std::errc::file_too_large) {
        return {ReadFailure::TooLarge, {}};
    }
    if (error) {
        return {ReadFailure::CannotRead, error};
    }
    return {Parse(content, entries), {}};
}

std::error_code Write(const std::filesystem::path& path, const std::vector<std::string>& entries) {
    return WriteFileAtomically(path, Format(entries));
}

}  // namespace prefix_file
