#include "fm_about.h"

#include "ui_fm_about.h"

#include "FormFont.h"
#include "Paths.h"
#include "Shell.h"
#include "Text.h"

#include <QEvent>
#include <QMouseEvent>
#include <QScreen>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <new>

// ---- TVersionInfo ----

TVersionInfo::TVersionInfo(std::string_view path) : SourcePath(path) {
    LoadRecord();
}

void TVersionInfo::LoadRecord() {
    HasRecord = false;
    RecordData.reset();
    RecordSize = platform::GetFileVersionInfoSize(SourcePath.c_str(), &InfoHandle);
    if (RecordSize == 0) {
        return;
    }
    RecordData.reset(new std::uint8_t[RecordSize]);
    HasRecord = platform::GetFileVersionInfo(SourcePath.c_str(), InfoHandle, RecordSize, RecordData.get());
}

std::optional<std::uint32_t> TVersionInfo::FirstTranslation() const {
    if (!HasRecord) {
        return std::nullopt;
    }
    void* value = nullptr;
    unsigned length = 0;
    if (!platform::VerQueryValue(RecordData.get(), "\\VarFileInfo\\Translation", &value, &length) ||
        value == nullptr || length < 4) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 4> bytes{};
    std::memcpy(bytes.data(), value, bytes.size());
    return std::uint32_t{bytes[0]} | (std::uint32_t{bytes[1]} << 8) | (std::uint32_t{bytes[2]} << 16) |
           (std::uint32_t{bytes[3]} << 24);
}

std::string TVersionInfo::LanguageKey() const {
    const auto translation = FirstTranslation();
    if (!translation) {
        return {};
    }
    // The language (low half of the entry) comes first in the key, then the code page.
    const std::uint32_t key = (*translation << 16) | (*translation >> 16);
    char text[9] = {};
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(key));
    return text;
}

std::string TVersionInfo::StringValue(std::string_view name) const {
    if (!HasRecord) {
        return {};
    }
    const std::string query = "\\StringFileInfo\\" + LanguageKey() + "\\" + std::string(name);
    // The system builds this path in a buffer of 256 characters; a longer one cannot name a value.
    if (query.size() > 255) {
        return {};
    }
    void* value = nullptr;
    unsigned length = 0;
    if (!platform::VerQueryValue(RecordData.get(), query.c_str(), &value, &length) || value == nullptr) {
        return {};
    }
    const char* text = static_cast<const char*>(value);
    return std::string(text, strnlen(text, length));
}

std::string VersionString(std::string_view name) {
    try {
        const TVersionInfo info(platform::ExePath());
        return info.HasRecord ? info.StringValue(name) : std::string();
    } catch (...) {
        return {};  // the identity is a courtesy: a failure to read it leaves the text empty, silently
    }
}

std::string VersionDescription() {
    return VersionString("FileDescription");
}

std::string HelpFilePath() {
    return platform::ChangeFileExt(platform::ExePath(), ".chm");
}

std::vector<std::string> HelpCandidates(const std::string& exePath) {
    std::vector<std::string> candidates{platform::ChangeFileExt(exePath, ".chm"),
                                        platform::ChangeFileExt(exePath, ".html")};
#ifndef _WIN32
    // An installed program lies in <prefix>/bin and its guide in <prefix>/share/qor-sprav.
    const std::string prefix = platform::ExtractFileDir(platform::ExtractFileDir(exePath));
    const std::string name = exePath.substr(platform::ExtractFilePath(exePath).size());
    candidates.push_back(prefix + "/share/qor-sprav/" + platform::ChangeFileExt(name, ".html"));
#endif
    return candidates;
}

std::string FindHelpFile(const std::vector<std::string>& candidates) {
    for (const std::string& candidate : candidates) {
        if (platform::FileExists(candidate)) {
            return candidate;
        }
    }
    return {};
}

// ---- TfmAboutBox ----

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
