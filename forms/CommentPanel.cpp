#include "forms/CommentPanel.h"
#include "forms/Glyphs.h"

#include <QFont>
#include <QStyle>
#include <QTextDocument>

#include "core/CommentFile.h"
#include "core/FileIdentity.h"
#include "core/PathTokens.h"
#include "core/Sprav.h"
#include "document/Book.h"
#include "forms/CollapsibleTitle.h"
#include "forms/FormFont.h"
#include "document/BookTexts.h"
#include "forms/FormMessages.h"
#include "platform/Paths.h"
#include "platform/Text.h"
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

QString TestFileRefusal(const QString& shown) {
    return QStringLiteral("Комментарий не сохранён: файл комментария совпадает с тестовым файлом ") + shown;
}

QString BookFileRefusal(const QString& shown) {
    return QStringLiteral(
               "Комментарий не сохранён: файл комментария совпадает с файлом справочника или "
               "префиксов ") +
           shown;
}

// The refusal when `same` finds the comment file to be one of the editor's other files: a test file of the
// book, the book file or the prefix file in use; empty when it is none of them. A test file kept in token
// form (its book was read while the tests directory was unset) lies below the directory as it is now.
// `same` is given each path as the two pieces it stands for (TExpandedPath): a click runs this over every
// test file of the book, and building each path would cost more than comparing it.
template <typename Same>
QString OtherFileRefusal(const TSprav& sprav, const std::string& dirTests, const std::string& book,
                         const std::string& prefixes, const QString& shown, Same same) {
    for (const auto& file : sprav.Files) {
        if (same(ExpandToken(file->Path, dirTests, kTestsToken))) {
            return TestFileRefusal(shown);
        }
    }
    if (same(TExpandedPath{{}, book}) || same(TExpandedPath{{}, prefixes})) {
        return BookFileRefusal(shown);
    }
    return {};
}

// The one line shown in place of a comment file that was not read; empty when there is a comment to show.
QString NotReadNotice(comment_file::ReadStatus status, const QString& shown) {
    switch (status) {
        case comment_file::ReadStatus::TooLarge:
            return QStringLiteral("Файл комментария больше %1 КБ: он не показан и не будет перезаписан. %2")
                .arg(comment_file::kMaxSize / 1024)
                .arg(shown);
        case comment_file::ReadStatus::NotRegular:
            return QStringLiteral(
                       "Файл комментария — не обычный файл (канал или устройство): он не прочитан и "
                       "не будет перезаписан. ") +
                   shown;
        case comment_file::ReadStatus::Unreadable:
            return QStringLiteral(
                       "Файл комментария не удалось прочитать: он не показан и не будет "
                       "перезаписан. ") +
                   shown;
        default:
            return {};
    }
}

}  // namespace

TCommentPanel::TCommentPanel(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TCommentPanel>()) {
    ui->setupUi(this);
    ui->bbSavePrim->setIcon(Glyph(QStyle::SP_DialogSaveButton));
    SetGlyphPixmap(ui->imDownTestInfo, QStyle::SP_ArrowDown, 13);
    SetGlyphPixmap(ui->imUpTestInfo, QStyle::SP_ArrowUp, 13);
    SetGlyphPixmap(ui->imIsEditInfo, QStyle::SP_MessageBoxWarning, 15);
    // The indicator keeps its place while hidden, so that the save button never moves under the mouse.
    QSizePolicy indicatorPolicy = ui->imIsEditInfo->sizePolicy();
    indicatorPolicy.setRetainSizeWhenHidden(true);
    ui->imIsEditInfo->setSizePolicy(indicatorPolicy);

    // Finding a fixed-pitch face loads a font of its own: that waits until the comment is on screen, which a
    // start without a book is not.
    OnFirstShow(ui->mmTestInfo, [editor = ui->mmTestInfo] { editor->setFont(FixedPitchFont(13)); });
    ui->mmTestInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab moves on to the next control, as everywhere else in the window; a comment needs no tab characters.
    ui->mmTestInfo->setTabChangesFocus(true);
    ui->mmTestInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ui->mmTestInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    // A click anywhere on the title bar opens or closes the body; its images pass their clicks up to it,
    // the save button keeps its own.
    FTitle = new TCollapsibleTitle(ui->pTitleTestInfo, ui->pBodyTestInfo, ui->imUpTestInfo,
                                   ui->imDownTestInfo, [this] { pTitleTestInfoClick(); });
    connect(ui->bbSavePrim, &QToolButton::clicked, this, &TCommentPanel::bbSavePrimClick);
    connect(ui->mmTestInfo, &QPlainTextEdit::textChanged, this, &TCommentPanel::mmTestInfoChange);
}

TCommentPanel::~TCommentPanel() = default;

void TCommentPanel::SetBook(const TBook& book) {
    FBook = &book;
}

void TCommentPanel::SetFilesInUse(const std::string& bookFile, const std::string& prefixFile) {
    FBookFile = bookFile;
    FPrefixFile = prefixFile;
}

void TCommentPanel::pTitleTestInfoClick() {
    FTitle->Toggle();
}

void TCommentPanel::mmTestInfoChange() {
    SetUnsaved(true);
}

void TCommentPanel::SetUnsaved(bool unsaved) {
    FUnsaved = unsaved;
    ui->imIsEditInfo->setVisible(unsaved);
    emit TextChanged();
}

QString TCommentPanel::Text() const {
    return FNoticeShown ? QString() : EditorText(ui->mmTestInfo);
}

