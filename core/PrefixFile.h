// The prefix-list file (*.prf): one manufacturer prefix per line, Windows-1251, CR LF after every line, no
// header. Entries are kept exactly: blanks, empty lines and duplicates included.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace prefix_file {

// Lines end at CR LF, a lone LF or a lone CR; the last line counts without a line end, while the empty
// remainder after a final line end is no entry.
std::vector<std::string> SplitEntries(std::string_view content);

// Each entry followed by CR LF; an empty list is an empty file.
std::string Format(const std::vector<std::string>& entries);

// Writes the entries to `path`, replacing the file only once every byte has reached the disk.
std::error_code Save(const std::filesystem::path& path, const std::vector<std::string>& entries);

}  // namespace prefix_file
