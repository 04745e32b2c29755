#include "forms/fm_about.h"

#include "ui_fm_about.h"

#include "forms/FormFont.h"
#include "platform/Paths.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "platform/VersionReader.h"

#include <QEvent>
#include <QMouseEvent>
#include <QScreen>

#include <algorithm>

namespace {

constexpr int kDesignWidth = 289;
constexpr int kDesignHeight = 139;
constexpr int kRightMargin = 10;  // the links end at 279 in the design width

const QColor kPurple(128, 0, 128);
const QColor kBlue(0, 0, 255);
const QColor kNavy(0, 0, 128);

void SetTextColor(QLabel* label, const QColor& color) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

}  // namespace

TfmAboutBox::TfmAboutBox(QWidget* parent) : QDialog(parent), FUi(std::make_unique<Ui::TfmAboutBox>()) {
    FUi->setupUi(this);
    OKButton = FUi->OKButton;
    ProductName = FUi->ProductName;
    Version = FUi->Version;
    lbLegal = FUi->lbLegal;
    lbemail = FUi->lbemail;
    lb2 = FUi->lb2;
    lb1 = FUi->lb1;
    lbsupport = FUi->lbsupport;

    // A fixed single border with the close button only.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    SetUpLook();
    connect(OKButton, &QPushButton::clicked, this, &TfmAboutBox::OKButtonClick);
    RouteMouseEvents(this);
    FormCreate();
    OKButton->setFocus();
}

TfmAboutBox::~TfmAboutBox() = default;

void TfmAboutBox::SetUpLook() {
    UseDialogFont(this);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);

    QFont bold = font();
    bold.setBold(true);
    ProductName->setFont(bold);
    SetTextColor(ProductName, kPurple);

    QFont link = bold;
    link.setUnderline(true);
    for (QLabel* label : {lbsupport, lbemail}) {
        label->setFont(link);
        label->setCursor(Qt::PointingHandCursor);
        SetTextColor(label, kBlue);
    }
}

void TfmAboutBox::RouteMouseEvents(QWidget* widget) {
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
    for (QWidget* child : widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        RouteMouseEvents(child);
    }
}

void TfmAboutBox::FormCreate() {
    ProductName->setText(platform::FromCp1251(VersionString("FileDescription")));
    Version->setText(QStringLiteral("Версия: ") + platform::FromCp1251(VersionString("FileVersion")));
    lbLegal->setText(platform::FromCp1251(VersionString("LegalCopyright")));
    lbsupport->setText(platform::FromCp1251(VersionString("Support")));
    lbemail->setText(platform::FromCp1251(VersionString("Email")));
    PlaceLinks();
}

void TfmAboutBox::PlaceLinks() {
    for (QLabel* label : findChildren<QLabel*>()) {
        label->adjustSize();
    }
    // The box keeps its size unless a text would not fit: then it grows wider rather than let a link run
    // over its caption or a text past the edge.
    int width = kDesignWidth;
    for (QLabel* label : {ProductName, Version, lbLegal}) {
        width = std::max(width, label->x() + label->width() + kRightMargin);
    }
    width = std::max(width, lb1->x() + lb1->width() + lbsupport->width() + kRightMargin);
    width = std::max(width, lb2->x() + lb2->width() + 4 + lbemail->width() + kRightMargin);
    setFixedSize(width, kDesignHeight);
    const int right = width - kRightMargin;
    lbsupport->move(right - lbsupport->width(), lb1->y());
    lbemail->move(right - lbemail->width(), lb2->y());
    OKButton->move(right - OKButton->width(), OKButton->y());
}

void TfmAboutBox::OKButtonClick() {
    close();
}

void TfmAboutBox::lbsupportClick(QLabel* sender) {
    QString text;
    if (sender == lbemail) {
        text = QStringLiteral("mailto:");
    }
    text += sender->text();
    platform::CurrentShell().Execute(this, QStringLiteral("open"), text, QString(), QString(),
                                     platform::Show);
}

void TfmAboutBox::ProductNameMouseMove(QObject* sender) {
    SetTextColor(lbemail, sender == lbemail ? kNavy : kBlue);
    SetTextColor(lbsupport, sender == lbsupport ? kNavy : kBlue);
}

bool TfmAboutBox::eventFilter(QObject* watched, QEvent* event) {
    const bool onLink = watched == lbsupport || watched == lbemail;
    if (event->type() == QEvent::MouseMove) {
        // A move a label ignores travels on to its parent; name the control under the mouse each time, so
        // that the parent's turn does not undo the label's.
        const QPoint at = mapFromGlobal(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        QWidget* under = childAt(at);
        ProductNameMouseMove(under != nullptr ? under : this);
    } else if (event->type() == QEvent::MouseButtonPress && onLink) {
        return true;  // the press belongs to the link, so the release (the click) comes to it too
    } else if (event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && onLink) {
        lbsupportClick(static_cast<QLabel*>(watched));
    }
    return QDialog::eventFilter(watched, event);
}

void TfmAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}
