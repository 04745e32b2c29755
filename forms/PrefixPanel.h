// The prefix panel `paPref`: the list of manufacturer prefixes `clbPref`, whose marks show which prefixed
// forms of the typed chip name the current test file holds, and whose toggles add or take away those names.
// The list is the editor's own and not part of the book: its commands never mark the book modified.
#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/PrefixFile.h"
#include "document/Book.h"

class QListWidgetItem;
class QMenu;
class TBook;

namespace Ui {
class TPrefixPanel;
}

class TPrefixPanel : public QWidget {
    Q_OBJECT

public:
    explicit TPrefixPanel(QWidget* parent = nullptr);
    ~TPrefixPanel() override;

    // The book whose current test file gains and loses the generated names.
    void SetBook(TBook& book);
    // The typed chip name the generated names are made from (`eName`).
    void SetTypedName(const QString& typed);
    // The prefix file in use, where the load dialog opens.
    void SetPrefixFileName(const std::string& path);

    // Marks each prefix whose prefixed form of the typed name is listed, letter case ignored.
    void UpdatePrefChecks();
    // The list takes marks only while the typed name may be added.
    void SetListEnabled(bool enabled);
    // Replaces the list by the lines of a prefix file; used at start-up. A file that is no prefix list (not
    // a regular file, too large, binary data, too many or too long lines) is skipped silently, as a missing
    // one is; one that cannot be read is reported.
    void LoadPrefixFile(const std::string& path);

    // The list's commands.
    void bbSavePreffClick();
    void bbLoadPreffClick();
    void bbClearPrefClick();
    void N3Click();

    // Marking and generation.
    void bbAddPreffsClick();
    void bbAllPrefClick();
    void sbDelAllClick();
    void bbRightClick();
    void bbLeftClick();
    void bbAddGrupClick();

    // The entries as they are stored: Windows-1251 bytes in list order.
    std::vector<std::string> Entries() const;

signals:
    // A pass has ended: the names list shows the current test file without a selected row.
    void NamesGenerated();
    // The panel was shown or hidden.
    void Shown(bool shown);
    // A prefix file was chosen in a dialog and is now the one in use.
    void PrefixFileChosen(const std::string& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void PopupFromKeyboard();
    void AppendEntry(const std::string& bytes);
    void ShowEntries(const std::vector<std::string>& entries);
    // Reads a prefix file into `entries`; when it cannot, a box says why (at start-up only for a file that
    // is there and cannot be read).
    prefix_file::ReadResult ReadEntries(const std::string& path, bool atStartUp,
                                        std::vector<std::string>& entries) const;
    // The entries and their marks as the book's prefix pass takes them.
    std::vector<TPrefixEntry> PassEntries() const;
    std::vector<bool> Marks() const;
    void ShowMarks(const std::vector<bool>& marks);
    void RunPass(const std::function<TBookOutcome(const std::vector<TPrefixEntry>&, std::vector<bool>&)>& pass);

    int ListedRow(const QListWidgetItem* item, const QString& typedText) const;
    void TakePrefixFileName(const std::string& path);

    std::unique_ptr<Ui::TPrefixPanel> ui;
    TBook* FBook = nullptr;
    QString FTypedName;
    std::string FPrefixFileName;
    QMenu* pmPref = nullptr;
};
