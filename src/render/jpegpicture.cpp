#include "render/jpegpicture.h"

#include "app/usererror.h"

#include <QDir>
#include <QFile>

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not
// return. We jump back to the function that called setjmp, which turns
// the message number into a UserError once it has left libjpeg.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void ErrorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings (corrupt data, a premature end) are ignored; decoding goes on.
void IgnoreMessage(j_common_ptr, int) {}

[[noreturn]] void ThrowJpegError(int code)
{
    throw UserError(QStringLiteral("JPEG error #%1").arg(code).toStdString());
}

constexpr int kDenoms[4] = {1, 2, 4, 8};

int DenomIndex(int denom)
{
    for (int i = 0; i < 4; ++i)
        if (kDenoms[i] == denom)
            return i;
    return 0;
}

struct HeaderInfo {
    int width[4];   // output size for each of the denominators 1, 2, 4, 8
    int height[4];
    bool grey;
    bool cmyk;
};

// Returns false with libjpeg's message number in *code on a fatal error. Only trivially destructible locals:
// a longjmp must not skip a destructor.
bool ReadHeaderInfo(const unsigned char* data, unsigned long size, HeaderInfo* info, int* code)
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.emit_message = IgnoreMessage;
    if (setjmp(err.jump)) {
        *code = err.pub.msg_code;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    info->grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    info->cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.scale_num = 1;
    for (int i = 0; i < 4; ++i) {
        cinfo.scale_denom = static_cast<unsigned int>(kDenoms[i]);
        jpeg_calc_output_dimensions(&cinfo);
        info->width[i] = static_cast<int>(cinfo.output_width);
        info->height[i] = static_cast<int>(cinfo.output_height);
    }
    jpeg_destroy_decompress(&cinfo);
    return true;
}

// Where the decoder writes: one pointer per output row (into the QImage),
// and for CMYK a scratch row that is converted to RGB afterwards.
struct DecodeTarget {
    unsigned char** rows;
    int width, height;
    bool grey;
    unsigned char* cmykRow;   // width * 4 bytes
};

void CmykToRgb(const unsigned char* in, unsigned char* out, int width, bool inverted)
{
    // Photoshop writes Adobe CMYK inverted (0 = full ink); other writers
    // store plain ink amounts.
    for (int x = 0; x < width; ++x, in += 4, out += 3) {
        unsigned c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) {
            c = 255 - c; m = 255 - m; y = 255 - y; k = 255 - k;
        }
        out[0] = static_cast<unsigned char>((c * k + 127) / 255);
        out[1] = static_cast<unsigned char>((m * k + 127) / 255);
        out[2] = static_cast<unsigned char>((y * k + 127) / 255);
    }
}

