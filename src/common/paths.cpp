#include "common/paths.h"

bool IsPathSeparator(QChar c)
{
#ifdef Q_OS_WIN
    return c == QLatin1Char('\\') || c == QLatin1Char('/') || c == QLatin1Char(':');
#else
    return c == QLatin1Char('/');
#endif
}

namespace {

// Index just after the last separator; 0 for a bare name.
qsizetype FileNameStart(const QString& path)
{
    for (qsizetype i = path.size(); i > 0; --i)
        if (IsPathSeparator(path[i - 1]))
            return i;
    return 0;
}

}  // namespace

QString PathFolderPart(const QString& path)
{
    return path.left(FileNameStart(path));
}

QString PathFileName(const QString& path)
{
    return path.mid(FileNameStart(path));
}

QString WithTrailingSeparator(const QString& folder)
{
    if (!folder.isEmpty() && IsPathSeparator(folder.back()))
        return folder;
#ifdef Q_OS_WIN
    return folder + QLatin1Char('\\');
#else
    return folder + QLatin1Char('/');
#endif
}
