// The main window on a maximal book, offscreen: opening it until it is shown, one click on a test-file
// row (also one whose test file has a comment file of the largest size the panel shows, in the usual
// shape and in the two dearest ones), one keystroke in the name field; the find
// dialog opened until it lists every analog, and one keystroke in its filter; the prefix panel beside a large
// test file. Budgets: 100 ms to open, 16 ms (one frame) per click or keystroke, 100 ms for a click that
// loads the dearest comment the panel shows.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <QAction>
#include <QFile>
#include <QKeyEvent>
#include <QListView>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/CommentFile.h"
#include "files/AtomicFile.h"

#include "bench/BenchDialogs.h"
#include "bench/PaintCount.h"
#include "core/PathTokens.h"
#include "forms/PrefixPanel.h"
#include "forms/fm_Main.h"
#include "forms/fm_VvodSinonim.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Settings.h"
#include "platform/Text.h"
#include "testkit/MaxBook.h"

namespace {

struct Session {
    QTemporaryDir folder;
    BenchDialogs dialogs;

    Session() {
        qputenv("QOR_SPRAV_SETTINGS", QFile::encodeName(folder.filePath(QStringLiteral("settings.ini"))));
        platform::Registry registry;
        registry.OpenKey("Software\\QOR_Main", true);
        registry.WriteString("Dir_Tests", "C:\\QOR\\Tests");
        registry.WriteString("Dir_PDF", "C:\\QOR\\Desc");
        registry.CloseKey();
        dialogs.Book = QDir::toNativeSeparators(folder.filePath(QStringLiteral("max.spr")));
        if (max_book::Write(platform::ToOsPath(*platform::ToStoredPath(dialogs.Book)))) {
            std::abort();
        }
        platform::InstallDialogs(&dialogs);
    }
    ~Session() { platform::InstallDialogs(nullptr); }

    std::unique_ptr<TfmMain> StartWindow() {
        auto window = std::make_unique<TfmMain>();
        window->resize(1280, 800);
        window->FormCreate();
        window->show();
        QApplication::processEvents();
        return window;
    }

