#include "session/startplan.h"

#include "common/paths.h"
#include "files/folderlisting.h"
#include "files/rawfiles.h"
#include "session/viewsession.h"
#include "settings/startfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tetrafot {

StartPlan MakeStartPlan(const QStringList& arguments, const QString& storedCurdir, const QString& workingDirectory,
                        const QStringList& rawExtensions)
{
    StartPlan plan;
    // Made absolute now: listing a folder changes the working directory.
    if (arguments.size() >= 2)
        for (const QString& folder : arguments)
            plan.compared << QDir::cleanPath(QDir(workingDirectory).absoluteFilePath(folder));

    const bool hasArgument = !arguments.isEmpty();
    const QString argument = hasArgument ? arguments.first() : QString();
    plan.folder = StartFolder(argument, hasArgument, storedCurdir, workingDirectory);
    if (!QFileInfo(plan.folder).isDir()) {
        // A stored folder that has gone (an unplugged card) is reported and
        // kept in the settings; the working directory is shown meanwhile.
        plan.folderError = QCoreApplication::translate("tetrafot::ViewSession", "Не удаётся открыть папку \"%1\": %2.")
                               .arg(plan.folder, ViewSession::folderProblem(plan.folder));
        plan.folder = workingDirectory;
        plan.keepStoredFolder = true;
    }
    // A comparison is not stored: the next plain start opens the folder as before.
    if (!plan.compared.isEmpty())
        plan.keepStoredFolder = true;

    plan.namedFile = StartFile(argument, hasArgument, workingDirectory);
    if (!plan.namedFile.isEmpty() && IsRegularFile(plan.namedFile) && IsRawFileName(plan.namedFile, rawExtensions)) {
        // "Open with" on a RAW file, which the JPEG filter leaves out.
        const QString name = QFileInfo(plan.namedFile).fileName();
        const QStringList photoMasks = FilterMasks(QString(PhotoMasks), rawExtensions);
        plan.rawFilter = std::none_of(photoMasks.begin(), photoMasks.end(),
                                      [&](const QString& mask) { return MatchesMask(name, mask); });
    }
    return plan;
}

} // namespace tetrafot
