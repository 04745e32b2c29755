// The tests' view of the main window's own fields and panels, so that tests need no public fields and the
// window's inner shape can change without moving them.
#pragma once

#include <string>

#include "forms/CommentPanel.h"
#include "forms/DescriptionPanel.h"
#include "forms/NamePanel.h"
#include "forms/PrefixPanel.h"
#include "forms/TestFilePanel.h"
#include "forms/fm_Main.h"

class TfmMainProbe {
public:
    explicit TfmMainProbe(TfmMain& window) : FWindow(window) {}

    TSprav& Sprav() { return FWindow.FBook.Sprav(); }
    TBook& Book() { return FWindow.FBook; }
    bool& Modified() { return FWindow.Modified; }
    const std::string& SpravFileName() { return FWindow.SpravFileName; }
    const std::string& PrefFileName() { return FWindow.PrefFileName; }
    void SetPrefFileName(const std::string& path) { FWindow.SetPrefFileName(path); }
    const std::string& DirTests() { return FWindow.FBook.DirTests(); }
    const std::string& DirPDF() { return FWindow.FBook.DirPDF(); }
    void SetDirectories(const std::string& tests, const std::string& pdf) {
        FWindow.FBook.SetDirectories(tests, pdf);
    }

    TTestFilePanel& Files() { return *FWindow.FFiles; }
    TNamePanel& Names() { return *FWindow.FNames; }
    TCommentPanel& Comment() { return *FWindow.FComment; }
    TDescriptionPanel& Description() { return *FWindow.FDescription; }
    TPrefixPanel& Prefixes() { return *FWindow.FPrefixes; }

private:
    TfmMain& FWindow;
};
