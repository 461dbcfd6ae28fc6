#include "render/rawpreview.h"
#include "common/paths.h"

#include "common/safefile.h"
#include "common/usererror.h"
#include "metadata/phmetadata.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <limits>
#include <new>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <libraw.h>

namespace {

// No camera writes a preview anywhere near this; it is also what a JPEG
// file may be.
constexpr qint64 kMaxPreviewBytes = qint64(512) << 20;

[[noreturn]] void Fail(const QString& path, const QString& cause)
{
    throw UserError(QStringLiteral("Cannot show the RAW file \"%1\": %2")
                        .arg(QDir::toNativeSeparators(path), cause)
                        .toStdString());
}

// Where the bytes come from: a file read at offsets, or memory.
class Bytes {
public:
    virtual ~Bytes() = default;
    // Up to n bytes at `at`; fewer only at the end; -1 with errno on failure.
    virtual qint64 readAt(qint64 at, char* to, qint64 n) = 0;
    virtual qint64 size() const = 0;
};

class MemoryBytes final : public Bytes {
public:
    explicit MemoryBytes(const QByteArray& data) : m_data(data) {}
    qint64 readAt(qint64 at, char* to, qint64 n) override
    {
        if (at < 0 || at >= m_data.size())
            return 0;
        n = std::min(n, m_data.size() - at);
        std::memcpy(to, m_data.constData() + at, size_t(n));
        return n;
    }
    qint64 size() const override { return m_data.size(); }

private:
    const QByteArray& m_data;
};

class FileBytes final : public Bytes {
public:
    FileBytes(int fd, qint64 size) : m_fd(fd), m_size(size) {}
    qint64 readAt(qint64 at, char* to, qint64 n) override
    {
        qint64 done = 0;
        while (done < n) {
            const ssize_t got = ::pread(m_fd, to + done, size_t(n - done), off_t(at + done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return -1;
            if (got == 0)
                break;
            done += got;
        }
        return done;
    }
    qint64 size() const override { return m_size; }

private:
    int m_fd;
    qint64 m_size;
};

// LibRaw's view of the file. Its parsers read the headers a few bytes at
// a time, so small reads come from a window of the file kept in memory;
// large ones go straight to the caller's buffer.
class Stream final : public LibRaw_abstract_datastream {
public:
    explicit Stream(Bytes& bytes) : m_bytes(bytes), m_size(bytes.size()) {}

    int valid() override { return 1; }
    int read(void* to, size_t size, size_t count) override
    {
        if (size == 0 || count == 0)
            return 0;
        if (count > size_t(m_size) / size + 1)
            count = size_t(m_size) / size + 1;   // no file holds more; keeps size * count from overflowing
        const qint64 got = fill(static_cast<char*>(to), qint64(size * count));
        return int(got / qint64(size));
    }
    int seek(INT64 offset, int whence) override
    {
        qint64 base = 0;
        switch (whence) {
        case SEEK_SET: base = 0; break;
        case SEEK_CUR: base = m_pos; break;
        case SEEK_END: base = m_size; break;
        default: return -1;
        }
        // Offsets from the file are anything: clamp rather than overflow.
        if (offset > 0 && base > std::numeric_limits<qint64>::max() - offset)
            m_pos = m_size;
        else
            m_pos = std::clamp<qint64>(base + offset, 0, m_size);
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
        const qint64 start = m_pos;
        const qint64 got = fill(text, sizeof text - 1);
        int used = 0;
        std::string withCount = std::string(format) + "%n";
        const int result = std::sscanf(text, withCount.c_str(), value, &used);
        m_pos = start + (result == 1 ? std::min<qint64>(used, got) : got);
        return result;
    }
    int eof() override { return m_pos >= m_size; }
    void* make_jas_stream() override { return nullptr; }

    int error() const { return m_error; }

private:
    // Copies up to n bytes at the position and moves past them.
    qint64 fill(char* to, qint64 n)
    {
        n = std::min(n, m_size - m_pos);
        if (n <= 0)
            return 0;
        qint64 got;
        if (n >= kWindow) {
            got = m_bytes.readAt(m_pos, to, n);
        } else {
            if (m_pos < m_windowAt || m_pos + n > m_windowAt + m_windowBytes) {
                m_window.resize(kWindow);
                m_windowAt = m_pos;
                m_windowBytes = std::max<qint64>(0, m_bytes.readAt(m_pos, m_window.data(), kWindow));
                if (m_windowBytes == 0)
                    m_error = errno;
            }
            got = std::min(n, m_windowAt + m_windowBytes - m_pos);
            std::memcpy(to, m_window.constData() + (m_pos - m_windowAt), size_t(std::max<qint64>(0, got)));
        }
        if (got < 0) {
            m_error = errno;
            return 0;
        }
        m_pos += got;
        return got;
    }

    static constexpr qint64 kWindow = 64 << 10;
    Bytes& m_bytes;
    qint64 m_size;
    qint64 m_pos = 0;
    QByteArray m_window;
    qint64 m_windowAt = 0, m_windowBytes = 0;
    int m_error = 0;
};

QString LibRawReason(int code)
{
    switch (code) {
    case LIBRAW_FILE_UNSUPPORTED:
        return QStringLiteral("it is no RAW file of a known camera");
    case LIBRAW_NO_THUMBNAIL:
        return QStringLiteral("it holds no preview");
    case LIBRAW_UNSUPPORTED_THUMBNAIL:
        return QStringLiteral("its preview is of a kind that cannot be shown");
    case LIBRAW_UNSUFFICIENT_MEMORY:
        return QStringLiteral("not enough memory");
    case LIBRAW_IO_ERROR:
        return QStringLiteral("it is damaged or cut short");
    default:
        return QString::fromLocal8Bit(libraw_strerror(code));
    }
}

RawPreview Extract(Bytes& bytes, const QString& path)
{
    Stream stream(bytes);
    // LibRaw's state runs to some hundreds of kilobytes: on the heap.
    auto libraw = std::make_unique<LibRaw>(LIBRAW_OPTIONS_NONE);
    int code = libraw->open_datastream(&stream);
    if (code != LIBRAW_SUCCESS)
        Fail(path, stream.error() ? SystemReason(stream.error()) : LibRawReason(code));
    libraw_thumbnail_t& thumb = libraw->imgdata.thumbnail;
    const qint64 offset = libraw->get_internal_data_pointer()->internal_data.toffset;
    const qint64 length = thumb.tlength;
    const qint64 fileSize = bytes.size();
    if (length <= 0 || offset <= 0)
        Fail(path, QStringLiteral("it holds no preview"));
    // The stated place of the preview is trusted only as far as the file
    // and the memory limit go.
    if (offset >= fileSize || length > fileSize - offset)
        Fail(path, QStringLiteral("its preview (%1 bytes at %2) lies beyond the end of the file (%3 bytes)")
                       .arg(length).arg(offset).arg(fileSize));
    if (length > kMaxPreviewBytes)
        Fail(path, QStringLiteral("its preview is larger than %1 bytes").arg(kMaxPreviewBytes));

    RawPreview preview;
    preview.size = QSize(thumb.twidth, thumb.theight);
    unsigned char start[2] = {};
    if (bytes.readAt(offset, reinterpret_cast<char*>(start), 2) != 2)
        Fail(path, stream.error() ? SystemReason(stream.error()) : QStringLiteral("it is cut short"));
    if (start[0] == 0xFF && start[1] == 0xD8) {
        // A JPEG preview is read here, straight into the bytes the decoder
        // takes, rather than through LibRaw's buffer and a copy.
        preview.jpeg.resize(qsizetype(length));
        const qint64 got = bytes.readAt(offset, preview.jpeg.data(), length);
        if (got < 0)
            Fail(path, SystemReason(errno));
        if (got != length)
            Fail(path, QStringLiteral("it is cut short"));
    } else {
        // A bitmap: read here too, and only in the one layout whose length
        // its size fixes (8-bit RGB, as TIFF thumbnails are). LibRaw's own
        // unpacking of the other kinds trusts lengths from the file more
        // than a hostile file deserves (the fuzzer found it writing past
        // its buffer).
        const qint64 rowBytes = qint64(thumb.twidth) * 3;
        if (rowBytes <= 0 || thumb.theight <= 0 || length != rowBytes * thumb.theight)
            Fail(path, LibRawReason(LIBRAW_UNSUPPORTED_THUMBNAIL));
        QImage image(thumb.twidth, thumb.theight, QImage::Format_RGB888);
        if (image.isNull())
            Fail(path, LibRawReason(LIBRAW_UNSUFFICIENT_MEMORY));
        for (int y = 0; y < image.height(); ++y)
            if (bytes.readAt(offset + y * rowBytes, reinterpret_cast<char*>(image.scanLine(y)), rowBytes) != rowBytes)
                Fail(path, QStringLiteral("it is cut short"));
        preview.bitmap = std::move(image);
        preview.size = preview.bitmap.size();
    }

    char head[4];
    if (bytes.readAt(0, head, 4) == 4 && StartsLikeTiff(std::string_view(head, 4))) {
        preview.tiffHead.resize(qsizetype(std::min<qint64>(fileSize, RawTiffHeadBytes)));
        const qint64 got = bytes.readAt(0, preview.tiffHead.data(), preview.tiffHead.size());
        preview.tiffHead.truncate(qsizetype(std::max<qint64>(0, got)));
    }
    return preview;
}

} // namespace

RawPreview ExtractRawPreview(const QByteArray& file, const QString& path)
{
    MemoryBytes bytes(file);
    try {
        return Extract(bytes, path);
    } catch (const std::bad_alloc&) {
        Fail(path, LibRawReason(LIBRAW_UNSUFFICIENT_MEMORY));
    }
}

RawPreview ReadRawPreview(const QString& path)
{
    // O_NONBLOCK: a FIFO under the file's name is refused below, never waited on.
    const int fd = ::open(EncodeFileName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        throw UserError(QStringLiteral("Cannot read the file \"%1\": %2")
                            .arg(QDir::toNativeSeparators(path), SystemReason(errno)).toStdString());
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    QString reason;
    if (::fstat(fd, &st) != 0)
        reason = SystemReason(errno);
    else if (S_ISDIR(st.st_mode))
        reason = QStringLiteral("it is a folder");
    else if (!S_ISREG(st.st_mode))
        reason = QStringLiteral("it is not a regular file");
    if (!reason.isEmpty())
        throw UserError(QStringLiteral("Cannot read the file \"%1\": %2")
                            .arg(QDir::toNativeSeparators(path), reason).toStdString());
    FileBytes bytes(fd, st.st_size);
    try {
        return Extract(bytes, path);
    } catch (const std::bad_alloc&) {
        Fail(path, LibRawReason(LIBRAW_UNSUFFICIENT_MEMORY));
    }
}
