#pragma once
#include "render/marks.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace tetrafot {

// The folder the file list shows: its entries in order (names as the file
// system holds them, decoded losslessly, see DecodeFileName), the filter
// they were listed with, and the selected entry. The list widget is a view
// of it; the walk and the panes ask it for entries.
class FolderList {
public:
    // Which entries are listed: names matching one of the masks, or with
    // markedOnly, the names that have a mark in `marks` when listed (a mark
    // removed later leaves its file listed until the folder is listed again).
    struct Filter {
        QStringList masks;
        bool markedOnly = false;
    };

    // Lists the folder (an absolute path). On failure returns the system's
    // reason and the list stays as it was; on success the selection is none.
    QString list(const QString& folder, const Filter& filter, const MarkStore& marks);

    const QString& folder() const { return m_folder; }
    int count() const { return int(m_names.size()); }
    const QString& name(int i) const { return m_names[i]; }
    QString displayName(int i) const;
    // The full path of entry i; "" out of range.
    QString path(int i) const;
    // The entry of a full path, -1 when the list does not hold it.
    int indexOf(const QString& path) const;

    int selection() const { return m_selection; }
    // -1 or an index out of range selects nothing.
    void select(int i) { m_selection = i >= 0 && i < count() ? i : -1; }

private:
    QString m_folder;
    QStringList m_names;
    int m_selection = -1;
    mutable QHash<QString, int> m_index;   // name to entry, made at the first indexOf
};

} // namespace tetrafot
