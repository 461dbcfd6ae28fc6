#pragma once
#include "jpegwriter.h"
#include "rawwriter.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdio>

#include <jpeglib.h>

using namespace tetrafot;

// The benchmarks' 24 megapixel photo (6000 x 4000, photo-like content),
// written once into the temporary folder and reused by later runs.
inline QString Bench24MPPath()
{
    const QString folder = QDir::temp().filePath(QStringLiteral("tetrafot-bench"));
    const QString path = folder + QStringLiteral("/photo-6000x4000-v1.jpg");
    if (!QFile::exists(path)) {
        QDir().mkpath(folder);
        JpegSpec desc;
        desc.width = 6000;
        desc.height = 4000;
        desc.quality = 92;
        desc.seed = 24;
        WriteJpeg(path, desc);
    }
    return path;
}

inline QByteArray Bench24MPBytes()
{
    QFile file(Bench24MPPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A DNG written by the test writer around the benchmark photo as its
// full-size preview: its stream decode is BM_StreamDecode's.
inline QString Bench24MPDngPath()
{
    const QString path = QDir::temp().filePath(QStringLiteral("tetrafot-bench/photo-6000x4000-v1.dng"));
    if (!QFile::exists(path)) {
        raw::DngSpec dng;
        dng.preview = Bench24MPBytes();
        dng.previewSize = QSize(6000, 4000);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(raw::MakeDng(dng));
    }
    return path;
}

// One decode of the photo with the viewer's settings (DCT scale, float IDCT,
// block smoothing); rowFor(cinfo) says where the current scan line goes.
template <typename RowFor>
void DecodeWithViewerSettings(const QByteArray& data, int denom, RowFor rowFor)
{
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.constData()), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.scale_num = 1;
    cinfo.scale_denom = static_cast<unsigned int>(denom);
    cinfo.dct_method = JDCT_FLOAT;
    cinfo.do_block_smoothing = TRUE;
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = rowFor(cinfo);
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
}
