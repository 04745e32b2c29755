// How long the editor takes from its process's start until the user sees its first window: mapped by the X
// server and drawn into by the program. Timed from outside, as an X client: it watches the root window for
// new top-level windows, asks the DAMAGE extension to report drawing into each, and stops the clock at the
// first drawing into a mapped one. The minimal Qt program (MinimalQtProgram.cpp, built the same way) is
// timed in the same run, turn about with the editor, so that the ratio holds on any machine.
//
//   startup_bench EDITOR MINIMAL [RUNS]
//
// Three starts, each against the minimal program doing the same: with empty settings (the editor's first
// window is then its question about the tests directory), with the directories set and no book, and with
// the maximal book given on the command line (the minimal program reads it into its list). Needs an X
// display (bench/run.sh starts Xvfb when there is none). Budget: 1.3x the minimal program.
//
// A last line, outside the budget, times the minimal program with a menu bar (--menu-bar) against the bare
// one: the least a window that draws any text adds, since the bare program never loads a font. A start
// without a book cannot be nearer the bare program than that.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/Paths.h"
#include "platform/Settings.h"
#include "platform/Text.h"
#include "testkit/MaxBook.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kBudget = 1.3;
constexpr auto kTimeout = std::chrono::seconds(20);

struct Display {
    xcb_connection_t* Connection = nullptr;
    xcb_window_t Root = 0;
    std::uint8_t DamageEvent = 0;

    Display() {
        int screenNumber = 0;
        Connection = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(Connection)) {
            std::fprintf(stderr, "startup_bench: no X display (DISPLAY=%s)\n", std::getenv("DISPLAY"));
            std::exit(2);
        }
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(Connection));
        for (int i = 0; i < screenNumber; ++i) {
            xcb_screen_next(&screens);
        }
        Root = screens.data->root;
        const xcb_query_extension_reply_t* damage = xcb_get_extension_data(Connection, &xcb_damage_id);
        if (damage == nullptr || !damage->present) {
            std::fprintf(stderr, "startup_bench: the X server has no DAMAGE extension\n");
            std::exit(2);
        }
        DamageEvent = damage->first_event + XCB_DAMAGE_NOTIFY;
        free(xcb_damage_query_version_reply(Connection, xcb_damage_query_version(Connection, 1, 1), nullptr));
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(Connection, Root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(Connection);
    }
    ~Display() { xcb_disconnect(Connection); }

    // Waits for the next event, or until `deadline`; nullptr then.
    xcb_generic_event_t* Next(Clock::time_point deadline) {
        const int fd = xcb_get_file_descriptor(Connection);
        for (;;) {
            if (xcb_generic_event_t* event = xcb_poll_for_event(Connection)) {
                return event;
            }
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
            if (left.count() <= 0 || xcb_connection_has_error(Connection)) {
                return nullptr;
            }
            fd_set read;
            FD_ZERO(&read);
            FD_SET(fd, &read);
            timeval wait{static_cast<time_t>(left.count() / 1000000),
                         static_cast<suseconds_t>(left.count() % 1000000)};
            select(fd + 1, &read, nullptr, nullptr, &wait);
        }
    }
};

