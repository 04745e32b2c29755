// The program entry: one main window, its creation handler, the event loop. A failure during start-up
// ends the program after its error box; one in a handler later is reported by the application object.
// A task given on the command line runs without the window, on an application object that needs no
// display.
#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QIcon>
#include <QLibraryInfo>
#include <QScopeGuard>
#include <QStringList>
#include <QTimer>
#include <QTranslator>

#include <exception>
#include <future>
#include <thread>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#include <dlfcn.h>
#endif

#include "app/CommandLine.h"
#include "document/BookReadAhead.h"
#include "document/BookTexts.h"
#include "forms/Application.h"
#include "forms/fm_Main.h"

namespace {

// The arguments before there is an application object to give them. Only the options decide here, and
// they are plain ASCII in every code page; the paths are taken later from the application object, which
// has them whole on every system.
QStringList EarlyArguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    return arguments;
}

// The program's icon, in every size a desktop asks for. Decoding the images takes a good part of a start,
// and nothing needs them before the first window is drawn: a window manager takes the icon as readily a
// moment later. So the icon comes right after the first paint.
void SetWindowIconAfterFirstPaint() {
    class TFirstPaint final : public QObject {
    public:
        using QObject::QObject;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Paint && !FDone) {
                FDone = true;
                QTimer::singleShot(0, this, [this] {
                    QIcon icon;
                    for (int size : {16, 32, 48, 64, 128, 256}) {
                        icon.addFile(QStringLiteral(":/icons/qor-sprav-%1.png").arg(size), QSize(size, size));
                    }
                    QApplication::setWindowIcon(icon);
                    qApp->removeEventFilter(this);
                    deleteLater();
                });
            }
            return QObject::eventFilter(watched, event);
        }

    private:
        bool FDone = false;
    };
    qApp->installEventFilter(new TFirstPaint(qApp));
}

// Finding the fonts is a good part of a start: the font configuration is read, then the system's list of
// fonts, then which faces stand in for the letters the application font lacks. None of it needs the window,
// and the configuration does not even need the application object, so a worker does it while the main
// thread connects to the display and builds the window. The font database is thread-safe: a font the
// window asks for meanwhile waits for the worker rather than reading the list a second time. (The face
// the worker opens to measure its text is its own: Qt keeps opened faces per thread, and the window opens
// its own.)
class TFontsFoundMeanwhile {
public:
    TFontsFoundMeanwhile() {
        FConfigurationReadSeen = FConfigurationRead.get_future();
        FWorker = std::thread([this, applicationMade = FApplicationMade.get_future()]() mutable {
            ReadFontConfiguration();
            FConfigurationRead.set_value();
            if (applicationMade.get()) {
                QFontDatabase::families();
                QFontMetrics(QApplication::font()).horizontalAdvance(QStringLiteral("Справочник QOR"));
            }
        });
    }
    ~TFontsFoundMeanwhile() { Finish(); }
    TFontsFoundMeanwhile(const TFontsFoundMeanwhile&) = delete;
    TFontsFoundMeanwhile& operator=(const TFontsFoundMeanwhile&) = delete;

    // Called once the application object is made. Waits for the configuration: the application's first
    // font would otherwise read it too, at the same time.
    void ApplicationMade() {
        FToldApplication = true;
        FApplicationMade.set_value(true);
        FConfigurationReadSeen.wait();
    }
    // Waits for the worker; to be called before the application object goes.
    void Finish() {
        if (!FToldApplication) {
            FToldApplication = true;
            FApplicationMade.set_value(false);
        }
        if (FWorker.joinable()) {
            FWorker.join();
        }
    }

private:
    // Where fonts come from fontconfig (Linux and the other Unix systems), Qt's GUI library brings it in,
    // and its configuration can be read before Qt asks for it. Elsewhere there is nothing to read early.
    static void ReadFontConfiguration() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
        using Init = int (*)();
        if (auto init = reinterpret_cast<Init>(dlsym(RTLD_DEFAULT, "FcInit"))) {
            init();
        }
#endif
    }

    std::promise<void> FConfigurationRead;
    std::future<void> FConfigurationReadSeen;
    std::promise<bool> FApplicationMade;
    bool FToldApplication = false;
    std::thread FWorker;
};

}  // namespace

int main(int argc, char* argv[]) {
    const QStringList early = EarlyArguments(argc, argv);
    if (command_line::RunsWithoutWindow(early)) {
        QCoreApplication application(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("QorSprav"));
        QCoreApplication::setOrganizationName(QStringLiteral("QOR"));
        return command_line::Run(QCoreApplication::arguments());
    }

    // The book this start opens is read while the application connects to the display and the window is
    // built. Should the early arguments give its path otherwise than the application object will (a name
    // outside the system's code page), the window reads it itself.
    TBookReadAhead readAhead = TBookReadAhead::ForStart(command_line::BookToOpen(early));
    TFontsFoundMeanwhile fonts;
    TApplication application(argc, argv);
    fonts.ApplicationMade();
    const auto fontsFound = qScopeGuard([&fonts] { fonts.Finish(); });  // before the application goes
    QApplication::setApplicationName(QStringLiteral("QorSprav"));
    QApplication::setOrganizationName(QStringLiteral("QOR"));
    SetWindowIconAfterFirstPaint();
    // Qt's own dialogs (file and folder choosers) in Russian, like the rest of the program.
    QTranslator qtTranslations;
    // The Windows zip carries them in translations/ beside the executable; an installed Qt keeps its own.
    if (qtTranslations.load(QStringLiteral("qtbase_ru"),
                            QCoreApplication::applicationDirPath() + QStringLiteral("/translations")) ||
        qtTranslations.load(QStringLiteral("qtbase_ru"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTranslations);
    }

    try {
        const QString book = command_line::BookToOpen(QApplication::arguments());
        TfmMain fmMain;
        fmMain.Book().OfferRead(std::move(readAhead));
        fmMain.FormCreate(book);
        fmMain.Book().OfferRead({});  // the read was for the start's own load, taken or not
        fmMain.showMaximized();
        return QApplication::exec();
    } catch (const std::exception& error) {
        TApplication::ShowException(document::ExceptionText(error));
    } catch (...) {
        TApplication::ShowException(document::UnknownExceptionText());
    }
    return 1;
}
