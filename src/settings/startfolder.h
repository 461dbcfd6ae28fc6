#pragma once
#include <QString>

namespace tetrafot {

// The start folder: "-d" gives the working directory; an existing file its
// folder; an existing folder itself; otherwise the stored curdir; and when
// that is empty too, the working directory (so marks never go to the root).
// A relative file or folder argument is resolved against workingDirectory
// and given as an absolute path.
QString StartFolder(const QString& argument, bool hasArgument, const QString& storedCurdir,
                    const QString& workingDirectory);

// The file the argument names (as a file manager's "Open with" passes one
// photo), as an absolute path; empty when it names no file.
QString StartFile(const QString& argument, bool hasArgument, const QString& workingDirectory);

// The settings file: $TETRAFOT_INI, else tetrafot.ini beside the executable
// when that folder is writable, else the user's config folder.
QString SettingsFilePath(const QString& executableDir);

} // namespace tetrafot
