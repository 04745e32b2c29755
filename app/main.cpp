// The program entry: one main window, its creation handler, the event loop. A failure during start-up
// ends the program after its error box; one in a handler later is reported by the application object.
// A task given on the command line runs without the window, on an application object that needs no
// display.
#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QLibraryInfo>
#include <QStringList>
#include <QTimer>
#include <QTranslator>

#include <exception>

#include "app/CommandLine.h"
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

}  // namespace

int main(int argc, char* argv[]) {
    if (command_line::RunsWithoutWindow(EarlyArguments(argc, argv))) {
        QCoreApplication application(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("QorSprav"));
        QCoreApplication::setOrganizationName(QStringLiteral("QOR"));
        return command_line::Run(QCoreApplication::arguments());
    }

    TApplication application(argc, argv);
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
        TfmMain fmMain;
        fmMain.FormCreate(command_line::BookToOpen(QApplication::arguments()));
        fmMain.showMaximized();
        return QApplication::exec();
    } catch (const std::exception& error) {
        TApplication::ShowException(document::ExceptionText(error));
    } catch (...) {
        TApplication::ShowException(document::UnknownExceptionText());
    }
    return 1;
}
