#pragma once
#include <QString>

// Path parts. The separators are named here only: on Linux "/" ends a
// folder; a Windows build adds "\\" and the drive colon.
bool IsPathSeparator(QChar c);
// The folder part, up to and including the last separator; empty for a bare name.
QString PathFolderPart(const QString& path);
// The text after the last separator (the whole path when there is none).
QString PathFileName(const QString& path);
// The folder followed by one separator, none added when it ends in one.
QString WithTrailingSeparator(const QString& folder);
