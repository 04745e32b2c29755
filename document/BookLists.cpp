#include "document/BookLists.h"

#include "core/PathTokens.h"
#include "platform/Text.h"

using platform::FromCp1251;

namespace document {

QString FoldedName(const std::string& name) {
    return FromCp1251(name).toCaseFolded();
}

}  // namespace document

// ---------------------------------------------------------------------------------------------------------
// The test files.

TFileListModel::TFileListModel(TSprav& sprav, QObject* parent) : QAbstractListModel(parent), FSprav(sprav) {
    FSprav.AddListener(this);
}

TFileListModel::~TFileListModel() {
    FSprav.RemoveListener(this);
}

void TFileListModel::SetDirTests(const std::string& dirTests) {
    if (dirTests == FDirTests) {
        return;
    }
    FDirTests = dirTests;
    if (rowCount() > 0) {
        emit dataChanged(index(0), index(rowCount() - 1), {Qt::DisplayRole});
    }
}

int TFileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(FSprav.Files.size());
}

// Paths are turned into their shown form when shown: the view asks only for the rows on screen.
QVariant TFileListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    return FromCp1251(ToTestsToken(FSprav.Files[static_cast<std::size_t>(index.row())]->Path, FDirTests));
}

void TFileListModel::FilesAboutToBeInserted(int first, int last) {
    beginInsertRows({}, first, last);
}

void TFileListModel::FilesInserted() {
    endInsertRows();
}

void TFileListModel::FilesAboutToBeRemoved(int first, int last) {
    beginRemoveRows({}, first, last);
}

void TFileListModel::FilesRemoved() {
    endRemoveRows();
}

void TFileListModel::BookAboutToBeReset() {
    beginResetModel();
}

void TFileListModel::BookReset() {
    endResetModel();
}

// ---------------------------------------------------------------------------------------------------------
// The analogs of the current test file.

TNameListModel::TNameListModel(TSprav& sprav, QObject* parent)
    : QAbstractListModel(parent), FSprav(sprav), FFile(sprav.CurrentFile) {
    FSprav.AddListener(this);
}

TNameListModel::~TNameListModel() {
    FSprav.RemoveListener(this);
}

int TNameListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || FFile == nullptr ? 0 : static_cast<int>(FFile->Sinonims.size());
}

QVariant TNameListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    return FromCp1251(FFile->Sinonims[static_cast<std::size_t>(index.row())]->Name);
}

void TNameListModel::BuildLookup() const {
    if (FLookupValid) {
        return;
    }
    FFirstRow.clear();
    const int rows = rowCount();
    FFirstRow.reserve(rows);
    // Of equal names the lookups want the first row: walking back to front, it is the one kept.
    for (int row = rows - 1; row >= 0; --row) {
        FFirstRow.insert(document::FoldedName(FFile->Sinonims[static_cast<std::size_t>(row)]->Name), row);
    }
    FLookupValid = true;
}

int TNameListModel::FindName(const QString& name) const {
    BuildLookup();
    return FFirstRow.value(name.toCaseFolded(), -1);
}

QHash<QString, int> TNameListModel::Lookup() const {
    BuildLookup();
    return FFirstRow;
}

void TNameListModel::Show(const TSpravFile* file) {
    beginResetModel();
    FFile = file;
    FLookupValid = false;
    endResetModel();
}

void TNameListModel::CurrentFileChanged() {
    if (FSprav.CurrentFile != FFile) {
        Show(FSprav.CurrentFile);
    }
}

void TNameListModel::SinonimsAboutToBeInserted(const TSpravFile& file, int first, int last) {
    if (&file != FFile) {
        return;
    }
    FAppendedFrom = first == rowCount() ? first : -1;
    beginInsertRows({}, first, last);
}

void TNameListModel::SinonimsInserted(const TSpravFile& file) {
    if (&file != FFile) {
        return;
    }
    endInsertRows();
    // Names added at the end (typed or generated, one at a time) keep the lookup: a name already listed
    // keeps its first row.
    if (FLookupValid && FAppendedFrom >= 0) {
        for (int row = FAppendedFrom; row < rowCount(); ++row) {
            const QString folded = document::FoldedName(FFile->Sinonims[static_cast<std::size_t>(row)]->Name);
            if (!FFirstRow.contains(folded)) {
                FFirstRow.insert(folded, row);
            }
        }
    }
    if (FAppendedFrom < 0) {
        FLookupValid = false;
    }
    FAppendedFrom = -1;
}

void TNameListModel::SinonimsAboutToBeRemoved(const TSpravFile& file, int first, int last) {
    if (&file == FFile) {
        beginRemoveRows({}, first, last);
    }
}

void TNameListModel::SinonimsRemoved(const TSpravFile& file) {
    if (&file == FFile) {
        FLookupValid = false;
        endRemoveRows();
    }
}

void TNameListModel::SinonimChanged(const TSpravFile& file, int position) {
    if (&file == FFile) {
        FLookupValid = false;
        emit dataChanged(index(position), index(position), {Qt::DisplayRole});
    }
}

void TNameListModel::BookAboutToBeReset() {
    beginResetModel();
    FFile = nullptr;
}

void TNameListModel::BookReset() {
    FFile = FSprav.CurrentFile;
    FLookupValid = false;
    endResetModel();
}
