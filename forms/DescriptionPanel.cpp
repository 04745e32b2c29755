#include "DescriptionPanel.h"

#include <QStyle>

#include "PanelHost.h"
#include "ui_DescriptionPanel.h"

TDescriptionPanel::TDescriptionPanel(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::TDescriptionPanel>()) {
    ui->setupUi(this);
    QStyle* s = style();
    ui->acSeeFileInfo->setIcon(s->standardIcon(QStyle::SP_FileDialogInfoView));
    ui->bbSeeFileInfo->setDefaultAction(ui->acSeeFileInfo);
    ui->imDownInfoFile->setPixmap(s->standardIcon(QStyle::SP_ArrowDown).pixmap(13, 13));
    ui->imUpInfoFile->setPixmap(s->standardIcon(QStyle::SP_ArrowUp).pixmap(13, 13));
}

TDescriptionPanel::~TDescriptionPanel() = default;

void TDescriptionPanel::Attach(TPanelHost& host) {
    FHost = &host;
    // The enabled states of the name buttons follow the description path too.
    connect(ui->edFileInfo, &QLineEdit::textChanged, this, [this] { FHost->eNameChange(); });
}

QString TDescriptionPanel::Text() const {
    return ui->edFileInfo->text();
}

void TDescriptionPanel::ShowPath(const QString& shown) {
    ui->edFileInfo->setText(shown);
    ui->edFileInfo->setCursorPosition(0);  // a long path shows its beginning, the token first
}

void TDescriptionPanel::Clear() {
    ui->edFileInfo->clear();
}
