// The settings store of the current user: on Windows the registry under HKEY_CURRENT_USER; elsewhere one
// INI file standing in for it, with the same key paths and value names, written atomically on close.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

namespace platform {

// The largest settings file the POSIX store reads. Six values and what the other programs of the family
// keep beside them take a few kilobytes; a larger file is no settings file, and is left as it is.
inline constexpr std::size_t kMaxSettingsFileBytes = 1024 * 1024;

class Registry {
public:
    Registry();
    ~Registry();  // closes the open key
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // Opens a key below HKEY_CURRENT_USER, such as "Software\\QOR_Sprav". Without `canCreate` a missing key
    // is not opened and the result is false; with it the key is created when missing. A key that can be
    // neither opened nor created gives false.
    bool OpenKey(std::string_view key, bool canCreate);
    // Reads a string value of the open key as Windows-1251 bytes; empty when missing or no key is open.
    std::string ReadString(std::string_view name) const;
    // True when the value exists with a type other than string: another program wrote it, and the editor
    // leaves it alone unless it has a value of its own to store.
    bool HoldsOtherType(std::string_view name) const;
    // Writes a string value (Windows-1251 bytes) of the open key.
    void WriteString(std::string_view name, std::string_view value);
    // Closes the open key; pending writes reach the store here. False when some write since the key was
    // opened did not reach the store (the store then keeps what it held before).
    bool CloseKey();
    // Why the last OpenKey could not read the store at all; empty when it could. On POSIX the store is one
    // file, and a file there that is not a regular file, is larger than kMaxSettingsFileBytes or cannot be
    // read is never written over: every key then fails to open, and CloseKey writes nothing.
    std::error_code StoreError() const;
    // Where the store is, for the user, as UTF-8 text: the file on POSIX, "HKEY_CURRENT_USER" on Windows.
    // (No Qt here: the Windows store is also built on its own, without the toolkit.)
    static std::string StoreLocation();

private:
    class Impl;
    std::unique_ptr<Impl> FImpl;
};

}  // namespace platform
