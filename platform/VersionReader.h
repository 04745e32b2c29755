// The reader of an executable's version record, which gives the program its identity: the application
// title, the about box's texts, the version the command line prints.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/VersionInfo.h"

// Reads the version record of one file once, at construction; values are asked for by name.
class TVersionInfo {
public:
    explicit TVersionInfo(std::string_view path);
    TVersionInfo(const TVersionInfo&) = delete;
    TVersionInfo& operator=(const TVersionInfo&) = delete;
    ~TVersionInfo() = default;

    std::string SourcePath;  // the file whose record is read (stored path, Windows-1251)
    bool HasRecord = false;  // the record was read completely
    platform::VersionDword RecordSize = 0;
    std::unique_ptr<std::uint8_t[]> RecordData;
    platform::VersionDword InfoHandle = 0;

    // Reads the record; an allocation failure leaves HasRecord false and goes on to the caller.
    void LoadRecord();
    // The first translation entry: language in the low 16 bits, code page in the high 16 bits.
    std::optional<std::uint32_t> FirstTranslation() const;
    // "041904E3" for language 0x0419 with code page 0x04E3; empty without a translation entry.
    std::string LanguageKey() const;
    // The value under "\StringFileInfo\<LanguageKey>\<name>" as Windows-1251 bytes; empty when missing.
    std::string StringValue(std::string_view name) const;
};

// A value of the running executable's own record, read anew on every call; empty when absent.
std::string VersionString(std::string_view name);
// The program's description ("FileDescription"): the application title.
std::string VersionDescription();
