#include "forms/fm_BookCheck.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QScreen>
#include <QStyle>
#include <QTreeWidgetItem>

#include <algorithm>
#include <limits>
#include <tuple>

#include "core/PathTokens.h"
#include "core/Sprav.h"
#include "document/Book.h"
#include "document/BookTexts.h"
#include "forms/FormMessages.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "ui_fm_BookCheck.h"

using book_check::FindingKind;
using platform::FromCp1251;

namespace {

// How long a check runs before its progress shows: about a frame, so that the window is never held longer.
constexpr int kProgressAfterMs = 12;
// A name found under many test files lists the first few of them.
constexpr std::size_t kListedFiles = 3;

bool SameTrouble(const book_check::Finding& a, const book_check::Finding& b) {
    return a.Kind == b.Kind && a.LookedFor == b.LookedFor;
}

qint64 Area(const QRect& rect) {
    return rect.isEmpty() ? 0 : qint64(rect.width()) * rect.height();
}

}  // namespace

// The best place lies against an edge of the screen or of the window, or just beside a control to keep
// clear, on either axis: those edges are all the places worth trying.
QPoint forms::ClearPlace(QSize size, const QRect& screen, const QRect& window,
                         const QList<QRect>& keepClear) {
    QList<int> xs{screen.left(), screen.right() + 1 - size.width(), window.left() - size.width(),
                  window.right() + 1};
    QList<int> ys{screen.top(), screen.bottom() + 1 - size.height(), window.top(),
                  window.top() - size.height(), window.bottom() + 1};
    for (const QRect& clear : keepClear) {
        xs << clear.left() - size.width() << clear.right() + 1;
        ys << clear.top() - size.height() << clear.bottom() + 1;
    }
    const int maxX = std::max(screen.left(), screen.right() + 1 - size.width());
    const int maxY = std::max(screen.top(), screen.bottom() + 1 - size.height());
    const QPoint preferred(window.right() + 1, window.top());

    QPoint best;
    bool found = false;
    std::tuple<qint64, qint64, int> bestScore;
    for (int x : xs) {
        for (int y : ys) {
            const QPoint at(std::clamp(x, screen.left(), maxX), std::clamp(y, screen.top(), maxY));
            const QRect place(at, size);
            qint64 covered = 0;
            for (const QRect& clear : keepClear) {
                covered += Area(place.intersected(clear));
            }
            const std::tuple<qint64, qint64, int> score(covered, Area(place.intersected(window)),
                                                        (at - preferred).manhattanLength());
            if (!found || score < bestScore) {
                best = at;
                bestScore = score;
                found = true;
            }
        }
    }
    return best;
}

TfmBookCheck::TfmBookCheck(const TBook& book, JumpFunction jump, QWidget* parent)
    : QDialog(parent),
      FUi(std::make_unique<Ui::TfmBookCheck>()),
      FBook(book),
      FJump(std::move(jump)),
      FExists([](const std::string& path) { return platform::FileExists(path); }) {
    FUi->setupUi(this);
    setModal(false);
    FUi->lvFindings->setColumnWidth(0, 340);
    FUi->lvFindings->setColumnWidth(1, 200);
    FUi->lvFindings->setColumnWidth(2, 130);
    connect(FUi->lvFindings, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { lvFindingsActivated(item); });
    connect(FUi->bbRecheck, &QPushButton::clicked, this, &TfmBookCheck::bbRecheckClick);
    connect(FUi->bbCopy, &QPushButton::clicked, this, &TfmBookCheck::bbCopyClick);
    connect(FUi->bbClose, &QPushButton::clicked, this, &QDialog::close);
}

TfmBookCheck::~TfmBookCheck() = default;

// Beside the window when the screen has room; on a maximized window or a small screen, over the comment or
// description panel, or wherever it covers least.
void TfmBookCheck::PlaceBeside(const QWidget& window) {
    QList<QRect> keepClear;
    for (const char* name :
         {"lbFiles", "lbNames", "eName", "bbAddSinonim", "bbEditSinonim", "bbDelSinonim"}) {
        const QWidget* control = window.findChild<QWidget*>(QLatin1String(name));
        if (control != nullptr && control->isVisible()) {
            keepClear.append(QRect(control->mapToGlobal(QPoint(0, 0)), control->size()));
        }
    }
    // The report's frame is not known before it shows; the window's own frame stands in for it.
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    move(forms::ClearPlace(size() + frame, window.screen()->availableGeometry(), window.frameGeometry(),
                           keepClear));
}

