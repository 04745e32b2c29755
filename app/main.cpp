// The program entry: one main window, its creation handler, the event loop. A failure during start-up
// ends the program after its error box; one in a handler later is reported by the application object.
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QStringList>
#include <QTranslator>

#include <exception>

#include "forms/Application.h"
#include "forms/fm_Main.h"

int main(int argc, char* argv[]) {
    TApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QorSprav"));
    QApplication::setOrganizationName(QStringLiteral("QOR"));
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/qor-sprav-%1.png").arg(size), QSize(size, size));
    }
    QApplication::setWindowIcon(icon);
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
        const QStringList arguments = QApplication::arguments();
        fmMain.FormCreate(arguments.size() > 1 ? arguments.at(1) : QString());
        fmMain.showMaximized();
        return QApplication::exec();
    } catch (const std::exception& error) {
        TApplication::ShowException(TApplication::ExceptionText(error));
    } catch (...) {
        TApplication::ShowException(TApplication::UnknownExceptionText());
    }
    return 1;
}
