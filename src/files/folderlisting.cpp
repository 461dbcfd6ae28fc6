#include "files/folderlisting.h"

#include "common/paths.h"
#include "common/safefile.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <numeric>
#include <sys/stat.h>
#include <vector>

namespace tetrafot {

namespace {

bool SameLetter(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

// Wildcard matching with backtracking to the last *: linear for the usual
// "*.jpg", and never worse than name x mask.
bool Match(const QChar* n, const QChar* nEnd, const QChar* m, const QChar* mEnd)
{
    const QChar* star = nullptr;
    const QChar* resume = nullptr;
    while (n != nEnd) {
        if (m != mEnd && *m == QLatin1Char('*')) {
            star = ++m;
            resume = n;
        } else if (m != mEnd && (*m == QLatin1Char('?') || SameLetter(*m, *n))) {
            ++m;
            ++n;
        } else if (star) {
            m = star;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (m != mEnd && *m == QLatin1Char('*'))
        ++m;
    return m == mEnd;
}

bool IsListed(int dirFd, const dirent* entry)
{
    unsigned char type = entry->d_type;
    if (type == DT_UNKNOWN || type == DT_LNK) {
        struct stat st {};
        // A link counts as what it points to; a dangling one is listed.
        if (::fstatat(dirFd, entry->d_name, &st, 0) != 0)
            return type == DT_LNK || ::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0;
        return !S_ISDIR(st.st_mode);
    }
    return type != DT_DIR;
}

} // namespace

bool MatchesMask(const QString& name, const QString& mask)
{
    return Match(name.constData(), name.constData() + name.size(), mask.constData(), mask.constData() + mask.size());
}

FolderListing ListFolderEntries(const QString& folder, const QStringList& masks)
{
    FolderListing result;
    DIR* dir = ::opendir(EncodeFileName(folder).constData());
    if (!dir) {
        result.error = SystemReason(errno);
        return result;
    }
    const bool everything = masks.contains(QStringLiteral("*"));
    QStringList names;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const char* raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        const QString name = DecodeFileName(QByteArrayView(raw));
        if (!everything && std::none_of(masks.begin(), masks.end(), [&](const QString& m) { return MatchesMask(name, m); }))
            continue;
        if (IsListed(::dirfd(dir), entry))
            names.append(name);
        errno = 0;
    }
    if (errno != 0)
        result.error = SystemReason(errno);
    ::closedir(dir);

    // Sorted by the lower-case names as they are shown, so a Latin-1 "\xe9"
    // goes where a UTF-8 one would; each lowered once, names shown alike in
    // a fixed order.
    std::vector<QString> keys;
    keys.reserve(size_t(names.size()));
    for (const QString& name : names)
        keys.push_back(DisplayName(name).toLower());
    std::vector<int> order(size_t(names.size()));
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = keys[size_t(a)].compare(keys[size_t(b)]);
        return c != 0 ? c < 0 : names[a] < names[b];
    });
    result.names.reserve(names.size());
    for (int i : order)
        result.names.append(names[i]);
    return result;
}

} // namespace tetrafot
