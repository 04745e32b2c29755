// The settings store on Windows: the registry of the current user, through the ANSI functions so that
// values cross as Windows-1251 bytes on a Russian system.
#include "platform/Settings.h"

#include <windows.h>

#include <vector>

namespace platform {

class Registry::Impl {
public:
    HKEY Key = nullptr;
    bool WriteFailed = false;
};

Registry::Registry() : FImpl(std::make_unique<Impl>()) {}
Registry::~Registry() {
    CloseKey();
}

bool Registry::OpenKey(std::string_view key, bool canCreate) {
    CloseKey();
    const std::string path(key);
    HKEY opened = nullptr;
    LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ | KEY_WRITE, &opened);
    if (result != ERROR_SUCCESS && canCreate) {
        result = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_READ | KEY_WRITE, nullptr, &opened, nullptr);
    }
    if (result != ERROR_SUCCESS) {
        return false;
    }
    FImpl->Key = opened;
    return true;
}

std::string Registry::ReadString(std::string_view name) const {
    if (FImpl->Key == nullptr) {
        return {};
    }
    const std::string valueName(name);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(FImpl->Key, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0) {
        return {};
    }
    std::vector<char> data(size + 1, '\0');  // one spare byte: a stored string need not end with a zero
    if (RegQueryValueExA(FImpl->Key, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS) {
        return {};
    }
    return std::string(data.data());  // up to the terminating zero
}

bool Registry::HoldsOtherType(std::string_view name) const {
    if (FImpl->Key == nullptr) {
        return false;
    }
    const std::string valueName(name);
    DWORD type = 0;
    return RegQueryValueExA(FImpl->Key, valueName.c_str(), nullptr, &type, nullptr, nullptr) ==
               ERROR_SUCCESS &&
           type != REG_SZ && type != REG_EXPAND_SZ;
}

void Registry::WriteString(std::string_view name, std::string_view value) {
    if (FImpl->Key == nullptr) {
        return;
    }
    const std::string valueName(name);
    const std::string data(value);
    if (RegSetValueExA(FImpl->Key, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1)) != ERROR_SUCCESS) {
        FImpl->WriteFailed = true;
    }
}

bool Registry::CloseKey() {
    const bool stored = !FImpl->WriteFailed;
    FImpl->WriteFailed = false;
    if (FImpl->Key != nullptr) {
        RegCloseKey(FImpl->Key);
        FImpl->Key = nullptr;
    }
    return stored;
}

std::error_code Registry::StoreError() const {
    return {};  // the registry itself is always there
}

std::string Registry::StoreLocation() {
    return "HKEY_CURRENT_USER";
}

}  // namespace platform
