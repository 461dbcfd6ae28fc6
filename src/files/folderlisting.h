#pragma once
#include <QString>
#include <QStringList>

namespace tetrafot {

// The entries of a folder that the file list shows: every name that is not
// a folder (regular files, links to them, dangling links, FIFOs and devices,
// hidden names too) and that matches one of the masks, sorted by name
// without regard to case. Masks are file-name patterns with * and ?,
// matched without regard to case ("*" matches every name, with or without
// a dot).
//
// One readdir pass: the entry type comes with the name, so only links and
// entries of unknown type cost a stat. A folder of 100,000 photos lists in
// little more than the directory read and the sort.
struct FolderListing {
    QStringList names;
    QString error;   // the system's reason when the folder cannot be read
    bool ok() const { return error.isEmpty(); }
};
FolderListing ListFolderEntries(const QString& folder, const QStringList& masks);

// True when the name matches the pattern (* and ?, without regard to case).
bool MatchesMask(const QString& name, const QString& mask);

} // namespace tetrafot