    static void Show(TfmMain& window) {
        window.repaint();
        QApplication::processEvents();
    }
};

// What a click or an arrow key does to a list of the book.
void SelectRow(QListView& list, int row) {
    list.selectionModel()->setCurrentIndex(list.model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
}

Session& TheSession() {
    static Session session;
    return session;
}

void BM_OpenMaximalBook(benchmark::State& state) {
    Session& session = TheSession();
    std::unique_ptr<TfmMain> window = session.StartWindow();
    BeginPaintCount();
    for (auto _ : state) {
        window->FileOpen1Execute();
        Session::Show(*window);
        PauseTiming(state);
        state.counters["rows"] = static_cast<double>(window->Book().Sprav().Files.size());
        window->FileNew1Execute();
        QApplication::processEvents();
        ResumeTiming(state);
    }
    EndPaintCount(state);
}
BENCHMARK(BM_OpenMaximalBook)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ClickTestFileRow(benchmark::State& state) {
    Session& session = TheSession();
    std::unique_ptr<TfmMain> window = session.StartWindow();
    window->FileOpen1Execute();
    Session::Show(*window);
    auto* files = window->findChild<QListView*>(QStringLiteral("lbFiles"));
    int row = 0;
    BeginPaintCount();
    for (auto _ : state) {
        row = (row + 7919) % files->model()->rowCount();
        SelectRow(*files, row);
        Session::Show(*window);
    }
    EndPaintCount(state);
}
BENCHMARK(BM_ClickTestFileRow)->Unit(benchmark::kMillisecond);

// A comment in the usual shape, as large as the panel shows: Windows-1251 lines of about sixty characters,
// CR LF between them.
std::string UsualCommentAtCap() {
    const std::string line =
        platform::ToCp1251(QStringLiteral("Проверено на стенде: ток потребления в норме, задержка 15 нс."))
            .value();
    std::string text;
    while (text.size() + line.size() + 2 <= comment_file::kMaxSize) {
        text += line + "\r\n";
    }
    text.resize(comment_file::kMaxSize, ' ');
    return text;
}

// Clicks on rows whose test files each have `comment` as their comment file, loading it included. The tests
// directory is a real folder for this run, so that the comment files lie where the book's paths point.
void ClickRowsWithComment(benchmark::State& state, const std::string& comment) {
    Session& session = TheSession();
    const std::string testsDir = *platform::ToStoredPath(session.folder.filePath(QStringLiteral("tests")));
    {
        platform::Registry registry;
        registry.OpenKey("Software\\QOR_Main", true);
        registry.WriteString("Dir_Tests", testsDir);
        registry.CloseKey();
    }
    std::unique_ptr<TfmMain> window = session.StartWindow();
    window->FileOpen1Execute();
    Session::Show(*window);
    const auto& files = window->Book().Sprav().Files;
    std::vector<int> rows;
    std::vector<std::filesystem::path> written;
    for (int row = 0; row < static_cast<int>(files.size()) && rows.size() < 256; row += 61) {
        if (files[row]->Path.starts_with(testsDir)) {
            const std::filesystem::path path =
                platform::ToOsPath(CommentFileName(files[row]->Path, testsDir));
            std::filesystem::create_directories(path.parent_path());
            if (WriteFileAtomically(path, comment)) {
                std::abort();
            }
            rows.push_back(row);
            written.push_back(path);
        }
    }
    auto* list = window->findChild<QListView*>(QStringLiteral("lbFiles"));
    auto* editor = window->findChild<QPlainTextEdit*>(QStringLiteral("mmTestInfo"));
    std::size_t next = 0;
    BeginPaintCount();
    for (auto _ : state) {
        SelectRow(*list, rows[next++ % rows.size()]);
        Session::Show(*window);
    }
    EndPaintCount(state);
    if (editor->isReadOnly()) {
        state.SkipWithError("the comment file was not shown");
    }
    state.counters["comment_chars"] = static_cast<double>(editor->document()->characterCount());
    state.counters["comment_lines"] = static_cast<double>(editor->document()->blockCount());
    state.counters["rows_with_comments"] = static_cast<double>(rows.size());
    window.reset();
    for (const std::filesystem::path& path : written) {
        std::filesystem::remove(path);
    }
    platform::Registry registry;
    registry.OpenKey("Software\\QOR_Main", true);
    registry.WriteString("Dir_Tests", "C:\\QOR\\Tests");
    registry.CloseKey();
}

void BM_ClickTestFileRowWithComment(benchmark::State& state) {
    ClickRowsWithComment(state, UsualCommentAtCap());
}
BENCHMARK(BM_ClickTestFileRowWithComment)->Unit(benchmark::kMillisecond);

// The dearest comments the panel shows, at its size limit: 0, nothing but line breaks (each line is a block
// of its own to lay out); 1, one long line of Cyrillic and Latin text. Budget: 100 ms a click.
void BM_ClickTestFileRowWithSlowestComment(benchmark::State& state) {
    std::string comment;
    if (state.range(0) == 0) {
        comment.assign(comment_file::kMaxSize, '\n');
    } else {
        const std::string piece =
            platform::ToCp1251(QStringLiteral("Проверено на стенде: ток в норме, задержка 15 нс. ")).value();
        while (comment.size() < comment_file::kMaxSize) {
            comment += piece;
        }
        comment.resize(comment_file::kMaxSize);
    }
    ClickRowsWithComment(state, comment);
}
BENCHMARK(BM_ClickTestFileRowWithSlowestComment)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1);

void BM_KeystrokeInName(benchmark::State& state) {
    Session& session = TheSession();
    std::unique_ptr<TfmMain> window = session.StartWindow();
    window->FileOpen1Execute();
    Session::Show(*window);
    auto* name = window->findChild<QLineEdit*>(QStringLiteral("eName"));
    name->setFocus();
    BeginPaintCount();
    for (auto _ : state) {
        QTest::keyClick(name, Qt::Key_A);
        Session::Show(*window);
        if (name->text().size() > 20) {
            PauseTiming(state);
            name->clear();
            ResumeTiming(state);
        }
    }
    EndPaintCount(state);
}
BENCHMARK(BM_KeystrokeInName)->Unit(benchmark::kMillisecond);

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// The process's peak resident set (VmHWM), in megabytes; 0 where /proc is missing.
double PeakRssMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
        }
    }
    return 0;
}

