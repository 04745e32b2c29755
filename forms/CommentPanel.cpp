#include "CommentPanel.h"

#include <QFont>
#include <QMouseEvent>
#include <QStyle>
#include <QTextDocument>

#include "CommentFile.h"
#include "FormMessages.h"
#include "PanelHost.h"
#include "PathTokens.h"
#include "Paths.h"
#include "Sprav.h"
#include "Text.h"
#include "ui_CommentPanel.h"

using platform::FromCp1251;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

namespace {

// The editor's text with "\n" between lines. The raw text, since toPlainText() would turn no-break spaces
// (a Windows-1251 character) into plain ones; only the block separators become line ends.
QString EditorText(const QPlainTextEdit* editor) {
    QString text = editor->document()->toRawText();
    for (QChar& ch : text) {
        if (ch == QChar::ParagraphSeparator || ch == QChar::LineSeparator) {
            ch = QLatin1Char('\n');
        }
    }
    return text;
}

}  // namespace

TCommentPanel::TCommentPanel(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TCommentPanel>()) {
    ui->setupUi(this);
    QStyle* s = style();
    ui->bbSavePrim->setIcon(s->standardIcon(QStyle::SP_DialogSaveButton));
    ui->imDownTestInfo->setPixmap(s->standardIcon(QStyle::SP_ArrowDown).pixmap(13, 13));
    ui->imUpTestInfo->setPixmap(s->standardIcon(QStyle::SP_ArrowUp).pixmap(13, 13));
    ui->imIsEditInfo->setPixmap(s->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(15, 15));
    // The indicator keeps its place while hidden, so that the save button never moves under the mouse.
    QSizePolicy indicatorPolicy = ui->imIsEditInfo->sizePolicy();
    indicatorPolicy.setRetainSizeWhenHidden(true);
    ui->imIsEditInfo->setSizePolicy(indicatorPolicy);

    // Courier New where the system has it, any fixed-pitch face where it does not.
    QFont font(QStringLiteral("Courier New"));
    font.setPixelSize(13);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    ui->mmTestInfo->setFont(font);
    ui->mmTestInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab moves on to the next control, as everywhere else in the window; a comment needs no tab characters.
    ui->mmTestInfo->setTabChangesFocus(true);
    ui->mmTestInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ui->mmTestInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    // A click anywhere on the title bar opens or closes the body; its images pass their clicks up to it,
    // the save button keeps its own.
    ui->pTitleTestInfo->installEventFilter(this);
    connect(ui->bbSavePrim, &QToolButton::clicked, this, &TCommentPanel::bbSavePrimClick);
    connect(ui->mmTestInfo, &QPlainTextEdit::textChanged, this, &TCommentPanel::mmTestInfoChange);
}

TCommentPanel::~TCommentPanel() = default;

void TCommentPanel::Attach(TPanelHost& host) {
    FHost = &host;
}

