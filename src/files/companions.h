#pragma once
#include <QString>
#include <QStringList>

namespace tetrafot {

// Entries of a ";"-separated extension text, as typed (empty entries kept).
QStringList ParseExtensions(const QString& text);

// The companion's path: folder part + base name less prefix and suffix +
// "." + extension; empty when the file name has no dot.
QString CompanionName(const QString& path, const QString& extension,
                      const QString& prefix, const QString& suffix);

// The companion file that exists for a formed name: the name itself, then
// with its extension in upper case, then in lower case (file systems here
// distinguish letter case, camera settings often do not). Empty when none
// is a regular file.
QString FindCompanion(const QString& companionName);

// The RAW test for the file at path: its companions are looked up by file
// name in the working directory (the listed folder). A RAW file (see
// IsRawFileName) has no companions of its own: false.
bool HasRawCompanions(const QString& path, const QStringList& extensions,
                      bool anyRaw, const QString& prefix, const QString& suffix);

} // namespace tetrafot
