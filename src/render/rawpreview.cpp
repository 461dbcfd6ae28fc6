#include "render/rawpreview.h"

#include "common/paths.h"
#include "common/safefile.h"
#include "common/usererror.h"
#include "metadata/phmetadata.h"
#include "render/rawprobe.h"

#include <QCoreApplication>
#include <QList>

#include <algorithm>
#include <cerrno>
#include <new>
#include <string_view>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tetrafot {

namespace {

// No camera writes a preview anywhere near this; it is also what a JPEG
// file may be.
constexpr qint64 kMaxPreviewBytes = qint64(512) << 20;

// A JPEG's Exif segment is at most 64 KiB and follows its first marker or
// two: this much of the start of a RAF's JPEG holds it.
constexpr qint64 kRafExifBytes = qint64(128) << 10;

[[noreturn]] void Fail(const QString& path, const QString& cause)
{
    throw UserError(QCoreApplication::translate("RawPreview", "Не удаётся показать RAW-файл \"%1\": %2").arg(DisplayName(path), cause));
}

[[noreturn]] void FailToRead(const QString& path, const QString& cause)
{
    throw UserError(QCoreApplication::translate("RawPreview", "Не удаётся прочитать файл \"%1\": %2").arg(DisplayName(path), cause));
}

// Up to n bytes at `at`; fewer only at the end; -1 with errno on failure.
qint64 ReadAt(int fd, qint64 at, char* to, qint64 n)
{
    qint64 done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd, to + done, size_t(n - done), off_t(at + done));
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

void ReadExactly(int fd, qint64 at, char* to, qint64 n, const QString& path)
{
    const qint64 got = ReadAt(fd, at, to, n);
    if (got < 0)
        Fail(path, SystemReason(errno));
    if (got != n)
        Fail(path, QCoreApplication::translate("RawPreview", "он обрезан"));
}

// What the probe's answer other than a preview means for the user.
QString Cause(const QList<QByteArray>& words)
{
    const QByteArray& word = words.front();
    const int number = words.size() > 1 ? words[1].toInt() : 0;
    if (word == "unsupported")
        return QCoreApplication::translate("RawPreview", "это не RAW-файл известной камеры");
    if (word == "nopreview")
        return QCoreApplication::translate("RawPreview", "в нём нет превью");
    if (word == "badpreview")
        return QCoreApplication::translate("RawPreview", "его превью нельзя показать");
    if (word == "memory")
        return QCoreApplication::translate("RawPreview", "не хватает памяти");
    if (word == "ioerror")
        return SystemReason(number);
    if (word == "cannotstart")
        return QCoreApplication::translate("RawPreview", "не удаётся запустить программу разбора RAW-файлов: %1").arg(SystemReason(number));
    if (word == "timeout")
        return QCoreApplication::translate("RawPreview", "RAW-файл повреждён: разбор его заголовков не закончился вовремя");
    if (word == "crashed")
        return QCoreApplication::translate("RawPreview", "RAW-файл повреждён: разбор его заголовков прерван");
    return QCoreApplication::translate("RawPreview", "он повреждён или обрезан");
}

// Up to n bytes at `at`, as many as the file has there.
QByteArray ReadUpTo(int fd, qint64 fileSize, qint64 at, qint64 n)
{
    QByteArray bytes(qsizetype(std::clamp<qint64>(fileSize - at, 0, n)), Qt::Uninitialized);
    const qint64 got = ReadAt(fd, at, bytes.data(), bytes.size());
    bytes.truncate(qsizetype(std::max<qint64>(0, got)));
    return bytes;
}

// The bytes of the file that hold its Exif, when its preview does not:
// the start of a file built on TIFF or of a CR3 (its moov box), or the
// start of a RAF's own JPEG when the preview shown is another one.
QByteArray MetadataHead(int fd, qint64 fileSize, qint64 previewOffset)
{
    char head[RafHeaderBytes];
    const qint64 got = ReadAt(fd, 0, head, sizeof head);
    if (got < 0)
        return QByteArray();
    const std::string_view start(head, size_t(got));
    if (StartsLikeTiff(start))
        return ReadUpTo(fd, fileSize, 0, qint64(RawTiffHeadBytes));
    if (StartsLikeCr3(start)) {
        // Only as far as the box with the Exif: the preview often follows
        // it within the bytes read.
        QByteArray head = ReadUpTo(fd, fileSize, 0, qint64(RawTiffHeadBytes));
        head.truncate(qsizetype(Cr3ExifEnd(std::string_view(head.constData(), size_t(head.size())))));
        return head;
    }
    std::uint32_t offset = 0, length = 0;
    if (RafJpegPlace(start, offset, length) && offset != previewOffset && offset < fileSize)
        return ReadUpTo(fd, fileSize, offset, std::min<qint64>(length, kRafExifBytes));
    return QByteArray();
}

} // namespace