bool TCommentPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->pTitleTestInfo && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            ui->pTitleTestInfo->rect().contains(mouse->position().toPoint())) {
            pTitleTestInfoClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TCommentPanel::pTitleTestInfoClick() {
    ui->pBodyTestInfo->setVisible(ui->pBodyTestInfo->isHidden());
    ui->imUpTestInfo->setVisible(ui->pBodyTestInfo->isHidden());
    ui->imDownTestInfo->setVisible(ui->imUpTestInfo->isHidden());
}

void TCommentPanel::mmTestInfoChange() {
    SetUnsaved(true);
}

void TCommentPanel::SetUnsaved(bool unsaved) {
    FUnsaved = unsaved;
    ui->imIsEditInfo->setVisible(unsaved);
}

// Why the comment of a test file cannot live at `commentPath`, or an empty text when it can. The comment file
// must never be one of the editor's other files: a test file of the book (a ".txt" test file is its own
// comment path), the book itself or the prefix file. With the tests directory unset a "<Tests>:" path has no
// folder at all, and its comment would land wherever the program was started.
QString TCommentPanel::NoCommentFileReason(const std::string& commentPath) const {
    const QString shown = platform::ToDisplayPath(commentPath);
    if (commentPath.starts_with(kTestsToken)) {
        return QStringLiteral(
                   "Комментарий не сохранён: не задан путь к файлам тестов, и неизвестно, где лежит "
                   "файл комментария ") +
               shown;
    }
    // Run on every click on a test file: the length is compared first, inline, and most paths stop there.
    const auto same = [&commentPath](const std::string& other) {
        return other.size() == commentPath.size() && comment_file::SamePath(other, commentPath);
    };
    for (const auto& file : FHost->Sprav().Files) {
        if (same(file->Path)) {
            return QStringLiteral("Комментарий не сохранён: файл комментария совпадает с тестовым файлом ") +
                   shown;
        }
    }
    if (same(FHost->BookFileName()) || same(FHost->PrefixFileName())) {
        return QStringLiteral(
                   "Комментарий не сохранён: файл комментария совпадает с файлом справочника или "
                   "префиксов ") +
               shown;
    }
    return {};
}

void TCommentPanel::LoadTestComment() {
    FCommentPath.reset();
    // The editor is emptied and filled in one step: a long comment is laid out once per click, not twice.
    QString text;
    const TSpravFile* current = FHost->Sprav().CurrentFile;
    if (current != nullptr) {
        FCommentPath = CommentFileName(current->Path, FHost->DirTests());
        // A test file that is its own comment file shows an empty comment; an unreadable file, a folder, a
        // device or a file too large for a comment shows nothing either, without a message.
        if (NoCommentFileReason(*FCommentPath).isEmpty()) {
            const comment_file::ReadResult read = comment_file::Read(platform::ToOsPath(*FCommentPath));
            if (read.Status == comment_file::ReadStatus::Ok) {
                text = FromCp1251(read.Text);
            }
        }
    }
    ui->mmTestInfo->setPlainText(text);
    SetUnsaved(false);
}

void TCommentPanel::ForgetTestFile() {
    FCommentPath.reset();
}

bool TCommentPanel::SaveComment() {
    if (!FCommentPath) {
        return true;
    }
    const std::string& path = *FCommentPath;
    if (const QString refusal = NoCommentFileReason(path); !refusal.isEmpty()) {
        forms::Inform(refusal);
        return false;
    }
    const std::optional<std::string> text = platform::ToCp1251(EditorText(ui->mmTestInfo));
    if (!text) {
        forms::Inform(
            QStringLiteral("Комментарий содержит символы, которые нельзя сохранить в кодировке "
                           "Windows-1251. Комментарий не сохранён."));
        return false;
    }
    if (const std::error_code error = comment_file::Write(platform::ToOsPath(path), *text)) {
        platform::CurrentDialogs().ErrorReport(QStringLiteral("Не удалось сохранить комментарий в файл ") +
                                               platform::ToDisplayPath(path) + QLatin1Char('\n') +
                                               forms::SystemErrorText(error));
        return false;
    }
    SetUnsaved(false);
    return true;
}

void TCommentPanel::bbSavePrimClick() {
    // With no test file current the text cannot be saved; the indicator stays as it is.
    if (FHost->Sprav().CurrentFile == nullptr) {
        return;
    }
    SaveComment();
}

bool TCommentPanel::MaybeSaveComment(bool cancellable) {
    if (!FCommentPath || !FUnsaved) {
        return true;
    }
    switch (forms::Ask(QStringLiteral("Сохранить комментарий к тесту?"), forms::kMessageCaption,
                       MessageIcon::Question,
                       cancellable ? MessageButtons::YesNoCancel : MessageButtons::YesNo)) {
        case MessageAnswer::Yes:
            return SaveComment();
        case MessageAnswer::No:
            // The edits are given up by the command that goes on; one that is cancelled after this question
            // leaves them unsaved, to be asked about again.
            return true;
        default:
            return false;
    }
}
