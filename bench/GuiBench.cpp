// The main window on a maximal book, offscreen: opening it until it is shown, one click on a test-file
// row, one keystroke in the name field. Budgets: 100 ms to open, 16 ms (one frame) per click or keystroke.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "Dialogs.h"
#include "MaxBook.h"
#include "Paths.h"
#include "Settings.h"
#include "MainWindowProbe.h"

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

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
