#pragma once
#include <QByteArray>
#include <QString>

namespace tetrafot {

// Reading the files the program trusts least. A photo, the marks file or
// the settings file may have been swapped for a FIFO, a device or a folder:
// such a name is reported, never waited on.

// Reads the whole of a regular file without blocking. Returns false with
// `reason` set to the system's reason ("No such file or directory", "not a
// regular file", "larger than N bytes", ...) and `missing` set when the name
// does not exist. `maxBytes` bounds what is read: larger files are refused.
struct RegularFileRead {
    QByteArray data;
    QString reason;
    bool missing = false;
    bool ok() const { return reason.isEmpty(); }
};
RegularFileRead ReadRegularFile(const QString& path, qint64 maxBytes);

// The system's text for an errno value, as the user should read it.
QString SystemReason(int errorNumber);

// Writing the files the user cannot afford to lose. The new content goes to
// a temporary file beside the target; every write, the flush to disk and the
// close are checked before the rename puts it in the target's place, so a
// full disk, a read-only folder or an I/O error leaves the old file whole.
// A failure removes the temporary file and throws UserError with the text
// `<failure> "<target>": <system's reason>`.
class AtomicFileWriter {
public:
    enum class Existing { Replace, Keep };

    // Creates the temporary file. An existing target's mode is kept; a new
    // file gets the usual mode (0666 less the umask). A symbolic link is
    // followed, so the file it names is replaced, not the link. A target
    // that is not a regular file (a folder, a FIFO) is refused.
    AtomicFileWriter(const QString& target, const QString& failure);
    ~AtomicFileWriter();   // removes the temporary file unless committed
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void write(const char* data, qint64 size);
    void write(const QByteArray& data) { write(data.constData(), data.size()); }
    // Best effort: a file system that cannot hold a mode or a time still
    // gets the content.
    void setMode(unsigned mode);
    void setModificationTime(qint64 seconds, long nanoseconds);
    // Flushes to disk, closes and renames. With Existing::Keep a target that
    // exists by then is an error (EEXIST) and stays as it is.
    void commit(Existing existing = Existing::Replace);

private:
    [[noreturn]] void fail(int errorNumber);
    [[noreturn]] void fail(const QString& reason);
    void discard();

    QString m_targetName;   // as the user knows it, for messages
    QString m_failure;
    QByteArray m_target;    // the path written, links resolved
    QByteArray m_temporary;
    int m_fd = -1;
};

// The whole of `content` in place of `target`, or nothing changed.
void WriteFileAtomically(const QString& target, const QByteArray& content, const QString& failure);

// A seam for tests: the nth call (counted from 1 after Inject) of one step
// of the writer fails with `errorNumber`. For Write, an errorNumber of 0
// makes that call write only part of the data (a short write).
namespace SafeFileFaults {
enum class Step { Open, Write, Fsync, Close, Rename };
void Inject(Step step, int nth, int errorNumber);
void Clear();
}  // namespace SafeFileFaults

} // namespace tetrafot
