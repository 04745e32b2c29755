#include "CommentPanel.h"

#include <QStyle>

#include "PanelHost.h"
#include "ui_CommentPanel.h"

TCommentPanel::TCommentPanel(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TCommentPanel>()) {
    ui->setupUi(this);
    QStyle* s = style();
    ui->bbSavePrim->setIcon(s->standardIcon(QStyle::SP_DialogSaveButton));
    ui->imDownTestInfo->setPixmap(s->standardIcon(QStyle::SP_ArrowDown).pixmap(13, 13));
    ui->imUpTestInfo->setPixmap(s->standardIcon(QStyle::SP_ArrowUp).pixmap(13, 13));
    ui->imIsEditInfo->setPixmap(s->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(15, 15));
}

TCommentPanel::~TCommentPanel() = default;

void TCommentPanel::Attach(TPanelHost& host) {
    FHost = &host;
}

void TCommentPanel::LoadTestComment() {
    ui->mmTestInfo->clear();
}
