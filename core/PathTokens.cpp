#include "core/PathTokens.h"

std::string ToToken(std::string_view path, std::string_view dir, std::string_view token) {
    if (dir.empty() || !path.starts_with(dir)) {
        return std::string(path);
    }
    std::string result;
    result.reserve(token.size() + path.size() - dir.size());
    result.append(token).append(path.substr(dir.size()));
    return result;
}

std::string FromToken(std::string_view path, std::string_view dir, std::string_view token) {
    const TExpandedPath expanded = ExpandToken(path, dir, token);
    std::string result;
    result.reserve(expanded.Size());
    result.append(expanded.Dir).append(expanded.Rest);
    return result;
}

std::string CommentFileName(std::string_view testPath, std::string_view dirTests) {
    std::string path = FromTestsToken(testPath, dirTests);
    // "\" and ":" delimit on Windows; "/" too, since paths chosen on POSIX are stored with it.
    const std::size_t delimiter = path.find_last_of("\\/:");
    const std::size_t dot = path.rfind('.');
    if (dot != std::string::npos && (delimiter == std::string::npos || dot > delimiter)) {
        path.erase(dot);
    }
    path += ".txt";
    return path;
}
