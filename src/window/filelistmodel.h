#pragma once
#include <QAbstractListModel>

class FolderList;

// The file list widget's view of the folder list in the core: one row per
// entry, shown by its readable name. Rows are asked for only as they are
// drawn, so a folder of 100,000 files lists without 100,000 items.
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

private:
    const FolderList& m_list;
};
