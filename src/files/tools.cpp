#include "files/tools.h"
#include "files/companions.h"
#include "common/paths.h"
#include <QProcess>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tetrafot {

namespace {

// The expansion so far: the template's own text, and the values put in,
// which no later pass looks into.
struct Piece {
    QString text;
    bool value;
};
using Pieces = std::vector<Piece>;

void Append(Pieces& pieces, const QString& text, bool value)
{
    if (text.isEmpty())
        return;
    // Template text on both sides of an empty value joins up again.
    if (!value && !pieces.empty() && !pieces.back().value)
        pieces.back().text += text;
    else
        pieces.push_back({text, value});
}

// Left to right, non-overlapping, in the template's text only.
Pieces ReplaceAll(const Pieces& pieces, QLatin1String macro, const QString& value)
{
    Pieces out;
    for (const Piece& piece : pieces) {
        if (piece.value) {
            out.push_back(piece);
            continue;
        }
        qsizetype start = 0;
        for (qsizetype hit = piece.text.indexOf(macro, 0, Qt::CaseSensitive); hit >= 0;
             hit = piece.text.indexOf(macro, start, Qt::CaseSensitive)) {
            Append(out, piece.text.mid(start, hit - start), false);
            Append(out, value, true);
            start = hit + macro.size();
        }
        Append(out, piece.text.mid(start), false);
    }
    return out;
}

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Starts the program with these arguments, each handed over as the bytes its
// text stands for (a file name that is not UTF-8 arrives as the file system
// spells it), in workingDir ("" keeps ours). The tool is the child of a
// child that ends at once, so it is never left to us to reap and lives on
// after the viewer. False when the program could not be started.
bool StartDetached(const QString& program, const QStringList& arguments, const QString& workingDir)
{
    // Everything the children need is made before the fork: after it, in a
    // program with other threads, only async-signal-safe calls are allowed.
    std::vector<QByteArray> words{EncodeFileName(program)};
    for (const QString& argument : arguments)
        words.push_back(EncodeFileName(argument));
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const QByteArray folder = EncodeFileName(workingDir);

    // The tool's end of the pipe closes as it starts; a failure sends errno.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        ::close(report[0]);
        ::setsid();
        const pid_t tool = ::fork();
        if (tool != 0)
            ::_exit(tool < 0 ? 1 : 0);
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::signal(SIGPIPE, SIG_DFL);
        if (folder.isEmpty() || ::chdir(folder.constData()) == 0)
            ::execvp(argv[0], argv.data());
        const int error = errno;
        [[maybe_unused]] const ssize_t sent = ::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    while ((got = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    return got == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

QString ExpandToolMacros(const QString& templ, const QString& folder, const QString& name, const QString& extension)
{
    Pieces pieces;
    Append(pieces, templ, false);
    pieces = ReplaceAll(pieces, QLatin1String("%d"), folder);
    pieces = ReplaceAll(pieces, QLatin1String("%f"), name);
    pieces = ReplaceAll(pieces, QLatin1String("%e"), extension);
    pieces = ReplaceAll(pieces, QLatin1String("%p"), folder + name + QLatin1Char('.') + extension);
    pieces = ReplaceAll(pieces, QLatin1String("%%"), QStringLiteral("%"));
    QString out;
    for (const Piece& piece : pieces)
        out += piece.text;
    return out;
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

SplitCommand ToolCommand(const QString& path, const QString& templ, const QString& currentFolder)
{
    if (path.isEmpty())
        return {};
    const QString folderPart = PathFolderPart(path);
    const QString fileName = path.mid(folderPart.size());
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString name = dot < 0 ? fileName : fileName.left(dot);
    const QString extension = dot < 0 ? QString() : fileName.mid(dot + 1);

    // A bare name is a file of the listed folder; before any folder was
    // chosen that is the working directory.
    QString folder = folderPart;
    if (folder.isEmpty())
        folder = currentFolder.isEmpty() ? CurrentDirectory() : currentFolder;
    folder = WithTrailingSeparator(folder);
    // "a//b.jpg" still gives one separator at the end.
    while (folder.size() > 1 && IsPathSeparator(folder.back()) && folder[folder.size() - 2] == folder.back())
        folder.chop(1);

    // Splitting the expanded line instead would cut a name with blanks
    // apart and eat its quotes.
    const SplitCommand parts = SplitCommandLine(templ);
    QStringList tokens;
    for (const QString& part : QStringList{parts.program} + parts.arguments) {
        const QString expanded = ExpandToolMacros(part, folder, name, extension);
        if (!expanded.isEmpty())
            tokens << expanded;
    }
    if (tokens.isEmpty())
        return {};
    return {tokens.takeFirst(), tokens};
}

bool RunTool(const QString& path, const QString& templ, const QString& currentFolder, const QString& workingDir)
{
    if (path.isEmpty())
        return false;
    const SplitCommand command = ToolCommand(path, templ, currentFolder);
    if (command.program.isEmpty())
        return false;
    return StartDetached(command.program, command.arguments, workingDir);
}

} // namespace tetrafot
