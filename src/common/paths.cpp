#include "common/paths.h"

#include <QDir>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tetrafot {

bool IsPathSeparator(QChar c)
{
#ifdef Q_OS_WIN
    return c == QLatin1Char('\\') || c == QLatin1Char('/') || c == QLatin1Char(':');
#else
    return c == QLatin1Char('/');
#endif
}

namespace {

// Index just after the last separator; 0 for a bare name.
qsizetype FileNameStart(const QString& path)
{
    for (qsizetype i = path.size(); i > 0; --i)
        if (IsPathSeparator(path[i - 1]))
            return i;
    return 0;
}

}  // namespace

QString PathFolderPart(const QString& path)
{
    return path.left(FileNameStart(path));
}

QString PathFileName(const QString& path)
{
    return path.mid(FileNameStart(path));
}

QString WithTrailingSeparator(const QString& folder)
{
    if (!folder.isEmpty() && IsPathSeparator(folder.back()))
        return folder;
#ifdef Q_OS_WIN
    return folder + QLatin1Char('\\');
#else
    return folder + QLatin1Char('/');
#endif
}

// ---- File names as bytes ------------------------------------------------------

namespace {

constexpr char16_t kEscapeBase = 0xDC00;   // + the byte, 0x80..0xFF

bool IsEscape(char16_t c)
{
    return c >= 0xDC80 && c <= 0xDCFF;
}

bool IsContinuation(unsigned char b, unsigned char low = 0x80, unsigned char high = 0xBF)
{
    return b >= low && b <= high;
}

// The length of the well-formed UTF-8 sequence at `p` (Unicode's table of
// well-formed byte sequences: no overlong forms, no surrogates, nothing
// above U+10FFFF), or 0 when the byte there starts none.
int SequenceLength(const unsigned char* p, const unsigned char* end)
{
    const unsigned char b = p[0];
    const auto left = end - p;
    if (b < 0x80)
        return 1;
    // The second byte's range depends on the first; the others are 80..BF.
    unsigned char low = 0x80, high = 0xBF;
    int length;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        if (b == 0xE0)
            low = 0xA0;   // shorter forms are overlong
        else if (b == 0xED)
            high = 0x9F;  // ED A0..BF would be a surrogate
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        if (b == 0xF0)
            low = 0x90;
        else if (b == 0xF4)
            high = 0x8F;  // beyond U+10FFFF
    } else {
        return 0;         // a continuation byte, C0, C1 or F5..FF
    }
    if (left < length || !IsContinuation(p[1], low, high))
        return 0;
    for (int i = 2; i < length; ++i)
        if (!IsContinuation(p[i]))
            return 0;
    return length;
}

void AppendUtf8(QByteArray& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Calls `unit(c)` for each UTF-16 code unit that is not part of a surrogate
// pair and `pair(codePoint)` for each pair.
template <typename Unit, typename Pair>
void ForEachCharacter(const QString& text, Unit unit, Pair pair)
{
    const char16_t* p = reinterpret_cast<const char16_t*>(text.utf16());
    const char16_t* end = p + text.size();
    while (p != end) {
        if (QChar::isHighSurrogate(p[0]) && end - p >= 2 && QChar::isLowSurrogate(p[1])) {
            pair(QChar::surrogateToUcs4(p[0], p[1]));
            p += 2;
        } else {
            unit(*p++);
        }
    }
}

// Whether a path holds bytes that are not UTF-8.
bool HasForeignBytes(const QString& path)
{
    bool found = false;
    ForEachCharacter(path, [&](char16_t c) { found = found || IsEscape(c); }, [](char32_t) {});
    return found;
}

}  // namespace

QString DecodeFileName(QByteArrayView bytes)
{
    QString text;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    const auto* run = p;   // the start of the valid UTF-8 not yet added
    auto flush = [&] {
        if (p != run)
            text += QString::fromUtf8(reinterpret_cast<const char*>(run), p - run);
    };
    while (p != end) {
        if (const int length = SequenceLength(p, end)) {
            p += length;
            continue;
        }
        flush();
        // One byte at a time: what follows a broken sequence may start a
        // good one.
        text += QChar(char16_t(kEscapeBase + *p++));
        run = p;
    }
    flush();
    return text;
}

QByteArray EncodeFileName(const QString& path)
{
    QByteArray bytes;
    bytes.reserve(path.size());
    ForEachCharacter(
        path,
        [&](char16_t c) {
            if (IsEscape(c))
                bytes += char(c - kEscapeBase);
            else if (QChar::isSurrogate(c))
                AppendUtf8(bytes, QChar::ReplacementCharacter);   // no file system name decodes to it
            else
                AppendUtf8(bytes, c);
        },
        [&](char32_t c) { AppendUtf8(bytes, c); });
    return bytes;
}

QString DisplayName(const QString& path)
{
    if (!HasForeignBytes(path))
        return QDir::toNativeSeparators(path);
    QString shown;
    shown.reserve(path.size());
    ForEachCharacter(
        path,
        [&](char16_t c) {
            if (!IsEscape(c))
                shown += QChar(c);
            else if (c - kEscapeBase >= 0xA0)
                shown += QChar(char16_t(c - kEscapeBase));
            else
                shown += QChar(QChar::ReplacementCharacter);
        },
        [&](char32_t c) { shown += QString::fromUcs4(&c, 1); });
    return QDir::toNativeSeparators(shown);
}

QUrl FileUrl(const QString& absolutePath)
{
    return QUrl::fromEncoded("file://" + EncodeFileName(absolutePath).toPercentEncoding("/"), QUrl::StrictMode);
}

bool IsRegularFile(const QString& path)
{
    struct stat st {};
    return !path.isEmpty() && ::stat(EncodeFileName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool PathExists(const QString& path)
{
    struct stat st {};
    return !path.isEmpty() && ::lstat(EncodeFileName(path).constData(), &st) == 0;
}

QString CurrentDirectory()
{
    std::vector<char> buffer(4096);
    while (!::getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            return QString();
        buffer.resize(buffer.size() * 2);
    }
    return DecodeFileName(QByteArrayView(buffer.data()));
}

QString AbsolutePath(const QString& path)
{
    if (path.isEmpty() || IsPathSeparator(path.front()))
        return QDir::cleanPath(path);
    return QDir::cleanPath(WithTrailingSeparator(CurrentDirectory()) + path);
}

} // namespace tetrafot
