// The book check on a maximal book whose test files and description files all exist on the disk: the
// check itself (one existence test per distinct path), and the whole command as the user runs it, the
// report filled. Budget: 1 second. Offscreen; the files are made once, in a temporary folder.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "bench/BenchDialogs.h"
#include "bench/PaintCount.h"
#include "core/BookCheck.h"
#include "core/PathTokens.h"
#include "core/Sprav.h"
#include "core/SpravFile.h"
#include "forms/fm_Main.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Settings.h"
#include "testkit/MaxBook.h"

namespace {

void Touch(const std::filesystem::path& path) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path).put('x');
}

// The maximal book with every file it names made on the disk. The book's absolute paths of another
// system's drive ("D:\...") become folders below the working directory, which is the temporary folder.
struct Session {
    QTemporaryDir folder;
    BenchDialogs dialogs;
    TSprav sprav;
    ServiceDirectories dirs;
    std::size_t files = 0;

    Session() {
        std::filesystem::current_path(folder.path().toStdString());
        dirs = {platform::ToStoredPath(folder.filePath(QStringLiteral("Tests"))).value(),
                platform::ToStoredPath(folder.filePath(QStringLiteral("Desc"))).value()};
        qputenv("QOR_SPRAV_SETTINGS", QFile::encodeName(folder.filePath(QStringLiteral("settings.ini"))));
        platform::Registry registry;
        registry.OpenKey("Software\\QOR_Main", true);
        registry.WriteString("Dir_Tests", dirs.Tests);
        registry.WriteString("Dir_PDF", dirs.Desc);
        registry.CloseKey();

        dialogs.Book = folder.filePath(QStringLiteral("max.spr"));
        const std::filesystem::path book = platform::ToOsPath(*platform::ToStoredPath(dialogs.Book));
        if (max_book::Write(book) || !sprav_file::Load(book, sprav, dirs.Tests).Ok()) {
            std::abort();
        }
        for (const auto& file : sprav.Files) {
            Touch(platform::ToOsPath(file->Path));
            ++files;
            for (const auto& sinonim : file->Sinonims) {
                if (!sinonim->DescPath.empty()) {
                    Touch(platform::ToOsPath(FromDescToken(sinonim->DescPath, dirs.Desc)));
                }
            }
        }
        platform::InstallDialogs(&dialogs);
    }
    ~Session() { platform::InstallDialogs(nullptr); }
};

Session& TheSession() {
    static Session session;
    return session;
}

void CountFindings(benchmark::State& state, const book_check::Result& result) {
    std::size_t missing = 0;
    for (const auto& finding : result.Findings) {
        missing += finding.Kind == book_check::FindingKind::MissingTestFile ||
                   finding.Kind == book_check::FindingKind::MissingDescription;
    }
    if (missing != 0) {
        state.SkipWithError("the book names files that were not made");
    }
    state.counters["findings"] = static_cast<double>(result.Findings.size());
}

void BM_CheckMaximalBook(benchmark::State& state) {
    Session& session = TheSession();
    book_check::Result result;
    for (auto _ : state) {
        result = book_check::Check(session.sprav, session.dirs,
                                   [](const std::string& path) { return platform::FileExists(path); });
    }
    CountFindings(state, result);
    state.counters["test files"] = static_cast<double>(session.files);
}
BENCHMARK(BM_CheckMaximalBook)->Unit(benchmark::kMillisecond);

// The main window with the session's maximal book open.
std::unique_ptr<TfmMain> WindowOnMaximalBook() {
    TheSession();
    auto window = std::make_unique<TfmMain>();
    window->resize(1280, 800);
    window->FormCreate();
    window->show();
    window->FileOpen1Execute();
    QApplication::processEvents();
    return window;
}

void BM_CheckCommandOnMaximalBook(benchmark::State& state) {
    const std::unique_ptr<TfmMain> window = WindowOnMaximalBook();
    auto* check = window->findChild<QAction*>(QStringLiteral("acCheckSprav"));
    BeginPaintCount();
    for (auto _ : state) {
        check->trigger();
        QApplication::processEvents();
    }
    EndPaintCount(state);
    auto* report = window->findChild<QTreeWidget*>(QStringLiteral("lvFindings"));
    state.counters["rows"] = report != nullptr ? report->topLevelItemCount() : -1;
}
BENCHMARK(BM_CheckCommandOnMaximalBook)->Unit(benchmark::kMillisecond);

// While the command runs, how long the window waits at most before it next handles an event: a timer that
// would fire at every turn of the event loop notes each turn. Budget: 16 ms, a frame.
void BM_CheckCommandLongestWait(benchmark::State& state) {
    const std::unique_ptr<TfmMain> window = WindowOnMaximalBook();
    auto* check = window->findChild<QAction*>(QStringLiteral("acCheckSprav"));
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer turns;
    turns.setInterval(0);
    QObject::connect(&turns, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    BeginPaintCount();
    for (auto _ : state) {
        longest = 0;
        clock.start();
        last = 0;
        turns.start();
        check->trigger();
        QApplication::processEvents();
        turns.stop();
        longest = std::max(longest, clock.nsecsElapsed() - last);
        state.counters["longest_wait_ms"] = static_cast<double>(longest) / 1e6;
    }
    EndPaintCount(state);
}
BENCHMARK(BM_CheckCommandLongestWait)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
