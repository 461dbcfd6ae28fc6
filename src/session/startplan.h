#pragma once
#include <QString>
#include <QStringList>

namespace tetrafot {

// How the window starts, worked out once from the command line and the
// stored folder before anything is listed, so that the panes are filled once.
struct StartPlan {
    QString folder;         // listed at start: the argument's, else the stored one, else the working directory
    QString folderError;    // why the folder chosen cannot be listed (the working directory is shown instead)
    bool keepStoredFolder = false;   // curdir stays as stored: its folder has gone, or folders are compared
    QStringList compared;   // two to four folders, absolute, compared side by side
    QString namedFile;      // a file named on the command line, absolute: pane 1 shows it
    bool rawFilter = false; // the named file is a RAW file: the JPEG and RAW filter lists it
};

// arguments: the command line less the program name. rawExtensions: the
// companion extensions of the settings (see IsRawFileName).
StartPlan MakeStartPlan(const QStringList& arguments, const QString& storedCurdir, const QString& workingDirectory,
                        const QStringList& rawExtensions);

} // namespace tetrafot
