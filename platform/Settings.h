// The settings store of the current user: on Windows the registry under HKEY_CURRENT_USER; elsewhere one
// INI file standing in for it, with the same key paths and value names, written atomically on close.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace platform {

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

private:
    class Impl;
    std::unique_ptr<Impl> FImpl;
};

}  // namespace platform