void TCommentPanel::RestoreText(const QString& text) {
    if (FNoticeShown) {
        return;  // the comment file could not be read: no text may replace it
    }
    ui->mmTestInfo->setPlainText(text);
    SetUnsaved(true);
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
    const auto same = [&commentPath](const TExpandedPath& other) {
        return other.Size() == commentPath.size() && comment_file::SamePath(other, commentPath);
    };
    return OtherFileRefusal(FBook->Sprav(), FBook->DirTests(), FBookFile, FPrefixFile, shown, same);
}

// The file a save would replace, links followed, compared by identity with the book, the prefix file and
// every test file of the book: a link or another spelling of the path ("dir//a.txt", "dir/./a.txt"; on
// Windows letter case and short names) must not let a comment replace them.
QString TCommentPanel::SameFileReason(const std::string& commentPath) const {
    const std::optional<FileIdentity> comment = IdentityOf(platform::ToOsPath(commentPath));
    if (!comment) {
        return {};  // nothing there yet: the save replaces nobody's file
    }
    const auto same = [&comment](const TExpandedPath& expanded) {
        const std::string stored = std::string(expanded.Dir).append(expanded.Rest);
        if (stored.empty() || stored.starts_with(kTestsToken)) {
            return false;
        }
        const std::optional<FileIdentity> other = IdentityOf(platform::ToOsPath(stored));
        return other && *other == *comment;
    };
    const QString shown = platform::ToDisplayPath(commentPath);
    return OtherFileRefusal(FBook->Sprav(), FBook->DirTests(), FBookFile, FPrefixFile, shown, same);
}

bool TCommentPanel::MayReplace(const std::string& commentPath) {
    const QString shown = platform::ToDisplayPath(commentPath);
    const QString notRead =
        QStringLiteral(
            "Комментарий не сохранён: файл комментария не был прочитан целиком, и сохранение "
            "затёрло бы его ") +
        shown;
    if (FNoticeShown) {
        forms::Inform(notRead);
        return false;
    }
    switch (comment_file::CheckBeforeSave(FSeen, platform::ToOsPath(commentPath))) {
        case comment_file::SaveCheck::Go:
            return true;
        case comment_file::SaveCheck::NotReadInWhole:
            forms::Inform(notRead);
            return false;
        case comment_file::SaveCheck::ChangedOnDisk:
            break;
    }
    return forms::Ask(QStringLiteral("Файл комментария «%1» изменён другой программой. Сохранить всё равно?")
                          .arg(shown),
                      forms::kMessageCaption, MessageIcon::Warning,
                      MessageButtons::YesNoDefaultNo) == MessageAnswer::Yes;
}

void TCommentPanel::LoadTestComment() {
    FCommentPath.reset();
    FLoadedFor.reset();
    FSeen = {};
    // The editor is emptied and filled in one step: a long comment is laid out once per click, not twice.
    QString text;
    QString notice;
    const TSpravFile* current = FBook->CurrentFile();
    if (current != nullptr) {
        FCommentPath = CommentFileName(current->Path, FBook->DirTests());
        FLoadedFor = std::pair(current->Path, FBook->OccurrenceOf(FBook->CurrentFileIndex()));
        // A test file that is its own comment file shows an empty comment, and so does a folder. A file
        // too large for a comment, a device or an unreadable file shows one line that says so, without
        // a message box: it is not read, and no save may replace it.
        if (NoCommentFileReason(*FCommentPath).isEmpty()) {
            comment_file::ReadResult read = comment_file::Read(platform::ToOsPath(*FCommentPath));
            text = FromCp1251(read.Text);
            notice = NotReadNotice(read.Status, platform::ToDisplayPath(*FCommentPath));
            read.Text = {};
            FSeen = std::move(read);
        }
    }
    ShowComment(text, notice);
    SetUnsaved(false);
}

void TCommentPanel::ShowComment(const QString& text, const QString& notice) {
    FNoticeShown = !notice.isEmpty();
    ui->mmTestInfo->setReadOnly(FNoticeShown);
    ui->mmTestInfo->setPlainText(FNoticeShown ? notice : text);
}

void TCommentPanel::ForgetTestFile() {
    FLoadedFor.reset();
    FCommentPath.reset();
    FSeen = {};
    // A line about a file of the closed book is no text of the user's: it goes, and the editor is free
    // for a draft again.
    if (FNoticeShown) {
        ShowComment({}, {});
        SetUnsaved(false);
    }
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
    if (const QString refusal = SameFileReason(path); !refusal.isEmpty()) {
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
    // A file the panel would refuse to show is not written: it could never be edited again.
    if (comment_file::Format(*text).size() > comment_file::kMaxSize) {
        forms::Inform(QStringLiteral("Комментарий не сохранён: в файле он занял бы больше %1 КБ, а такой "
                                     "файл комментария не показывается.")
                          .arg(comment_file::kMaxSize / 1024));
        return false;
    }
    if (!MayReplace(path)) {
        return false;
    }
    FileStamp written;
    if (const std::error_code error = comment_file::Write(platform::ToOsPath(path), *text, &written)) {
        platform::CurrentDialogs().ErrorReport(QStringLiteral("Не удалось сохранить комментарий в файл ") +
                                               platform::ToDisplayPath(path) + QLatin1Char('\n') +
                                               document::SystemErrorText(error));
        return false;
    }
    FSeen = {comment_file::ReadStatus::Ok, {}, written};
    SetUnsaved(false);
    return true;
}

void TCommentPanel::bbSavePrimClick() {
    // With no test file current the text cannot be saved; the indicator stays as it is.
    if (FBook->CurrentFile() == nullptr) {
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
