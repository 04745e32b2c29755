#include "forms/RecentBooks.h"

#include <QAction>
#include <QMenu>

#include "document/BookTexts.h"
#include "forms/FormMessages.h"
#include "platform/Paths.h"

namespace {

// The separator right above `item`, when there is one.
QAction* SeparatorAbove(const QMenu& menu, QAction* item) {
    const QList<QAction*> actions = menu.actions();
    const qsizetype at = actions.indexOf(item);
    return at > 0 && actions[at - 1]->isSeparator() ? actions[at - 1] : nullptr;
}

// The menu text of the book at `index` (0 the newest): its number from 1 as the accelerator, then the path
// as the user's system writes it, each "&" doubled so that it shows as itself.
QString ItemText(std::size_t index, const std::string& path) {
    QString shown = platform::ToDisplayPath(path);
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 ").arg(index + 1) + shown;
}

}  // namespace

TRecentBooks::TRecentBooks(QMenu& menu, QAction* exitItem, QObject* parent) : QObject(parent) {
    QAction* before = SeparatorAbove(menu, exitItem);
    if (before == nullptr) {
        before = menu.insertSeparator(exitItem);
    }
    FSeparator = menu.insertSeparator(before);
    for (std::size_t i = 0; i < FItems.size(); ++i) {
        QAction* item = new QAction(&menu);
        item->setObjectName(QStringLiteral("acRecent%1").arg(i + 1));
        item->setStatusTip(QStringLiteral("Открыть справочник, открытый или сохранённый недавно"));
        menu.insertAction(before, item);
        connect(item, &QAction::triggered, this, [this, i] {
            if (i < FList.Paths().size()) {
                const std::string path = FList.Paths()[i];  // a copy: the list may change while the book opens
                emit Chosen(path);
            }
        });
        FItems[i] = item;
    }
    UpdateMenu();
}

void TRecentBooks::SetSlots(const RecentSlots& stored) {
    FList.SetSlots(stored);
    UpdateMenu();
}

TRecentBooks::RecentSlots TRecentBooks::GetSlots() const {
    return FList.GetSlots();
}

void TRecentBooks::Add(const std::string& path) {
    FList.Add(path);
    UpdateMenu();
}

void TRecentBooks::Remove(const std::string& path) {
    FList.Remove(path);
    UpdateMenu();
}

bool TRecentBooks::DropIfGone(const std::string& path) {
    if (platform::FileExists(path)) {
        return false;
    }
    forms::Inform(document::BookNotOpenedText(path) + QStringLiteral("\nСправочник убран из списка последних."));
    Remove(path);
    return true;
}

void TRecentBooks::UpdateMenu() {
    const std::vector<std::string>& paths = FList.Paths();
    FSeparator->setVisible(!paths.empty());
    for (std::size_t i = 0; i < FItems.size(); ++i) {
        FItems[i]->setVisible(i < paths.size());
        FItems[i]->setText(i < paths.size() ? ItemText(i, paths[i]) : QString());
    }
}
