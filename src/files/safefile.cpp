#include "files/safefile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString SystemReason(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

RegularFileRead ReadRegularFile(const QString& path, qint64 maxBytes)
{
    RegularFileRead result;
    const QByteArray name = QFile::encodeName(path);
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
        result.reason = S_ISDIR(st.st_mode) ? QStringLiteral("it is a folder")
                                            : QStringLiteral("it is not a regular file");
    } else if (st.st_size > maxBytes) {
        result.reason = QStringLiteral("it is larger than %1 bytes").arg(maxBytes);
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
            result.reason = QStringLiteral("it is larger than %1 bytes").arg(maxBytes);
        data.truncate(qsizetype(filled));
        if (result.reason.isEmpty())
            result.data = std::move(data);
    }
    ::close(fd);
    return result;
}
