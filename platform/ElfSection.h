// One named section of an ELF file, found from the file's section headers: a few small reads instead of the
// whole file. The version record lives in such a section on systems where executables are ELF files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The section the build puts the version record in (app/version writes the same name).
inline constexpr std::string_view kVersionSectionName = ".qor_version";

// Reads `size` bytes at `offset` of a file into `out`; false when the file holds fewer.
using ReadAt = std::function<bool(std::uint64_t offset, std::size_t size, std::string& out)>;

// The bytes of the section called `name`; nullopt when the file is not a little-endian ELF file whose
// headers can be trusted, or has no such section with bytes in the file. Every offset and size the file
// states is checked before it is used, and no read asks for more than a few megabytes.
std::optional<std::string> FindElfSection(const ReadAt& read, std::string_view name);

// The same on bytes already in memory: for the tests and the fuzzer.
std::optional<std::string> FindElfSectionInBytes(std::string_view file, std::string_view name);

// The same on a file; nullopt too when it cannot be opened.
std::optional<std::string> FindElfSectionInFile(const std::filesystem::path& path, std::string_view name);

}  // namespace platform
