#include "settings/iniprofile.h"
#include "common/usererror.h"
#include "common/safefile.h"
#include <QCoreApplication>
#include <QHash>
#include <QSet>
#include <algorithm>

namespace tetrafot {

namespace IniProfile {
namespace {

// Settings a person keeps are a few kilobytes; a file beyond this is not
// one, and reading it whole would only cost memory.
constexpr qint64 kMaxSettingsBytes = 16 << 20;

enum class LineKind { Other, Header, Key };

// One line of the file: its bytes without the line end, and the line end as
// it stood ("\r\n", "\n" or nothing on a last line), so that untouched lines
// are written back exactly.
struct Line {
    QByteArray text;
    QByteArray end;
    LineKind kind = LineKind::Other;
    QString name;   // section name of a header, key name of a key line
};

Line Classify(QByteArray text, QByteArray end)
{
    Line line{std::move(text), std::move(end), LineKind::Other, {}};
    const QString s = QString::fromLocal8Bit(line.text).trimmed();
    if (s.startsWith(QLatin1Char('['))) {
        const qsizetype close = s.indexOf(QLatin1Char(']'));
        line.kind = LineKind::Header;
        line.name = (close < 0 ? s.mid(1) : s.mid(1, close - 1)).trimmed();
    } else if (s.startsWith(QLatin1Char(';')) || s.startsWith(QLatin1Char('#'))) {
        line.kind = LineKind::Other;
    } else if (const qsizetype eq = s.indexOf(QLatin1Char('=')); eq > 0) {
        line.kind = LineKind::Key;
        line.name = s.left(eq).trimmed();
    }
    return line;
}

std::vector<Line> SplitLines(const QByteArray& content)
{
    std::vector<Line> lines;
    qsizetype start = 0;
    while (start < content.size()) {
        const qsizetype lf = content.indexOf('\n', start);
        if (lf < 0) {
            lines.push_back(Classify(content.mid(start), {}));
            break;
        }
        qsizetype textEnd = lf;
        if (textEnd > start && content[textEnd - 1] == '\r')
            --textEnd;
        lines.push_back(Classify(content.mid(start, textEnd - start), content.mid(textEnd, lf + 1 - textEnd)));
        start = lf + 1;
    }
    return lines;
}

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Index of the first header of the section, or -1.
qsizetype FindSection(const std::vector<Line>& lines, const QString& section)
{
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].kind == LineKind::Header && SameName(lines[i].name, section))
            return qsizetype(i);
    return -1;
}

// One past the section's last line: the next header or the end of the file.
size_t SectionEnd(const std::vector<Line>& lines, size_t header)
{
    size_t i = header + 1;
    while (i < lines.size() && lines[i].kind != LineKind::Header)
        ++i;
    return i;
}

QString ValueText(const QString& raw)
{
    const qsizetype eq = raw.indexOf(QLatin1Char('='));
    return raw.mid(eq + 1).trimmed();
}

QByteArray KeyLine(const QString& key, QString value)
{
    // A line break inside a value would break the file's structure.
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return (key + QLatin1Char('=') + value).toLocal8Bit();
}

QByteArray FileLineEnd(const std::vector<Line>& lines)
{
    for (const Line& line : lines)
        if (!line.end.isEmpty())
            return line.end;
    return "\n";
}

}  // namespace

KeyValues ReadSection(const QString& fileName, const QString& section)
{
    KeyValues result;
    // A file that cannot be read, a FIFO or a folder under the name reads as
    // no settings, as a missing file does; writing then names the fault.
    const RegularFileRead read = ReadRegularFile(fileName, kMaxSettingsBytes);
    if (!read.ok())
        return result;
    const std::vector<Line> lines = SplitLines(read.data);
    const qsizetype header = FindSection(lines, section);
    if (header < 0)
        return result;
    const size_t end = SectionEnd(lines, size_t(header));
    QSet<QString> seen;   // folded names: a section of many keys stays linear
    for (size_t i = size_t(header) + 1; i < end; ++i) {
        if (lines[i].kind != LineKind::Key)
            continue;
        const QString folded = lines[i].name.toCaseFolded();
        if (seen.contains(folded))
            continue;
        seen.insert(folded);
        result.emplace_back(lines[i].name, ValueText(QString::fromLocal8Bit(lines[i].text)));
    }
    return result;
}

QByteArray UpdateSectionText(const QByteArray& content, const QString& section, const KeyValues& keys)
{
    std::vector<Line> lines = SplitLines(content);
    const QByteArray eol = FileLineEnd(lines);
    const qsizetype header = FindSection(lines, section);

    std::vector<Line> added;
    if (header < 0) {
        // A new section goes to the end, set off by a blank line.
        if (!lines.empty()) {
            if (lines.back().end.isEmpty())
                lines.back().end = eol;
            if (!lines.back().text.trimmed().isEmpty())
                lines.push_back(Line{{}, eol, LineKind::Other, {}});
        }
        lines.push_back(Line{QByteArray("[") + section.toLocal8Bit() + "]", eol, LineKind::Header, section});
        for (const auto& [key, value] : keys)
            lines.push_back(Line{KeyLine(key, value), eol, LineKind::Key, key});
    } else {
        const size_t end = SectionEnd(lines, size_t(header));
        size_t insertAt = size_t(header) + 1;   // after the section's last key
        for (size_t i = size_t(header) + 1; i < end; ++i)
            if (lines[i].kind == LineKind::Key)
                insertAt = i + 1;
        // The first line of each key, by folded name: a section of many
        // keys is looked up at once.
        QHash<QString, size_t> first;
        for (size_t i = size_t(header) + 1; i < end; ++i)
            if (lines[i].kind == LineKind::Key && !first.contains(lines[i].name.toCaseFolded()))
                first.insert(lines[i].name.toCaseFolded(), i);
        QSet<QString> addedNames;
        for (const auto& [key, value] : keys) {
            const QString folded = key.toCaseFolded();
            if (const auto it = first.constFind(folded); it != first.constEnd()) {
                lines[*it].text = KeyLine(key, value);
                lines[*it].name = key;
            } else if (!addedNames.contains(folded)) {
                addedNames.insert(folded);
                added.push_back(Line{KeyLine(key, value), eol, LineKind::Key, key});
            }
        }
        if (!added.empty()) {
            if (lines[insertAt - 1].end.isEmpty())
                lines[insertAt - 1].end = eol;
            lines.insert(lines.begin() + qsizetype(insertAt), added.begin(), added.end());
        }
    }

    QByteArray out;
    out.reserve(content.size() + 256);
    for (const Line& line : lines)
        out += line.text + line.end;
    return out;
}

void WriteSection(const QString& fileName, const QString& section, const KeyValues& keys)
{
    // Never replace a file whose other sections could not be read.
    const RegularFileRead read = ReadRegularFile(fileName, kMaxSettingsBytes);
    if (!read.ok() && !read.missing)
        throw UserError(QCoreApplication::translate("IniProfile", "Не удаётся прочитать файл настроек \"%1\": %2")
                            .arg(fileName, read.reason));
    WriteFileAtomically(fileName, UpdateSectionText(read.data, section, keys),
                        QCoreApplication::translate("IniProfile", "Не удаётся записать файл настроек"));
}

}  // namespace IniProfile

} // namespace tetrafot
