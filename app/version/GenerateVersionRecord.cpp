// Build-time tool: turns the one description of the version (lines "Name=Value", UTF-8) into
//   - a C++ source holding the VS_VERSIONINFO block as bytes the linker keeps in the executable, and
//   - a Windows resource script with the same values, for the resource compiler.
// Usage: GenerateVersionRecord <description.txt> <record.cpp> <record.rc>
#include "app/version/VersionRecordBuilder.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Entry {
    std::string Name;
    std::string Value;  // UTF-8
};

std::vector<Entry> ReadDescription(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<Entry> entries;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos && equals > 0) {
            entries.push_back({line.substr(0, equals), line.substr(equals + 1)});
        }
    }
    return entries;
}

std::string Find(const std::vector<Entry>& entries, const std::string& name) {
    for (const Entry& entry : entries) {
        if (entry.Name == name) {
            return entry.Value;
        }
    }
    return {};
}

std::string CppSource(const std::vector<std::uint8_t>& block) {
    std::ostringstream out;
    out << "// Generated at build time from the version description; do not edit.\n"
           "// The executable's version record, kept by the linker in a section of its own, where the version "
           "reader\n// finds it from the section headers (the name is platform::kVersionSectionName).\n"
           "namespace {\n"
           "#if defined(__GNUC__)\n"
           "__attribute__((used, section(\".qor_version\")))\n"
           "#endif\n"
           "alignas(4) const unsigned char kVersionRecord[] = {";
    for (std::size_t i = 0; i < block.size(); ++i) {
        out << (i % 16 == 0 ? "\n    " : " ") << static_cast<unsigned>(block[i]) << ',';
    }
    out << "\n};\n}  // namespace\n";
    return out.str();
}

// A resource-script string: quotes doubled, backslashes escaped; values terminated explicitly.
std::string RcString(const std::string& text, bool terminated) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') {
            quoted += "\"\"";
        } else if (c == '\\') {
            quoted += "\\\\";
        } else {
            quoted += c;
        }
    }
    return quoted + (terminated ? "\\0\"" : "\"");
}

std::string RcSource(const std::vector<Entry>& entries, const version_record::Content& content) {
    auto numbers = [](const std::array<std::uint16_t, 4>& v) {
        return std::to_string(v[0]) + "," + std::to_string(v[1]) + "," + std::to_string(v[2]) + "," +
               std::to_string(v[3]);
    };
    std::ostringstream out;
    out << "// Generated at build time from the version description; do not edit.\n"
           "#pragma code_page(65001)\n"
           "1 VERSIONINFO\n"
           "FILEVERSION "
        << numbers(content.FileVersion) << "\nPRODUCTVERSION " << numbers(content.ProductVersion)
        << "\nFILEFLAGSMASK 0x3fL\nFILEFLAGS 0x0L\nFILEOS 0x40004L\nFILETYPE 0x1L\nFILESUBTYPE 0x0L\n"
           "BEGIN\n  BLOCK \"StringFileInfo\"\n  BEGIN\n    BLOCK \"041904E3\"\n    BEGIN\n";
    for (const Entry& entry : entries) {
        out << "      VALUE " << RcString(entry.Name, false) << ", " << RcString(entry.Value, true) << "\n";
    }
    out << "    END\n  END\n  BLOCK \"VarFileInfo\"\n  BEGIN\n    VALUE \"Translation\", 0x419, 1251\n  END\n"
           "END\n";
    return out.str();
}

bool WriteIfChanged(const char* path, const std::string& text) {
    std::ifstream existing(path, std::ios::binary);
    std::ostringstream old;
    old << existing.rdbuf();
    if (existing && old.str() == text) {
        return true;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: GenerateVersionRecord <description.txt> <record.cpp> <record.rc>\n";
        return 2;
    }
    const std::vector<Entry> entries = ReadDescription(argv[1]);
    if (entries.empty()) {
        std::cerr << "GenerateVersionRecord: no values in " << argv[1] << "\n";
        return 1;
    }
    version_record::Content content;
    content.FileVersion = version_record::ParseVersion(Find(entries, "FileVersion"));
    content.ProductVersion = version_record::ParseVersion(Find(entries, "ProductVersion"));
    for (const Entry& entry : entries) {
        content.Strings.emplace_back(version_record::FromUtf8(entry.Name),
                                     version_record::FromUtf8(entry.Value));
    }
    if (!WriteIfChanged(argv[2], CppSource(version_record::Build(content))) ||
        !WriteIfChanged(argv[3], RcSource(entries, content))) {
        std::cerr << "GenerateVersionRecord: cannot write the outputs\n";
        return 1;
    }
    return 0;
}
