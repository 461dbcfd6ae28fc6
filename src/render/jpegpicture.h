#pragma once
#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>

namespace tetrafot {

// A JPEG photo decoded by libjpeg at a DCT scale of 1/1, 1/2, 1/4 or 1/8.
// The compressed bytes stay in memory; the pixels are decoded lazily when
// the size or the pixels are first asked for, and discarded when the scale
// changes. Colour photos decode to QImage::Format_RGB888, greyscale ones to
// Format_Indexed8 with a grey palette; CMYK and YCCK are converted to RGB.
// Fatal decoder errors throw UserError "PATH: JPEG error #%d (TEXT)" with
// libjpeg's message number and text; warnings are ignored. Running out of
// memory is a UserError as well.
// The head of a JPEG file: its markers up to the start of the scan (SOI,
// APPn with the Exif block, tables, frame), without the compressed data. A
// photo decoded whole keeps only this of its file. Bytes that do not read
// as such markers are kept whole, so nothing the reader may need is lost.
QByteArray JpegHead(const QByteArray& file);

class TJPEGPicture {
public:
    // Reads a regular file without blocking (a FIFO, device or folder is
    // refused); throws UserError naming the file when it cannot be read.
    static TJPEGPicture fromFile(const QString& path);
    // path only names the photo in messages; it may be empty.
    explicit TJPEGPicture(QByteArray data, QString path = QString());

    void setScaleDenom(int denom);   // 1, 2, 4 or 8
    int scaleDenom() const { return m_denom; }

    int width();                     // decoded size at the scale in force
    int height();
    int fullWidth();                 // size at 1/1
    int fullHeight();
    bool isGreyscale();

    // Decodes when needed. Throws UserError, before decoding, for a picture
    // whose pixels and (for a progressive or multi-scan file) full-size
    // coefficient buffer together would take more than 1 GiB.
    const QImage& image();
    // Where image() puts the pixels: by default a fresh QImage(size, format);
    // a caller may hand out reused memory instead. A null image counts as
    // running out of memory.
    using ImageAllocator = std::function<QImage(QSize, QImage::Format)>;
    void setImageAllocator(ImageAllocator allocator) { m_allocator = std::move(allocator); }
    bool isDecoded() const { return !m_image.isNull(); }

    // Whether decodePart can decode this file by parts: a baseline file with
    // a single scan in YCbCr or greyscale. Progressive and multi-scan files
    // hold their coefficients for the whole picture, so a part costs as much
    // as the whole; CMYK files are rare enough to take the plain path.
    bool canDecodePart();
    // The pixels of `want` (a rectangle of the picture at the scale in
    // force), rounded out to the decoder's blocks and clipped to the
    // picture: the rows above are skipped, the columns outside are not
    // transformed and the decoder stops after the last row. The pixels are
    // exactly those image() gives at the same place. *rect receives where
    // the returned pixels lie. Throws UserError as image() does; a null
    // image when the file cannot be decoded by parts or `want` misses it.
    QImage decodePart(QRect want, QRect* rect);
    // The file's bytes as read, for readers that need more than the pixels.
    const QByteArray& data() const { return m_data; }

private:
    void readHeader();
    void decode();
    QByteArray m_data;
    QString m_path;
    qint64 m_coefficientBytes = 0;
    int m_denom = 1;
    bool m_headerRead = false;
    int m_fullWidth = 0, m_fullHeight = 0;
    int m_width = 0, m_height = 0;   // at m_denom
    bool m_grey = false;
    bool m_cmyk = false;             // CMYK or YCCK, converted to RGB
    QSize m_sizes[4];                // output size at 1/1, 1/2, 1/4, 1/8
    QSize m_blocks[4];               // the decoder's block (iMCU) in output pixels at each
    bool m_multiScan = false;
    QImage m_image;
    ImageAllocator m_allocator;
};

} // namespace tetrafot
