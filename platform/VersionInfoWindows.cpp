// The version information API of Windows, through its ANSI functions: string values come back as
// Windows-1251 bytes on a Russian system.
#include "platform/VersionInfo.h"

#include <windows.h>

// winver.h maps these names to their A or W variants; here they name our own functions.
#undef GetFileVersionInfoSize
#undef GetFileVersionInfo
#undef VerQueryValue

namespace platform {

VersionDword GetFileVersionInfoSize(const char* path, VersionDword* handle) {
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &unused);
    if (handle != nullptr) {
        *handle = unused;
    }
    return size;
}

bool GetFileVersionInfo(const char* path, VersionDword handle, VersionDword length, void* data) {
    return GetFileVersionInfoA(path, handle, length, data) != FALSE;
}

bool VerQueryValue(const void* block, const char* subBlock, void** buffer, unsigned* length) {
    UINT size = 0;
    const BOOL found = VerQueryValueA(block, subBlock, buffer, &size);
    *length = size;
    return found != FALSE;
}

}  // namespace platform
