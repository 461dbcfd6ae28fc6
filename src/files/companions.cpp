#include "files/companions.h"
#include "common/paths.h"
#include "files/rawfiles.h"

namespace tetrafot {

QStringList ParseExtensions(const QString& text)
{
    QStringList entries;
    if (text.isEmpty())
        return entries;
    QString pending;
    for (const QChar c : text) {
        if (c == QLatin1Char(';')) {
            entries.append(pending);
            pending.clear();
        } else {
            pending.append(c);
        }
    }
    // A trailing ";" adds nothing further.
    if (!text.endsWith(QLatin1Char(';')))
        entries.append(pending);
    return entries;
}

QString CompanionName(const QString& path, const QString& extension, const QString& prefix,
                      const QString& suffix)
{
    const QString folder = PathFolderPart(path);
    const QString fileName = path.mid(folder.size());
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return QString();
    QString base = fileName.left(dot);
    if (!prefix.isEmpty() && base.startsWith(prefix, Qt::CaseSensitive))
        base.remove(0, prefix.size());
    if (!suffix.isEmpty() && base.endsWith(suffix, Qt::CaseSensitive))
        base.chop(suffix.size());
    return folder + base + QLatin1Char('.') + extension;
}

QString FindCompanion(const QString& companionName)
{
    if (companionName.isEmpty())
        return QString();
    if (IsRegularFile(companionName))
        return companionName;

    // Camera settings write "CRW" and "crw" alike; try both spellings of
    // the extension on file systems that tell them apart.
    const qsizetype dot = companionName.lastIndexOf(QLatin1Char('.'));
    if (dot < PathFolderPart(companionName).size())
        return QString();
    const QString stem = companionName.left(dot + 1);
    const QString extension = companionName.mid(dot + 1);
    for (const QString& spelling : {extension.toUpper(), extension.toLower()}) {
        if (spelling == extension)
            continue;
        const QString candidate = stem + spelling;
        if (IsRegularFile(candidate))
            return candidate;
    }
    return QString();
}

bool HasRawCompanions(const QString& path, const QStringList& extensions, bool anyRaw,
                      const QString& prefix, const QString& suffix)
{
    // The mark tells a JPEG's RAW files; a RAW file shown on its own has none,
    // even when its own extension is configured (it would find itself).
    if (extensions.isEmpty() || IsRawFileName(path, extensions))
        return false;
    const QString fileName = PathFileName(path);
    for (const QString& extension : extensions) {
        const bool exists = !FindCompanion(CompanionName(fileName, extension, prefix, suffix)).isEmpty();
        if (anyRaw && exists)
            return true;
        if (!anyRaw && !exists)
            return false;
    }
    return !anyRaw;
}

} // namespace tetrafot
