#include "rawlocate.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include <unistd.h>

#include <libraw.h>

namespace tetrafot {

namespace {

// LibRaw's view of the file. Its parsers read the headers a few bytes at
// a time, so small reads come from a window of the file kept in memory;
// large ones go straight to the caller's buffer.
class Stream final : public LibRaw_abstract_datastream {
public:
    Stream(int fd, long long size) : m_fd(fd), m_size(size) {}

    int valid() override { return 1; }
    int read(void* to, size_t size, size_t count) override
    {
        if (size == 0 || count == 0)
            return 0;
        if (count > size_t(m_size) / size + 1)
            count = size_t(m_size) / size + 1;   // no file holds more; keeps size * count from overflowing
        const long long got = fill(static_cast<char*>(to), (long long)(size * count));
        return int(got / (long long)size);
    }
    int seek(INT64 offset, int whence) override
    {
        long long base = 0;
        switch (whence) {
        case SEEK_SET: base = 0; break;
        case SEEK_CUR: base = m_pos; break;
        case SEEK_END: base = m_size; break;
        default: return -1;
        }
        // Offsets from the file are anything: clamp rather than overflow.
        if (offset > 0 && base > std::numeric_limits<long long>::max() - offset)
            m_pos = m_size;
        else if (offset < 0 && base < std::numeric_limits<long long>::min() - offset)
            m_pos = 0;
        else
            m_pos = std::clamp<long long>(base + offset, 0, m_size);
        return 0;
    }
    INT64 tell() override { return m_pos; }
    INT64 size() override { return m_size; }
    int get_char() override
    {
        unsigned char c;
        return fill(reinterpret_cast<char*>(&c), 1) == 1 ? c : -1;
    }
    char* gets(char* to, int size) override
    {
        if (size <= 0 || m_pos >= m_size)
            return nullptr;
        int i = 0;
        while (i < size - 1) {
            const int c = get_char();
            if (c < 0)
                break;
            to[i++] = char(c);
            if (c == '\n')
                break;
        }
        to[i] = 0;
        return to;
    }
    int scanf_one(const char* format, void* value) override
    {
        // One number of a text header: read a short piece, scan it, and
        // move past what the scan took.
        char text[32] = {};
        const long long start = m_pos;
        const long long got = fill(text, sizeof text - 1);
        int used = 0;
        const std::string withCount = std::string(format) + "%n";
        const int result = std::sscanf(text, withCount.c_str(), value, &used);
        m_pos = start + (result == 1 ? std::min<long long>(used, got) : got);
        return result;
    }
    int eof() override { return m_pos >= m_size; }
    void* make_jas_stream() override { return nullptr; }

    int error() const { return m_error; }

private:
    long long readAt(long long at, char* to, long long n)
    {
        long long done = 0;
        while (done < n) {
            const ssize_t got = ::pread(m_fd, to + done, size_t(n - done), off_t(at + done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                m_error = errno;
                return done;
            }
            if (got == 0)
                break;
            done += got;
        }
        return done;
    }
    // Copies up to n bytes at the position and moves past them.
    long long fill(char* to, long long n)
    {
        n = std::min(n, m_size - m_pos);
        if (n <= 0)
            return 0;
        long long got;
        if (n >= kWindow) {
            got = readAt(m_pos, to, n);
        } else {
            if (m_pos < m_windowAt || m_pos + n > m_windowAt + m_windowBytes) {
                m_window.resize(kWindow);
                m_windowAt = m_pos;
                m_windowBytes = readAt(m_pos, m_window.data(), kWindow);
            }
            got = std::min(n, m_windowAt + m_windowBytes - m_pos);
            std::memcpy(to, m_window.data() + (m_pos - m_windowAt), size_t(std::max<long long>(0, got)));
        }
        m_pos += got;
        return got;
    }

    static constexpr long long kWindow = 64 << 10;
    int m_fd;
    long long m_size;
    long long m_pos = 0;
    std::vector<char> m_window;
    long long m_windowAt = 0, m_windowBytes = 0;
    int m_error = 0;
};

std::string Word(int code)
{
    switch (code) {
    case LIBRAW_FILE_UNSUPPORTED: return "unsupported";
    case LIBRAW_NO_THUMBNAIL: return "nopreview";
    case LIBRAW_UNSUPPORTED_THUMBNAIL: return "badpreview";
    case LIBRAW_UNSUFFICIENT_MEMORY: return "memory";
    default: return "damaged";
    }
}

} // namespace

std::string LocateRawPreview(int fd, long long size)
{
    try {
        Stream stream(fd, size);
        // LibRaw's state runs to some hundreds of kilobytes: on the heap.
        auto libraw = std::make_unique<LibRaw>(LIBRAW_OPTIONS_NONE);
        const int code = libraw->open_datastream(&stream);
        if (stream.error())
            return "ioerror " + std::to_string(stream.error());
        if (code != LIBRAW_SUCCESS)
            return Word(code);
        const libraw_thumbnail_t& thumb = libraw->imgdata.thumbnail;
        const long long offset = libraw->get_internal_data_pointer()->internal_data.toffset;
        const long long length = thumb.tlength;
        if (length <= 0 || offset <= 0)
            return "nopreview";
        return "preview " + std::to_string(offset) + ' ' + std::to_string(length) + ' '
            + std::to_string(int(thumb.twidth)) + ' ' + std::to_string(int(thumb.theight));
    } catch (const std::bad_alloc&) {
        return "memory";
    }
}

} // namespace tetrafot
