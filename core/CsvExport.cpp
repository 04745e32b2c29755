#include "core/CsvExport.h"

#include "core/Sprav.h"
#include "files/AtomicFile.h"

namespace csv_export {

namespace {

constexpr std::string_view kRowEnd = "\r\n";

// "Тестовый файл", "Микросхема", "Файл описания" in Windows-1251: the column titles of the book check's
// report, so that a user meets the same words in both.
constexpr std::string_view kHeader[] = {
    "\xD2\xE5\xF1\xF2\xEE\xE2\xFB\xE9 \xF4\xE0\xE9\xEB",
    "\xCC\xE8\xEA\xF0\xEE\xF1\xF5\xE5\xEC\xE0",
    "\xD4\xE0\xE9\xEB \xEE\xEF\xE8\xF1\xE0\xED\xE8\xFF",
};

void AppendRow(std::string& out, std::string_view testFile, std::string_view name, std::string_view desc) {
    AppendField(out, testFile);
    out.push_back(kSeparator);
    AppendField(out, name);
    out.push_back(kSeparator);
    AppendField(out, desc);
    out.append(kRowEnd);
}

}  // namespace

void AppendField(std::string& out, std::string_view field) {
    if (field.find_first_of(";\"\r\n") == std::string_view::npos) {
        out.append(field);
        return;
    }
    out.push_back('"');
    for (const char c : field) {
        if (c == '"') {
            out.push_back('"');
        }
        out.push_back(c);
    }
    out.push_back('"');
}

std::string Format(const TSprav& sprav, const ServiceDirectories& dirs) {
    std::string out;
    AppendRow(out, kHeader[0], kHeader[1], kHeader[2]);
    for (const auto& file : sprav.Files) {
        const std::string testFile = ToTestsToken(file->Path, dirs.Tests);
        // A test file with no analogs yet is part of the book all the same: a table without it would hide
        // it from whoever counts or sorts the tests in the spreadsheet.
        if (file->Sinonims.empty()) {
            AppendRow(out, testFile, {}, {});
        }
        for (const auto& sinonim : file->Sinonims) {
            AppendRow(out, testFile, sinonim->Name, ToDescToken(sinonim->DescPath, dirs.Desc));
        }
    }
    return out;
}

std::error_code Save(const std::filesystem::path& path, const TSprav& sprav, const ServiceDirectories& dirs,
                     std::string* written) {
    std::string table = Format(sprav, dirs);
    if (std::error_code error = WriteFileAtomically(path, table)) {
        return error;
    }
    if (written != nullptr) {
        *written = std::move(table);
    }
    return {};
}

}  // namespace csv_export
