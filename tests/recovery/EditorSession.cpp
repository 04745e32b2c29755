// The editor's window and book driven through a session of commands, as a process that can be killed at
// any moment: what the crash tests and the soak script run. The session is the same for the same seed, so
// that the book after any number of its commands can be made again without a kill.
//
//   editor_session session BOOK SEED [STEPS]     runs the session on BOOK; prints "done N" after the N-th
//                                                command has returned; stays after STEPS until killed
//   editor_session expect BOOK SEED STEPS OUT    the same STEPS commands, then writes the book as a save
//                                                would to OUT and ends without a journal
//   editor_session restore OUT                   a start after the crash: answers Yes to the question to
//                                                restore and writes the restored book as a save would
//
// Boxes are answered Yes; file dialogs are cancelled. Exit code 3: the start found no journal to restore, or
// one it could not read.
#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include "core/SpravFile.h"
#include "forms/PrefixPanel.h"
#include "forms/TestFilePanel.h"
#include "forms/fm_Main.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"

namespace {

class TYesDesktop final : public platform::Dialogs {
public:
    void Information(const QString& text) override { Told.append(text); }
    platform::MessageAnswer MessageBox(const QString& text, const QString&, platform::MessageIcon,
                                       platform::MessageButtons) override {
        Asked.append(text);
        // The directories are the settings' business, not the session's: their dialog would wait for a user.
        return text.startsWith(QStringLiteral("Системный путь")) ? platform::MessageAnswer::No
                                                                 : platform::MessageAnswer::Yes;
    }
    void ErrorReport(const QString& text) override { Told.append(text); }

    QStringList Told;
    QStringList Asked;

protected:
    std::optional<QString> ShowOpenFile(QWidget*, const platform::FileDialogOptions&) override { return {}; }
    std::optional<QStringList> ShowOpenFiles(QWidget*, const platform::FileDialogOptions&) override { return {}; }
    std::optional<QString> ShowSaveFile(QWidget*, const platform::FileDialogOptions&) override { return {}; }
    std::optional<QString> ShowChooseFolder(QWidget*, const QString&, const QString&) override { return {}; }
};

bool WriteBook(const TfmMain& editor, const char* path) {
    std::string bytes;
    if (!sprav_file::Format(editor.Book().Sprav(), editor.Book().Directories(), bytes).Ok()) {
        return false;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return out.good();
}

// One command of the session, chosen by the generator from what the book holds now.
void RunCommand(TfmMain& editor, std::mt19937& random, int step) {
    auto* names = editor.findChild<QListView*>(QStringLiteral("lbNames"));
    auto* files = editor.findChild<QListView*>(QStringLiteral("lbFiles"));
    auto* name = editor.findChild<QLineEdit*>(QStringLiteral("eName"));
    // As a click selects a row: the window's chain runs.
    const auto select = [](QListView* list, int row) {
        list->selectionModel()->setCurrentIndex(list->model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
    };
    const int fileCount = files->model()->rowCount();
    const int choice = static_cast<int>(random() % 10);
    if (fileCount > 0) {
        select(files, static_cast<int>(random() % static_cast<unsigned>(fileCount)));
    }
    const int nameCount = names->model()->rowCount();
    switch (choice) {
        case 0:
        case 1:
        case 2:
            name->setText(QStringLiteral("К%1ЛА%2").arg(step).arg(random() % 10));
            editor.findChild<QPushButton*>(QStringLiteral("bbAddSinonim"))->click();
            break;
        case 3:
            if (nameCount > 0) {
                select(names, static_cast<int>(random() % static_cast<unsigned>(nameCount)));
                editor.findChild<QPushButton*>(QStringLiteral("bbDelSinonim"))->click();
            }
            break;
        case 4:
            if (nameCount > 0) {
                select(names, static_cast<int>(random() % static_cast<unsigned>(nameCount)));
                name->setText(QStringLiteral("SN%1").arg(step));
                editor.findChild<QPushButton*>(QStringLiteral("bbEditSinonim"))->click();
            }
            break;
        case 5:
            editor.FilesPanel().AddTestFiles({QStringLiteral("C:\\Tests\\t%1.qor").arg(step)});
            break;
        case 6:
            name->setText(QStringLiteral("74%1").arg(step));
            editor.PrefixPanel().bbAllPrefClick();
            break;
        case 7:
        case 8:
            editor.acUndoExecute();
            break;
        default:
            editor.acRedoExecute();
            break;
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const QString mode = arguments.value(1);
    TYesDesktop desktop;
    platform::InstallDialogs(&desktop);
    TfmMain editor;

    if (mode == QLatin1String("restore") && arguments.size() == 3) {
        editor.FormCreate();
        const bool restored = std::any_of(desktop.Asked.begin(), desktop.Asked.end(), [](const QString& text) {
            return text.startsWith(QStringLiteral("Редактор был закрыт аварийно"));
        });
        for (const QString& text : desktop.Told) {
            std::fprintf(stderr, "%s\n", text.toUtf8().constData());
        }
        const bool written = WriteBook(editor, argv[2]);
        editor.Book().DiscardJournal();
        return !restored ? 3 : written ? 0 : 2;
    }

    const bool expect = mode == QLatin1String("expect") && arguments.size() == 6;
    if (!expect && !(mode == QLatin1String("session") && (arguments.size() == 4 || arguments.size() == 5))) {
        std::fprintf(stderr, "usage: editor_session session|expect|restore ...\n");
        return 2;
    }
    editor.FormCreate(arguments[2]);
    editor.PrefixPanel().LoadPrefixFile(platform::ToStoredPath(arguments[2] + QStringLiteral(".prf")).value_or(""));
    std::mt19937 random(arguments[3].toUInt());
    const int steps = arguments.value(4, QStringLiteral("1000000")).toInt();
    for (int step = 1; step <= steps; ++step) {
        RunCommand(editor, random, step);
        if (!expect) {
            std::printf("done %d\n", step);
            std::fflush(stdout);
        }
    }
    if (expect) {
        const bool written = WriteBook(editor, argv[5]);
        editor.Book().DiscardJournal();
        return written ? 0 : 2;
    }
    for (;;) {
        QThread::sleep(1);  // waits for the kill
    }
}
