#include "PrefixPanel.h"

#include <QMenu>
#include <QSignalBlocker>
#include <QStyle>

#include "FormMessages.h"
#include "PanelHost.h"
#include "Paths.h"
#include "PrefixFile.h"
#include "SpravFile.h"
#include "Text.h"
#include "ui_PrefixPanel.h"

TPrefixPanel::TPrefixPanel(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TPrefixPanel>()) {
    ui->setupUi(this);
    QStyle* s = style();
    ui->bbLeft->setIcon(s->standardIcon(QStyle::SP_ArrowLeft));
    ui->bbLeft2->setIcon(s->standardIcon(QStyle::SP_ArrowLeft));
    ui->bbSavePreff->setIcon(s->standardIcon(QStyle::SP_DialogSaveButton));
    ui->bbLoadPreff->setIcon(s->standardIcon(QStyle::SP_DialogOpenButton));
    ui->bbClearPref->setIcon(s->standardIcon(QStyle::SP_DialogResetButton));
    ui->sbAddAll->setIcon(s->standardIcon(QStyle::SP_DialogYesButton));
    ui->sbDelAll->setIcon(s->standardIcon(QStyle::SP_DialogNoButton));
}

TPrefixPanel::~TPrefixPanel() = default;

void TPrefixPanel::Attach(TPanelHost& host) {
    FHost = &host;
    pmPref = new QMenu(this);
    pmPref->setObjectName(QStringLiteral("pmPref"));
    auto addPrefItem = [this](const char* name, const QString& caption) {
        QAction* item = pmPref->addAction(caption);
        item->setObjectName(QLatin1String(name));
        item->setStatusTip(caption);
        return item;
    };
    addPrefItem("N7", QStringLiteral("Скрыть панель"));
    pmPref->addSeparator();
    addPrefItem("N3", QStringLiteral("Добавить преффикс"));
    pmPref->addSeparator();
    addPrefItem("N6", QStringLiteral("Сохранить"))
        ->setStatusTip(QStringLiteral("Сохранить список преффиксов"));
    addPrefItem("N8", QStringLiteral("Загрузить"))
        ->setStatusTip(QStringLiteral("Загрузить список преффиксов"));
    addPrefItem("N9", QStringLiteral("Очистить список"));
    connect(ui->clbPref, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { pmPref->popup(ui->clbPref->viewport()->mapToGlobal(pos)); });
}

void TPrefixPanel::UpdatePrefChecks() {
    const QString typed = FHost->TypedName();
    // Marks set by the program are not the user's toggles.
    const QSignalBlocker programChange(ui->clbPref);
    for (int i = 0; i < ui->clbPref->count(); ++i) {
        QListWidgetItem* item = ui->clbPref->item(i);
        item->setCheckState(FHost->FindListedName(item->text() + typed) >= 0 ? Qt::Checked : Qt::Unchecked);
    }
}

void TPrefixPanel::SetListEnabled(bool enabled) {
    ui->clbPref->setEnabled(enabled);
}

void TPrefixPanel::LoadPrefixFile(const std::string& path) {
    std::string content;
    if (const std::error_code error = sprav_file::ReadWholeFile(platform::ToOsPath(path), content)) {
        platform::CurrentDialogs().ErrorReport(
            QStringLiteral("Невозможно открыть файл %1. %2")
                .arg(platform::ToDisplayPath(path), forms::SystemErrorText(error)));
        return;
    }
    ui->clbPref->clear();
    for (const std::string& entry : prefix_file::SplitEntries(content)) {
        auto* item = new QListWidgetItem(platform::FromCp1251(entry), ui->clbPref);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}
