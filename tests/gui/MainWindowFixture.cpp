#include "tests/gui/MainWindowFixture.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>

#include <algorithm>

#include "platform/Paths.h"
#include "platform/Settings.h"
#include "platform/Text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace gui_test {

std::string Cp(const char* utf8) {
    return platform::ToCp1251(QString::fromUtf8(utf8)).value_or(std::string());
}

std::string ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return file.readAll().toStdString();
}

void WriteBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

QString Native(const QString& text) {
    return QDir::toNativeSeparators(text);
}

std::string Native(std::string bytes) {
    if (QDir::separator() != QLatin1Char('/')) {
        std::replace(bytes.begin(), bytes.end(), '/', '\\');
    }
    return bytes;
}

QStringList Rows(const QAbstractItemView* list) {
    QStringList rows;
    for (int i = 0; i < Count(list); ++i) {
        rows.append(list->model()->index(i, 0).data().toString());
    }
    return rows;
}

int Count(const QAbstractItemView* list) {
    return list->model()->rowCount();
}

int SelectedRow(const QAbstractItemView* list) {
    const QModelIndexList selected = list->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.front().row();
}

void SetCurrentRow(QAbstractItemView* list, int row) {
    list->selectionModel()->setCurrentIndex(list->model()->index(row, 0),
                                            QItemSelectionModel::ClearAndSelect);
}

QRect RowRect(const QAbstractItemView* list, int row) {
    return list->visualRect(list->model()->index(row, 0));
}

void TypeText(QWidget* widget, const QString& text) {
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(widget, &press);
        QCoreApplication::sendEvent(widget, &release);
    }
}

void MainWindowTest::SetUp() {
    // A change of the book outside any operation would leave the history unable to undo: a fault.
    TBookHistory::SetStrayChangeHandler([] { ADD_FAILURE() << "the book changed outside any operation"; });
    ASSERT_TRUE(folder.isValid());
#ifdef _WIN32
    // The store is the registry of the test prefix: each test starts with none of the system's keys.
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QOR_Sprav");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QOR_Main");
#endif
    qputenv("QOR_SPRAV_SETTINGS", QFile::encodeName(folder.filePath(QStringLiteral("settings.ini"))));
    qputenv("QOR_SPRAV_RECOVERY", QFile::encodeName(folder.filePath(QStringLiteral("recovery"))));
    desktop = std::make_unique<test_support::ScriptedDesktop>();
}

void MainWindowTest::TearDown() {
    window.reset();
    desktop.reset();
    qunsetenv("QOR_SPRAV_SETTINGS");
    qunsetenv("QOR_SPRAV_RECOVERY");
}

void MainWindowTest::SetSetting(const char* key, const char* name, const std::string& value) {
    platform::Registry registry;
    ASSERT_TRUE(registry.OpenKey(key, true));
    registry.WriteString(name, value);
    registry.CloseKey();
}

std::string MainWindowTest::Setting(const char* key, const char* name) const {
    platform::Registry registry;
    if (!registry.OpenKey(key, false)) {
        ADD_FAILURE() << "no settings key " << key;
        return {};
    }
    return registry.ReadString(name);
}

bool MainWindowTest::SettingsHaveKey(const char* key) const {
    platform::Registry registry;
    return registry.OpenKey(key, false);
}

void MainWindowTest::SetDirectories(const std::string& tests, const std::string& desc) {
    SetSetting("Software\\QOR_Main", "Dir_Tests", tests);
    SetSetting("Software\\QOR_Main", "Dir_PDF", desc);
}

TfmMain& MainWindowTest::Start(const QString& commandLineBook) {
    Stop();
    window = std::make_unique<TfmMain>();
    window->FormCreate(commandLineBook);
    window->show();
    return *window;
}

// A window ended within a test ends as the program does, not as in a crash: its journal goes.
void MainWindowTest::Stop() {
    if (window != nullptr) {
        window->Book().DiscardJournal();
        window.reset();
    }
}

TfmMain& MainWindowTest::StartAfterCrash(const QString& commandLineBook) {
    // The window goes without closing, as the process of a crashed editor does: its journal stays.
    window.reset();
    window = std::make_unique<TfmMain>();
    window->FormCreate(commandLineBook);
    window->show();
    return *window;
}

bool MainWindowTest::CloseWindow() {
    return window->close();
}

QString MainWindowTest::PathOf(const QString& name) const {
    return QDir::toNativeSeparators(folder.filePath(name));
}

std::string MainWindowTest::Stored(const QString& name) const {
    return platform::ToStoredPath(PathOf(name)).value();
}

QString MainWindowTest::MakeFile(const QString& name, const std::string& bytes) {
    const QString path = PathOf(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    WriteBytes(path, bytes);
    return path;
}

QString MainWindowTest::BookCaption(const QString& path) const {
    return QString::fromUtf8(QOR_EXPECTED_DESCRIPTION) + QStringLiteral(" - ") + path;
}

void MainWindowTest::AddFiles(const QStringList& paths, std::initializer_list<MessageAnswer> answers) {
    desktop->QueueOpenFiles(paths);
    for (MessageAnswer answer : answers) {
        desktop->QueueMessageBoxAnswer(answer);
    }
    Action("acAddFile")->trigger();
    const DesktopCall call = desktop->Take();
    EXPECT_EQ(call.kind, DesktopCall::Kind::OpenFiles);
}

void MainWindowTest::AddTestFile(const std::string& path) {
    window->Book().AddTestFiles({QString::fromStdString(path)}, [](const std::string&) { return true; });
}

void MainWindowTest::AddName(const QString& name) {
    eName()->setText(name);
    Button("bbAddSinonim")->click();
}

}  // namespace gui_test
