// Books lie on shared folders where several engineers edit them. The editor remembers what its book file
// was when it read or wrote it, and asks before replacing a file that another program has changed since.
#pragma once

#include <string>
#include <string_view>

#include "core/FileStamp.h"

class TSharedBook {
public:
    // The book file at `path` was read or written with these bytes. A change made by another program while
    // it was read shows at the next save as bytes that differ from these.
    void Remember(const std::string& path, std::string_view bytes);
    void Forget();

    // True when the book may be written to `path`. When `path` is the remembered book file and another
    // program has changed it since, asks the user first; false when the user says no.
    bool MayReplace(const std::string& path) const;

private:
    bool IsRemembered(const std::string& path) const;

    std::string FPath;
    FileStamp FStamp;
};
