// The version-record walker on any file: found or not, every query stays inside the buffer that
// GetFileVersionInfoSize asked for (AddressSanitizer watches), and asking twice gives the same answer. The
// same bytes as an ELF file: the lookup of the record's section reads inside them, and what it finds is
// bytes of the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ElfSection.h"
#include "platform/VersionInfo.h"

namespace {

struct Answer {
    bool found = false;
    std::string value;
};

Answer Query(const std::vector<char>& record, const char* path) {
    void* value = nullptr;
    unsigned length = 0;
    Answer answer;
    answer.found = platform::VerQueryValue(record.data(), path, &value, &length);
    if (answer.found) {
        answer.value.assign(static_cast<const char*>(value), length);  // read it all: ASan checks the bounds
    }
    return answer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    if (const auto section = platform::FindElfSectionInBytes(file, platform::kVersionSectionName)) {
        if (section->size() > size) {
            std::abort();
        }
        platform::VersionBufferSizeOf(*section);
    }
    const platform::VersionDword length = platform::VersionBufferSizeOf(file);
    if (length == 0) {
        return 0;
    }
    std::vector<char> record(length);  // exactly what was asked for
    if (!platform::CopyVersionRecord(file, length, record.data())) {
        std::abort();  // a record that was found must be copied
    }
    std::vector<std::string> paths = {"\\",
                                      "\\VarFileInfo\\Translation",
                                      "\\StringFileInfo",
                                      "\\StringFileInfo\\041904E3\\FileDescription",
                                      "\\StringFileInfo\\041904E3\\FileVersion",
                                      "VarFileInfo\\\\Translation\\"};
    const Answer translation = Query(record, "\\VarFileInfo\\Translation");
    if (translation.found && translation.value.size() >= 4) {
        const auto* t = reinterpret_cast<const std::uint8_t*>(translation.value.data());
        char table[64];
        std::snprintf(table, sizeof table, "\\StringFileInfo\\%02X%02X%02X%02X\\ProductName", t[1], t[0],
                      t[3], t[2]);
        paths.push_back(table);
    }
    for (const std::string& path : paths) {
        const Answer once = Query(record, path.c_str());
        const Answer twice = Query(record, path.c_str());
        if (once.found != twice.found || once.value != twice.value) {
            std::abort();
        }
    }
    return 0;
}
