#include "render/jpegpicture.h"

#include "common/usererror.h"
#include "common/paths.h"
#include "common/safefile.h"

#include <QCoreApplication>

#include <csetjmp>
#include <new>
#include <cstdio>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace tetrafot {

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

// A fatal error as libjpeg reported it: its message number and its text,
// formatted while the error manager still holds the message's parameters.
struct JpegFailure {
    int code;
    char text[JMSG_LENGTH_MAX];
};

void NoteFailure(j_common_ptr cinfo, JpegFailure* failure)
{
    failure->code = cinfo->err->msg_code;
    cinfo->err->format_message(cinfo, failure->text);
}

// "NAME: JPEG error #N (libjpeg's text)": with four panes the name tells
// which photo failed.
[[noreturn]] void ThrowJpegError(const QString& path, const JpegFailure& failure)
{
    QString message = QStringLiteral("JPEG error #%1 (%2)").arg(failure.code).arg(QString::fromLocal8Bit(failure.text));
    if (!path.isEmpty())
        message.prepend(DisplayName(path) + QStringLiteral(": "));
    throw UserError(message);
}

// What one decode may take: the output picture and, for a progressive or
// multi-scan file, libjpeg's coefficient buffer together. It is also
// libjpeg's own memory limit, a second guard should the estimate miss.
constexpr qint64 kMaxDecodeBytes = qint64(1) << 30;
// A photo file is read whole; no camera writes one anywhere near this.
constexpr qint64 kMaxFileBytes = qint64(512) << 20;

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
    int blockWidth[4];    // an iMCU in output pixels, the unit of cropping and skipping
    int blockHeight[4];
    bool grey;
    bool cmyk;
    qint64 coefficientBytes;   // the whole-image buffer of a multi-scan file, else 0
};

// A progressive or multi-scan file is decoded through a buffer of all its
// DCT coefficients at full size, whatever the output scale: 64 two-byte
// coefficients a block, the blocks of each component rounded up to whole
// sampling units.
qint64 CoefficientBufferBytes(j_decompress_ptr cinfo)
{
    if (!jpeg_has_multiple_scans(cinfo))
        return 0;
    qint64 bytes = 0;
    for (int c = 0; c < cinfo->num_components; ++c) {
        const jpeg_component_info& comp = cinfo->comp_info[c];
        const qint64 h = comp.h_samp_factor, v = comp.v_samp_factor;
        const qint64 blocksWide = (qint64(comp.width_in_blocks) + h - 1) / h * h;
        const qint64 blocksHigh = (qint64(comp.height_in_blocks) + v - 1) / v * v;
        bytes += blocksWide * blocksHigh * DCTSIZE2 * qint64(sizeof(JCOEF));
    }
    return bytes;
}

