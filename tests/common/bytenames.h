#pragma once
// Files under names that are not UTF-8, made and read with the system's calls
// on the bytes themselves: Qt's file functions would spell such a name
// otherwise and miss the file.
#include <QByteArray>
#include <QByteArrayList>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace bytenames {

inline void Write(const QByteArray& path, const QByteArray& content)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << path.toStdString();
    ASSERT_EQ(::write(fd, content.constData(), size_t(content.size())), content.size());
    ::close(fd);
}

inline QByteArray Read(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return "<missing>";
    QByteArray data;
    char chunk[4096];
    ssize_t n;
    while ((n = ::read(fd, chunk, sizeof chunk)) > 0)
        data.append(chunk, n);
    ::close(fd);
    return data;
}

inline bool Exists(const QByteArray& path)
{
    return ::access(path.constData(), F_OK) == 0;
}

// The entries of a folder as bytes, sorted, without "." and "..".
inline QByteArrayList List(const QByteArray& folder)
{
    QByteArrayList names;
    if (DIR* dir = ::opendir(folder.constData())) {
        while (const dirent* entry = ::readdir(dir))
            if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                names << QByteArray(entry->d_name);
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Empties a folder on leaving, names Qt cannot spell included (QTemporaryDir
// would leave them behind); declared after the QTemporaryDir, it goes first.
class Cleanup {
public:
    explicit Cleanup(QByteArray folder = {}) : m_folder(std::move(folder)) {}
    void setFolder(const QByteArray& folder) { m_folder = folder; }
    ~Cleanup()
    {
        if (m_folder.isEmpty())
            return;
        ::nftw(m_folder.constData(), [](const char* path, const struct stat*, int, FTW* at) {
            if (at->level > 0)
                std::remove(path);
            return 0;
        }, 16, FTW_DEPTH | FTW_PHYS);
    }
    Cleanup(const Cleanup&) = delete;
    Cleanup& operator=(const Cleanup&) = delete;

private:
    QByteArray m_folder;
};

}  // namespace bytenames
