// Books lie on shared folders where several engineers edit them. The editor remembers what its book file
// was when it read or wrote it, and asks before replacing a file that another program has changed since.
#pragma once

#include <string>
#include <string_view>

#include "FileStamp.h"

class TSharedBook {
public:
    // Called before the book file at `path` is read: what is remembered is never newer than what is read,
    // so a change made during the read is asked about rather than missed.
    void Loading(const std::string& path);
    // The book was written to `path` with these bytes.
    void Saved(const std::string& path, std::string_view bytes);
    void Forget();

    // True when the book may be written to `path`. When `path` is the remembered book file and another
    // program has changed it since, asks the user first; false when the user says no.
    bool MayReplace(const std::string& path) const;

private:
    bool IsRemembered(const std::string& path) const;

    std::string FPath;
    FileStamp FStamp;
};
