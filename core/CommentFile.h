// The comment of a test file lives in a plain text file beside it (see CommentFileName): Windows-1251 bytes,
// lines separated by CR LF, no header. The editor holds the text with "\n" between lines.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace comment_file {

// A larger file is no comment anyone typed; it is not read into the editor.
inline constexpr std::uintmax_t kMaxSize = 16u * 1024u * 1024u;

// File bytes to the held text: CR LF, a lone LF and a lone CR each end a line. Pure, for any bytes.
std::string Parse(std::string_view fileBytes);

// The held text to file bytes: every line end (CR LF, LF or CR) becomes CR LF; nothing is added at the end.
std::string Format(std::string_view text);

// True when two stored paths name the same file on Windows: letter case (Latin and Cyrillic) and the kind
// of separator ("\" or "/") do not count.
bool SamePath(std::string_view a, std::string_view b);

enum class ReadStatus {
    Ok,
    Missing,     // no file: an empty comment
    NotRegular,  // a folder, a device, a pipe...: not read, so that nothing blocks or floods the editor
    TooLarge,    // over kMaxSize
    Unreadable,
};

struct ReadResult {
    ReadStatus Status = ReadStatus::Missing;
    std::string Text;  // as Parse gives it; empty unless Ok
};

ReadResult Read(const std::filesystem::path& path);

// Replaces (or creates) the comment file atomically with Format(text); an empty text gives an empty file.
std::error_code Write(const std::filesystem::path& path, std::string_view text);

}  // namespace comment_file
