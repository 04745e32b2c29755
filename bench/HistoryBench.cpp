// A day's session on the history: 20 000 steps of select-all and deselect-all over 300 prefixes on a test
// file of 3 000 names, the heaviest steps a user makes by hand. Prints how much the process grew and what the
// history keeps, and fails when the process grew by more than 100 MB. Then what the recovery journal costs a
// step: without a journal, with one left to the system's cache, and with each step forced to the disk.
// Usage: history_bench [rounds]   (a round is two steps; 10 000 by default)
#include <QCoreApplication>
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
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
    QCoreApplication application(argc, argv);
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
        const std::string prefix = std::string("P").append(std::to_string(100 + i));
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
    bool withinBudget = grown <= 100.0;
    if (!withinBudget) {
        std::printf("over budget: at most 100 MB for a day's session\n");
    }

    // The journal on the disk the build lives on, not in memory.
    const QString journals = folder.filePath(QStringLiteral("journals"));
    for (const char* mode : {"no journal", "journal, system's cache", "journal, forced to disk"}) {
        TBook timed;
        timed.Load(path);
        timed.SetCurrentFile(0);
        if (std::string_view(mode) != "no journal") {
            timed.EnableRecovery(journals);
            timed.Journal()->SetFlushToDisk(std::string_view(mode) == "journal, forced to disk");
        }
        constexpr int kNames = 1000;
        auto begin = std::chrono::steady_clock::now();
        for (int i = 0; i < kNames; ++i) {
            timed.AddName(QStringLiteral("N%1").arg(i), {});
        }
        const double name = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - begin).count() /
                            kNames;
        constexpr int kPasses = 50;
        begin = std::chrono::steady_clock::now();
        for (int i = 0; i < kPasses; ++i) {
            timed.MarkAllPrefixes(typed, entries, marks);
            timed.UnmarkAllPrefixes(typed, entries, marks);
        }
        const double pass = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count() /
                            (2 * kPasses);
        std::printf("%-26s a name added: %7.1f us a step; a pass over 300 prefixes: %6.2f ms a step\n", mode, name,
                    pass);
        withinBudget = withinBudget && name < 16'000.0;
        timed.DiscardJournal();
    }
    return withinBudget ? 0 : 1;
}
