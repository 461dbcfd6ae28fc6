#pragma once
#include <QString>
#include <QByteArray>
#include <QHash>
#include <cstdint>
#include <vector>

namespace tetrafot {

using MarkCode = std::uint8_t;
constexpr MarkCode MarkV = 10;
constexpr MarkCode NoMark = 11;

// The marks of the current folder, in the order they were read or added.
// Names are file names without folder, kept as the bytes the file system
// gives (a name need not be valid UTF-8), so lines nobody touched are
// written back as they were read. Names that are valid UTF-8 compare
// without regard to case, others byte for byte; the first entry of a name
// is the one that counts.
class MarkStore {
public:
    struct Entry {
        QByteArray name;
        MarkCode code;
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    // Empties the store, then reads folder/marked.txt when it exists.
    // Throws UserError (naming the file) when it exists but cannot be read,
    // or is no regular file (a FIFO is reported, never waited on); the store
    // then stays empty.
    void LoadMarks(const QString& folder);
    // Writes folder/marked.txt atomically, or deletes it when the store is
    // empty. Throws UserError naming the file and the system's reason when
    // that fails; the old file then stays whole, and the store keeps its
    // entries either way.
    void SaveMarks(const QString& folder) const;

    // A path argument may be a full path: only its file name is used.
    MarkCode GetMark(const QString& path) const;
    // Throws UserError for a name with a line break: marked.txt could not
    // hold it without it reading back as other names.
    void SetMark(const QString& path, MarkCode code);
    void ClearMark(const QString& path);
    void Clear();

    const std::vector<Entry>& entries() const { return m_entries; }
    bool empty() const { return m_entries.empty(); }
    // True when a mark changed since the last load or successful save.
    bool changedSinceSave() const { return m_changed; }

    static QString MarksFileName(const QString& folder);
    // One line of marked.txt without its line end.
    static MarkCode ParseMarkLine(const QByteArray& line);
    static QByteArray FormatMarkLine(const QByteArray& name, MarkCode code);

private:
    std::vector<Entry>::iterator find(const QByteArray& name);
    // Index of the first entry of each name, by NameKey, rebuilt after a
    // removal: a folder of 100,000 marks looks a name up at once.
    int indexOf(const QByteArray& name) const;

    std::vector<Entry> m_entries;
    mutable QHash<QByteArray, int> m_index;
    mutable bool m_indexStale = true;
    mutable bool m_changed = false;
};

// A mark belongs to the file's own folder. A pane may still show a file of
// a folder left behind, whose marks are not the store in memory: these read
// that folder's marked.txt, and change a mark there at once (read, changed,
// written atomically). NoMark clears. Reading gives an empty store when the
// marks file cannot be read; writing throws UserError, naming the file, and
// then changes nothing.
MarkStore MarksOfOwnFolder(const QString& path);
void WriteMarkInOwnFolder(const QString& path, MarkCode code);

} // namespace tetrafot
