#pragma once
#include <QAbstractListModel>

namespace tetrafot {

class FolderList;
class FolderComparison;

// The file list widget's view of the folder list in the core: one row per
// entry, shown by its readable name. Rows are asked for only as they are
// drawn, so a folder of 100,000 files lists without 100,000 items. While
// folders are compared, the rows are the names walked over instead.
class FileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit FileListModel(const FolderList& list, QObject* parent = nullptr) : QAbstractListModel(parent), m_list(list) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The folder list was listed again.
    void reset()
    {
        beginResetModel();
        endResetModel();
    }
    // The comparison's names in place of the folder's files; null for the folder again.
    void showComparison(const FolderComparison* comparison)
    {
        beginResetModel();
        m_comparison = comparison;
        endResetModel();
    }

private:
    int count() const;
    const FolderList& m_list;
    const FolderComparison* m_comparison = nullptr;
};

} // namespace tetrafot
