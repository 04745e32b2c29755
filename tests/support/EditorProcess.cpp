#include "tests/support/EditorProcess.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <string>

#ifdef _WIN32
#include <windows.h>

#include "platform/ConsoleText.h"
#endif

namespace test_support {

namespace {

constexpr int kTimeoutMs = 60000;

#ifdef _WIN32
// The editor writes a pipe in the code page of the console it attached to, which is this program's.
UINT ConsoleCodePage() {
    const UINT codePage = GetConsoleOutputCP();
    return codePage != 0 ? codePage : GetOEMCP();
}
#endif

QString ConsoleText(const QByteArray& bytes) {
#ifdef _WIN32
    const UINT codePage = ConsoleCodePage();
    const int size =
        MultiByteToWideChar(codePage, 0, bytes.constData(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.constData(), static_cast<int>(bytes.size()), wide.data(), size);
    return QString::fromStdWString(wide).remove(QLatin1Char('\r'));
#else
    return QString::fromUtf8(bytes);
#endif
}

}  // namespace

QString AsConsoleWrites(const QString& text) {
#ifdef _WIN32
    const std::u16string plain =
        platform::WithPlainMarks(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                                     static_cast<std::size_t>(text.size())),
                                 platform::CodePageHolds(ConsoleCodePage()));
    const std::wstring wide(plain.begin(), plain.end());
    const int length = static_cast<int>(wide.size());
    const int size =
        WideCharToMultiByte(ConsoleCodePage(), 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    QByteArray bytes(size, '\0');
    WideCharToMultiByte(ConsoleCodePage(), 0, wide.data(), length, bytes.data(), size, nullptr, nullptr);
    return ConsoleText(bytes);
#else
    return text;
#endif
}

QString EditorRun::OutputText() const {
    return ConsoleText(Output);
}

QString EditorRun::ErrorText() const {
    return ConsoleText(Error);
}

EditorRun RunEditor(const QStringList& arguments, const QString& settingsFile, const QString& workingFolder) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QOR_SPRAV_SETTINGS"), settingsFile);
    // A platform that does not exist: the command-line modes need none, the window cannot start.
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("none-such"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    process.setProcessEnvironment(environment);
    if (!workingFolder.isEmpty()) {
        process.setWorkingDirectory(workingFolder);
    }
    process.start(QString::fromUtf8(QOR_EDITOR_EXECUTABLE), arguments);
    EditorRun run;
    if (!process.waitForFinished(kTimeoutMs)) {
        process.kill();
        process.waitForFinished();
    } else {
        run.Finished = process.exitStatus() == QProcess::NormalExit;
        run.ExitCode = process.exitCode();
    }
    run.Output = process.readAllStandardOutput();
    run.Error = process.readAllStandardError();
    return run;
}

}  // namespace test_support
