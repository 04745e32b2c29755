// Shows the directories dialog and the about box side by side, for looking at them on a real display
// (for instance under Xvfb, then taking a screenshot). Not a test: it runs until closed, or for the number
// of milliseconds given as its argument.
#include "forms/fm_Dir.h"
#include "forms/fm_about.h"

#include "forms/DirectoryEdit.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    TfmDir directories;
    directories.edTestDir->setText(QStringLiteral("C:\\QOR\\Tests\\"));
    directories.edPDFDir->setText(QStringLiteral("D:\\Описания микросхем\\pdf"));
    TfmAboutBox about;
    directories.show();
    about.show();
    // Place them apart after the centring that showing does.
    QTimer::singleShot(100, [&] {
        directories.move(40, 40);
        about.move(40, 260);
    });
    if (argc > 1) {
        QTimer::singleShot(QString::fromLocal8Bit(argv[1]).toInt(), &application, &QApplication::quit);
    }
    return application.exec();
}
