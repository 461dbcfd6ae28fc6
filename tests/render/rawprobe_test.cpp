// The hand-off to the RAW header probe: whatever the child does (answers,
// crashes, hangs, floods, is missing), the viewer gets one line back and
// goes on; a file is probed once while it stays the same.
#include "render/rawprobe.h"
#include "render/rawpreview.h"

#include "common/usererror.h"
#include "exifbuilder.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <chrono>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tetrafot;

namespace {

// A stand-in probe: a shell script with the given body.
QString Script(const QTemporaryDir& dir, const char* name, const QByteArray& body)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    EXPECT_TRUE(exif::WriteBytesToFile(path, "#!/bin/sh\n" + body + "\n"));
    EXPECT_EQ(::chmod(QFile::encodeName(path).constData(), 0700), 0);
    return path;
}

QByteArray Ask(RawProbe& probe, const QString& file, const QString& key = QString())
{
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC);
    EXPECT_GE(fd, 0);
    struct stat st {};
    ::fstat(fd, &st);
    const QByteArray answer = probe.answer(key, fd, st);
    ::close(fd);
    return answer;
}

} // namespace

TEST(RawProbe, EveryEndOfTheChildIsOneAnswer)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("a.dng");
    ASSERT_TRUE(exif::WriteBytesToFile(file, "preview 5 6 7 8\nrest"));
    struct Case {
        const char* name;
        QByteArray body;   // empty: no such program
        QByteArray answer;
        int maxMs;         // the 300 ms limit and a margin for a loaded machine
    } cases[] = {
        {"reads the file from descriptor 3", "read -r line <&3; echo \"$line\"", "preview 5 6 7 8", 5000},
        {"crashes", "kill -SEGV $$", "crashed 11", 5000},
        {"is killed by its memory limit", "kill -KILL $$", "crashed 9", 5000},
        {"ends without answering", "exit 0", "crashed 0", 5000},
        {"answers without an end of line", "printf preview", "crashed 0", 5000},
        {"hangs", "exec /bin/sleep 30", "timeout", 5000},
        {"floods its output", "exec /usr/bin/yes preview", "timeout", 5000},
        {"hangs holding its output open after answering", "echo nopreview; exec /bin/sleep 30", "timeout", 5000},
        {"is missing", "", "cannotstart 2", 5000},
    };
    int i = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString program = c.body.isEmpty() ? dir.filePath("missing")
                                                 : Script(dir, QByteArray("probe" + QByteArray::number(i++)).constData(), c.body);
        RawProbe probe(program, 300);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Ask(probe, file), c.answer);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(c.maxMs));
    }
}

// The walk and the look-ahead ask for the same file: one child per file
// identity; a changed file is asked again; a probe that could not start is
// retried.
TEST(RawProbe, OneChildPerFileIdentity)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.dng"), b = dir.filePath("b.dng");
    ASSERT_TRUE(exif::WriteBytesToFile(a, "preview 1 1 1 1\n"));
    ASSERT_TRUE(exif::WriteBytesToFile(b, "nopreview\n"));
    RawProbe probe(Script(dir, "probe", "read -r line <&3; echo \"$line\""), 5000);
    struct Step {
        const char* what;
        QString file;
        QByteArray rewrite;   // written to the file first when not empty
        QByteArray answer;
        int started;          // children started so far
    } steps[] = {
        {"first visit", a, {}, "preview 1 1 1 1", 1},
        {"look-ahead of the same file", a, {}, "preview 1 1 1 1", 1},
        {"another file", b, {}, "nopreview", 2},
        {"back to the first", a, {}, "preview 1 1 1 1", 2},
        {"the first rewritten", a, "preview 2 2 2 2 2\n", "preview 2 2 2 2 2", 3},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        if (!s.rewrite.isEmpty()) {
            ASSERT_TRUE(exif::WriteBytesToFile(s.file, s.rewrite));
        }
        EXPECT_EQ(Ask(probe, s.file, s.file), s.answer);
        EXPECT_EQ(probe.started(), s.started);
    }

    RawProbe missing(dir.filePath("missing"), 5000);
    Ask(missing, a, a);
    Ask(missing, a, a);
    EXPECT_EQ(missing.started(), 2);
}

// A file that crashed LibRaw's TIFF parser (a nested SubIFD) when the
// viewer parsed it in its own process: now the child ends and the file is
// reported by name as damaged.
TEST(RawProbe, FileThatCrashesLibRawIsReportedAsDamaged)
{
    RawProbe probe;
    const QString file = QStringLiteral(TETRAFOT_REGRESSIONS "/libraw-nested-subifd-crash.dng");
    try {
        ReadRawPreview(file, probe);
        ADD_FAILURE() << "no error";
    } catch (const UserError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("libraw-nested-subifd-crash.dng"), std::string::npos) << message;
        EXPECT_NE(message.find("повреждён"), std::string::npos) << message;
    }
    EXPECT_EQ(probe.started(), 1);
}
