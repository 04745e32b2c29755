// The program entry: one main window, its creation handler, the event loop.
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QStringList>
#include <QTranslator>

#include <exception>

#include "Dialogs.h"
#include "fm_Main.h"

namespace {

// The application's standard exception display: whatever escapes start-up or a handler is shown, and the
// program then ends.
class TApplication final : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            ShowException(QString::fromLocal8Bit(error.what()));
        } catch (...) {
            ShowException(QStringLiteral("Неизвестная ошибка."));
        }
        exit(1);
        return false;
    }

    static void ShowException(const QString& text) { platform::CurrentDialogs().ErrorReport(text); }
};

}  // namespace

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
    if (qtTranslations.load(QStringLiteral("qtbase_ru"),
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
        TApplication::ShowException(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        TApplication::ShowException(QStringLiteral("Неизвестная ошибка."));
    }
    return 1;
}
