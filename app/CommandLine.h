// The editor's command line: a book to open in the window, or the book check and the export to a table
// done without a window, for scripts and for the machine that prepares books for the testers.
#pragma once

#include <QString>
#include <QStringList>

namespace command_line {

// How a run without a window ends.
enum ExitCode {
    kClean = 0,     // the book holds nothing to report, or the table was written
    kFindings = 1,  // the check found something
    kFailed = 2,    // the book could not be read, the table not written, or the command line is wrong
};

// True when the arguments ask for something done without a window: a task, help, the version, or a
// command line that has to be refused. Needs no application object, so that the caller can choose one.
bool RunsWithoutWindow(const QStringList& arguments);

// The book the window opens at start-up: the first argument that is no option; empty when there is none.
QString BookToOpen(const QStringList& arguments);

// Does what the arguments ask for on the running QCoreApplication, printing results on the standard
// output and failures on the standard error, and gives the exit code.
int Run(const QStringList& arguments);

}  // namespace command_line
