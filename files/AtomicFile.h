// Replacing a file so that it holds either its old content or the complete new one, never a mix: the data
// goes to a temporary file beside the target, is flushed to the disk, and only then takes its place.
//
// The temporary file has one name per target (TemporaryNameFor), so a save cut short by a crash or a kill
// leaves at most that one file behind, and the next save of the same target replaces it.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

std::error_code WriteFileAtomically(const std::filesystem::path& target, std::string_view data);

namespace atomic_file {

// The longest file name the file systems we run on take (NAME_MAX on Linux, 255 UTF-16 units on NTFS).
inline constexpr std::size_t kMaxNameLength = 255;

// The temporary file beside `target` that its saves write first: the target's name with a suffix of ours,
// shortened (and told apart from other shortened names by a hash of the whole name) to stay within
// kMaxNameLength.
std::filesystem::path TemporaryNameFor(const std::filesystem::path& target);

// A test seam: the next WriteFileAtomically fails at `Step` with `Error` as the system would report it,
// then the fault disarms itself. A failing Write first writes `BytesBeforeFailure` bytes for real, as a
// disk that fills up does. Not for use by the program itself; not thread-safe.
enum class FaultStep { Create, Write, Sync, Close, Rename };
struct Fault {
    FaultStep Step = FaultStep::Write;
    std::error_code Error;
    std::size_t BytesBeforeFailure = 0;
};
void ArmFault(std::optional<Fault> fault);

}  // namespace atomic_file
