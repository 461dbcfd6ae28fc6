#include "render/rawprobe.h"

#include "common/paths.h"

#include <cerrno>
#include <chrono>
#include <climits>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tetrafot {

namespace {

constexpr char kProgramName[] = "tetrafot-rawprobe";

// Closes a descriptor when it goes out of scope.
struct Fd {
    int fd = -1;
    ~Fd() { reset(); }
    void reset()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
};

// A copy of fd at 10 or above, closed on exec: dup2 onto 1 or 3 in the
// child then always makes a new descriptor that stays open across exec.
int HighCopy(int fd)
{
    return ::fcntl(fd, F_DUPFD_CLOEXEC, 10);
}

} // namespace

RawProbe::RawProbe(QString program, int timeoutMs)
    : m_program(program.isEmpty() ? FindProgram() : std::move(program)), m_timeoutMs(timeoutMs)
{
}

QString RawProbe::FindProgram()
{
    char exe[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0)
        return QString::fromLatin1(kProgramName);
    const QString dir = PathFolderPart(DecodeFileName(QByteArrayView(exe, n)));
    const QString name = QString::fromLatin1(kProgramName);
    if (IsRegularFile(dir + name))
        return dir + name;
    return dir + QStringLiteral("../libexec/tetrafot/") + name;
}

int RawProbe::started() const
{
    std::lock_guard lock(m_mutex);
    return m_started;
}

QByteArray RawProbe::answer(const QString& path, int fd, const struct stat& st)
{
    const Key key{path, qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                  quint64(st.st_ino), quint64(st.st_dev)};
    if (!path.isEmpty()) {
        std::lock_guard lock(m_mutex);
        const auto it = m_answers.find(key);
        if (it != m_answers.end())
            return it->second;
    }
    const QByteArray answer = run(fd);
    std::lock_guard lock(m_mutex);
    ++m_started;
    // A probe that could not start says nothing about the file: asked again.
    if (!path.isEmpty() && !answer.startsWith("cannotstart")) {
        if (m_answers.size() >= kMaxKept)
            m_answers.clear();
        m_answers.emplace(key, answer);
    }
    return answer;
}

QByteArray RawProbe::run(int fd)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return "cannotstart " + QByteArray::number(errno);
    Fd readEnd{pipeFds[0]};
    Fd writeEnd{HighCopy(pipeFds[1])};
    ::close(pipeFds[1]);
    Fd file{HighCopy(fd)};
    if (writeEnd.fd < 0 || file.fd < 0)
        return "cannotstart " + QByteArray::number(errno);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.fd, 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, file.fd, 3);
    // The child starts with no signal blocked and default handlers, whatever
    // the thread that starts it has set.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    const QByteArray program = EncodeFileName(m_program);
    char* const argv[] = {const_cast<char*>(program.constData()), nullptr};
    char* const envp[] = {nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.constData(), &actions, &attr, argv, envp);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    writeEnd.reset();
    file.reset();
    if (spawned != 0)
        return "cannotstart " + QByteArray::number(spawned);

    // The answer is one short line; read it until the child closes its end
    // or the time is up.
    QByteArray out;
    bool timedOut = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd p{readEnd.fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, int(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            timedOut = ready == 0;
            break;
        }
        char buffer[256];
        const ssize_t got = ::read(readEnd.fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        out.append(buffer, got);
        if (out.size() > 1024) {
            timedOut = true;   // no answer is this long: a child gone wrong, stopped as a hung one
            break;
        }
    }
    if (timedOut)
        ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (timedOut)
        return "timeout";
    if (WIFSIGNALED(status))
        return "crashed " + QByteArray::number(WTERMSIG(status));
    const qsizetype end = out.indexOf('\n');
    if (end < 0)
        return "crashed 0";   // ended without a whole answer
    return out.left(end);
}

} // namespace tetrafot
