#pragma once
#include <QString>
#include <QStringList>

// Five passes in order: %d, %f, %e, %p, %%; text a pass inserts is not
// scanned again by that pass.
QString ExpandToolMacros(const QString& templ, const QString& folder,
                         const QString& name, const QString& extension);

// The command line for a pane path: folder (ending in one separator; the
// current folder, else the working directory, for a bare name), name and
// extension expanded into the template. Empty for an empty path.
QString ToolCommandLine(const QString& path, const QString& templ, const QString& currentFolder);

struct SplitCommand {
    QString program;
    QStringList arguments;
};
// First token (double-quoted, or up to the first blank) is the program;
// the rest is split as a shell would.
SplitCommand SplitCommandLine(const QString& commandLine);

// Starts the tool detached in workingDir; false when nothing was started.
bool RunTool(const QString& path, const QString& templ, const QString& currentFolder,
             const QString& workingDir);
