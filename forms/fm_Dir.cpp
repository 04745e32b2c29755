#include "forms/fm_Dir.h"

#include "forms/FormMessages.h"

#include "ui_fm_Dir.h"

#include "forms/DirectoryEdit.h"
#include "forms/FormFont.h"
#include "platform/Dialogs.h"
#include "platform/Text.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace {

constexpr int kDesignWidth = 420;

// A monospace face of the given pixel size; where "Courier New" is missing, the system's fixed font.
QFont CourierNew(int pixels) {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(pixels);
    return font;
}

}  // namespace

TfmDir::TfmDir(QWidget* parent) : QDialog(parent), FUi(std::make_unique<Ui::TfmDir>()) {
    FUi->setupUi(this);
    GroupBox1 = FUi->GroupBox1;
    edTestDir1 = FUi->edTestDir1;
    edPDFDir2 = FUi->edPDFDir2;
    bbLoadTestDir = FUi->bbLoadTestDir;
    bbLoadPDFDir = FUi->bbLoadPDFDir;
    bbCancel = FUi->bbCancel;
    bbOk = FUi->bbOk;
    Label1 = FUi->Label1;
    Label2 = FUi->Label2;
    Label3 = FUi->Label3;
    Label4 = FUi->Label4;
    edTestDir = FUi->edTestDir;
    edPDFDir = FUi->edPDFDir;

    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    SetUpFonts();
    edTestDir->SetDialogTitle(QStringLiteral("Путь к файлам тестов"));
    edPDFDir->SetDialogTitle(QStringLiteral("Путь к файлам описания микросхем"));
    edTestDir->SetFolderCheck(forms::CheckStorablePath);
    edPDFDir->SetFolderCheck(forms::CheckStorablePath);
    connect(bbOk, &QPushButton::clicked, this, &TfmDir::accept);
    connect(bbCancel, &QPushButton::clicked, this, &TfmDir::reject);
    FollowWidth(width());
}

TfmDir::~TfmDir() = default;

void TfmDir::SetUpFonts() {
    UseDialogFont(this);
    Label2->setFont(CourierNew(13));
    Label3->setFont(CourierNew(13));
    // Labels take the size of their text in whatever face the system gave them, so none is cut short.
    for (QLabel* label : {Label1, Label2, Label3, Label4}) {
        label->adjustSize();
    }
}

void TfmDir::FollowWidth(int width) {
    // The group box and the two edits stretch to the right; the buttons keep their distance from the
    // bottom right corner (the height never changes).
    const int grow = width - kDesignWidth;
    GroupBox1->resize(kDesignWidth + grow, GroupBox1->height());
    for (QWidget* edit : {static_cast<QWidget*>(edTestDir), static_cast<QWidget*>(edPDFDir),
                          static_cast<QWidget*>(edTestDir1), static_cast<QWidget*>(edPDFDir2)}) {
        edit->resize(340 + grow, edit->height());
    }
    bbLoadTestDir->move(395 + grow, bbLoadTestDir->y());
    bbLoadPDFDir->move(395 + grow, bbLoadPDFDir->y());
    bbOk->move(221 + grow, bbOk->y());
    bbCancel->move(325 + grow, bbCancel->y());
}

void TfmDir::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FollowWidth(width());
}

void TfmDir::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

// A directory the book could not stand behind is refused here, with the field in focus to be corrected:
// text Windows-1251 cannot hold, control characters, and a text that begins with "<". The tokens begin so,
// and such a directory would take part of a token for itself: with "<De" every save would turn the
// "<Desc>:" of a path into "<Desc>:sc>:", then "sc>:sc>:".
void TfmDir::accept() {
    for (DirectoryEdit* edit : {edTestDir, edPDFDir}) {
        const QString text = edit->text();
        bool storable = forms::CheckStorablePath(text);
        if (storable && text.startsWith(QLatin1Char('<'))) {
            forms::Inform(
                QStringLiteral("Путь к директории не может начинаться с символа «<»: с него в "
                               "справочнике начинаются метки <Tests>: и <Desc>:."));
            storable = false;
        }
        if (!storable) {
            edit->setFocus();
            return;
        }
    }
    QDialog::accept();
}

bool RunDirDialog(QWidget* parent, std::string& dirTests, std::string& dirPDF) {
    TfmDir dialog(parent);
    dialog.edTestDir->setText(platform::FromCp1251(dirTests));
    dialog.edPDFDir->setText(platform::FromCp1251(dirPDF));
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    // accept() has let only texts through that Windows-1251 holds.
    dirTests = platform::ToCp1251(dialog.edTestDir->text()).value_or(dirTests);
    dirPDF = platform::ToCp1251(dialog.edPDFDir->text()).value_or(dirPDF);
    return true;
}
