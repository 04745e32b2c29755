#include "forms/Book.h"

TBook::TBook(QObject* parent) : QObject(parent), FFileList(FSprav), FNameList(FSprav), FHistory(FSprav) {
    FSprav.AddListener(this);
}

TBook::~TBook() {
    FSprav.RemoveListener(this);
}

void TBook::SetDirectories(const std::string& tests, const std::string& pdf) {
    if (tests == FDirs.Tests && pdf == FDirs.Desc) {
        return;
    }
    FDirs = {tests, pdf};
    FFileList.SetDirTests(tests);
    emit Changed();
}
