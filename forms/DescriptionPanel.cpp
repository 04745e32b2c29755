#include "forms/DescriptionPanel.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QMouseEvent>
#include <QStyle>

#include "core/PathTokens.h"
#include "core/Sprav.h"
#include "forms/Book.h"
#include "forms/FormMessages.h"
#include "platform/Paths.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "ui_DescriptionPanel.h"

using platform::FromCp1251;

TDescriptionPanel::TDescriptionPanel(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::TDescriptionPanel>()) {
    ui->setupUi(this);
    QStyle* s = style();
    ui->acSeeFileInfo->setIcon(s->standardIcon(QStyle::SP_FileDialogInfoView));
    ui->bbSeeFileInfo->setDefaultAction(ui->acSeeFileInfo);
    ui->imDownInfoFile->setPixmap(s->standardIcon(QStyle::SP_ArrowDown).pixmap(13, 13));
    ui->imUpInfoFile->setPixmap(s->standardIcon(QStyle::SP_ArrowUp).pixmap(13, 13));

    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    font.setStyleHint(QFont::SansSerif);
    ui->edFileInfo->setFont(font);

    odFileInfo.Title = QStringLiteral("Выберите файл описания для микросхемы");
    odFileInfo.Filter = QStringLiteral("Все файлы|*.*|Файлы PDF|*.pdf|Файлы DOC|*.doc|Файлы TXT|*.txt");
    odFileInfo.FilterIndex = 1;
    // A typed name of a file that does not exist is taken; the command looks for the file afterwards.
    odFileInfo.MustExist = false;

    ui->pTitleInfoFile->installEventFilter(this);
    connect(ui->bbLoadFileInfo, &QPushButton::clicked, this, &TDescriptionPanel::bbLoadFileInfoClick);
    connect(ui->acSeeFileInfo, &QAction::triggered, this, &TDescriptionPanel::acSeeFileInfoExecute);
    connect(ui->edFileInfo, &QLineEdit::textChanged, this, &TDescriptionPanel::TextChanged);
}

TDescriptionPanel::~TDescriptionPanel() = default;

void TDescriptionPanel::SetBook(TBook& book) {
    FBook = &book;
}

QString TDescriptionPanel::Text() const {
    return ui->edFileInfo->text();
}

void TDescriptionPanel::ShowPath(const QString& shown) {
    ui->edFileInfo->setText(shown);
    ui->edFileInfo->setCursorPosition(0);  // a long path shows its beginning, the token first
}

void TDescriptionPanel::ShowStoredPath(const std::string& path) {
    ShowPath(FromCp1251(ToDescToken(path, FBook->DirPDF())));
}

void TDescriptionPanel::Clear() {
    ui->edFileInfo->clear();
}

bool TDescriptionPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->pTitleInfoFile && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            ui->pTitleInfoFile->rect().contains(mouse->position().toPoint())) {
            pTitleInfoFileClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TDescriptionPanel::pTitleInfoFileClick() {
    ui->pBodyInfoFile->setVisible(ui->pBodyInfoFile->isHidden());
    ui->imUpInfoFile->setVisible(ui->pBodyInfoFile->isHidden());
    ui->imDownInfoFile->setVisible(ui->imUpInfoFile->isHidden());
}

void TDescriptionPanel::bbLoadFileInfoClick() {
    emit Edited();  // first, so that it holds when the dialog is cancelled
    const QString shown = ui->edFileInfo->text();
    if (!shown.isEmpty()) {
        // The edit only ever shows text that came from the book or from this dialog, so it converts.
        const std::string stored = platform::ToCp1251(shown).value_or(std::string());
        odFileInfo.InitialDir =
            platform::ToOsPathText(platform::ExtractFileDir(FromDescToken(stored, FBook->DirPDF())));
    }
    const std::optional<QString> chosen = platform::CurrentDialogs().OpenFile(window(), odFileInfo);
    if (!chosen) {
        return;
    }
    const QFileInfo chosenInfo(*chosen);
    odFileInfo.InitialDir = QDir::toNativeSeparators(chosenInfo.absolutePath());
    odFileInfo.FileName = chosenInfo.fileName();
    const std::optional<std::string> path = forms::TakeChosenPath(*chosen);
    if (!path || !platform::FileExists(*path)) {
        return;
    }
    emit FileChosen(*path);
}

void TDescriptionPanel::acSeeFileInfoExecute() {
    const QString shown = ui->edFileInfo->text();
    if (shown.isEmpty()) {
        return;  // nothing to open: the shell would open some folder instead
    }
    const std::string stored = platform::ToCp1251(shown).value_or(std::string());
    platform::CurrentShell().Execute(window(), QStringLiteral("Open"),
                                     FromCp1251(FromDescToken(stored, FBook->DirPDF())), QString(), QString(),
                                     platform::ShowDefault);
}
