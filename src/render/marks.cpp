#include "render/marks.h"
#include "app/usererror.h"
#include "files/companions.h"
#include <QFile>
#include <QSaveFile>

namespace {

constexpr char kMarksFile[] = "marked.txt";

[[noreturn]] void Fail(const QString& what, const QString& fileName, const QString& reason)
{
    throw UserError(QStringLiteral("%1 \"%2\": %3").arg(what, fileName, reason).toStdString());
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
    const QString fileName = MarksFileName(folder);
    QFile file(fileName);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly))
        Fail(QStringLiteral("Cannot read the marks file"), fileName, file.errorString());

    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        if (file.error() != QFileDevice::NoError)
            Fail(QStringLiteral("Cannot read the marks file"), fileName, file.errorString());
        if (line.endsWith('\n'))
            line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;   // an empty line names no file
        const MarkCode code = ParseMarkLine(line);
        if (HasCodeSuffix(line))
            line.chop(2);
        m_entries.push_back(Entry{QString::fromLocal8Bit(line), code});
    }
}

void MarkStore::SaveMarks(const QString& folder) const
{
    const QString fileName = MarksFileName(folder);
    if (m_entries.empty()) {
        QFile file(fileName);
        if (file.exists() && !file.remove())
            Fail(QStringLiteral("Cannot delete the marks file"), fileName, file.errorString());
        return;
    }

    QByteArray content;
    for (const Entry& entry : m_entries)
        content += FormatMarkLine(entry.name.toLocal8Bit(), entry.code) + "\r\n";

    // Written whole to a temporary file and renamed, so a full disk never
    // leaves the marks half written.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        Fail(QStringLiteral("Cannot write the marks file"), fileName, file.errorString());
}

namespace {

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

MarkCode MarkStore::GetMark(const QString& path) const
{
    const QString name = PathFileName(path);
    for (const Entry& entry : m_entries)
        if (SameName(entry.name, name))
            return entry.code;
    return NoMark;
}

void MarkStore::SetMark(const QString& path, MarkCode code)
{
    const QString name = PathFileName(path);
    for (Entry& entry : m_entries) {
        if (SameName(entry.name, name)) {
            entry.code = code;
            return;
        }
    }
    m_entries.push_back(Entry{name, code});
}

void MarkStore::ClearMark(const QString& path)
{
    const QString name = PathFileName(path);
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (SameName(it->name, name)) {
            m_entries.erase(it);
            return;
        }
    }
}

void MarkStore::Clear()
{
    m_entries.clear();
}
