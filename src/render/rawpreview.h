#pragma once
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace tetrafot {

// The preview a camera stores inside its RAW file, read without the raw
// data: LibRaw finds the largest preview the container holds; only its
// bytes and the headers leading to it are read.
struct RawPreview {
    QByteArray jpeg;       // the preview as the JPEG file the camera made
    QImage bitmap;         // or, for a file with no JPEG preview, its bitmap (RGB888)
    QSize size;            // the preview's size as the file states it
    // The bytes of the file that hold its Exif, for TImageMetadata::FromRawHead:
    // for files built on TIFF (DNG, CR2, NEF, ARW, ORF, RW2, PEF ...) the
    // start of the file, where their Exif directories are; for a CR3 its
    // start up to the end of the box that holds its Exif;
    // for a RAF whose JPEG is not the preview shown, that JPEG's start.
    // Empty when the preview carries the Exif block itself (a RAF's JPEG).
    QByteArray tiffHead;

    bool isJpeg() const { return !jpeg.isEmpty(); }
    // A preview too small to judge focus by, or a bitmap: its pane says so.
    bool isMeagre() const { return !isJpeg() || size.width() < kMeagreWidth; }
    static constexpr int kMeagreWidth = 1000;
};

class RawProbe;

// Reads the preview of the RAW file at path. The file must be a regular
// file (a FIFO or device is refused, never waited on). Where the preview
// lies comes from the probe (LibRaw, in a child process); its answer is
// trusted only as far as the file and the memory limit go, and the bytes
// are read here. Throws UserError naming the file and the cause when it
// cannot be read, is no RAW file LibRaw knows, holds no usable preview, or
// breaks the probe.
RawPreview ReadRawPreview(const QString& path, RawProbe& probe);
// The same over a whole file held in memory; path names it in messages.
RawPreview ExtractRawPreview(const QByteArray& file, RawProbe& probe, const QString& path = QString());
// The preview of the file open at fd (fileSize bytes long), where the
// probe's answer says it lies: the checks and reads of the two above.
RawPreview PreviewFromProbeAnswer(const QByteArray& answer, int fd, qint64 fileSize, const QString& path);

} // namespace tetrafot
