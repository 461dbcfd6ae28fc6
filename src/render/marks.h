#pragma once
#include <QString>
#include <QByteArray>
#include <cstdint>
#include <vector>

using MarkCode = std::uint8_t;
constexpr MarkCode MarkV = 10;
constexpr MarkCode NoMark = 11;

// The marks of the current folder, in the order they were read or added.
// Names are file names without folder, compared without regard to case;
// the first entry of a name is the one that counts.
class MarkStore {
public:
    struct Entry {
        QString name;
        MarkCode code;
    };

    // Empties the store, then reads folder/marked.txt when it exists.
    // Throws UserError (naming the file) when it exists but cannot be read;
    // the entries read before the failure stay.
    void LoadMarks(const QString& folder);
    // Writes folder/marked.txt atomically, or deletes it when the store is
    // empty. Throws UserError naming the file when that fails; the store
    // keeps its entries either way.
    void SaveMarks(const QString& folder) const;

    // A path argument may be a full path: only its file name is used.
    MarkCode GetMark(const QString& path) const;
    void SetMark(const QString& path, MarkCode code);
    void ClearMark(const QString& path);
    void Clear();

    const std::vector<Entry>& entries() const { return m_entries; }
    bool empty() const { return m_entries.empty(); }

    static QString MarksFileName(const QString& folder);
    // One line of marked.txt without its line end.
    static MarkCode ParseMarkLine(const QByteArray& line);
    static QByteArray FormatMarkLine(const QByteArray& name, MarkCode code);

private:
    std::vector<Entry> m_entries;
};
