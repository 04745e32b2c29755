// The prefix-list file (*.prf): one manufacturer prefix per line, Windows-1251, CR LF after every line, no
// header. Entries are kept exactly: blanks, empty lines and duplicates included.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace prefix_file {

// No list of prefixes comes near this size; a larger file was picked by mistake and is not read at all.
inline constexpr std::uintmax_t kMaxFileBytes = 16u * 1024u * 1024u;

// Lines end at CR LF, a lone LF or a lone CR; the last line counts without a line end, while the empty
// remainder after a final line end is no entry.
std::vector<std::string> SplitEntries(std::string_view content);

// Each entry followed by CR LF; an empty list is an empty file.
std::string Format(const std::vector<std::string>& entries);

enum class ReadFailure {
    None,
    NotRegularFile,  // a folder, a named pipe, a device: refused before it is opened
    TooLarge,        // over kMaxFileBytes: refused before it is read
    CannotRead,      // missing, no permission, a read error: see Error
};

struct ReadResult {
    ReadFailure Failure = ReadFailure::None;
    std::error_code Error;
    bool Ok() const { return Failure == ReadFailure::None; }
};

// Reads the entries of the file at `path` into `entries`. The kind and size of the file are checked before
// it is opened, so a named pipe never blocks the caller. On failure `entries` is left as it was.
ReadResult Read(const std::filesystem::path& path, std::vector<std::string>& entries);

// Writes the entries so that the file holds either its old content or the whole new list, never a part.
std::error_code Write(const std::filesystem::path& path, const std::vector<std::string>& entries);

}  // namespace prefix_file
