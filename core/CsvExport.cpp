#include "core/CsvExport.h"

#include "core/FileIdentity.h"
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

// True when `field` holds a byte that makes it need quotes. A plain loop: the table has hundreds of
// thousands of fields, and find_first_of pays a call per byte.
bool NeedsQuotes(std::string_view field) {
    for (const char c : field) {
        if (c == kSeparator || c == '"' || c == '\r' || c == '\n') {
            return true;
        }
    }
    return false;
}

// A spreadsheet takes a cell that begins with one of these as a formula (or a number with its sign): "=1+1"
// is computed, "=HYPERLINK(...)" becomes a live link, "+7400" and "-5V" lose their text. A leading
// apostrophe, which spreadsheets show as nothing, keeps such a field text.
bool ReadsAsFormula(std::string_view field) {
    return !field.empty() && std::string_view("=+-@\t\r").find(field.front()) != std::string_view::npos;
}

void AppendQuoted(std::string& out, std::string_view field) {
    for (const char c : field) {
        if (c == '"') {
            out.push_back('"');
        }
        out.push_back(c);
    }
}

// A path field in the form the book file stores it, built in place: a leading `dir` written as `token`.
void AppendPathField(std::string& out, std::string_view path, std::string_view dir, std::string_view token) {
    const bool tokenForm = !dir.empty() && path.starts_with(dir);
    if (!tokenForm) {
        AppendField(out, path);
        return;
    }
    // The token leads: nothing a spreadsheet would compute, and nothing that needs quotes.
    const std::string_view rest = path.substr(dir.size());
    if (!NeedsQuotes(rest)) {
        out.append(token).append(rest);
        return;
    }
    out.push_back('"');
    out.append(token);
    AppendQuoted(out, rest);
    out.push_back('"');
}

}  // namespace

void AppendField(std::string& out, std::string_view field) {
    const bool quoted = NeedsQuotes(field);
    if (quoted) {
        out.push_back('"');
    }
    if (ReadsAsFormula(field)) {
        out.push_back('\'');
    }
    if (quoted) {
        AppendQuoted(out, field);
        out.push_back('"');
    } else {
        out.append(field);
    }
}

std::string Format(const TSprav& sprav, const ServiceDirectories& dirs) {
    std::string out;
    // A guess from the row count, as the book's own save makes: a row holds its test file's path, a name
    // and a description path. Longer rows just grow the buffer a few times.
    constexpr std::size_t kTypicalRowBytes = 72;
    out.reserve((sprav.LineCount() + 1) * kTypicalRowBytes);
    AppendField(out, kHeader[0]);
    out.push_back(kSeparator);
    AppendField(out, kHeader[1]);
    out.push_back(kSeparator);
    AppendField(out, kHeader[2]);
    out.append(kRowEnd);
    std::string testFile;
    for (const auto& file : sprav.Files) {
        testFile.clear();
        AppendPathField(testFile, file->Path, dirs.Tests, kTestsToken);
        // A test file with no analogs yet is part of the book all the same: a table without it would hide
        // it from whoever counts or sorts the tests in the spreadsheet.
        if (file->Sinonims.empty()) {
            out.append(testFile).push_back(kSeparator);
            out.push_back(kSeparator);
            out.append(kRowEnd);
        }
        for (const auto& sinonim : file->Sinonims) {
            out.append(testFile).push_back(kSeparator);
            AppendField(out, sinonim->Name);
            out.push_back(kSeparator);
            AppendPathField(out, sinonim->DescPath, dirs.Desc, kDescToken);
            out.append(kRowEnd);
        }
    }
    return out;
}

bool IsTheBookItself(const std::filesystem::path& target, const std::filesystem::path& book) {
    if (book.empty()) {
        return false;
    }
    const std::optional<FileIdentity> targetIdentity = IdentityOf(target);
    return targetIdentity && targetIdentity == IdentityOf(book);
}

std::error_code TargetIsTheBookError() {
    class Category final : public std::error_category {
    public:
        const char* name() const noexcept override { return "csv_export"; }
        std::string message(int) const override { return "the table would replace the book itself"; }
    };
    static const Category category;
    return {1, category};
}

std::error_code Save(const std::filesystem::path& path, const TSprav& sprav, const ServiceDirectories& dirs,
                     const std::filesystem::path& book, std::string* written) {
    if (IsTheBookItself(path, book)) {
        return TargetIsTheBookError();
    }
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
