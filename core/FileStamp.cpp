#include "core/FileStamp.h"

#include <cstring>
#include <system_error>

#include "core/SpravFile.h"
#include "files/WholeFile.h"

namespace {

constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;

std::uint64_t Mix(std::uint64_t hash, std::uint64_t word) {
    hash ^= word;
    hash *= kMultiplier;
    return hash ^ (hash >> 29);
}

}  // namespace

std::uint64_t HashBytes(std::string_view bytes) {
    // Eight bytes a step; the length goes in too, so that trailing zero bytes count.
    std::uint64_t hash = Mix(0xCBF29CE484222325ULL, bytes.size());
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        hash = Mix(hash, word);
    }
    std::uint64_t tail = 0;
    if (i < bytes.size()) {
        std::memcpy(&tail, bytes.data() + i, bytes.size() - i);
    }
    return Mix(hash, tail);
}

FileStamp ReadStamp(const std::filesystem::path& path) {
    std::error_code error;
    FileStamp stamp;
    stamp.Time = std::filesystem::last_write_time(path, error);
    if (error) {
        return {};
    }
    std::string content;
    if (ReadWholeFile(path, content, sprav_file::kMaxBookBytes)) {
        return {};
    }
    stamp.Known = true;
    stamp.Size = content.size();
    stamp.Hash = HashBytes(content);
    return stamp;
}

FileStamp WrittenStamp(const std::filesystem::path& path, std::string_view bytes) {
    std::error_code error;
    FileStamp stamp;
    stamp.Time = std::filesystem::last_write_time(path, error);
    stamp.Known = !error;
    stamp.Size = bytes.size();
    stamp.Hash = HashBytes(bytes);
    return stamp;
}

bool ChangedSince(const FileStamp& known, const std::filesystem::path& path) {
    if (!known.Known) {
        return false;
    }
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size != known.Size) {
        return true;
    }
    // Same size: only the bytes can tell. The time alone cannot, since a copy over a share may keep the old
    // time and a coarse clock may give two writes the same one.
    const FileStamp now = ReadStamp(path);
    return !now.Known || now.Size != known.Size || now.Hash != known.Hash;
}
