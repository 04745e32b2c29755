// What a file was when the editor last read or wrote it: its size, modification time and a hash of its
// bytes. Books lie on shared folders; the stamp tells whether another program has replaced one since.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

struct FileStamp {
    bool Known = false;  // false: nothing is known of the file, so nothing can be said to have changed
    std::uintmax_t Size = 0;
    std::filesystem::file_time_type Time{};
    std::uint64_t Hash = 0;
};

// A hash of the bytes, fast on a whole book. Not for security: only to tell one content from another.
std::uint64_t HashBytes(std::string_view bytes);

// The stamp of the file as it is now: one read of it. Not known when it cannot be read.
FileStamp ReadStamp(const std::filesystem::path& path);

// The stamp of a file just written with `bytes`: its time is asked of the file system, its bytes are not
// read again.
FileStamp WrittenStamp(const std::filesystem::path& path, std::string_view bytes);

// True when the file at `path` is no longer what `known` describes: another size, or (same size) other
// bytes. Costs at most one read of the file. A file that is gone or cannot be read counts as changed; an
// unknown stamp never does.
bool ChangedSince(const FileStamp& known, const std::filesystem::path& path);
