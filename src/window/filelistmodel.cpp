#include "window/filelistmodel.h"

#include "files/folderlist.h"

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_list.count();
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_list.count())
        return {};
    return m_list.displayName(index.row());
}
