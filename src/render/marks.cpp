#include "render/marks.h"
#include "common/usererror.h"
#include "common/paths.h"
#include "common/safefile.h"
#include <QCoreApplication>
#include <QStringDecoder>
#include <algorithm>
#include <optional>
#include <cerrno>
#include <unistd.h>

namespace tetrafot {

namespace {

constexpr char kMarksFile[] = "marked.txt";
// A line is a file name and three bytes: a million marks stay far below
// this, and a file beyond it is no marks file a person made.
constexpr qint64 kMaxMarksBytes = 64 << 20;

[[noreturn]] void Fail(const QString& what, const QString& fileName, const QString& reason)
{
    throw UserError(QStringLiteral("%1 \"%2\": %3").arg(what, DisplayName(fileName), reason));
}

bool HasCodeSuffix(const QByteArray& line)
{
    return line.size() >= 2 && line[line.size() - 2] == ':';
}

}  // namespace

QString MarkStore::MarksFileName(const QString& folder)
{
    const QString name = QString::fromLatin1(kMarksFile);
    return folder.isEmpty() ? name : WithTrailingSeparator(folder) + name;
}

MarkCode MarkStore::ParseMarkLine(const QByteArray& line)
{
    if (!HasCodeSuffix(line))
        return MarkV;
    return MarkCode(static_cast<unsigned char>(line.back()) - static_cast<unsigned char>('0'));
}

QByteArray MarkStore::FormatMarkLine(const QByteArray& name, MarkCode code)
{
    // A name that already looks like "x:c" loses or replaces its code; the
    // names of listed files always end in an extension, so it never does.
    QByteArray line = name;
    const bool coded = HasCodeSuffix(line);
    if (code == MarkV) {
        if (coded)
            line.chop(2);
        return line;
    }
    const char digit = char(MarkCode(code + '0'));
    if (coded)
        line[line.size() - 1] = digit;
    else
        line.append(':').append(digit);
    return line;
}

void MarkStore::LoadMarks(const QString& folder)
{
    m_entries.clear();
    m_indexStale = true;
    m_changed = false;
    const QString fileName = MarksFileName(folder);
    const RegularFileRead read = ReadRegularFile(fileName, kMaxMarksBytes);
    if (read.missing)
        return;
    if (!read.ok())
        Fail(QCoreApplication::translate("Marks", "Не удаётся прочитать файл отметок"), fileName, read.reason);

    for (QByteArray line : read.data.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;   // an empty line names no file
        const MarkCode code = ParseMarkLine(line);
        if (HasCodeSuffix(line))
            line.chop(2);
        m_entries.push_back(Entry{line, code});
    }
}

void MarkStore::SaveMarks(const QString& folder) const
{
    const QString fileName = MarksFileName(folder);
    if (m_entries.empty()) {
        const QByteArray name = EncodeFileName(fileName);
        if (::unlink(name.constData()) != 0 && errno != ENOENT)
            Fail(QCoreApplication::translate("Marks", "Не удаётся удалить файл отметок"), fileName, SystemReason(errno));
        m_changed = false;
        return;
    }

    QByteArray content;
    for (const Entry& entry : m_entries)
        content += FormatMarkLine(entry.name, entry.code) + "\r\n";
    WriteFileAtomically(fileName, content, QCoreApplication::translate("Marks", "Не удаётся записать файл отметок"));
    m_changed = false;
}

namespace {

// The name as text when it is valid UTF-8 (the file system's encoding).
std::optional<QString> NameText(const QByteArray& name)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(name);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// The key names are compared by: equal bytes are the same name, and so are
// two texts that differ only in case. A name that is not valid UTF-8 has no
// case, so two such names never merge through the replacement character
// they would both decode to.
QByteArray NameKey(const QByteArray& name)
{
    const std::optional<QString> text = NameText(name);
    return text ? 't' + text->toCaseFolded().toUtf8() : 'b' + name;
}

QByteArray NameBytes(const QString& path)
{
    return EncodeFileName(PathFileName(path));
}

}  // namespace

int MarkStore::indexOf(const QByteArray& name) const
{
    if (m_indexStale) {
        // Back to front, so that the first entry of a name is the one kept.
        m_index.clear();
        for (int i = int(m_entries.size()) - 1; i >= 0; --i)
            m_index.insert(NameKey(m_entries[size_t(i)].name), i);
        m_indexStale = false;
    }
    return m_index.value(NameKey(name), -1);
}

std::vector<MarkStore::Entry>::iterator MarkStore::find(const QByteArray& name)
{
    const int i = indexOf(name);
    return i < 0 ? m_entries.end() : m_entries.begin() + i;
}

MarkCode MarkStore::GetMark(const QString& path) const
{
    const int i = indexOf(NameBytes(path));
    return i < 0 ? NoMark : m_entries[size_t(i)].code;
}

void MarkStore::SetMark(const QString& path, MarkCode code)
{
    const QString fileName = PathFileName(path);
    if (fileName.contains(QLatin1Char('\n')) || fileName.contains(QLatin1Char('\r')))
        throw UserError(QCoreApplication::translate("Marks", "Не удаётся отметить \"%1\": в имени файла есть перевод строки, "
                                                              "а файл отметок не может его хранить")
                            .arg(DisplayName(path)));
    const QByteArray name = EncodeFileName(fileName);
    const auto it = find(name);
    if (it == m_entries.end()) {
        if (!m_indexStale)
            m_index.insert(NameKey(name), int(m_entries.size()));
        m_entries.push_back(Entry{name, code});
        m_changed = true;
    } else if (it->code != code) {
        it->code = code;
        m_changed = true;
    }
}

void MarkStore::ClearMark(const QString& path)
{
    const auto it = find(NameBytes(path));
    if (it != m_entries.end()) {
        m_entries.erase(it);
        m_indexStale = true;   // the entries after it moved
        m_changed = true;
    }
}

void MarkStore::Clear()
{
    m_changed = m_changed || !m_entries.empty();
    m_entries.clear();
    m_indexStale = true;
}

MarkStore MarksOfOwnFolder(const QString& path)
{
    MarkStore store;
    try {
        store.LoadMarks(PathFolderPart(path));
    } catch (const UserError&) {
        store.Clear();   // shown without marks; setting one reports the file
    }
    return store;
}

void WriteMarkInOwnFolder(const QString& path, MarkCode code)
{
    const QString folder = PathFolderPart(path);
    MarkStore store;
    store.LoadMarks(folder);   // a file that cannot be read is never overwritten
    if (code == NoMark)
        store.ClearMark(path);
    else
        store.SetMark(path, code);
    if (store.changedSinceSave())
        store.SaveMarks(folder);
}

} // namespace tetrafot