// Runs the find command of `window` with `step` on the dialog once it is shown; the step closes it.
void RunFindDialog(TfmMain& window, const std::function<void(TfmVvodSinonim&)>& step) {
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TfmVvodSinonim*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            std::abort();
        }
        step(*dialog);
        dialog->reject();
    });
    window.findChild<QAction*>(QStringLiteral("acFindSin"))->trigger();
}

// From the command until the dialog is on screen and painted with every analog of the book listed: the
// dialog's first paint ends the timing.
void BM_OpenFindDialog(benchmark::State& state) {
    Session& session = TheSession();
    std::unique_ptr<TfmMain> window = session.StartWindow();
    window->FileOpen1Execute();
    Session::Show(*window);
    long long paints = 0;
    for (auto _ : state) {
        ThePaintCount().Reset();
        ThePaintCount().Count(true);
        const Clock::time_point start = Clock::now();
        RunFindDialog(*window, [&](TfmVvodSinonim& dialog) {
            if (!WaitForPaint(dialog, 0)) {
                state.SkipWithError("the find dialog was never painted");
            }
            state.SetIterationTime(Seconds(start));
            ThePaintCount().Count(false);
            paints += ThePaintCount().Paints();
            state.counters["rows"] = dialog.lbNames->model()->rowCount();
            state.counters["peak_rss_MB"] = PeakRssMegabytes();
        });
    }
    state.counters["paints"] = static_cast<double>(paints) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_OpenFindDialog)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

// Typing a name's first letters into the filter of the dialog on screen and erasing them again, one
// keystroke an iteration: the filter raised, the list refilled, the test-file path shown, until the dialog
// has painted what the key changed. Erasing the last character lists the whole book again, the dearest
// keystroke: `to_empty_ms` is the median of those, `worst_ms` the worst keystroke of all.
void BM_KeystrokeInFindFilter(benchmark::State& state) {
    Session& session = TheSession();
    std::unique_ptr<TfmMain> window = session.StartWindow();
    window->FileOpen1Execute();
    Session::Show(*window);
    RunFindDialog(*window, [&](TfmVvodSinonim& dialog) {
        if (!WaitForPaint(dialog, 0)) {
            state.SkipWithError("the find dialog was never painted");
            return;
        }
        const QString typed = QStringLiteral("кр1533ла");
        QLineEdit* filter = dialog.edFilter;
        filter->setFocus();
        double worst = 0;
        std::vector<double> toEmpty;
        int key = 0;
        BeginPaintCount();
        for (auto _ : state) {
            const long long before = ThePaintCount().PaintsOf(&dialog);
            const Clock::time_point start = Clock::now();
            const int at = key % (2 * static_cast<int>(typed.size()));
            if (at < typed.size()) {
                // A Cyrillic letter as the keyboard sends it: text with no key code of its own.
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(typed[at]));
                QCoreApplication::sendEvent(filter, &press);
            } else {
                QTest::keyClick(filter, Qt::Key_Backspace);
            }
            if (!WaitForPaint(dialog, before)) {
                state.SkipWithError("a keystroke was never painted");
            }
            const double seconds = Seconds(start);
            state.SetIterationTime(seconds);
            worst = std::max(worst, seconds);
            if (filter->text().isEmpty()) {
                toEmpty.push_back(seconds);
            }
            ++key;
        }
        EndPaintCount(state);
        std::sort(toEmpty.begin(), toEmpty.end());
        state.counters["to_empty_ms"] = toEmpty.empty() ? 0 : toEmpty[toEmpty.size() / 2] * 1000;
        state.counters["worst_ms"] = worst * 1000;
    });
}
BENCHMARK(BM_KeystrokeInFindFilter)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(160);

