// The main window on a maximal book, offscreen: opening it until it is shown, one click on a test-file
// row (also one whose test file has a 64 KB comment file), one keystroke in the name field. Budgets: 100 ms
// to open, 16 ms (one frame) per click or keystroke.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <filesystem>
#include <memory>
#include <vector>

#include "AtomicFile.h"

#include "Dialogs.h"
#include "MainWindowProbe.h"
#include "MaxBook.h"
#include "PathTokens.h"
#include "Paths.h"
#include "Settings.h"
#include "Text.h"

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

// A 64 KB comment in the usual shape: Windows-1251 lines of about sixty characters, CR LF between them.
std::string Comment64K() {
    const std::string line =
        platform::ToCp1251(QStringLiteral("Проверено на стенде: ток потребления в норме, задержка 15 нс."))
            .value();
    std::string text;
    while (text.size() + line.size() + 2 <= 64 * 1024) {
        text += line + "\r\n";
    }
    text.resize(64 * 1024, ' ');
    return text;
}

// The same click on rows whose test files each have a 64 KB comment file, loading it included. The tests
// directory is a real folder for this run, so that the comment files lie where the book's paths point.
void BM_ClickTestFileRowWithComment(benchmark::State& state) {
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
    TfmMainProbe probe(*window);
    const auto& files = probe.Sprav().Files;
    const std::string comment = Comment64K();
    std::vector<int> rows;
    for (int row = 0; row < static_cast<int>(files.size()) && rows.size() < 256; row += 61) {
        if (files[row]->Path.starts_with(testsDir)) {
            const std::filesystem::path path =
                platform::ToOsPath(CommentFileName(files[row]->Path, testsDir));
            std::filesystem::create_directories(path.parent_path());
            if (WriteFileAtomically(path, comment)) {
                std::abort();
            }
            rows.push_back(row);
        }
    }
    auto* list = window->findChild<QListWidget*>(QStringLiteral("lbFiles"));
    auto* editor = window->findChild<QPlainTextEdit*>(QStringLiteral("mmTestInfo"));
    std::size_t next = 0;
    for (auto _ : state) {
        list->setCurrentRow(rows[next++ % rows.size()]);
        Session::Show(*window);
    }
    state.counters["comment_chars"] = static_cast<double>(editor->document()->characterCount());
    state.counters["rows_with_comments"] = static_cast<double>(rows.size());
    window.reset();
    platform::Registry registry;
    registry.OpenKey("Software\\QOR_Main", true);
    registry.WriteString("Dir_Tests", "C:\\QOR\\Tests");
    registry.CloseKey();
}
BENCHMARK(BM_ClickTestFileRowWithComment)->Unit(benchmark::kMillisecond);

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