RawPreview PreviewFromProbeAnswer(const QByteArray& answer, int fd, qint64 fileSize, const QString& path)
{
    const QList<QByteArray> words = answer.trimmed().split(' ');
    if (words.front() != "preview" || words.size() != 5)
        Fail(path, Cause(words));
    // The answer comes from a process that read a hostile file: every number
    // is checked before it is used.
    bool ok[4];
    const qint64 offset = words[1].toLongLong(&ok[0]);
    const qint64 length = words[2].toLongLong(&ok[1]);
    const int width = words[3].toInt(&ok[2]);
    const int height = words[4].toInt(&ok[3]);
    if (!(ok[0] && ok[1] && ok[2] && ok[3]))
        Fail(path, Cause({QByteArray("damaged")}));
    if (length <= 0 || offset <= 0)
        Fail(path, Cause({QByteArray("nopreview")}));
    if (offset >= fileSize || length > fileSize - offset)
        Fail(path, QCoreApplication::translate("RawPreview", "его превью (%1 байт с позиции %2) выходит за конец файла (%3 байт)")
                       .arg(length).arg(offset).arg(fileSize));
    if (length > kMaxPreviewBytes)
        Fail(path, QCoreApplication::translate("RawPreview", "его превью больше %1 байт").arg(kMaxPreviewBytes));

    RawPreview preview;
    preview.size = QSize(width, height);
    try {
        unsigned char start[2] = {};
        ReadExactly(fd, offset, reinterpret_cast<char*>(start), 2, path);
        if (start[0] == 0xFF && start[1] == 0xD8) {
            // A JPEG preview is read here, straight into the bytes the
            // decoder takes.
            preview.jpeg.resize(qsizetype(length));
            ReadExactly(fd, offset, preview.jpeg.data(), length, path);
        } else {
            // A bitmap, only in the one layout whose length its size fixes
            // (8-bit RGB, as TIFF thumbnails are); LibRaw's own unpacking of
            // the other kinds trusts lengths from the file too far.
            const qint64 rowBytes = qint64(width) * 3;
            if (rowBytes <= 0 || height <= 0 || length != rowBytes * height)
                Fail(path, Cause({QByteArray("badpreview")}));
            QImage image(width, height, QImage::Format_RGB888);
            if (image.isNull())
                Fail(path, Cause({QByteArray("memory")}));
            for (int y = 0; y < image.height(); ++y)
                ReadExactly(fd, offset + y * rowBytes, reinterpret_cast<char*>(image.scanLine(y)), rowBytes, path);
            preview.bitmap = std::move(image);
            preview.size = preview.bitmap.size();
        }

        preview.tiffHead = MetadataHead(fd, fileSize, offset);
    } catch (const std::bad_alloc&) {
        Fail(path, Cause({QByteArray("memory")}));
    }
    return preview;
}

RawPreview ExtractRawPreview(const QByteArray& file, RawProbe& probe, const QString& path)
{
    // The probe reads a descriptor: the bytes go into an anonymous file.
    const int fd = ::memfd_create("tetrafot-raw", MFD_CLOEXEC);
    if (fd < 0)
        Fail(path, SystemReason(errno));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::write(fd, file.constData(), size_t(file.size())) != file.size())
        Fail(path, SystemReason(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        Fail(path, SystemReason(errno));
    return PreviewFromProbeAnswer(probe.answer(QString(), fd, st), fd, st.st_size, path);
}

RawPreview ReadRawPreview(const QString& path, RawProbe& probe)
{
    // O_NONBLOCK: a FIFO under the file's name is refused below, never waited on.
    const int fd = ::open(EncodeFileName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        FailToRead(path, SystemReason(errno));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        FailToRead(path, SystemReason(errno));
    if (S_ISDIR(st.st_mode))
        FailToRead(path, QCoreApplication::translate("SafeFile", "это папка"));
    if (!S_ISREG(st.st_mode))
        FailToRead(path, QCoreApplication::translate("SafeFile", "это не обычный файл"));
    return PreviewFromProbeAnswer(probe.answer(path, fd, st), fd, st.st_size, path);
}

} // namespace tetrafot