// The prefix panel open beside a test file of 3 000 names, with 300 prefixes in its list and a base name
// typed that none of them has generated yet. Budgets: 16 ms per keystroke (marks recomputed), 100 ms for
// select-all, 500 ms for deselect-all, 16 ms for undoing deselect-all. With 4 000 prefixes and their names
// generated: 100 ms for deselect-all and for unticking one prefix.
constexpr int kPrefixNames = 3000;
constexpr int kPrefixes = 300;
constexpr int kManyPrefixes = 4000;

std::unique_ptr<TfmMain> StartPrefixWindow(Session& session, int prefixes = kPrefixes) {
    std::unique_ptr<TfmMain> window = session.StartWindow();
    const QString names = QDir::toNativeSeparators(session.folder.filePath(QStringLiteral("names.spr")));
    {
        std::ofstream out(platform::ToOsPath(*platform::ToStoredPath(names)), std::ios::binary);
        out << " 0 C:\\QOR\\Tests\\dig\\la3.qor\r\n";
        for (int i = 0; i < kPrefixNames; ++i) {
            out << 'K' << (100000 + i) << "LA3\r\n";
        }
    }
    window->LoadSprav(*platform::ToStoredPath(names));

    const QString list = QDir::toNativeSeparators(session.folder.filePath(QStringLiteral("bench.prf")));
    {
        std::ofstream out(platform::ToOsPath(*platform::ToStoredPath(list)), std::ios::binary);
        for (int i = 0; i < prefixes; ++i) {
            out << "P" << (100 + i) << "\r\n";
        }
    }
    const QString book = session.dialogs.Book;
    session.dialogs.Book = list;
    window->PrefixPanel().bbLoadPreffClick();
    session.dialogs.Book = book;
    window->PrefixPanel().bbRightClick();
    window->findChild<QLineEdit*>(QStringLiteral("eName"))->setText(QStringLiteral("155LA3"));
    Session::Show(*window);
    return window;
}

// Takes the generated names away again without timing it, as the user would: the select-all undone.
void DropGeneratedNames(TfmMain& window) {
    window.acUndoExecute();
}

void BM_PrefixKeystrokeInName(benchmark::State& state) {
    std::unique_ptr<TfmMain> window = StartPrefixWindow(TheSession());
    auto* name = window->findChild<QLineEdit*>(QStringLiteral("eName"));
    name->setFocus();
    BeginPaintCount();
    for (auto _ : state) {
        QTest::keyClick(name, name->text().size() > 12 ? Qt::Key_Backspace : Qt::Key_A);
        Session::Show(*window);
    }
    EndPaintCount(state);
}
BENCHMARK(BM_PrefixKeystrokeInName)->Unit(benchmark::kMillisecond);

void BM_PrefixSelectAll(benchmark::State& state) {
    std::unique_ptr<TfmMain> window = StartPrefixWindow(TheSession());
    auto* selectAll = window->findChild<QToolButton*>(QStringLiteral("sbAddAll"));
    BeginPaintCount();
    for (auto _ : state) {
        selectAll->click();
        Session::Show(*window);
        PauseTiming(state);
        if (window->Book().Sprav().CurrentFile->Sinonims.size() != kPrefixNames + kPrefixes) {
            state.SkipWithError("select-all did not generate every name");
        }
        DropGeneratedNames(*window);
        ResumeTiming(state);
    }
    EndPaintCount(state);
}
BENCHMARK(BM_PrefixSelectAll)->Unit(benchmark::kMillisecond)->Iterations(10);

