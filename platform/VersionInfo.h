// The version information API. On Windows these are the system's functions; elsewhere stand-ins that find
// the VS_VERSIONINFO block carried inside any file and walk it with the same query paths. String values
// come back as zero-terminated Windows-1251 bytes.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

using VersionDword = std::uint32_t;

// Size of the buffer GetFileVersionInfo needs, 0 when the file has no record; sets *handle.
VersionDword GetFileVersionInfoSize(const char* path, VersionDword* handle);
bool GetFileVersionInfo(const char* path, VersionDword handle, VersionDword length, void* data);
// Paths: "\\VarFileInfo\\Translation", "\\StringFileInfo\\041904E3\\FileDescription", "\\".
bool VerQueryValue(const void* block, const char* subBlock, void** buffer, unsigned* length);

#ifndef _WIN32
// The stand-ins' two steps on a file's bytes already read: GetFileVersionInfoSize and GetFileVersionInfo
// without the file. Separate so that the walk over untrusted bytes can be fuzzed without a file.
VersionDword VersionBufferSizeOf(std::string_view file);
bool CopyVersionRecord(std::string_view file, VersionDword length, void* data);
#endif

}  // namespace platform
