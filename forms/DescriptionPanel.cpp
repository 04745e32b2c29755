#include "forms/DescriptionPanel.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QMouseEvent>
#include <QStyle>

#include "core/PathTokens.h"
#include "core/Sprav.h"
#include "forms/FormMessages.h"
#include "forms/PanelHost.h"
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
    FHost->SetModified();  // first, so that it holds when the dialog is cancelled
    const QString shown = ui->edFileInfo->text();
    if (!shown.isEmpty()) {
        // The edit only ever shows text that came from the book or from this dialog, so it converts.
        const std::string stored = platform::ToCp1251(shown).value_or(std::string());
        odFileInfo.InitialDir =
            platform::ToOsPathText(platform::ExtractFileDir(FromDescToken(stored, FHost->DirPDF())));
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
    const std::string shownPath = ToDescToken(*path, FHost->DirPDF());

    // The chosen file goes to the selected chip only when the typed name is that chip's name: a name typed
    // for a new chip, or another listed name, must not give the selected chip another's datasheet or name.
    TSprav& sprav = FHost->Sprav();
    const int row = FHost->SelectedNameRow();
    TSpravSinonim* selected =
        sprav.CurrentFile != nullptr ? sprav.GetSinonim(sprav.CurrentFile, row) : nullptr;
    if (selected != nullptr &&
        FromCp1251(selected->Name).toCaseFolded() == FHost->TypedName().toCaseFolded()) {
        if (!forms::FitsSinonimLine(selected->Name, shownPath)) {
            return;
        }
        sprav.ChangeSinonim(sprav.CurrentFile, row, selected->Name, *path);
    }
    ShowPath(FromCp1251(shownPath));
}

void TDescriptionPanel::acSeeFileInfoExecute() {
    const QString shown = ui->edFileInfo->text();
    if (shown.isEmpty()) {
        return;  // nothing to open: the shell would open some folder instead
    }
    const std::string stored = platform::ToCp1251(shown).value_or(std::string());
    platform::CurrentShell().Execute(window(), QStringLiteral("Open"),
                                     FromCp1251(FromDescToken(stored, FHost->DirPDF())), QString(), QString(),
                                     platform::ShowDefault);
}
