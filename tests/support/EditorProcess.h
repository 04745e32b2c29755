// Runs the built editor as a user's script does: a process with arguments, an exit code and two streams.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace test_support {

struct EditorRun {
    bool Finished = false;  // ended by itself within the time allowed, without a crash
    int ExitCode = -1;
    QByteArray Output;  // the standard output and error as written
    QByteArray Error;
    // The streams as text, decoded as the editor encodes them for the console, with plain LF line ends.
    QString OutputText() const;
    QString ErrorText() const;
};

// `text` as the editor's streams carry it: on Windows in the console's code page, which may hold no «» or
// other marks of a message; the editor writes those plainly, and what else the code page lacks the system
// writes as its nearest characters.
QString AsConsoleWrites(const QString& text);

// Runs the editor with `arguments` and the settings store in `settingsFile` (POSIX; on Windows the store is
// the registry), in `workingFolder` when one is given. No display is offered: a run that tried to show a
// window fails.
EditorRun RunEditor(const QStringList& arguments, const QString& settingsFile,
                    const QString& workingFolder = {});

}  // namespace test_support
