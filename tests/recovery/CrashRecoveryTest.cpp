// An editor process killed at a random moment of a session (SIGKILL on POSIX, TerminateProcess on Windows),
// and the next start: it restores the book as it was after the last command that returned, or after the one
// the kill cut short, merged with another program's save made in between; it always reads the journal; it
// never writes the book file.
//
// QOR_RECOVERY_KILLS sets how many kills (3 by default; tools/soak-recovery.sh asks for hundreds),
// QOR_RECOVERY_MAX_MS the longest wait before a kill after the first 100 ms (400 by default), and
// QOR_RECOVERY_SEED the first session's seed.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

std::string ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<missing>");
}

void WriteAll(const QString& path, const std::string& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

class CrashRecoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        tests = QDir::toNativeSeparators(folder.filePath(QStringLiteral("T")));
        QDir().mkpath(tests);
        book = QDir::toNativeSeparators(folder.filePath(QStringLiteral("book.spr")));
        WriteAll(book, " 0 <Tests>:\\a.qor\r\nK1|\r\nK2|\r\n 1 <Tests>:\\b.qor\r\nB1|\r\n");
        WriteAll(book + QStringLiteral(".prf"), "SN\r\nKR\r\nMC\r\n");
    }

    // A process of the session driver with its own settings and journal folder.
    void Prepare(QProcess& process, const QString& journals) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QString settings = folder.filePath(QStringLiteral("settings.ini"));
        WriteAll(settings, "[Software\\QOR_Main]\nDir_Tests=" + tests.toStdString() + "\n");
        environment.insert(QStringLiteral("QOR_SPRAV_SETTINGS"), settings);
        environment.insert(QStringLiteral("QOR_SPRAV_RECOVERY"), journals);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
    }

    int Run(const QStringList& arguments, const QString& journals, QString* errors = nullptr) const {
        QProcess process;
        Prepare(process, journals);
        process.start(QStringLiteral(QOR_EDITOR_SESSION), arguments);
        if (!process.waitForFinished(120'000)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        if (errors != nullptr) {
            *errors = QString::fromUtf8(process.readAllStandardError());
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    // The book after `steps` commands of the session, as a save would write it.
    std::string Expected(unsigned seed, int steps) const {
        const QString out = folder.filePath(QStringLiteral("expected.spr"));
        QFile::remove(out);
        const QString journals = folder.filePath(QStringLiteral("expect-journals"));
        EXPECT_EQ(Run({QStringLiteral("expect"), book, QString::number(seed), QString::number(steps), out}, journals),
                  0);
        return ReadAll(out);
    }

    QTemporaryDir folder;
    QString tests;
    QString book;
};

TEST_F(CrashRecoveryTest, AKilledEditorsWorkComesBackAsItWasAfterItsLastCommand) {
    const int kills = qEnvironmentVariableIntValue("QOR_RECOVERY_KILLS") > 0
                          ? qEnvironmentVariableIntValue("QOR_RECOVERY_KILLS")
                          : 3;
    const unsigned firstSeed = qEnvironmentVariableIsSet("QOR_RECOVERY_SEED")
                                   ? qEnvironmentVariable("QOR_RECOVERY_SEED").toUInt()
                                   : QRandomGenerator::global()->generate();
    // A longer wait lets the session run longer, and each check replays it from the start.
    const int maxWait = qEnvironmentVariableIntValue("QOR_RECOVERY_MAX_MS") > 0
                            ? qEnvironmentVariableIntValue("QOR_RECOVERY_MAX_MS")
                            : 400;
    const std::string original = ReadAll(book);
    int cutShort = 0;
    int commands = 0;
    for (int kill = 0; kill < kills; ++kill) {
        const unsigned seed = firstSeed + static_cast<unsigned>(kill);
        SCOPED_TRACE("seed " + std::to_string(seed));
        const QString journals = folder.filePath(QStringLiteral("journals"));
        QDir(journals).removeRecursively();

        QProcess session;
        Prepare(session, journals);
        session.start(QStringLiteral(QOR_EDITOR_SESSION), {QStringLiteral("session"), book, QString::number(seed)});
        ASSERT_TRUE(session.waitForStarted());
        QThread::msleep(100 + QRandomGenerator::global()->bounded(maxWait));
        session.kill();
        session.waitForFinished();
        int done = 0;
        for (const QByteArray& line : session.readAllStandardOutput().split('\n')) {
            if (line.startsWith("done ")) {
                done = line.mid(5).toInt();
            }
        }
        commands += done;

        // Every other time another program saves the book before the next start: a test file of its own
        // at the end, which the restore keeps beside the session's work.
        const bool changedMeanwhile = kill % 2 == 1;
        const std::string otherFile = "<Tests>:\\z.qor\r\nZ1|\r\n";
        const std::string onDisk = changedMeanwhile ? original + " 2 " + otherFile : original;
        WriteAll(book, onDisk);

        const QString restoredPath = folder.filePath(QStringLiteral("restored.spr"));
        QFile::remove(restoredPath);
        QString told;
        const int restore = Run({QStringLiteral("restore"), restoredPath}, journals, &told);
        EXPECT_FALSE(told.contains(QStringLiteral("не является журналом"))) << told.toStdString();
        EXPECT_EQ(ReadAll(book), onDisk) << "the book file is never written";
        WriteAll(book, original);
        if (restore == 3) {
            // Nothing was journaled: the kill came before the first command had written its step.
            EXPECT_EQ(done, 0);
            continue;
        }
        ASSERT_EQ(restore, 0) << told.toStdString();
        const std::string restored = ReadAll(restoredPath);
        // The session's book, with the other program's test file last when it saved one meanwhile.
        const auto expected = [&](int steps) {
            std::string bytes = Expected(seed, steps);
            if (changedMeanwhile) {
                const auto files = std::count(bytes.begin(), bytes.end(), '\n') -
                                   std::count(bytes.begin(), bytes.end(), '|');
                bytes += " " + std::to_string(files) + " " + otherFile;
            }
            return bytes;
        };
        if (restored == expected(done)) {
            continue;
        }
        ++cutShort;
        EXPECT_EQ(restored, expected(done + 1)) << "after " << done << " commands";
    }
    std::printf("%d kills after %d commands in all; %d of them cut a command short\n", kills, commands, cutShort);
}

}  // namespace
