// The main window on a maximal book, offscreen: opening it until it is shown, one click on a test-file
// row, one keystroke in the name field; and the prefix panel beside a large test file. Budgets: 100 ms to
// open, 16 ms (one frame) per click or keystroke.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <fstream>
#include <memory>
#include <string>

#include "Dialogs.h"
#include "MainWindowProbe.h"
#include "MaxBook.h"
#include "Paths.h"
#include "Settings.h"

namespace {

// Answers the open dialog with one book and shows no box.
class BenchDialogs final : public platform::Dialogs {
public:
    QString Book;
    void Information(const QString&) override {}
    platform::MessageAnswer MessageBox(const QString&, const QString&, platform::MessageIcon,
                                       platform::MessageButtons) override {
        return platform::MessageAnswer::No;
    }
    void ErrorReport(const QString&) override {}
    std::optional<QString> OpenFile(QWidget*, const platform::FileDialogOptions&) override { return Book; }
    std::optional<QStringList> OpenFiles(QWidget*, const platform::FileDialogOptions&) override { return {}; }
    std::optional<QString> SaveFile(QWidget*, const platform::FileDialogOptions&) override { return {}; }
    std::optional<QString> ChooseFolder(QWidget*, const QString&, const QString&) override { return {}; }
};

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

Session& TheSession() {
    static Session session;
    return session;
}

void BM_OpenMaximalBook(benchmark::State& state) {
    Session& session = TheSession();
    std::unique_ptr<TfmMain> window = session.StartWindow();
    for (auto _ : state) {
        window->FileOpen1Execute();
        Session::Show(*window);
        state.PauseTiming();
        state.counters["rows"] = static_cast<double>(TfmMainProbe(*window).Sprav().Files.size());
        window->FileNew1Execute();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenMaximalBook)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ClickTestFileRow(benchmark::State& state) {
    Session& session = TheSession();
    std::unique_ptr<TfmMain> window = session.StartWindow();
    window->FileOpen1Execute();
    Session::Show(*window);
    auto* files = window->findChild<QListWidget*>(QStringLiteral("lbFiles"));
    int row = 0;
    for (auto _ : state) {
        row = (row + 7919) % files->count();
        files->setCurrentRow(row);  // what a click or an arrow key does to the list
        Session::Show(*window);
    }
}
BENCHMARK(BM_ClickTestFileRow)->Unit(benchmark::kMillisecond);

void BM_KeystrokeInName(benchmark::State& state) {
    Session& session = TheSession();
    std::unique_ptr<TfmMain> window = session.StartWindow();
    window->FileOpen1Execute();
    Session::Show(*window);
    auto* name = window->findChild<QLineEdit*>(QStringLiteral("eName"));
    name->setFocus();
    for (auto _ : state) {
        QTest::keyClick(name, Qt::Key_A);
        Session::Show(*window);
        if (name->text().size() > 20) {
            state.PauseTiming();
            name->clear();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_KeystrokeInName)->Unit(benchmark::kMillisecond);

// The prefix panel open beside a test file of 3 000 names, with 300 prefixes in its list and a base name
// typed that none of them has generated yet. Budgets: 16 ms per keystroke (marks recomputed), 100 ms for
// select-all, 500 ms for deselect-all (one whole pass per prefix).
constexpr int kPrefixNames = 3000;
constexpr int kPrefixes = 300;

std::unique_ptr<TfmMain> StartPrefixWindow(Session& session) {
    std::unique_ptr<TfmMain> window = session.StartWindow();
    window->FileNew1Execute();
    TfmMainProbe probe(*window);
    TSprav& sprav = probe.Sprav();
    sprav.AddTestFile("C:\\QOR\\Tests\\dig\\la3.qor");
    for (int i = 0; i < kPrefixNames; ++i) {
        std::string name = std::to_string(100000 + i);
        sprav.AddSinonim(name.insert(0, 1, 'K').append("LA3"));
    }
    window->RefreshFileList();

    const QString list = QDir::toNativeSeparators(session.folder.filePath(QStringLiteral("bench.prf")));
    {
        std::ofstream out(platform::ToOsPath(*platform::ToStoredPath(list)), std::ios::binary);
        for (int i = 0; i < kPrefixes; ++i) {
            out << "P" << (100 + i) << "\r\n";
        }
    }
    const QString book = session.dialogs.Book;
    session.dialogs.Book = list;
    probe.Prefixes().bbLoadPreffClick();
    session.dialogs.Book = book;
    probe.Prefixes().bbRightClick();
    window->findChild<QLineEdit*>(QStringLiteral("eName"))->setText(QStringLiteral("155LA3"));
    Session::Show(*window);
    return window;
}

// Takes the generated names away again without timing it: the test file back to its own names.
void DropGeneratedNames(TfmMain& window) {
    TfmMainProbe probe(window);
    probe.Sprav().CurrentFile->Sinonims.resize(kPrefixNames);
    window.RefreshNames(false);
}

void BM_PrefixKeystrokeInName(benchmark::State& state) {
    std::unique_ptr<TfmMain> window = StartPrefixWindow(TheSession());
    auto* name = window->findChild<QLineEdit*>(QStringLiteral("eName"));
    name->setFocus();
    for (auto _ : state) {
        QTest::keyClick(name, name->text().size() > 12 ? Qt::Key_Backspace : Qt::Key_A);
        Session::Show(*window);
    }
}
BENCHMARK(BM_PrefixKeystrokeInName)->Unit(benchmark::kMillisecond);

void BM_PrefixSelectAll(benchmark::State& state) {
    std::unique_ptr<TfmMain> window = StartPrefixWindow(TheSession());
    auto* selectAll = window->findChild<QToolButton*>(QStringLiteral("sbAddAll"));
    for (auto _ : state) {
        selectAll->click();
        Session::Show(*window);
        state.PauseTiming();
        if (TfmMainProbe(*window).Sprav().CurrentFile->Sinonims.size() != kPrefixNames + kPrefixes) {
            state.SkipWithError("select-all did not generate every name");
        }
        DropGeneratedNames(*window);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PrefixSelectAll)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_PrefixDeselectAll(benchmark::State& state) {
    std::unique_ptr<TfmMain> window = StartPrefixWindow(TheSession());
    auto* selectAll = window->findChild<QToolButton*>(QStringLiteral("sbAddAll"));
    auto* deselectAll = window->findChild<QToolButton*>(QStringLiteral("sbDelAll"));
    for (auto _ : state) {
        state.PauseTiming();
        selectAll->click();
        Session::Show(*window);
        state.ResumeTiming();
        deselectAll->click();
        Session::Show(*window);
        state.PauseTiming();
        if (TfmMainProbe(*window).Sprav().CurrentFile->Sinonims.size() != kPrefixNames) {
            state.SkipWithError("deselect-all did not remove every generated name");
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PrefixDeselectAll)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
