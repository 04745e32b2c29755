// What a panel of the main window may ask of the window: the book and the fields the panels share, and the
// steps of the selection chain, which the window runs in one place and in one order. The window implements
// it; a panel knows nothing else of the window, and no panel knows another.
#pragma once

#include <QString>

#include <string>

class TSprav;

class TPanelHost {
public:
    virtual TSprav& Sprav() = 0;
    // The book has changes not yet saved.
    virtual void SetModified() = 0;
    // The two service directories behind the <Tests>: and <Desc>: tokens, exactly as stored.
    virtual const std::string& DirTests() const = 0;
    virtual const std::string& DirPDF() const = 0;
    // Shows the working area, once a book is started.
    virtual void ShowBook() = 0;

    // The selection chain.
    virtual void RefreshFileList() = 0;
    virtual void lbFilesClick() = 0;
    virtual void RefreshNames(bool reselect) = 0;
    virtual void lbNamesClick() = 0;
    virtual void eNameChange() = 0;

    // What one panel shows and another reads: the typed chip name (`eName`), the description path shown
    // with it (`edFileInfo`), and the first listed name equal to a text with letter case ignored (-1: none).
    virtual QString TypedName() const = 0;
    virtual QString DescriptionText() const = 0;
    virtual int FindListedName(const QString& name) const = 0;
    // The selected row of the chip-name list (-1: none).
    virtual int SelectedNameRow() const = 0;

    // The prefix panel is opened from the name-entry strip, whose opening button shows while it is hidden.
    virtual void ShowPrefixPanel() = 0;
    virtual void PrefixPanelShown(bool shown) = 0;

    // The prefix file in use: the last one saved or loaded, remembered between runs.
    virtual const std::string& PrefixFileName() const = 0;
    // The book file in use, empty when the book has none yet.
    virtual const std::string& BookFileName() const = 0;
    virtual void SetPrefixFileName(std::string path) = 0;

protected:
    ~TPanelHost() = default;
};
