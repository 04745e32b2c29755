#include "PrefixFile.h"

#include <fstream>

#include "AtomicFile.h"

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

std::string Format(const std::vector<std::string>& entries) {
    std::string out;
    for (const std::string& entry : entries) {
        out.append(entry).append("\r\n");
    }
    return out;
}

ReadResult Read(const std::filesystem::path& path, std::vector<std::string>& entries) {
    // status() asks the file system about the file without opening it: opening a named pipe for reading
    // would wait for a writer that may never come.
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        return {ReadFailure::CannotRead, std::make_error_code(std::errc::no_such_file_or_directory)};
    }
    if (ec) {
        return {ReadFailure::CannotRead, ec};
    }
    if (status.type() != std::filesystem::file_type::regular) {
        return {ReadFailure::NotRegularFile, {}};
    }
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        return {ReadFailure::CannotRead, ec};
    }
    if (size > kMaxFileBytes) {
        return {ReadFailure::TooLarge, {}};
    }
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        return {ReadFailure::CannotRead, std::make_error_code(std::errc::permission_denied)};
    }
    // The file may have grown since it was measured: never take more than the limit.
    std::string content;
    content.reserve(static_cast<std::size_t>(size));
    char buffer[64 * 1024];
    while (content.size() <= kMaxFileBytes && (in.read(buffer, sizeof buffer) || in.gcount() > 0)) {
        content.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        return {ReadFailure::CannotRead, std::make_error_code(std::errc::io_error)};
    }
    if (content.size() > kMaxFileBytes) {
        return {ReadFailure::TooLarge, {}};
    }
    entries = SplitEntries(content);
    return {};
}

std::error_code Write(const std::filesystem::path& path, const std::vector<std::string>& entries) {
    return WriteFileAtomically(path, Format(entries));
}

}  // namespace prefix_file