// Returns false with libjpeg's message in *failure on a fatal error. Only
// trivially destructible locals: a longjmp must not skip a destructor.
bool ReadHeaderInfo(const unsigned char* data, unsigned long size, HeaderInfo* info, JpegFailure* failure)
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.emit_message = IgnoreMessage;
    if (setjmp(err.jump)) {
        NoteFailure(reinterpret_cast<j_common_ptr>(&cinfo), failure);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kMaxDecodeBytes;
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    info->grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    info->cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    info->coefficientBytes = CoefficientBufferBytes(&cinfo);
    cinfo.scale_num = 1;
    for (int i = 0; i < 4; ++i) {
        cinfo.scale_denom = static_cast<unsigned int>(kDenoms[i]);
        jpeg_calc_output_dimensions(&cinfo);
        info->width[i] = static_cast<int>(cinfo.output_width);
        info->height[i] = static_cast<int>(cinfo.output_height);
        // As jpeg_crop_scanline aligns: one block for a lone component,
        // else the largest sampling factor's worth of blocks.
        const bool single = cinfo.num_components == 1;
        info->blockWidth[i] = cinfo.min_DCT_scaled_size * (single ? 1 : cinfo.max_h_samp_factor);
        info->blockHeight[i] = cinfo.min_DCT_scaled_size * (single ? 1 : cinfo.max_v_samp_factor);
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

// Where in the picture a decode writes: by default all of it; a part is the
// rows first..first+height of the columns x0..x0+width (x0 on a block
// boundary) of the target.
struct DecodeRegion {
    int x0 = 0, first = 0;
    bool part = false;
};

// Decodes into t. For a part the decoder skips the rows above, does not
// transform the columns outside and stops after the last row wanted, so
// nothing after it is read.
bool Decode(const unsigned char* data, unsigned long size, int denom, const DecodeTarget* t, JpegFailure* failure,
            DecodeRegion region = {})
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.emit_message = IgnoreMessage;
    if (setjmp(err.jump)) {
        NoteFailure(reinterpret_cast<j_common_ptr>(&cinfo), failure);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kMaxDecodeBytes;
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
    JDIMENSION xoffset = static_cast<JDIMENSION>(region.x0), width = static_cast<JDIMENSION>(t->width);
    if (region.part && xoffset + width <= cinfo.output_width && (xoffset != 0 || width != cinfo.output_width))
        jpeg_crop_scanline(&cinfo, &xoffset, &width);
    const JDIMENSION end = static_cast<JDIMENSION>(region.first + t->height);
    if (static_cast<int>(xoffset) != region.x0 || static_cast<int>(cinfo.output_width) != t->width
        || (region.part ? end > cinfo.output_height : end != cinfo.output_height)) {
        // Cannot happen for one stream and one scale; refuse rather than overrun.
        failure->code = JERR_IMAGE_TOO_BIG;
        std::snprintf(failure->text, sizeof failure->text, "the picture changed its size while decoding");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    if (region.first > 0)
        jpeg_skip_scanlines(&cinfo, static_cast<JDIMENSION>(region.first));
    while (cinfo.output_scanline < end) {
        const int y = static_cast<int>(cinfo.output_scanline) - region.first;
        if (cmyk) {
            JSAMPROW row = t->cmykRow;
            if (jpeg_read_scanlines(&cinfo, &row, 1) == 1)
                CmykToRgb(t->cmykRow, t->rows[y], t->width, inverted);
        } else {
            jpeg_read_scanlines(&cinfo, t->rows + y, end - cinfo.output_scanline);
        }
    }
    if (!region.part)
        jpeg_finish_decompress(&cinfo);   // a part leaves the rest of the file unread
    jpeg_destroy_decompress(&cinfo);
    return true;
}

void SetGreyPalette(QImage& image)
{
    QList<QRgb> palette(256);
    for (int i = 0; i < 256; ++i)
        palette[i] = qRgb(i, i, i);
    image.setColorTable(palette);
}

[[noreturn]] void ThrowOutOfMemory(const QString& path)
{
    throw UserError(QCoreApplication::translate("JpegPicture", "Недостаточно памяти, чтобы показать изображение \"%1\".")
                        .arg(DisplayName(path)));
}

} // namespace

TJPEGPicture TJPEGPicture::fromFile(const QString& path)
{
    RegularFileRead file;
    try {
        file = ReadRegularFile(path, kMaxFileBytes);
    } catch (const std::bad_alloc&) {
        ThrowOutOfMemory(path);
    }
    if (!file.ok())
        throw UserError(QCoreApplication::translate("JpegPicture", "Не удаётся прочитать файл \"%1\": %2")
                            .arg(DisplayName(path), file.reason));
    return TJPEGPicture(std::move(file.data), path);
}

TJPEGPicture::TJPEGPicture(QByteArray data, QString path) : m_data(std::move(data)), m_path(std::move(path)) {}

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
    JpegFailure failure{};
    if (!ReadHeaderInfo(reinterpret_cast<const unsigned char*>(m_data.constData()),
                        static_cast<unsigned long>(m_data.size()), &info, &failure))
        ThrowJpegError(m_path, failure);
    m_coefficientBytes = info.coefficientBytes;
    m_multiScan = info.coefficientBytes > 0;
    for (int i = 0; i < 4; ++i) {
        m_sizes[i] = QSize(info.width[i], info.height[i]);
        m_blocks[i] = QSize(info.blockWidth[i], info.blockHeight[i]);
    }
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
    const qint64 bytesPerLine = ((qint64(m_width) * (m_grey ? 1 : 3) + 3) / 4) * 4;
    if (bytesPerLine * m_height + m_coefficientBytes > kMaxDecodeBytes)
        throw UserError(QCoreApplication::translate("JpegPicture", "%1Изображение слишком велико: %2 x %3 пикселей в масштабе 1:%4 "
                                                                   "заняли бы больше 1 ГиБ памяти.")
                            .arg(m_path.isEmpty() ? QString() : DisplayName(m_path) + QStringLiteral(": "))
                            .arg(m_fullWidth)
                            .arg(m_fullHeight)
                            .arg(m_denom));
    try {
        decode();
    } catch (const std::bad_alloc&) {
        ThrowOutOfMemory(m_path);
    }
    return m_image;
}

void TJPEGPicture::decode()
{
    const QImage::Format format = m_grey ? QImage::Format_Indexed8 : QImage::Format_RGB888;
    QImage image = m_allocator ? m_allocator(QSize(m_width, m_height), format) : QImage(m_width, m_height, format);
    if (image.isNull())
        ThrowOutOfMemory(m_path);
    if (m_grey)
        SetGreyPalette(image);
    // The decoder writes straight into the image's scan lines.
    std::vector<unsigned char*> rows(static_cast<size_t>(m_height));
    unsigned char* bits = image.bits();
    for (int y = 0; y < m_height; ++y)
        rows[y] = bits + static_cast<qsizetype>(y) * image.bytesPerLine();
    std::vector<unsigned char> cmykRow(m_cmyk ? static_cast<size_t>(m_width) * 4 : 0);
    const DecodeTarget target{rows.data(), m_width, m_height, m_grey, cmykRow.data()};
    JpegFailure failure{};
    if (!Decode(reinterpret_cast<const unsigned char*>(m_data.constData()),
                static_cast<unsigned long>(m_data.size()), m_denom, &target, &failure))
        ThrowJpegError(m_path, failure);
    m_image = std::move(image);
}

bool TJPEGPicture::canDecodePart()
{
    readHeader();
    return !m_multiScan && !m_cmyk;
}

QImage TJPEGPicture::decodePart(QRect want, QRect* rect)
{
    if (!canDecodePart())
        return QImage();
    const QRect picture(0, 0, m_width, m_height);
    want &= picture;
    if (want.isEmpty())
        return QImage();
    const QSize block = m_blocks[DenomIndex(m_denom)];
    if (block.width() <= 0 || block.height() <= 0)
        return QImage();
    auto down = [](int v, int unit) { return v / unit * unit; };
    auto up = [](int v, int unit) { return (v + unit - 1) / unit * unit; };
    const QRect part = QRect(QPoint(down(want.left(), block.width()), down(want.top(), block.height())),
                             QPoint(up(want.right() + 1, block.width()) - 1, up(want.bottom() + 1, block.height()) - 1))
        & picture;
    // One more block all round: the upsampler and the decoder's restart
    // after a skip treat the edges of what they decode as the picture's
    // own, so the pixels next to them are not those of a whole decode.
    const QRect decoded = part.adjusted(-block.width(), -block.height(), block.width(), block.height()) & picture;

    const QImage::Format format = m_grey ? QImage::Format_Indexed8 : QImage::Format_RGB888;
    QImage image;
    try {
        image = QImage(decoded.size(), format);
        if (image.isNull())
            ThrowOutOfMemory(m_path);
        std::vector<unsigned char*> rows(static_cast<size_t>(decoded.height()));
        for (int y = 0; y < decoded.height(); ++y)
            rows[size_t(y)] = image.scanLine(y);
        const DecodeTarget target{rows.data(), decoded.width(), decoded.height(), m_grey, nullptr};
        JpegFailure failure{};
        if (!Decode(reinterpret_cast<const unsigned char*>(m_data.constData()),
                    static_cast<unsigned long>(m_data.size()), m_denom, &target, &failure,
                    DecodeRegion{decoded.left(), decoded.top(), true}))
            ThrowJpegError(m_path, failure);
        image = image.copy(part.translated(-decoded.topLeft()));
    } catch (const std::bad_alloc&) {
        ThrowOutOfMemory(m_path);
    }
    if (image.isNull())
        ThrowOutOfMemory(m_path);
    if (m_grey)
        SetGreyPalette(image);
    *rect = part;
    return image;
}

QByteArray JpegHead(const QByteArray& file)
{
    const auto byte = [&file](qsizetype i) { return uchar(file[i]); };
    if (file.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8)
        return file;
    qsizetype at = 2;
    while (at + 2 <= file.size()) {
        if (byte(at) != 0xFF)
            return file;
        const uchar marker = byte(at + 1);
        if (marker == 0xFF) {   // a fill byte before the marker
            ++at;
            continue;
        }
        if (marker == 0xDA)
            return file.left(at);   // the scan begins: the rest is image data
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8) || at + 4 > file.size())
            return file;   // no marker of a file's head, or cut short
        const qsizetype length = (qsizetype(byte(at + 2)) << 8) | byte(at + 3);
        if (length < 2)
            return file;
        at += 2 + length;
    }
    return file;
}

} // namespace tetrafot
