// The glyphs made on first use draw what the style's own icons draw, and an image label gets its glyph
// when it is first shown. An icon theme is asked only where it may have the icons, by glyphs and boxes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QStyle>
#include <QTemporaryDir>

#include <algorithm>
#include <utility>

#include "forms/Glyphs.h"
#include "platform/Dialogs.h"
#include "tests/gui/GuiTestSupport.h"

namespace {

TEST(Glyphs, DrawWhatTheStylesIconsDrawAtEverySize) {
    QStyle* style = QApplication::style();
    // Every glyph the window and its panels use. Those the style draws from its own images are read size
    // by size, so the sizes come in an order where a later one lies between, below and above earlier ones.
    const QStyle::StandardPixmap used[] = {
        QStyle::SP_FileIcon,           QStyle::SP_DialogOpenButton,    QStyle::SP_DialogSaveButton,
        QStyle::SP_FileDialogNewFolder, QStyle::SP_TrashIcon,          QStyle::SP_DialogDiscardButton,
        QStyle::SP_FileDialogContentsView, QStyle::SP_MessageBoxInformation, QStyle::SP_DialogHelpButton,
        QStyle::SP_FileDialogInfoView, QStyle::SP_DialogResetButton,   QStyle::SP_DialogYesButton,
        QStyle::SP_DialogNoButton,     QStyle::SP_MessageBoxWarning,   QStyle::SP_ArrowUp,
        QStyle::SP_ArrowDown,          QStyle::SP_ArrowLeft,           QStyle::SP_ArrowRight,
        QStyle::SP_ArrowBack,          QStyle::SP_ArrowForward};
    const int sizes[] = {24, 128, 13, 200, 16, 15, 32, 48};
    for (QStyle::StandardPixmap which : used) {
        const QIcon standard = style->standardIcon(which);
        const QIcon glyph = Glyph(which);
        EXPECT_FALSE(glyph.isNull());
        // First, while it has read no file: a drawing that is not square takes the file by area, not by its
        // longer side.
        for (QSize size : {QSize(20, 10), QSize(40, 20), QSize(30, 6), QSize(6, 40)}) {
            EXPECT_EQ(glyph.pixmap(size).toImage(), standard.pixmap(size).toImage())
                << which << " at " << size.width() << "x" << size.height();
        }
        for (int size : sizes) {
            EXPECT_EQ(glyph.pixmap(size, size).toImage(), standard.pixmap(size, size).toImage())
                << which << " at " << size;
            EXPECT_EQ(glyph.pixmap(size, size, QIcon::Disabled).toImage(),
                      standard.pixmap(size, size, QIcon::Disabled).toImage())
                << which << " disabled at " << size;
            EXPECT_EQ(glyph.pixmap(QSize(size, size), 2.0).toImage(),
                      standard.pixmap(QSize(size, size), 2.0).toImage())
                << which << " at " << size << " on a screen of pixel ratio 2";
            EXPECT_EQ(glyph.actualSize(QSize(size, size)), standard.actualSize(QSize(size, size)));
        }
        // The same sizes, though not in the same order: a glyph reads its images as sizes are drawn.
        const auto sorted = [](QList<QSize> sizes) {
            std::ranges::sort(sizes, {}, [](QSize size) { return std::pair(size.width(), size.height()); });
            return sizes;
        };
        EXPECT_EQ(sorted(glyph.availableSizes()), sorted(standard.availableSizes())) << which;
    }
    // A theme's icon where the theme has one, else the style's.
    const QIcon undo = Glyph(QStringLiteral("no-such-icon-in-any-theme"), QStyle::SP_ArrowBack);
    EXPECT_EQ(undo.pixmap(16, 16).toImage(), style->standardIcon(QStyle::SP_ArrowBack).pixmap(16, 16).toImage());
}

TEST(Glyphs, AnImageLabelGetsItsGlyphWhenFirstShown) {
    QWidget window;
    auto* label = new QLabel(&window);
    label->setFixedSize(17, 13);
    SetGlyphPixmap(label, QStyle::SP_ArrowUp, 13);
    EXPECT_TRUE(label->pixmap().isNull()) << "nothing is made before it is needed";
    window.show();
    ASSERT_FALSE(label->pixmap().isNull());
    EXPECT_EQ(label->pixmap().toImage(),
              QApplication::style()->standardIcon(QStyle::SP_ArrowUp).pixmap(13, 13).toImage());
    label->hide();
    label->setPixmap(QPixmap());
    label->show();
    EXPECT_TRUE(label->pixmap().isNull()) << "the glyph is given once, not at every show";
}

// A theme of the test's own, in a folder of its own: red "dialog-warning" and "qor-test-*" icons, under the
// name `name`.
void MakeTheme(const QDir& root, const QString& name) {
    ASSERT_TRUE(root.mkpath(name + QStringLiteral("/32x32/status")));
    QFile index(root.filePath(name + QStringLiteral("/index.theme")));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=" + name.toUtf8() +
                "\nDirectories=32x32/status\n\n[32x32/status]\nSize=32\nType=Fixed\n");
    index.close();
    QImage red(32, 32, QImage::Format_ARGB32);
    red.fill(Qt::red);
    for (const char* icon : {"dialog-warning", "qor-test-a", "qor-test-b", "qor-test-c"}) {
        ASSERT_TRUE(red.save(root.filePath(name + QStringLiteral("/32x32/status/") + QLatin1String(icon) +
                                           QStringLiteral(".png"))));
    }
}

