#pragma once
#include <QString>
#include <QStringList>

namespace tetrafot {

// destination folder + "/" (not doubled) + the path's file name.
QString TargetPath(const QString& destination, const QString& path);

struct FileOpOptions {
    QString prefix;
    QString suffix;
    bool overwrite = false;
    bool companions = false;
    QStringList extensions;   // the RAW extensions, as ParseExtensions gives them
};

// One copy, whole or not at all: the content goes to a temporary file
// beside the target and replaces it only when complete, keeping the
// source's modification time and mode. An existing target is replaced only
// with overwrite. Throws UserError naming the file and the system's reason;
// the target is then as it was.
void CopyFileWhole(const QString& source, const QString& target, bool overwrite);

// Each single copy, move or delete that fails is skipped and the others are
// still tried; then one UserError lists what failed, each line naming the
// file and the system's reason. A missing source and an existing target
// without overwrite are skipped quietly: nothing was asked that failed. An
// existing target is replaced only with overwrite, and never left
// half-written. An empty destination touches no file and returns false.
bool CopyCurrentFile(const QString& currentFile, const QString& destination, const FileOpOptions& options);
bool MoveCurrentFile(const QString& currentFile, const QString& destination, const FileOpOptions& options);
void DeleteCurrentFile(const QString& currentFile, const FileOpOptions& options);

// The file operations dialog's operations, numbered as its items.
enum class FileOperation { None = -1, Copy = 0, Move = 1, Delete = 2 };
struct FileOpOutcome {
    // A copy or move was asked with no destination folder: nothing was done.
    bool needsDestination = false;
    // What failed, one line per file ("" when nothing did).
    QString error;
};
// Carries out the chosen operation on the file and, when asked, its
// companions. Never throws: what fails is in the outcome.
FileOpOutcome CarryOutFileOperation(FileOperation operation, const QString& currentFile, const QString& destination,
                                    const FileOpOptions& options);

// Read-only means the owner may not write; a file that cannot be asked
// counts as read-only.
bool IsReadOnlyFile(const QString& path);
// Setting read-only clears every write bit, clearing it gives the owner
// write. 0 when done, else the system's error number (EINVAL for a name that
// is no regular file).
int SetReadOnly(const QString& path, bool readOnly);
// G on a pane: makes the file read-only or writable. The message naming the
// file and the reason when that fails, else "".
QString ChangeReadOnly(const QString& path, bool readOnly);
// R on a pane whose file has gone or is no regular file since it was
// shown: the message saying so, else "".
QString UnreadableFileMessage(const QString& path);

} // namespace tetrafot
