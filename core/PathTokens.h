// Paths below the two service directories are shown and stored with a token in place of the directory,
// so that a book stays valid on every installation whose directories are set. Plain prefix tests on
// bytes: letter case counts, no separator is added or removed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The two service directories behind the tokens, exactly as stored.
struct ServiceDirectories {
    std::string Tests;
    std::string Desc;
};

inline constexpr std::string_view kTestsToken = "<Tests>:";
inline constexpr std::string_view kDescToken = "<Desc>:";

// `path` with a leading `dir` replaced by `token`; unchanged when `dir` is empty or not a prefix.
std::string ToToken(std::string_view path, std::string_view dir, std::string_view token);
// `path` with a leading `token` replaced by `dir`; unchanged when `dir` is empty or the path does not
// begin with the token.
std::string FromToken(std::string_view path, std::string_view dir, std::string_view token);

// What FromToken gives, in its two pieces and without building it: the directory that stands in for the
// token, then the rest of the path. A path FromToken leaves unchanged is all `Rest`. For a look at every
// path of a book, where building each one would cost more than the look.
struct TExpandedPath {
    std::string_view Dir;
    std::string_view Rest;
    std::size_t Size() const { return Dir.size() + Rest.size(); }
};
inline TExpandedPath ExpandToken(std::string_view path, std::string_view dir, std::string_view token) {
    // With the directory unset the token stays: dropping it would lose where the file lies, and a book
    // opened before the directories are set would be saved back changed.
    if (dir.empty() || !path.starts_with(token)) {
        return {{}, path};
    }
    return {dir, path.substr(token.size())};
}

inline std::string ToTestsToken(std::string_view path, std::string_view dirTests) {
    return ToToken(path, dirTests, kTestsToken);
}
inline std::string FromTestsToken(std::string_view path, std::string_view dirTests) {
    return FromToken(path, dirTests, kTestsToken);
}
inline std::string ToDescToken(std::string_view path, std::string_view dirPDF) {
    return ToToken(path, dirPDF, kDescToken);
}
inline std::string FromDescToken(std::string_view path, std::string_view dirPDF) {
    return FromToken(path, dirPDF, kDescToken);
}

// The comment file of a test file, from its stored path: the same folder and base name, extension ".txt".
// A leading <Tests>: is expanded first; a dot inside a folder name is no extension.
std::string CommentFileName(std::string_view testPath, std::string_view dirTests);
