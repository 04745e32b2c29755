// The book a start opens, read on a worker thread while the window is built. Reading the largest book takes
// about as long as building the window, and neither needs the other. The read is only an offer: the book
// takes it when its first load asks for that very file with the very service directories it was read and
// checked against, and the file's size and time are still what they were before it was read; otherwise it
// reads for itself. So a start that ends up opening another book (or none), or a book another program
// saved meanwhile (say while a question of the start waited), loses nothing. A change that kept both the
// size and the time the file system gives (a coarse clock, as on a FAT stick) gets through here; the check
// before a save compares the bytes and notices it there.
#pragma once

#include <QString>

#include <cstdint>
#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <string>

#include "core/PathTokens.h"
#include "core/Sprav.h"
#include "core/SpravFile.h"

// A book file as read: the model, how the read went, the bytes it was read from, and whether the book file
// could hold every entry as it stands (checked once the read went well).
struct TBookRead {
    std::unique_ptr<TSprav> Book = std::make_unique<TSprav>();
    sprav_file::ReadResult Result;
    std::string Bytes;
    sprav_file::WriteResult Savable;
};

class TBookReadAhead {
public:
    TBookReadAhead() = default;  // nothing read
    TBookReadAhead(TBookReadAhead&&) = default;
    TBookReadAhead& operator=(TBookReadAhead&&) = default;
    ~TBookReadAhead();  // waits for a read still running

    // Starts reading `path` against `dirs`.
    TBookReadAhead(std::string path, ServiceDirectories dirs);
    // The book a start opens, as the window will choose it: the one named on the command line, else the one
    // the settings remember; with the service directories of the settings. Nothing when there is no such
    // file.
    static TBookReadAhead ForStart(const QString& commandLineBook);

    // Reads `path` against `dirs` here and now.
    static TBookRead Read(const std::string& path, const ServiceDirectories& dirs);

    // The read, when it is of `path` against `dirs`, once; waits for it to end. Otherwise nothing, and what
    // was read is dropped.
    std::optional<TBookRead> Take(const std::string& path, const ServiceDirectories& dirs);

private:
    // The size and time of a file, as the file system gives them.
    struct TSeen {
        std::uintmax_t Size = 0;
        std::filesystem::file_time_type Time{};
        bool operator==(const TSeen&) const = default;
    };
    static std::optional<TSeen> See(const std::string& path);
    // The read, and the file as seen just before it.
    struct TReadSeen {
        std::optional<TSeen> Before;
        TBookRead Read;
    };

    std::string FPath;
    ServiceDirectories FDirs;
    std::future<TReadSeen> FRead;
};
