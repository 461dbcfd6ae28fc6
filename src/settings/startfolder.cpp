#include "settings/startfolder.h"
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tetrafot {

QString StartFolder(const QString& argument, bool hasArgument, const QString& storedCurdir,
                    const QString& workingDirectory)
{
    QString folder;
    if (hasArgument && argument == QLatin1String("-d")) {
        folder = workingDirectory;
    } else if (hasArgument && !argument.isEmpty()) {
        // A relative argument is made absolute: listing the folder changes
        // the working directory, after which a relative name would point
        // somewhere else.
        const QString absolute = QDir(workingDirectory).absoluteFilePath(argument);
        const QFileInfo info(absolute);
        if (info.exists() && !info.isDir())
            folder = info.absolutePath();   // "/" for a file in the root
        else if (info.isDir())
            folder = QFileInfo(argument).isAbsolute() ? argument : QDir::cleanPath(absolute);
    }
    if (folder.isEmpty())
        folder = storedCurdir;
    // Without any folder the marks would go to the file system's root.
    if (folder.isEmpty())
        folder = workingDirectory;
    return folder;
}

QString StartFile(const QString& argument, bool hasArgument, const QString& workingDirectory)
{
    if (!hasArgument || argument.isEmpty() || argument == QLatin1String("-d"))
        return {};
    const QFileInfo info(QDir(workingDirectory).absoluteFilePath(argument));
    return info.exists() && !info.isDir() ? QDir::cleanPath(info.absoluteFilePath()) : QString();
}

QString SettingsFilePath(const QString& executableDir)
{
    const QString fromEnvironment = qEnvironmentVariable("TETRAFOT_INI");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;

    const QFileInfo exeDir(executableDir);
    if (!executableDir.isEmpty() && exeDir.isDir() && exeDir.isWritable())
        return QDir(executableDir).filePath(QStringLiteral("tetrafot.ini"));

    // The per-user folder does not depend on the application name being set.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                           QStringLiteral("/tetrafot");
    QDir().mkpath(folder);
    return folder + QStringLiteral("/tetrafot.ini");
}

} // namespace tetrafot
