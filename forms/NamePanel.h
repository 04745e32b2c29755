// The chip names (analogs) of the current test file: the list `lbNames` with its popup menu, the entry
// strip with `eName` and its buttons, and the commands that add, rename and delete names.
#pragma once

#include <QString>
#include <QWidget>

#include <memory>
#include <string>

class QMenu;
class TBook;
struct TSpravSinonim;

namespace Ui {
class TNamePanel;
}

class TNamePanel : public QWidget {
    Q_OBJECT

public:
    explicit TNamePanel(QWidget* parent = nullptr);
    ~TNamePanel() override;

    // The book whose current test file's names the list shows and the commands change.
    void SetBook(TBook& book);

    // Commands.
    void bbAddSinonimClick();
    void bbEditSinonimClick();
    void acDeleteNameExecute();

    // The panel's part of the selection chain. lbNamesClick gives the analog it showed, if any.
    const TSpravSinonim* lbNamesClick();
    // Sets the add and delete buttons from the typed name; true when the name is not listed (it may be
    // added).
    bool eNameChange();

    bool HasRow(int row) const;
    // The selected row, set without telling anyone: the window's chain decides what follows.
    void SelectRow(int row);
    int SelectedRow() const;

    QString TypedName() const;
    void ClearTypedName();

    // The description path shown beside the typed name (`edFileInfo`): a name added or renamed takes it.
    void SetDescriptionText(const QString& shown);
    // A description file was chosen. The selected analog takes it when the typed name is that analog's
    // name: a name typed for a new chip, or another listed name, must not give the selected chip another's
    // datasheet. False when the book file could not hold it (said in a box): the choice is dropped.
    bool TakeDescriptionFile(const std::string& path);

    // Enter anywhere in the window adds the typed name while the add button is enabled.
    void PressDefaultButton();
    void SetPrefixButtonVisible(bool visible);

signals:
    // The user has selected another row, or none.
    void RowClicked();
    // The typed name has changed, or the buttons are to follow it again.
    void TypedNameChanged();
    // A command has added, renamed or deleted a name: the list selects the current analog again.
    void NamesChanged();
    // A refused add or rename: the description path beside the name goes back to what the user left there
    // (`shown`), which selecting the current analog again had replaced with that analog's own.
    void DescriptionTextKept(const QString& shown);
    // The button beside the name asks for the prefix panel.
    void PrefixPanelRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ReadyForNextName();
    void KeepEntry(const QString& typed, const QString& shownDescription);

    std::unique_ptr<Ui::TNamePanel> ui;
    TBook* FBook = nullptr;
    QMenu* pmName = nullptr;
    QString FDescriptionText;
};
