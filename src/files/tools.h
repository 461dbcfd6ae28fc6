#pragma once
#include <QString>
#include <QStringList>

namespace tetrafot {

// Five passes over the template in order: %d, %f, %e, %p, %%. The passes
// read only the template's own text: a folder or file name put in is taken
// as it is, never read as a macro by a later pass.
QString ExpandToolMacros(const QString& templ, const QString& folder,
                         const QString& name, const QString& extension);

struct SplitCommand {
    QString program;
    QStringList arguments;
};
// First token (double-quoted, or up to the first blank) is the program;
// the rest is split as a shell would.
SplitCommand SplitCommandLine(const QString& commandLine);

// The program and arguments for a pane path. The template is split first and
// each part expanded after, so the path reaches the tool as the file system
// spells it, whatever blanks, quotes or other signs its name holds. The
// folder ends in one separator (the current folder, else the working
// directory, for a bare name). Parts that expand to nothing are left out.
SplitCommand ToolCommand(const QString& path, const QString& templ, const QString& currentFolder);

// Starts the tool detached in workingDir; false when nothing was started.
bool RunTool(const QString& path, const QString& templ, const QString& currentFolder,
             const QString& workingDir);

} // namespace tetrafot