// One start: the time from spawning `arguments` until the first drawing into a mapped top-level window of
// the new process, in milliseconds; negative when no window was drawn in time.
double TimeStart(Display& display, const std::vector<std::string>& arguments, const std::vector<std::string>& env) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& variable : env) {
        envp.push_back(const_cast<char*>(variable.c_str()));
    }
    envp.push_back(nullptr);

    std::set<xcb_window_t> created;
    std::set<xcb_window_t> mapped;
    std::vector<xcb_damage_damage_t> damages;
    const Clock::time_point start = Clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) {
        std::perror(argv[0]);
        std::exit(2);
    }
    double elapsed = -1;
    const Clock::time_point deadline = start + kTimeout;
    while (elapsed < 0) {
        xcb_generic_event_t* event = display.Next(deadline);
        if (event == nullptr) {
            break;
        }
        const Clock::time_point now = Clock::now();
        const std::uint8_t type = event->response_type & 0x7F;
        if (type == XCB_CREATE_NOTIFY) {
            const auto* create = reinterpret_cast<xcb_create_notify_event_t*>(event);
            // Every new top-level window is watched from its creation, before the program can draw.
            if (create->parent == display.Root && created.insert(create->window).second) {
                const xcb_damage_damage_t damage = xcb_generate_id(display.Connection);
                xcb_damage_create(display.Connection, damage, create->window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
                xcb_flush(display.Connection);
                damages.push_back(damage);
            }
        } else if (type == XCB_MAP_NOTIFY) {
            mapped.insert(reinterpret_cast<xcb_map_notify_event_t*>(event)->window);
        } else if (type == display.DamageEvent) {
            const auto* damage = reinterpret_cast<xcb_damage_notify_event_t*>(event);
            if (mapped.count(damage->drawable) != 0) {
                elapsed = std::chrono::duration<double, std::milli>(now - start).count();
            }
        }
        free(event);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    for (const xcb_damage_damage_t damage : damages) {
        xcb_damage_destroy(display.Connection, damage);
    }
    // The rest of the dead program's events (its windows destroyed) are of no interest to the next start.
    free(xcb_get_input_focus_reply(display.Connection, xcb_get_input_focus(display.Connection), nullptr));
    while (xcb_generic_event_t* event = xcb_poll_for_event(display.Connection)) {
        free(event);
    }
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The environment of this process without the variables a start sets itself, plus `extra`.
std::vector<std::string> Environment(const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string text = *variable;
        if (!text.starts_with("QOR_SPRAV_SETTINGS=") && !text.starts_with("QT_QPA_PLATFORM=")) {
            env.push_back(text);
        }
    }
    env.push_back("QT_QPA_PLATFORM=xcb");
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

struct Case {
    const char* Name;
    std::vector<std::string> EditorArguments;
    std::vector<std::string> MinimalArguments;
    // Writes the settings the editor starts with into the file the variable names.
    void (*Settings)(const QString& file, const std::string& tests, const std::string& desc);
    bool Budgeted = true;
};

void EmptySettings(const QString& file, const std::string&, const std::string&) {
    QFile::remove(file);
}

void DirectoriesSet(const QString& file, const std::string& tests, const std::string& desc) {
    QFile::remove(file);
    platform::Registry registry;
    registry.OpenKey("Software\\QOR_Main", true);
    registry.WriteString("Dir_Tests", tests);
    registry.WriteString("Dir_PDF", desc);
    registry.CloseKey();
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_bench EDITOR MINIMAL [RUNS]\n");
        return 2;
    }
    const std::string editor = argv[1];
    const std::string minimal = argv[2];
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 11;

    QTemporaryDir folder;
    const QString settings = folder.filePath(QStringLiteral("settings.ini"));
    // The benchmark's own settings calls go to the same file the editor is given.
    qputenv("QOR_SPRAV_SETTINGS", QFile::encodeName(settings));
    const QString book = QDir::toNativeSeparators(folder.filePath(QStringLiteral("max.spr")));
    if (max_book::Write(platform::ToOsPath(*platform::ToStoredPath(book)))) {
        std::fprintf(stderr, "startup_bench: cannot write the maximal book\n");
        return 2;
    }
    const std::string bookPath = QFile::encodeName(book).toStdString();
    QDir(folder.path()).mkpath(QStringLiteral("tests"));
    QDir(folder.path()).mkpath(QStringLiteral("desc"));
    const std::string tests = *platform::ToStoredPath(QDir::toNativeSeparators(folder.filePath("tests")));
    const std::string desc = *platform::ToStoredPath(QDir::toNativeSeparators(folder.filePath("desc")));

    const std::vector<Case> cases = {
        {"start, empty settings", {editor}, {minimal}, EmptySettings},
        {"start, directories set, no book", {editor}, {minimal}, DirectoriesSet},
        {"start with the maximal book", {editor, bookPath}, {minimal, bookPath}, DirectoriesSet},
        {"minimal with a menu bar, no book", {minimal, "--menu-bar"}, {minimal}, DirectoriesSet, false},
    };
    std::vector<std::string> extra = {"QOR_SPRAV_SETTINGS=" + QFile::encodeName(settings).toStdString()};
    // Qt wants a runtime folder of the user's; without one every start prints a warning of its own.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = folder.filePath(QStringLiteral("runtime"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        extra.push_back("XDG_RUNTIME_DIR=" + QFile::encodeName(runtime).toStdString());
    }
    const std::vector<std::string> env = Environment(extra);

    Display display;
    std::printf("%-34s %12s %12s %8s  (medians of %d, ms)\n", "operation", "editor", "minimal", "ratio", runs);
    bool withinBudget = true;
    for (const Case& test : cases) {
        std::vector<double> editorTimes;
        std::vector<double> minimalTimes;
        for (int run = 0; run < runs; ++run) {
            test.Settings(settings, tests, desc);
            editorTimes.push_back(TimeStart(display, test.EditorArguments, env));
            minimalTimes.push_back(TimeStart(display, test.MinimalArguments, env));
            if (editorTimes.back() < 0 || minimalTimes.back() < 0) {
                std::fprintf(stderr, "startup_bench: %s: no window was drawn within %lld s\n", test.Name,
                             static_cast<long long>(kTimeout.count()));
                return 1;
            }
        }
        const double ratio = Median(editorTimes) / Median(minimalTimes);
        const char* verdict = !test.Budgeted ? "  for reference, outside the budget"
                              : ratio <= kBudget ? ""
                                                 : "  over the budget of 1.3x";
        withinBudget = withinBudget && (!test.Budgeted || ratio <= kBudget);
        std::printf("%-34s %12.1f %12.1f %7.2fx%s\n", test.Name, Median(editorTimes), Median(minimalTimes), ratio,
                    verdict);
    }
    return withinBudget ? 0 : 1;
}
