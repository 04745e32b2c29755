// A day's session on the history: 20 000 steps of select-all and deselect-all over 300 prefixes on a test
// file of 3 000 names, the heaviest steps a user makes by hand. Prints how much the process grew and what the
// history keeps, and fails when the process grew by more than 100 MB.
// Usage: history_bench [rounds]   (a round is two steps; 10 000 by default)
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "document/Book.h"

namespace {

// The resident size of this process, from the kernel's own count.
double ResidentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * 4096.0 / (1024.0 * 1024.0);
}

}  // namespace

int main(int argc, char* argv[]) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 10'000;
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("day.spr")).toStdString();
    {
        std::ofstream out(path, std::ios::binary);
        out << " 0 C:\\QOR\\Tests\\dig\\la3.qor\r\n";
        for (int i = 0; i < 3000; ++i) {
            out << 'K' << (100000 + i) << "LA3|\r\n";
        }
    }
    TBook book;
    if (!book.Load(path).Ok) {
        std::fprintf(stderr, "the book could not be read\n");
        return 2;
    }
    book.SetCurrentFile(0);
    std::vector<TPrefixEntry> entries;
    for (int i = 0; i < 300; ++i) {
        const std::string prefix = "P" + std::to_string(100 + i);
        entries.push_back({prefix, QString::fromStdString(prefix)});
    }
    std::vector<bool> marks;
    const QString typed = QStringLiteral("155LA3");
    const double before = ResidentMegabytes();
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < rounds; ++round) {
        book.MarkAllPrefixes(typed, entries, marks);
        book.UnmarkAllPrefixes(typed, entries, marks);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double grown = ResidentMegabytes() - before;
    std::printf("%d steps in %.1f s; the process grew by %.1f MB; the history keeps %zu steps, %.1f MB by its "
                "count (bound %.0f MB)\n",
                2 * rounds, seconds, grown, book.History().Count(),
                static_cast<double>(book.History().HeldBytes()) / (1024.0 * 1024.0),
                static_cast<double>(book.History().ByteLimit()) / (1024.0 * 1024.0));
    if (grown > 100.0) {
        std::printf("over budget: at most 100 MB for a day's session\n");
        return 1;
    }
    return 0;
}
