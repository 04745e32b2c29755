#include "forms/DescriptionPanel.h"
#include "forms/Glyphs.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QStyle>

#include "core/PathTokens.h"
#include "core/Sprav.h"
#include "document/Book.h"
#include "forms/CollapsibleTitle.h"
#include "forms/FormMessages.h"
#include "platform/Paths.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "ui_DescriptionPanel.h"

using platform::FromCp1251;

TDescriptionPanel::TDescriptionPanel(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::TDescriptionPanel>()) {
    ui->setupUi(this);
    ui->acSeeFileInfo->setIcon(Glyph(QStyle::SP_FileDialogInfoView));
    ui->bbSeeFileInfo->setDefaultAction(ui->acSeeFileInfo);
    SetGlyphPixmap(ui->imDownInfoFile, QStyle::SP_ArrowDown, 13);
    SetGlyphPixmap(ui->imUpInfoFile, QStyle::SP_ArrowUp, 13);

    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    font.setStyleHint(QFont::SansSerif);
    ui->edFileInfo->setFont(font);

    odFileInfo.Title = QStringLiteral("Выберите файл описания для микросхемы");
    odFileInfo.Filter = QStringLiteral("Все файлы|*.*|Файлы PDF|*.pdf|Файлы DOC|*.doc|Файлы TXT|*.txt");
    odFileInfo.FilterIndex = 1;
    // A typed name of a file that does not exist is taken; the command looks for the file afterwards.
    odFileInfo.MustExist = false;

    FTitle = new TCollapsibleTitle(ui->pTitleInfoFile, ui->pBodyInfoFile, ui->imUpInfoFile,
                                   ui->imDownInfoFile, [this] { pTitleInfoFileClick(); });
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

void TDescriptionPanel::pTitleInfoFileClick() {
    FTitle->Toggle();
}

void TDescriptionPanel::bbLoadFileInfoClick() {
    FBook->SetModified();  // first, so that it holds when the dialog is cancelled
    const QString shown = ui->edFileInfo->text();
    if (!shown.isEmpty()) {
        // The edit only ever shows text that came from the book or from this dialog, so it converts.
        const std::string stored = platform::ToCp1251(shown).value_or(std::string());
        odFileInfo.InitialDir =
            platform::ToOsPathText(platform::ExtractFileDir(FromDescToken(stored, FBook->DirPDF())));
    } else if (!FBook->DirPDF().empty()) {
        // A chip without a datasheet yet: datasheets live in the descriptions directory.
        odFileInfo.InitialDir = platform::ToOsPathText(FBook->DirPDF());
        odFileInfo.FileName.clear();
    }
    const std::optional<std::string> path = forms::ChoosePathToOpen(window(), odFileInfo);
    if (!path) {
        return;
    }
    // The dialog opens next where this file was chosen, proposing its name.
    odFileInfo.InitialDir = platform::ToOsPathText(platform::ExtractFileDir(*path));
    odFileInfo.FileName = platform::ToDisplayPath(path->substr(platform::ExtractFilePath(*path).size()));
    if (!platform::FileExists(*path)) {
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