bool Decode(const unsigned char* data, unsigned long size, int denom, const DecodeTarget* t, int* code)
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.emit_message = IgnoreMessage;
    if (setjmp(err.jump)) {
        *code = err.pub.msg_code;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    const bool inverted = cinfo.saw_Adobe_marker;
    cinfo.out_color_space = t->grey ? JCS_GRAYSCALE : (cmyk ? JCS_CMYK : JCS_RGB);
    cinfo.scale_num = 1;
    cinfo.scale_denom = static_cast<unsigned int>(denom);
    cinfo.dct_method = JDCT_FLOAT;
    cinfo.do_block_smoothing = TRUE;
    jpeg_start_decompress(&cinfo);
    if (static_cast<int>(cinfo.output_width) != t->width || static_cast<int>(cinfo.output_height) != t->height) {
        // Cannot happen for one stream and one scale; refuse rather than overrun.
        *code = JERR_IMAGE_TOO_BIG;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        if (cmyk) {
            JSAMPROW row = t->cmykRow;
            if (jpeg_read_scanlines(&cinfo, &row, 1) == 1)
                CmykToRgb(t->cmykRow, t->rows[y], t->width, inverted);
        } else {
            jpeg_read_scanlines(&cinfo, t->rows + y, static_cast<JDIMENSION>(t->height - y));
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

constexpr qint64 kMaxPixelBytes = qint64(1) << 30;

} // namespace

TJPEGPicture TJPEGPicture::fromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw UserError(QStringLiteral("Cannot open the file \"%1\": %2")
                            .arg(QDir::toNativeSeparators(path), file.errorString())
                            .toStdString());
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw UserError(QStringLiteral("Cannot read the file \"%1\": %2")
                            .arg(QDir::toNativeSeparators(path), file.errorString())
                            .toStdString());
    return TJPEGPicture(std::move(data));
}

TJPEGPicture::TJPEGPicture(QByteArray data) : m_data(std::move(data)) {}

void TJPEGPicture::setScaleDenom(int denom)
{
    denom = kDenoms[DenomIndex(denom)];
    if (denom == m_denom)
        return;
    m_denom = denom;
    m_image = QImage();
    if (m_headerRead) {
        m_width = m_sizes[DenomIndex(denom)].width();
        m_height = m_sizes[DenomIndex(denom)].height();
    }
}

void TJPEGPicture::readHeader()
{
    if (m_headerRead)
        return;
    HeaderInfo info{};
    int code = 0;
    if (!ReadHeaderInfo(reinterpret_cast<const unsigned char*>(m_data.constData()),
                        static_cast<unsigned long>(m_data.size()), &info, &code))
        ThrowJpegError(code);
    for (int i = 0; i < 4; ++i)
        m_sizes[i] = QSize(info.width[i], info.height[i]);
    m_grey = info.grey;
    m_cmyk = info.cmyk;
    m_fullWidth = info.width[0];
    m_fullHeight = info.height[0];
    m_width = m_sizes[DenomIndex(m_denom)].width();
    m_height = m_sizes[DenomIndex(m_denom)].height();
    m_headerRead = true;
}

int TJPEGPicture::width()
{
    readHeader();
    return m_width;
}

int TJPEGPicture::height()
{
    readHeader();
    return m_height;
}

int TJPEGPicture::fullWidth()
{
    readHeader();
    return m_fullWidth;
}

int TJPEGPicture::fullHeight()
{
    readHeader();
    return m_fullHeight;
}

bool TJPEGPicture::isGreyscale()
{
    readHeader();
    return m_grey;
}

const QImage& TJPEGPicture::image()
{
    if (!m_image.isNull())
        return m_image;
    readHeader();
    const QImage::Format format = m_grey ? QImage::Format_Indexed8 : QImage::Format_RGB888;
    const qint64 bytesPerLine = ((qint64(m_width) * (m_grey ? 1 : 3) + 3) / 4) * 4;
    if (bytesPerLine * m_height > kMaxPixelBytes)
        throw UserError(QStringLiteral("The picture is too large to show: %1 x %2 pixels at 1:%3 "
                                       "would need more than 1 GiB of memory.")
                            .arg(m_width)
                            .arg(m_height)
                            .arg(m_denom)
                            .toStdString());
    QImage image = m_allocator ? m_allocator(QSize(m_width, m_height), format) : QImage(m_width, m_height, format);
    if (image.isNull())
        throw UserError(QStringLiteral("Not enough memory to show a picture of %1 x %2 pixels.")
                            .arg(m_width)
                            .arg(m_height)
                            .toStdString());
    if (m_grey) {
        QList<QRgb> palette(256);
        for (int i = 0; i < 256; ++i)
            palette[i] = qRgb(i, i, i);
        image.setColorTable(palette);
    }
    // The decoder writes straight into the image's scan lines.
    std::vector<unsigned char*> rows(static_cast<size_t>(m_height));
    unsigned char* bits = image.bits();
    for (int y = 0; y < m_height; ++y)
        rows[y] = bits + static_cast<qsizetype>(y) * image.bytesPerLine();
    std::vector<unsigned char> cmykRow(m_cmyk ? static_cast<size_t>(m_width) * 4 : 0);
    const DecodeTarget target{rows.data(), m_width, m_height, m_grey, cmykRow.data()};
    int code = 0;
    if (!Decode(reinterpret_cast<const unsigned char*>(m_data.constData()),
                static_cast<unsigned long>(m_data.size()), m_denom, &target, &code))
        ThrowJpegError(code);
    m_image = std::move(image);
    return m_image;
}
