// Which file a path reaches, whatever its spelling. Two paths that differ as text may still reach one file:
// a symbolic link, a hard link, another spelling of a folder ("dir//a", "dir/./a"), and on Windows letter
// case and short (8.3) names. Before the editor replaces a file it asks the file system, not the text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

struct FileIdentity {
    // POSIX: the device (st_dev) and the inode (st_ino). Windows: the volume serial number and the
    // file index of GetFileInformationByHandle.
    std::uint64_t Volume = 0;
    std::uint64_t Index = 0;

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of the file (or folder) at `path`, links followed; none when nothing is there or the file
// system cannot say.
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path);
