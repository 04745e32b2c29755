// Paths are stored as the user's system gave them (on Windows "C:\Tests\a.qor", Windows-1251 bytes) and
// turned into OS paths only at the moment a file is opened, created or tested.
#pragma once

#include <QString>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// A stored path as the OS wants it. POSIX: the text in the file system's encoding, "\" turned into "/".
// Every character is kept, a NUL too: the file functions refuse such a path whole (core's WholePath.h)
// rather than act on the file its part before the NUL names.
std::filesystem::path ToOsPath(std::string_view stored);

// The same OS path as text, for Qt (a dialog's initial folder, a file to open through the desktop).
QString ToOsPathText(std::string_view stored);

// A path picked in a dialog (native separators) as it is stored; nullopt when Windows-1251 cannot hold it.
std::optional<std::string> ToStoredPath(const QString& chosen);

// A path as given (on a command line, say) made whole against the current folder, with the system's
// separators.
QString AbsoluteNativePath(const QString& given);

// A stored path as text for messages, exactly as stored.
QString ToDisplayPath(std::string_view stored);

// True when a regular file exists at the stored path; false for a path with a control byte.
bool FileExists(std::string_view stored);

// The running executable's full path, as stored text.
std::string ExePath();

// Path parts. "\", "/" and the drive colon all delimit, on every platform.
// The folder part with its trailing delimiter ("C:\Tests\a.qor" -> "C:\Tests\"); empty when there is none.
std::string ExtractFilePath(std::string_view path);
// The folder part without a trailing delimiter, except at a drive root ("C:\a.qor" -> "C:\").
std::string ExtractFileDir(std::string_view path);
// The extension with its dot, from the last "." after the last delimiter; empty when there is none.
std::string ExtractFileExt(std::string_view path);
// The path with its extension replaced by `extension` (given with its dot), or with it appended.
std::string ChangeFileExt(std::string_view path, std::string_view extension);

}  // namespace platform
