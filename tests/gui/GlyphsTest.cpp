// The glyphs made on first use draw what the style's own icons draw, and an image label gets its glyph
// when it is first shown.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QStyle>

#include "forms/Glyphs.h"

namespace {

TEST(Glyphs, DrawWhatTheStylesIconsDrawAtEverySize) {
    QStyle* style = QApplication::style();
    for (QStyle::StandardPixmap which :
         {QStyle::SP_DialogSaveButton, QStyle::SP_ArrowDown, QStyle::SP_FileDialogNewFolder}) {
        const QIcon glyph = Glyph(which);
        const QIcon standard = style->standardIcon(which);
        EXPECT_FALSE(glyph.isNull());
        EXPECT_EQ(glyph.availableSizes(), standard.availableSizes()) << which;
        for (int size : {13, 16, 24, 32}) {
            EXPECT_EQ(glyph.pixmap(size, size).toImage(), standard.pixmap(size, size).toImage())
                << which << " at " << size;
            EXPECT_EQ(glyph.pixmap(size, size, QIcon::Disabled).toImage(),
                      standard.pixmap(size, size, QIcon::Disabled).toImage())
                << which << " disabled at " << size;
        }
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

}  // namespace
