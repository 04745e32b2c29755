#include "forms/Glyphs.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>

#include <algorithm>
#include <iterator>

#include "platform/Dialogs.h"

namespace {

// The style's own image files of `which`, without the size and ".png", where the styles the program runs
// with (Fusion and the Windows ones) make the glyph from them and nothing else; empty where a style may
// draw it another way (Windows gives its own file icon, for one).
QString StyleImages(QStyle::StandardPixmap which) {
    const bool rtl = QGuiApplication::isRightToLeft();
    const char* name = nullptr;
    switch (which) {
    case QStyle::SP_DialogOpenButton: name = "standardbutton-open"; break;
    case QStyle::SP_DialogSaveButton: name = "standardbutton-save"; break;
    case QStyle::SP_DialogResetButton: name = "standardbutton-clear"; break;
    case QStyle::SP_DialogDiscardButton: name = "standardbutton-delete"; break;
    case QStyle::SP_DialogYesButton: name = "standardbutton-yes"; break;
    case QStyle::SP_DialogNoButton: name = "standardbutton-no"; break;
    case QStyle::SP_DialogHelpButton: name = "standardbutton-help"; break;
    case QStyle::SP_FileDialogNewFolder: name = "newdirectory"; break;
    case QStyle::SP_FileDialogInfoView: name = "fileinfo"; break;
    case QStyle::SP_FileDialogContentsView: name = "filecontents"; break;
    case QStyle::SP_TrashIcon: name = "trash"; break;
    case QStyle::SP_ArrowUp: name = "up"; break;
    case QStyle::SP_ArrowDown: name = "down"; break;
    case QStyle::SP_ArrowLeft: name = "left"; break;
    case QStyle::SP_ArrowRight: name = "right"; break;
    case QStyle::SP_ArrowBack: name = rtl ? "right" : "left"; break;
    case QStyle::SP_ArrowForward: name = rtl ? "left" : "right"; break;
#ifndef Q_OS_WIN
    case QStyle::SP_FileIcon: name = "file"; break;
#endif
    default: return QString();
    }
    return QStringLiteral(":/qt-project.org/styles/commonstyle/images/") + QLatin1String(name) + QLatin1Char('-');
}

// The sizes of those files, square. An icon draws a size from the file of the smallest area not smaller than
// the size's, else from the largest.
constexpr int kImageSizes[] = {16, 32, 128};

// Qt's own styles that take these glyphs from those files alone; not one derived from them, which may draw
// its own.
bool DrawsFromItsImages(const QStyle* style) {
    const QLatin1String name(style->metaObject()->className());
    return name == QLatin1String("QFusionStyle") || name == QLatin1String("QWindowsStyle") ||
           name == QLatin1String("QWindowsVistaStyle");
}

// A glyph as made so far. One drawn from the style's images reads each file when a size first needs it
// (the style reads all three, the largest among them, the moment it is asked); any other is made whole.
struct TMadeGlyph {
    QIcon Icon;
    QString Images;
    int Read = 0;  // a bit for each of kImageSizes

    // The icon with the file that a drawing of `size` pixels takes.
    const QIcon& At(const QSize& size) {
        if (Images.isEmpty()) {
            return Icon;
        }
        const qint64 area = qint64(size.width()) * size.height();
        int index = 0;
        while (index + 1 < static_cast<int>(std::size(kImageSizes)) &&
               qint64(kImageSizes[index]) * kImageSizes[index] < area) {
            ++index;
        }
        if ((Read & (1 << index)) == 0) {
            Read |= 1 << index;
            const int size = kImageSizes[index];
            Icon.addFile(Images + QString::number(size) + QStringLiteral(".png"), QSize(size, size));
        }
        return Icon;
    }
    // The icon with every file read.
    const QIcon& Whole() {
        for (int size : kImageSizes) {
            At(QSize(size, size));
        }
        return Icon;
    }
};

// The glyphs made so far, by theme name and standard pixmap, for the style they were made with; a change of
// style starts afresh.
TMadeGlyph& MadeGlyph(const QString& themeName, QStyle::StandardPixmap which) {
    static QPointer<QStyle> madeWith;
    static QHash<QString, TMadeGlyph> made;
    QStyle* style = QApplication::style();
    if (madeWith != style) {
        made.clear();
        madeWith = style;
    }
    const QString key = themeName + QLatin1Char('/') + QString::number(which);
    auto found = made.find(key);
    if (found == made.end()) {
        TMadeGlyph glyph;
        const bool theme = platform::IconThemeMayAnswer();
        if (!theme && DrawsFromItsImages(style)) {
            glyph.Images = StyleImages(which);
        }
        if (glyph.Images.isEmpty()) {
            const QIcon standard = style->standardIcon(which);
            glyph.Icon = themeName.isEmpty() || !theme ? standard : QIcon::fromTheme(themeName, standard);
        }
        found = made.insert(key, glyph);
    }
    return *found;
}

// Stands for the icon until something needs its pixels or sizes.
class TGlyphEngine final : public QIconEngine {
public:
    TGlyphEngine(QString themeName, QStyle::StandardPixmap which) : FThemeName(std::move(themeName)), FWhich(which) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal scale = painter->device() != nullptr ? painter->device()->devicePixelRatio() : 1.0;
        Made().At(rect.size() * scale).paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    // A pixmap of `size` device pixels; QIcon asks here for a plain screen.
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Made().At(size).pixmap(size, 1.0, mode, state);
    }
    // A pixmap of `size` device pixels for a screen of pixel ratio `scale`.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        return Made().At(size).pixmap(size / scale, scale, mode, state);
    }
    // The size of the pixmap drawn for `size` device pixels. (Asking the icon for its actual size would
    // apply the application's pixel ratio a second time.)
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Made().At(size).pixmap(size, 1.0, mode, state).size();
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return Made().Whole().availableSizes(mode, state);
    }
    QString iconName() override { return Made().Icon.name(); }  // a theme's name; the style's images have none
    // A standard icon always has pixels (the style draws one where a theme has none); answering without
    // making it keeps QAction and the buttons, which ask at once, from making every glyph at construction.
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("QorGlyph"); }
    QIconEngine* clone() const override { return new TGlyphEngine(FThemeName, FWhich); }

private:
    TMadeGlyph& Made() const { return MadeGlyph(FThemeName, FWhich); }
    QString FThemeName;
    QStyle::StandardPixmap FWhich;
};

// Runs its action at the widget's first Show, then goes.
class TFirstShow final : public QObject {
public:
    TFirstShow(QWidget* widget, std::function<void()> action)
        : QObject(widget), FWidget(widget), FAction(std::move(action)) {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == FWidget && event->type() == QEvent::Show) {
            FWidget->removeEventFilter(this);
            FAction();
            deleteLater();
        }
        return false;
    }

private:
    QWidget* FWidget;
    std::function<void()> FAction;
};

}  // namespace

QIcon Glyph(QStyle::StandardPixmap which) {
    return QIcon(new TGlyphEngine(QString(), which));
}

QIcon Glyph(const QString& themeName, QStyle::StandardPixmap fallback) {
    return QIcon(new TGlyphEngine(themeName, fallback));
}

void OnFirstShow(QWidget* widget, std::function<void()> action) {
    new TFirstShow(widget, std::move(action));
}

void SetGlyphPixmap(QLabel* label, QStyle::StandardPixmap which, int size) {
    OnFirstShow(label, [label, which, size] { label->setPixmap(Glyph(which).pixmap(size, size)); });
}
