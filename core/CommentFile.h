// The comment of a test file lives in a plain text file beside it (see CommentFileName): Windows-1251 bytes,
// lines separated by CR LF, no header. The editor holds the text with "\n" between lines.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "core/FileStamp.h"
#include "core/PathTokens.h"

namespace comment_file {

// The largest comment file the panel shows. A row click lays the whole comment out, and the dearest
// comment per byte is one of nothing but line breaks (every line is a block of its own); at this size
// such a file, or one long line, still loads within 100 ms on a click in a maximal book. 16 KB is some
// 270 lines of sixty characters: more than any comment typed by hand.
inline constexpr std::uintmax_t kMaxSize = 16u * 1024u;

// File bytes to the held text: CR LF, a lone LF and a lone CR each end a line. Pure, for any bytes.
std::string Parse(std::string_view fileBytes);

// The held text to file bytes: every line end (CR LF, LF or CR) becomes CR LF; nothing is added at the end.
std::string Format(std::string_view text);

// True when two stored paths name the same file on Windows: letter case (Latin and Cyrillic) and the kind
// of separator ("\" or "/") do not count.
bool SamePath(std::string_view a, std::string_view b);
// The same for a path given in its two pieces (ExpandToken), without building it.
bool SamePath(const TExpandedPath& a, std::string_view b);

enum class ReadStatus {
    Ok,
    Missing,     // no file: an empty comment
    Folder,      // a folder where the comment file would be
    NotRegular,  // a device, a pipe...: not read, so that nothing blocks or floods the editor
    TooLarge,    // over kMaxSize
    Unreadable,
};

struct ReadResult {
    ReadStatus Status = ReadStatus::Missing;
    std::string Text;  // as Parse gives it; empty unless Ok
    FileStamp Stamp;   // Ok: the bytes read; otherwise not known
};

ReadResult Read(const std::filesystem::path& path);

// Replaces (or creates) the comment file atomically with Format(text); an empty text gives an empty file.
// Fails with file_too_large, writing nothing, when Format(text) is over kMaxSize. `written`, when given,
// receives the stamp of the file written.
std::error_code Write(const std::filesystem::path& path, std::string_view text, FileStamp* written = nullptr);

enum class SaveCheck {
    Go,              // nothing is there, or what is there is what the editor read or wrote last
    ChangedOnDisk,   // another program has written the file since: ask before replacing its work
    NotReadInWhole,  // a file is there that the editor never read in whole: a save would destroy it unseen
};

// Whether a save may replace the comment file at `path`, which the editor last saw as `seen` (read, or
// written: Status Ok with the written stamp). A file gone since may be written anew: it holds nobody's
// work. So may a folder, on which the write fails with the system's reason and replaces nothing.
SaveCheck CheckBeforeSave(const ReadResult& seen, const std::filesystem::path& path);

}  // namespace comment_file