bool TfmBookCheck::RunCheck() {
    const TSprav& sprav = FBook.Sprav();
    QProgressDialog progress(QStringLiteral("Проверка справочника..."), QStringLiteral("Отмена"), 0,
                             static_cast<int>(sprav.Files.size()), this);
    progress.setWindowTitle(windowTitle());
    // While the bar shows, nothing else may touch the book: the check reads it between events.
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(std::numeric_limits<int>::max());  // shown below, when the check is long
    progress.setAutoClose(false);
    progress.setAutoReset(false);

    // A check that outlasts a frame shows its progress and lets the events through from then on: the
    // window keeps being drawn, the bar moves and Cancel answers. The bar is modal: the book must not change
    // under the check, which reads it between events.
    QElapsedTimer elapsed;
    elapsed.start();
    book_check::Result result = book_check::Check(
        sprav, FBook.Directories(), FExists, [&progress, &elapsed](std::size_t done, std::size_t) {
            if (!progress.isVisible() && elapsed.elapsed() >= kProgressAfterMs) {
                progress.show();
            }
            progress.setValue(static_cast<int>(done));
            if (progress.isVisible()) {
                QCoreApplication::processEvents();
            }
            return !progress.wasCanceled();
        });

    const auto letEventsThrough = [&progress] {
        if (progress.isVisible()) {
            QCoreApplication::processEvents();
        }
    };
    letEventsThrough();
    FRows.clear();
    FRows.reserve(result.Findings.size());
    for (book_check::Finding& finding : result.Findings) {
        const TSpravFile& file = *sprav.Files[static_cast<std::size_t>(finding.FileIndex)];
        std::string name;
        if (finding.NameIndex >= 0) {
            name = file.Sinonims[static_cast<std::size_t>(finding.NameIndex)]->Name;
        }
        FRows.push_back({std::move(finding), file.Path, std::move(name)});
    }
    FStale = false;
    FCancelled = result.Cancelled;
    letEventsThrough();
    ShowRows(letEventsThrough);
    return !FCancelled;
}

void TfmBookCheck::BookChanged() {
    if (!FStale) {
        FStale = true;
        ShowSummary();
    }
}

QString TfmBookCheck::WhatIsWrong(const Row& row) const {
    const book_check::Finding& f = row.Finding;
    const TSprav& sprav = FBook.Sprav();
    switch (f.Kind) {
        case FindingKind::MissingTestFile:
        case FindingKind::MissingDescription:
            return document::FindingKindText(f.Kind) + QStringLiteral(": ") +
                   platform::ToDisplayPath(f.LookedFor);
        case FindingKind::RepeatedTestFile:
            return document::FindingKindText(f.Kind) + QStringLiteral(" (строка %1)").arg(f.OtherFileIndex + 1);
        case FindingKind::EmptyName:
            // The name column is empty: the row's place in the list says which analog it is.
            return document::FindingKindText(f.Kind) +
                   QStringLiteral(" (строка %1 списка аналогов)").arg(f.NameIndex + 1);
        case FindingKind::RepeatedName:
            return document::FindingKindText(f.Kind) +
                   QStringLiteral(" (строка %1 списка аналогов)").arg(f.OtherNameIndex + 1);
        case FindingKind::NameCaseVariant: {
            // The rows are made from the book as it is at that moment, so the other name is there.
            const TSpravFile& file = *sprav.Files[static_cast<std::size_t>(f.FileIndex)];
            return QStringLiteral("Название отличается от «%1» только регистром букв")
                .arg(FromCp1251(file.Sinonims[static_cast<std::size_t>(f.OtherNameIndex)]->Name));
        }
        case FindingKind::NameInSeveralFiles: {
            QStringList listed;
            for (std::size_t i = 1; i < f.Files.size() && i <= kListedFiles; ++i) {
                const TSpravFile& other = *sprav.Files[static_cast<std::size_t>(f.Files[i])];
                listed.append(FromCp1251(::ToTestsToken(other.Path, FBook.DirTests())));
            }
            QString text = QStringLiteral("Название есть в %1 тестовых файлах; также в: %2")
                               .arg(f.Files.size())
                               .arg(listed.join(QStringLiteral(", ")));
            if (f.Files.size() - 1 > kListedFiles) {
                text += QStringLiteral(" и ещё %1").arg(f.Files.size() - 1 - kListedFiles);
            }
            return text;
        }
    }
    return {};
}

