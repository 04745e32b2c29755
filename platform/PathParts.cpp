// The pure path-part helpers. Stored paths come from Windows users and from Linux alike, so "\", "/" and the
// drive colon all delimit on every platform.
#include "platform/Paths.h"

namespace platform {
namespace {

bool IsDelimiter(char c) {
    return c == '\\' || c == '/' || c == ':';
}

// Position just past the last delimiter; 0 when there is none.
std::size_t NameStart(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (IsDelimiter(path[i - 1])) {
            return i;
        }
    }
    return 0;
}

// Position of the extension's dot in the last part, or npos.
std::size_t ExtensionStart(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < NameStart(path)) {
        return std::string_view::npos;
    }
    return dot;
}

}  // namespace

std::string ExtractFilePath(std::string_view path) {
    return std::string(path.substr(0, NameStart(path)));
}

std::string ExtractFileDir(std::string_view path) {
    std::size_t end = NameStart(path);
    // Drop the trailing delimiter, but keep a root whole: "C:\a.qor" -> "C:\", "\a.qor" -> "\",
    // "C:a.qor" -> "C:".
    if (end > 1 && path[end - 1] != ':' && !IsDelimiter(path[end - 2])) {
        --end;
    }
    return std::string(path.substr(0, end));
}

std::string ExtractFileExt(std::string_view path) {
    const std::size_t dot = ExtensionStart(path);
    return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot));
}

std::string ChangeFileExt(std::string_view path, std::string_view extension) {
    const std::size_t dot = ExtensionStart(path);
    std::string result(path.substr(0, dot == std::string_view::npos ? path.size() : dot));
    result += extension;
    return result;
}

}  // namespace platform
