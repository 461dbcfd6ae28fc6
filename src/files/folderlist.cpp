#include "files/folderlist.h"

#include "common/paths.h"
#include "files/folderlisting.h"

namespace tetrafot {

QString FolderList::list(const QString& folder, const Filter& filter, const MarkStore& marks)
{
    FolderListing listing = ListFolderEntries(folder, filter.markedOnly ? QStringList{QStringLiteral("*")} : filter.masks);
    if (!listing.ok())
        return listing.error;
    if (filter.markedOnly)
        listing.names.removeIf([&marks](const QString& name) { return marks.GetMark(name) == NoMark; });
    m_folder = folder;
    m_names = std::move(listing.names);
    m_selection = -1;
    m_index.clear();
    return {};
}

QString FolderList::displayName(int i) const
{
    return DisplayName(m_names[i]);
}

QString FolderList::path(int i) const
{
    if (i < 0 || i >= count())
        return {};
    return WithTrailingSeparator(m_folder) + m_names[i];
}

int FolderList::indexOf(const QString& path) const
{
    if (path.isEmpty() || m_names.isEmpty() || PathFolderPart(path) != WithTrailingSeparator(m_folder))
        return -1;
    if (m_index.isEmpty()) {
        m_index.reserve(m_names.size());
        for (int i = count() - 1; i >= 0; --i)
            m_index.insert(m_names[i], i);
    }
    return m_index.value(PathFileName(path), -1);
}

} // namespace tetrafot
