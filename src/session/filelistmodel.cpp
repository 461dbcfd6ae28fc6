#include "session/filelistmodel.h"

#include "files/folderlist.h"
#include "panes/foldercomparison.h"

namespace tetrafot {

int FileListModel::count() const
{
    return m_comparison ? m_comparison->count() : m_list.count();
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= count())
        return {};
    return m_comparison ? m_comparison->stepName(index.row()) : m_list.displayName(index.row());
}

} // namespace tetrafot
