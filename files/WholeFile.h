// Reading a whole file at once, as every reader of the editor's files does: the book, prefix lists,
// comments, the settings file. Only what can be a file on the disk is read, and never more than the caller
// says its format can hold.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <system_error>

// The error of ReadWholeFile for a path that names no regular file: a named pipe, a device, a socket.
// Such a file is never opened: a pipe without a writer would block, a device may never end.
inline std::error_code NotARegularFileError() {
    return std::make_error_code(std::errc::invalid_argument);
}

// Reads the whole file into `content`. Only a regular file is opened (NotARegularFileError otherwise), a
// path with a control byte not at all (whole_path::ControlCharacterError), and never more than `maxBytes`
// are read, whatever size the file claims (file_too_large beyond).
std::error_code ReadWholeFile(const std::filesystem::path& path, std::string& content, std::size_t maxBytes);
