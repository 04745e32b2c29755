// The least a Qt Widgets program does to show what the editor shows at start: a maximized main window with a
// list view, and, given a file, its lines in the list. The start-up benchmark times the editor against it,
// both built the same way, so that the ratio says what the editor adds to Qt's own start.
//
//   minimal_qt_program [--menu-bar] [FILE]
//
// With --menu-bar the window also has the editor's four menu titles in the editor's font: the least a
// window with text adds to the bare program, which draws no text and so never loads a font.
#include <QApplication>
#include <QFile>
#include <QListView>
#include <QMainWindow>
#include <QMenuBar>
#include <QStringList>
#include <QStringListModel>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QMainWindow window;
    QStringList arguments = QApplication::arguments();
    if (arguments.removeAll(QStringLiteral("--menu-bar")) > 0) {
        window.setFont(QFont(QStringLiteral("Arial")));
        for (const char* title : {"&Файл", "&Редактор", "&Сервис", "&Помощь"}) {
            window.menuBar()->addMenu(QString::fromUtf8(title));
        }
    }
    auto* list = new QListView(&window);
    list->setUniformItemSizes(true);
    auto* model = new QStringListModel(&window);
    if (arguments.size() > 1) {
        QFile file(arguments[1]);
        if (!file.open(QIODevice::ReadOnly)) {
            return 2;
        }
        QStringList lines;
        for (const QByteArray& line : file.readAll().split('\n')) {
            lines.append(QString::fromLatin1(line));
        }
        model->setStringList(lines);
    }
    list->setModel(model);
    window.setCentralWidget(list);
    window.showMaximized();
    return QApplication::exec();
}
