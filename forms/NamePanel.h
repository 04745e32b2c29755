// The chip names (analogs) of the current test file: the list `lbNames` with its popup menu, the entry
// strip with `eName` and its buttons, and the commands that add, rename and delete names.
#pragma once

#include <QHash>
#include <QString>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QMenu;
class TPanelHost;
struct TSpravFile;
struct TSpravSinonim;

namespace Ui {
class TNamePanel;
}

class TNamePanel : public QWidget {
    Q_OBJECT

public:
    explicit TNamePanel(QWidget* parent = nullptr);
    ~TNamePanel() override;

    void Attach(TPanelHost& host);

    // Commands.
    void bbAddSinonimClick();
    void bbEditSinonimClick();
    void acDeleteNameExecute();

    // The names panel's part of the selection chain. lbNamesClick gives the analog it showed, if any.
    const TSpravSinonim* lbNamesClick();
    // Sets the add and delete buttons from the typed name; true when the name is not listed (it may be
    // added).
    bool eNameChange();

    // The names of `file` (none: an empty list), shown without running the click handler.
    void ShowNames(const TSpravFile* file);
    bool HasRow(int row) const;
    void SelectRow(int row);
    int SelectedRow() const;

    QString TypedName() const;
    void ClearTypedName();
    int FindListedName(const QString& name) const;

    // Enter anywhere in the window adds the typed name while the add button is enabled.
    void PressDefaultButton();
    void SetPrefixButtonVisible(bool visible);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when the book file can hold the typed name with the description path beside it.
    bool FitsBookLine(const std::string& name, const std::string& descPath) const;
    void ReadyForNextName();
    // True when the names are the ones shown, or those less one: the list is then mended in place.
    bool KeepShownRows(const std::vector<std::unique_ptr<TSpravSinonim>>& sinonims);

    std::unique_ptr<Ui::TNamePanel> ui;
    TPanelHost* FHost = nullptr;
    QMenu* pmName = nullptr;
    // The rows case-folded, each with the first row that holds it, rebuilt with the list: the typed name and
    // every prefixed name are looked up here on each keystroke instead of walking the list each time.
    QHash<QString, int> FListedNames;
    // The names shown, as the book holds them, to tell what changed since the list was built.
    std::vector<std::string> FShownNames;
};
