#include "common/safefile.h"
#include "common/paths.h"
#include "common/usererror.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tetrafot {

QString SystemReason(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

RegularFileRead ReadRegularFile(const QString& path, qint64 maxBytes)
{
    RegularFileRead result;
    const QByteArray name = EncodeFileName(path);
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        result.missing = errno == ENOENT;
        result.reason = SystemReason(errno);
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        result.reason = SystemReason(errno);
    } else if (!S_ISREG(st.st_mode)) {
        result.reason = S_ISDIR(st.st_mode) ? QCoreApplication::translate("SafeFile", "это папка")
                                            : QCoreApplication::translate("SafeFile", "это не обычный файл");
    } else if (st.st_size > maxBytes) {
        result.reason = QCoreApplication::translate("SafeFile", "он больше %1 байт").arg(maxBytes);
    } else {
        // A regular file never blocks; reading goes on until end of file, as
        // the file may grow while it is read (bounded by maxBytes).
        QByteArray data;
        data.resize(qsizetype(st.st_size));
        qint64 filled = 0;
        for (;;) {
            if (filled == data.size()) {
                if (filled >= maxBytes + 1)
                    break;
                data.resize(qsizetype(std::min<qint64>(maxBytes + 1, filled + 65536)));
            }
            const ssize_t n = ::read(fd, data.data() + filled, size_t(data.size() - filled));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                result.reason = SystemReason(errno);
                break;
            }
            if (n == 0)
                break;
            filled += n;
        }
        if (result.reason.isEmpty() && filled > maxBytes)
            result.reason = QCoreApplication::translate("SafeFile", "он больше %1 байт").arg(maxBytes);
        data.truncate(qsizetype(filled));
        if (result.reason.isEmpty())
            result.data = std::move(data);
    }
    ::close(fd);
    return result;
}

// ---- Writing -----------------------------------------------------------------

namespace SafeFileFaults {
namespace {
struct Fault {
    Step step = Step::Open;
    int nth = 0;            // 0: no fault
    int errorNumber = 0;
    int calls = 0;
};
Fault g_fault;
}  // namespace

void Inject(Step step, int nth, int errorNumber)
{
    g_fault = Fault{step, nth, errorNumber, 0};
}

void Clear()
{
    g_fault = Fault{};
}

// True when this call of the step is the one to fail; errorNumber tells how.
static bool Strikes(Step step, int& errorNumber)
{
    if (g_fault.nth == 0 || g_fault.step != step || ++g_fault.calls != g_fault.nth)
        return false;
    errorNumber = g_fault.errorNumber;
    return true;
}

}  // namespace SafeFileFaults

namespace {

using SafeFileFaults::Step;
using SafeFileFaults::Strikes;

// The system call, or in its place the fault a test asked for.
template <typename Call>
int Checked(Step step, Call call)
{
    int error = 0;
    if (!Strikes(step, error))
        return call();
    errno = error;
    return -1;
}

// For results the program does without: a mode or owner that a file system
// cannot hold.
void BestEffort(int) {}

// Beside the target, hidden, and short enough for any name the target has.
QByteArray TemporaryName(const QByteArray& target)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = target.left(slash + 1);
    const QByteArray name = target.mid(slash + 1).left(200);
    return folder + '.' + name + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 16) + ".tmp";
}

// Renaming without replacing; on a file system that cannot promise that,
// a check just before the rename has to do.
int RenameKeeping(const char* from, const char* to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL)
        return -1;
    struct stat st {};
    if (::lstat(to, &st) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from, to);
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(const QString& target, const QString& failure)
    : m_targetName(target), m_failure(failure), m_target(EncodeFileName(target))
{
    struct stat st {};
    if (::lstat(m_target.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* resolved = ::realpath(m_target.constData(), nullptr)) {
            m_target = resolved;
            std::free(resolved);
        }
    }
    const bool exists = ::stat(m_target.constData(), &st) == 0;
    // A FIFO or a device under the name is someone's doing: never replaced.
    if (exists && !S_ISREG(st.st_mode))
        fail(S_ISDIR(st.st_mode) ? QCoreApplication::translate("SafeFile", "это папка")
                                  : QCoreApplication::translate("SafeFile", "это не обычный файл"));

    for (int attempt = 0; m_fd < 0; ++attempt) {
        m_temporary = TemporaryName(m_target);
        m_fd = Checked(Step::Open, [&] {
            return ::open(m_temporary.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        });
        if (m_fd < 0 && errno != EINTR && (errno != EEXIST || attempt >= 16)) {
            const int error = errno;
            m_temporary.clear();   // not ours to remove
            fail(error);
        }
    }
    if (exists) {
        setMode(st.st_mode & 07777);
        // Root saving a user's file leaves it the user's; anyone else cannot
        // give a file away, and keeps it as their own.
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid())
            BestEffort(::fchown(m_fd, st.st_uid, st.st_gid));
    }
}

AtomicFileWriter::~AtomicFileWriter()
{
    discard();
}

void AtomicFileWriter::discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.isEmpty())
        ::unlink(m_temporary.constData());
    m_temporary.clear();
}

void AtomicFileWriter::fail(int errorNumber)
{
    fail(SystemReason(errorNumber));
}

void AtomicFileWriter::fail(const QString& reason)
{
    discard();
    throw UserError(QStringLiteral("%1 \"%2\": %3").arg(m_failure, DisplayName(m_targetName), reason));
}

void AtomicFileWriter::write(const char* data, qint64 size)
{
    while (size > 0) {
        int error = 0;
        ssize_t n;
        if (Strikes(Step::Write, error)) {
            if (error == 0) {
                n = ::write(m_fd, data, size_t(std::max<qint64>(1, size / 2)));
            } else {
                errno = error;
                n = -1;
            }
        } else {
            n = ::write(m_fd, data, size_t(size));
        }
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        if (n == 0)
            fail(EIO);   // a regular file that takes nothing would loop for ever
        data += n;
        size -= n;
    }
}

void AtomicFileWriter::setMode(unsigned mode)
{
    BestEffort(::fchmod(m_fd, mode_t(mode)));
}

void AtomicFileWriter::setModificationTime(qint64 seconds, long nanoseconds)
{
    const timespec times[2] = {{0, UTIME_OMIT}, {time_t(seconds), nanoseconds}};
    BestEffort(::futimens(m_fd, times));
}

void AtomicFileWriter::commit(Existing existing)
{
    // Delayed allocation may report a full disk only here.
    while (Checked(Step::Fsync, [&] { return ::fsync(m_fd); }) != 0)
        if (errno != EINTR)
            fail(errno);
    // Linux frees the descriptor even when close reports an error; EINTR
    // then means nothing was lost.
    const int fd = std::exchange(m_fd, -1);
    const int closed = ::close(fd);
    if (Checked(Step::Close, [&] { return closed; }) != 0 && errno != EINTR)
        fail(errno);
    const int renamed = Checked(Step::Rename, [&] {
        return existing == Existing::Keep ? RenameKeeping(m_temporary.constData(), m_target.constData())
                                          : ::rename(m_temporary.constData(), m_target.constData());
    });
    if (renamed != 0)
        fail(errno);
    m_temporary.clear();
    // So that the rename itself survives a power cut; the new file is in
    // place already, so a failure here has nothing left to protect.
    const qsizetype slash = m_target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : m_target.left(slash);
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        BestEffort(::fsync(dir));
        ::close(dir);
    }
}

void WriteFileAtomically(const QString& target, const QByteArray& content, const QString& failure)
{
    AtomicFileWriter writer(target, failure);
    writer.write(content);
    writer.commit();
}

} // namespace tetrafot
