#include "files/tools.h"
#include "files/companions.h"
#include <QDir>
#include <QProcess>

namespace {

// Left to right, non-overlapping; the scan resumes after the inserted text.
QString ReplaceAll(const QString& s, QLatin1String from, const QString& to)
{
    QString out;
    qsizetype start = 0;
    for (qsizetype hit = s.indexOf(from, 0, Qt::CaseSensitive); hit >= 0;
         hit = s.indexOf(from, start, Qt::CaseSensitive)) {
        out += QStringView(s).mid(start, hit - start);
        out += to;
        start = hit + from.size();
    }
    out += QStringView(s).mid(start);
    return out;
}

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

}  // namespace

QString ExpandToolMacros(const QString& templ, const QString& folder, const QString& name, const QString& extension)
{
    QString s = ReplaceAll(templ, QLatin1String("%d"), folder);
    s = ReplaceAll(s, QLatin1String("%f"), name);
    s = ReplaceAll(s, QLatin1String("%e"), extension);
    s = ReplaceAll(s, QLatin1String("%p"), folder + name + QLatin1Char('.') + extension);
    return ReplaceAll(s, QLatin1String("%%"), QStringLiteral("%"));
}

QString ToolCommandLine(const QString& path, const QString& templ, const QString& currentFolder)
{
    if (path.isEmpty())
        return QString();
    const QString folderPart = PathFolderPart(path);
    const QString fileName = path.mid(folderPart.size());
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString name = dot < 0 ? fileName : fileName.left(dot);
    const QString extension = dot < 0 ? QString() : fileName.mid(dot + 1);

    // A bare name is a file of the listed folder; before any folder was
    // chosen that is the working directory.
    QString folder = folderPart;
    if (folder.isEmpty())
        folder = currentFolder.isEmpty() ? QDir::currentPath() : currentFolder;
    folder = WithTrailingSeparator(folder);
    // "a//b.jpg" still gives one separator at the end.
    while (folder.size() > 1 && IsPathSeparator(folder.back()) && folder[folder.size() - 2] == folder.back())
        folder.chop(1);

    return ExpandToolMacros(templ, folder, name, extension);
}

SplitCommand SplitCommandLine(const QString& commandLine)
{
    SplitCommand split;
    qsizetype i = 0;
    while (i < commandLine.size() && IsBlank(commandLine[i]))
        ++i;
    QString rest;
    if (i < commandLine.size() && commandLine[i] == QLatin1Char('"')) {
        const qsizetype close = commandLine.indexOf(QLatin1Char('"'), i + 1);
        if (close < 0) {
            split.program = commandLine.mid(i + 1);
        } else {
            split.program = commandLine.mid(i + 1, close - i - 1);
            rest = commandLine.mid(close + 1);
        }
    } else {
        qsizetype end = i;
        while (end < commandLine.size() && !IsBlank(commandLine[end]))
            ++end;
        split.program = commandLine.mid(i, end - i);
        rest = commandLine.mid(end);
    }
    split.arguments = QProcess::splitCommand(rest);
    return split;
}

bool RunTool(const QString& path, const QString& templ, const QString& currentFolder, const QString& workingDir)
{
    if (path.isEmpty())
        return false;
    const SplitCommand command = SplitCommandLine(ToolCommandLine(path, templ, currentFolder));
    if (command.program.isEmpty())
        return false;
    return QProcess::startDetached(command.program, command.arguments, workingDir);
}