// The rows go in in parts: `between`, when given, runs after each, so that a long report lets the events
// through while it fills.
void TfmBookCheck::ShowRows(const std::function<void()>& between) {
    constexpr std::size_t kRowsAtOnce = 1000;
    QTreeWidget* list = FUi->lvFindings;
    list->clear();
    const QIcon fault = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    const QIcon notice = style()->standardIcon(QStyle::SP_MessageBoxInformation);
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(std::min(FRows.size(), kRowsAtOnce)));
    for (std::size_t i = 0; i < FRows.size(); ++i) {
        const Row& row = FRows[i];
        auto* item =
            new QTreeWidgetItem({WhatIsWrong(row), FromCp1251(::ToTestsToken(row.FilePath, FBook.DirTests())),
                                 FromCp1251(row.Name)});
        item->setIcon(0, book_check::IsFault(row.Finding.Kind) ? fault : notice);
        // A long path is cut in its middle; the whole text shows on the row's tooltip.
        item->setToolTip(0, item->text(0));
        item->setData(0, Qt::UserRole, static_cast<qulonglong>(i));
        items.append(item);
        if (items.size() == static_cast<qsizetype>(kRowsAtOnce) || i + 1 == FRows.size()) {
            list->addTopLevelItems(items);
            items.clear();
            if (between) {
                between();
            }
        }
    }
    if (list->topLevelItemCount() > 0) {
        list->setCurrentItem(list->topLevelItem(0));
    }
    ShowSummary();
}

void TfmBookCheck::ShowSummary() {
    std::size_t faults = 0;
    for (const Row& row : FRows) {
        faults += book_check::IsFault(row.Finding.Kind) ? 1 : 0;
    }
    QString text = FRows.empty() ? QStringLiteral("Ошибок не найдено.")
                                 : QStringLiteral(
                                       "Ошибок: %1. Сведений: %2. Двойной щелчок или Enter на строке — "
                                       "переход к тестовому файлу и микросхеме.")
                                       .arg(faults)
                                       .arg(FRows.size() - faults);
    if (FCancelled) {
        text += QStringLiteral("\nПроверка прервана: показано найденное до остановки.");
    }
    if (FStale) {
        text += QStringLiteral("\nСправочник изменён после проверки. Переход по строке проверит его заново.");
    }
    FUi->lbSummary->setText(text);
}

QString TfmBookCheck::ReportText() const {
    QString text = windowTitle() + QLatin1Char('\n') + FUi->lbSummary->text() + QLatin1Char('\n');
    const QTreeWidget* list = FUi->lvFindings;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        const Row& row = FRows[item->data(0, Qt::UserRole).toULongLong()];
        text +=
            (book_check::IsFault(row.Finding.Kind) ? QStringLiteral("Ошибка") : QStringLiteral("Сведения"));
        for (int column = 0; column < list->columnCount(); ++column) {
            text += QLatin1Char('\t') + item->text(column);
        }
        text += QLatin1Char('\n');
    }
    return text;
}

bool TfmBookCheck::StillTrue(const Row& row) const {
    const TSprav& sprav = FBook.Sprav();
    const int fileIndex = row.Finding.FileIndex;
    const int nameIndex = row.Finding.NameIndex;
    if (fileIndex < 0 || static_cast<std::size_t>(fileIndex) >= sprav.Files.size()) {
        return false;
    }
    const TSpravFile& file = *sprav.Files[static_cast<std::size_t>(fileIndex)];
    if (file.Path != row.FilePath) {
        return false;
    }
    return nameIndex < 0 || (static_cast<std::size_t>(nameIndex) < file.Sinonims.size() &&
                             file.Sinonims[static_cast<std::size_t>(nameIndex)]->Name == row.Name);
}

void TfmBookCheck::JumpTo(const Row& row) {
    if (!FStale && StillTrue(row)) {
        FJump(row.Finding.FileIndex, row.Finding.NameIndex);
        return;
    }
    // The rows were made from another state of the book: check it again and follow the same trouble in
    // the new rows, wherever it is now.
    const Row wanted = row;
    if (!RunCheck()) {
        return;
    }
    for (std::size_t i = 0; i < FRows.size(); ++i) {
        const Row& fresh = FRows[i];
        if (SameTrouble(fresh.Finding, wanted.Finding) && fresh.FilePath == wanted.FilePath &&
            fresh.Name == wanted.Name) {
            FUi->lvFindings->setCurrentItem(FUi->lvFindings->topLevelItem(static_cast<int>(i)));
            FJump(fresh.Finding.FileIndex, fresh.Finding.NameIndex);
            return;
        }
    }
    forms::Inform(
        QStringLiteral("Справочник изменился, и этой ошибки в нём больше нет. Проверка выполнена "
                       "заново."));
}

void TfmBookCheck::lvFindingsActivated(QTreeWidgetItem* item) {
    if (item == nullptr) {
        return;
    }
    const auto index = item->data(0, Qt::UserRole).toULongLong();
    if (index < FRows.size()) {
        JumpTo(FRows[index]);
    }
}

void TfmBookCheck::bbRecheckClick() {
    RunCheck();
}

void TfmBookCheck::bbCopyClick() {
    QApplication::clipboard()->setText(ReportText());
}
