// The book a start opens, read on a worker thread while the window is built. Reading the largest book takes
// about as long as building the window, and neither needs the other. The read is only an offer: the book
// takes it when its first load asks for that very file with the very service directories it was read and
// checked against, and otherwise reads for itself, so a start that ends up opening another book (or none)
// loses nothing.
#pragma once

#include <QString>

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
    std::string FPath;
    ServiceDirectories FDirs;
    std::future<TBookRead> FRead;
};
