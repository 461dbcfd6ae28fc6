#include "files/fileops.h"
#include "files/companions.h"
#include "common/paths.h"
#include "common/safefile.h"
#include "common/usererror.h"
#include <QCoreApplication>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <functional>
#include <system_error>

namespace tetrafot {

namespace {

std::filesystem::path FsPath(const QString& path)
{
    return std::filesystem::path(EncodeFileName(path).toStdString());
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
    const QByteArray name = EncodeFileName(target);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0)
        return true;
    return overwrite && (::stat(name.constData(), &st) != 0 || !S_ISDIR(st.st_mode));
}

bool Acceptable(const QString& source, const QString& target, bool overwrite)
{
    return IsRegularFile(source) && TargetAllows(target, overwrite) && !SameFile(source, target);
}

// A single copy or move: "" when done or deliberately skipped (no such
// source, a target kept without overwrite), else what went wrong, naming
// the file, for the one message shown after all were tried.
QString CopyOne(const QString& source, const QString& target, bool overwrite)
{
    if (!Acceptable(source, target, overwrite))
        return {};
    try {
        CopyFileWhole(source, target, overwrite);
        return {};
    } catch (const UserError& e) {
        return e.message();
    }
}

QString MoveOne(const QString& source, const QString& target, bool overwrite)
{
    if (!Acceptable(source, target, overwrite))
        return {};
    std::error_code ec;
    std::filesystem::rename(FsPath(source), FsPath(target), ec);
    if (!ec)
        return {};
    if (ec != std::errc::cross_device_link)
        return QCoreApplication::translate("FileOps", "Не удаётся переместить файл \"%1\" в \"%2\": %3").arg(DisplayName(source), DisplayName(target), SystemReason(ec.value()));
    // Another file system: copy, then remove the source.
    const QString copied = CopyOne(source, target, overwrite);
    if (!copied.isEmpty())
        return copied;
    if (::unlink(EncodeFileName(source).constData()) != 0)
        return QCoreApplication::translate("FileOps", "Не удаётся удалить перемещённый файл \"%1\": %2").arg(DisplayName(source), SystemReason(errno));
    return {};
}

[[noreturn]] void ReportFailures(const QStringList& failures)
{
    throw UserError(failures.join(QLatin1Char('\n')));
}

// Each companion that exists, under the name it was found by.
void ForEachCompanion(const QString& currentFile, const FileOpOptions& options,
                      const std::function<void(const QString&)>& action)
{
    if (!options.companions)
        return;
    for (const QString& extension : options.extensions) {
        const QString found = FindCompanion(CompanionName(currentFile, extension, options.prefix, options.suffix));
        // A RAW file whose own extension is configured finds itself: it was
        // acted on already.
        if (!found.isEmpty() && !SameFile(found, currentFile))
            action(found);
    }
}

bool Transfer(const QString& currentFile, const QString& destination, const FileOpOptions& options,
              QString (*one)(const QString&, const QString&, bool))
{
    if (destination.trimmed().isEmpty())
        return false;
    if (currentFile.isEmpty())
        return true;
    // The photo's own failure does not stop its companions; what failed is
    // reported once all were tried.
    QStringList failures;
    auto attempt = [&](const QString& source) {
        const QString failure = one(source, TargetPath(destination, source), options.overwrite);
        if (!failure.isEmpty())
            failures << failure;
    };
    attempt(currentFile);
    ForEachCompanion(currentFile, options, attempt);
    if (!failures.isEmpty())
        ReportFailures(failures);
    return true;
}

}  // namespace

