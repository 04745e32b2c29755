// The real open dialog: a file picked as it exists is taken as it is, and only a name typed without an
// extension is completed with the default one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include "platform/Dialogs.h"
#include "tests/gui/GuiTestSupport.h"

namespace gui_test {
namespace {

std::optional<QString> PickInOpenDialog(const QString& folder, const QString& name) {
    WhenModal([name](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(name);
        // A refusal box of the dialog's own would wait for an answer: dismiss it, so that a refused name
        // fails the test instead of hanging it.
        QTimer::singleShot(1000, [dialog] {
            if (QWidget* box = QApplication::activeModalWidget(); box != nullptr && box != dialog) {
                box->close();
            }
        });
        QMetaObject::invokeMethod(dialog, "accept");
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
    platform::FileDialogOptions options;
    options.Filter = QStringLiteral("Справочники|*.spr;*.lib|Все файлы|*.*");
    options.FilterIndex = 2;
    options.DefaultExtension = QStringLiteral("spr");
    options.InitialDir = folder;
    return platform::CurrentDialogs().OpenFile(nullptr, options);
}

TEST(OpenDialog, TakesAnExistingFileAsPickedAndCompletesATypedName) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const char* name : {"book", "other.spr"}) {
        QFile file(folder.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const auto native = [&](const char* name) {
        return QDir::toNativeSeparators(folder.filePath(QLatin1String(name)));
    };

    EXPECT_EQ(PickInOpenDialog(folder.path(), QStringLiteral("book")), native("book"));
    EXPECT_EQ(PickInOpenDialog(folder.path(), QStringLiteral("other")), native("other.spr"));
    EXPECT_EQ(PickInOpenDialog(folder.path(), QStringLiteral("other.spr")), native("other.spr"));
}

}  // namespace
}  // namespace gui_test
