// Books lie on shared folders where several engineers edit them. The editor remembers what its book file
// was when it read or wrote it, so that it can ask before replacing a file another program changed since.
#pragma once

#include <QString>

#include <string>
#include <string_view>

#include "core/FileStamp.h"

class TSharedBook {
public:
    // The book file at `path` was read or written with these bytes. A change made by another program while
    // it was read shows at the next save as bytes that differ from these.
    void Remember(const std::string& path, std::string_view bytes);
    void Forget();

    // True when `path` is the remembered book file, still there, and another program has changed it since.
    // `changed` then gives when, as the file system says ("дд.ММ.гггг чч:мм:сс").
    bool ChangedByAnother(const std::string& path, QString* changed = nullptr) const;

    // What the book file was when last read or written; not known after a failed read.
    const FileStamp& Stamp() const { return FStamp; }
    const std::string& Path() const { return FPath; }

private:
    bool IsRemembered(const std::string& path) const;

    std::string FPath;
    FileStamp FStamp;
};
