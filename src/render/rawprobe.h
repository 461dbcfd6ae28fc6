#pragma once
#include <QByteArray>
#include <QString>

#include <map>
#include <mutex>
#include <tuple>

struct stat;

namespace tetrafot {

// Runs tetrafot-rawprobe, our small program that parses a RAW file's
// headers with LibRaw, and hands back its one-line answer (see
// rawprobe/rawlocate.h). LibRaw's parsers are not safe against hostile
// files, so they run in that child under its own memory and time limits; a
// child that crashes or hangs answers "crashed" or "timeout" instead, and
// the viewer stays up. Answers are kept per file identity (path, size,
// modification time, inode), so walking to a file and decoding it ahead
// starts the child once. Thread-safe.
class RawProbe {
public:
    // program: the probe's path; empty finds it beside the running program
    // (the build folder) or in ../libexec/tetrafot (an installed one).
    explicit RawProbe(QString program = QString(), int timeoutMs = 10000);

    // The answer for the regular file open at fd, whose fstat is st; path
    // keys the answers kept (empty: nothing is kept). The child gets fd
    // itself, so it reads the file that was checked, whatever its name now
    // points to. "cannotstart ERRNO" when the probe cannot be started.
    QByteArray answer(const QString& path, int fd, const struct stat& st);

    int started() const;   // children started so far
    const QString& program() const { return m_program; }
    static QString FindProgram();

private:
    QByteArray run(int fd);

    using Key = std::tuple<QString, qint64, qint64, quint64, quint64>;
    static constexpr size_t kMaxKept = 4096;
    QString m_program;
    int m_timeoutMs;
    mutable std::mutex m_mutex;
    std::map<Key, QByteArray> m_answers;
    int m_started = 0;
};

} // namespace tetrafot