// Every prefix ticked and its name generated, untimed, then all taken away again: the 300 prefixes of
// the budget, and 4 000, where removal must stay linear.
void PrefixDeselectAll(benchmark::State& state, int prefixes) {
    std::unique_ptr<TfmMain> window = StartPrefixWindow(TheSession(), prefixes);
    auto* selectAll = window->findChild<QToolButton*>(QStringLiteral("sbAddAll"));
    auto* deselectAll = window->findChild<QToolButton*>(QStringLiteral("sbDelAll"));
    const auto names = [&window] { return window->Book().Sprav().CurrentFile->Sinonims.size(); };
    BeginPaintCount();
    for (auto _ : state) {
        PauseTiming(state);
        selectAll->click();
        Session::Show(*window);
        if (names() != static_cast<std::size_t>(kPrefixNames + prefixes)) {
            state.SkipWithError("select-all did not generate every name");
        }
        ResumeTiming(state);
        deselectAll->click();
        Session::Show(*window);
        PauseTiming(state);
        if (names() != static_cast<std::size_t>(kPrefixNames)) {
            state.SkipWithError("deselect-all did not remove every generated name");
        }
        ResumeTiming(state);
    }
    EndPaintCount(state);
}
void BM_PrefixDeselectAll(benchmark::State& state) {
    PrefixDeselectAll(state, kPrefixes);
}
BENCHMARK(BM_PrefixDeselectAll)->Unit(benchmark::kMillisecond)->Iterations(5);
void BM_PrefixDeselectAll4000(benchmark::State& state) {
    PrefixDeselectAll(state, kManyPrefixes);
}
BENCHMARK(BM_PrefixDeselectAll4000)->Unit(benchmark::kMillisecond)->Iterations(5);

// The user unticks one of 4 000 ticked prefixes (a different one each time, ticked again untimed).
void BM_PrefixUntick4000(benchmark::State& state) {
    std::unique_ptr<TfmMain> window = StartPrefixWindow(TheSession(), kManyPrefixes);
    window->findChild<QToolButton*>(QStringLiteral("sbAddAll"))->click();
    Session::Show(*window);
    auto* list = window->findChild<QListWidget*>(QStringLiteral("clbPref"));
    const auto& names = window->Book().Sprav().CurrentFile->Sinonims;
    int row = 0;
    BeginPaintCount();
    for (auto _ : state) {
        row = (row + 997) % kManyPrefixes;
        list->item(row)->setCheckState(Qt::Unchecked);  // what the user's click on its box does
        Session::Show(*window);
        PauseTiming(state);
        if (names.size() != kPrefixNames + kManyPrefixes - 1) {
            state.SkipWithError("unticking did not remove its name");
        }
        list->item(row)->setCheckState(Qt::Checked);
        Session::Show(*window);
        ResumeTiming(state);
    }
    EndPaintCount(state);
}
BENCHMARK(BM_PrefixUntick4000)->Unit(benchmark::kMillisecond)->Iterations(20);

// Deselect-all of the 300 prefixes undone: the 300 names back at their places, the lists showing the first
// of them, painted. Budget: 16 ms. Each iteration makes the step again untimed.
void BM_PrefixUndoDeselectAll(benchmark::State& state) {
    std::unique_ptr<TfmMain> window = StartPrefixWindow(TheSession());
    window->findChild<QToolButton*>(QStringLiteral("sbAddAll"))->click();
    window->findChild<QToolButton*>(QStringLiteral("sbDelAll"))->click();
    Session::Show(*window);
    auto* undo = window->findChild<QAction*>(QStringLiteral("acUndo"));
    auto* redo = window->findChild<QAction*>(QStringLiteral("acRedo"));
    const auto names = [&window] { return window->Book().Sprav().CurrentFile->Sinonims.size(); };
    if (names() != static_cast<std::size_t>(kPrefixNames)) {
        state.SkipWithError("deselect-all did not remove every generated name");
    }
    BeginPaintCount();
    for (auto _ : state) {
        undo->trigger();
        Session::Show(*window);
        PauseTiming(state);
        if (names() != static_cast<std::size_t>(kPrefixNames + kPrefixes)) {
            state.SkipWithError("undo did not bring back every generated name");
        }
        redo->trigger();
        Session::Show(*window);
        if (names() != static_cast<std::size_t>(kPrefixNames)) {
            state.SkipWithError("redo did not remove every generated name");
        }
        ResumeTiming(state);
    }
    EndPaintCount(state);
}
BENCHMARK(BM_PrefixUndoDeselectAll)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