bool Red(const QPixmap& pixmap) {
    const QImage image = pixmap.toImage();
    return !image.isNull() && image.pixelColor(image.width() / 2, image.height() / 2) == QColor(Qt::red);
}

// Whether the middle of the icon a box shows is red. The application follows the desktop's settings again
// while the box waits and after it.
bool BoxIconIsRed() {
    bool red = false;
    gui_test::WhenModal([&red](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(QGuiApplication::desktopSettingsAware());
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        red = Red(box->iconPixmap());
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(platform::CurrentDialogs().MessageBox(QStringLiteral("Текст"), QStringLiteral("Проверка"),
                                                    platform::MessageIcon::Warning, platform::MessageButtons::Ok),
              platform::MessageAnswer::Ok);
    EXPECT_TRUE(QGuiApplication::desktopSettingsAware());
    return red;
}

// A desktop's theme gives its icons to the glyphs and the boxes, whatever the fallback theme is called (a
// desktop may name its own theme there too); "hicolor", the fallback every system has, is not looked into,
// even should it hold such an icon.
TEST(Glyphs, AnIconThemeIsAskedOnlyWhereItMayHaveTheIcons) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QDir root(folder.path());
    MakeTheme(root, QStringLiteral("hicolor"));
    MakeTheme(root, QStringLiteral("qor-test"));
    const QStringList paths = QIcon::themeSearchPaths();
    const QString theme = QIcon::themeName();
    const QString fallback = QIcon::fallbackThemeName();
    platform::Dialogs* installed = &platform::CurrentDialogs();
    platform::InstallDialogs(nullptr);
    QIcon::setThemeSearchPaths({folder.path()});

    QIcon::setThemeName(QStringLiteral("hicolor"));
    EXPECT_FALSE(Red(Glyph(QStringLiteral("qor-test-a"), QStyle::SP_ArrowBack).pixmap(32, 32)));
    EXPECT_FALSE(BoxIconIsRed());

    QIcon::setThemeName(QStringLiteral("qor-test"));
    EXPECT_TRUE(Red(Glyph(QStringLiteral("qor-test-b"), QStyle::SP_ArrowBack).pixmap(32, 32)));
    EXPECT_TRUE(BoxIconIsRed());

    QIcon::setFallbackThemeName(QStringLiteral("qor-test"));
    EXPECT_TRUE(Red(Glyph(QStringLiteral("qor-test-c"), QStyle::SP_ArrowBack).pixmap(32, 32)));

    QIcon::setFallbackThemeName(fallback);
    QIcon::setThemeName(theme);
    QIcon::setThemeSearchPaths(paths);
    platform::InstallDialogs(installed);
}

}  // namespace