namespace {

class SourceFile {
public:
    explicit SourceFile(const QString& path) : m_path(path)
    {
        // O_NONBLOCK: a FIFO swapped in under the photo's name is refused
        // below, never waited on.
        m_fd = ::open(EncodeFileName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (m_fd < 0 || ::fstat(m_fd, &m_stat) != 0)
            fail(SystemReason(errno));
        if (!S_ISREG(m_stat.st_mode))
            fail(QCoreApplication::translate("FileOps", "это не обычный файл"));
    }
    ~SourceFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    // Up to `size` bytes; 0 at the end of the file.
    qint64 read(char* data, qint64 size)
    {
        for (;;) {
            const ssize_t n = ::read(m_fd, data, size_t(size));
            if (n >= 0)
                return n;
            if (errno != EINTR)
                fail(SystemReason(errno));
        }
    }
    const struct stat& status() const { return m_stat; }

private:
    [[noreturn]] void fail(const QString& reason)
    {
        if (m_fd >= 0)
            ::close(m_fd);   // no destructor runs for a constructor that throws
        m_fd = -1;
        throw UserError(QCoreApplication::translate("FileOps", "Не удаётся прочитать файл \"%1\": %2").arg(DisplayName(m_path), reason));
    }

    QString m_path;
    int m_fd = -1;
    struct stat m_stat {};
};

}  // namespace

void CopyFileWhole(const QString& source, const QString& target, bool overwrite)
{
    SourceFile in(source);
    AtomicFileWriter out(target, QCoreApplication::translate("FileOps", "Не удаётся записать копию"));
    constexpr qint64 kChunk = 1 << 20;
    QByteArray buffer(kChunk, Qt::Uninitialized);
    while (const qint64 n = in.read(buffer.data(), kChunk))
        out.write(buffer.constData(), n);
    // Like the platform's copy: the copy keeps the photo's time and its
    // owner/group/other modes as they stand.
    out.setMode(in.status().st_mode & 07777);
    out.setModificationTime(in.status().st_mtim.tv_sec, in.status().st_mtim.tv_nsec);
    out.commit(overwrite ? AtomicFileWriter::Existing::Replace : AtomicFileWriter::Existing::Keep);
}

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
    QStringList failures;
    auto remove = [&](const QString& path) {
        if (::unlink(EncodeFileName(path).constData()) != 0 && errno != ENOENT)
            failures << QCoreApplication::translate("FileOps", "Не удаётся удалить файл \"%1\": %2").arg(DisplayName(path), SystemReason(errno));
    };
    remove(currentFile);
    ForEachCompanion(currentFile, options, remove);
    if (!failures.isEmpty())
        ReportFailures(failures);
}

FileOpOutcome CarryOutFileOperation(FileOperation operation, const QString& currentFile, const QString& destination,
                                    const FileOpOptions& options)
{
    FileOpOutcome outcome;
    const bool transfer = operation == FileOperation::Copy || operation == FileOperation::Move;
    if (transfer && destination.trimmed().isEmpty()) {
        outcome.needsDestination = true;
        return outcome;
    }
    try {
        if (operation == FileOperation::Copy)
            CopyCurrentFile(currentFile, destination, options);
        else if (operation == FileOperation::Move)
            MoveCurrentFile(currentFile, destination, options);
        else if (operation == FileOperation::Delete)
            DeleteCurrentFile(currentFile, options);
    } catch (const UserError& e) {
        // Whatever could be done is done; the message says what could not.
        outcome.error = e.message();
    }
    return outcome;
}

bool IsReadOnlyFile(const QString& path)
{
    struct stat st {};
    return ::stat(EncodeFileName(path).constData(), &st) != 0 || !(st.st_mode & S_IWUSR);
}

int SetReadOnly(const QString& path, bool readOnly)
{
    const QByteArray name = EncodeFileName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    const mode_t mode = readOnly ? st.st_mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH) : st.st_mode | S_IWUSR;
    return ::chmod(name.constData(), mode & 07777) == 0 ? 0 : errno;
}

namespace {

QString NotAFileReason(const QString& path)
{
    return PathExists(path) ? QCoreApplication::translate("FileOps", "это не обычный файл")
                            : QCoreApplication::translate("FileOps", "файл не существует");
}

} // namespace

QString ChangeReadOnly(const QString& path, bool readOnly)
{
    QString failure;
    if (!IsRegularFile(path))
        failure = NotAFileReason(path);
    else if (const int error = SetReadOnly(path, readOnly))
        failure = SystemReason(error);
    if (failure.isEmpty())
        return {};
    return QCoreApplication::translate("FileOps", "Не удаётся изменить права доступа к файлу \"%1\": %2.")
        .arg(DisplayName(path), failure);
}

QString UnreadableFileMessage(const QString& path)
{
    if (path.isEmpty() || IsRegularFile(path))
        return {};
    return QCoreApplication::translate("FileOps", "Не удаётся прочитать файл \"%1\": %2.").arg(DisplayName(path), NotAFileReason(path));
}

} // namespace tetrafot
