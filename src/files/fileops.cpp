#include "files/fileops.h"
#include "files/companions.h"
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <filesystem>
#include <functional>
#include <system_error>

namespace {

std::filesystem::path FsPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

bool SameFile(const QString& a, const QString& b)
{
    std::error_code ec;
    return std::filesystem::equivalent(FsPath(a), FsPath(b), ec) && !ec;
}

// May the target be written? A free name always; an existing file only
// with overwrite; a folder never.
bool TargetAllows(const QString& target, bool overwrite)
{
    const QFileInfo info(target);
    if (!info.exists() && !info.isSymLink())
        return true;
    return overwrite && !info.isDir();
}

bool Acceptable(const QString& source, const QString& target, bool overwrite)
{
    return QFileInfo(source).isFile() && TargetAllows(target, overwrite) && !SameFile(source, target);
}

// The copy goes to a temporary file beside the target and is renamed over
// it only when complete, so a full disk never leaves half a photo.
bool CopyOne(const QString& source, const QString& target, bool overwrite)
{
    if (!Acceptable(source, target, overwrite))
        return false;
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    constexpr qint64 kChunk = 1 << 20;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kChunk);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            return false;
        if (out.write(chunk) != chunk.size())
            return false;
    }
    // Like the platform's copy: the copy keeps the photo's time and mode.
    if (!out.flush())
        return false;
    out.setFileTime(QFileInfo(source).lastModified(), QFileDevice::FileModificationTime);
    if (!out.commit())
        return false;
    // The owner/group/other modes as they stand (Qt's permissions() would
    // add what the current user may do).
    std::error_code ec;
    const auto mode = std::filesystem::status(FsPath(source), ec).permissions();
    if (!ec)
        std::filesystem::permissions(FsPath(target), mode, ec);
    return true;
}

bool MoveOne(const QString& source, const QString& target, bool overwrite)
{
    if (!Acceptable(source, target, overwrite))
        return false;
    std::error_code ec;
    std::filesystem::rename(FsPath(source), FsPath(target), ec);
    if (!ec)
        return true;
    if (ec != std::errc::cross_device_link)
        return false;
    // Another file system: copy, then remove the source.
    return CopyOne(source, target, overwrite) && QFile::remove(source);
}

// Each companion that exists, under the name it was found by.
void ForEachCompanion(const QString& currentFile, const FileOpOptions& options,
                      const std::function<void(const QString&)>& action)
{
    if (!options.companions)
        return;
    for (const QString& extension : options.extensions) {
        const QString found = FindCompanion(CompanionName(currentFile, extension, options.prefix, options.suffix));
        if (!found.isEmpty())
            action(found);
    }
}

bool Transfer(const QString& currentFile, const QString& destination, const FileOpOptions& options,
              bool (*one)(const QString&, const QString&, bool))
{
    if (destination.trimmed().isEmpty())
        return false;
    if (currentFile.isEmpty())
        return true;
    // Every single failure is skipped; the photo's own failure does not stop
    // its companions.
    one(currentFile, TargetPath(destination, currentFile), options.overwrite);
    ForEachCompanion(currentFile, options, [&](const QString& companion) {
        one(companion, TargetPath(destination, companion), options.overwrite);
    });
    return true;
}

}  // namespace

QString TargetPath(const QString& destination, const QString& path)
{
    return WithTrailingSeparator(destination) + PathFileName(path);
}

bool CopyCurrentFile(const QString& currentFile, const QString& destination, const FileOpOptions& options)
{
    return Transfer(currentFile, destination, options, &CopyOne);
}

bool MoveCurrentFile(const QString& currentFile, const QString& destination, const FileOpOptions& options)
{
    return Transfer(currentFile, destination, options, &MoveOne);
}

void DeleteCurrentFile(const QString& currentFile, const FileOpOptions& options)
{
    if (currentFile.isEmpty())
        return;
    // Companions are looked up by name only, so the photo may go first.
    QFile::remove(currentFile);
    ForEachCompanion(currentFile, options, [](const QString& companion) { QFile::remove(companion); });
}
