#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>
#include <utility>
#include <vector>

namespace tetrafot {

// Photo-like JPEG files made in code for tests, benchmarks and the sample
// folder. The same description always gives the same bytes.
struct JpegSpec {
    int width = 640;
    int height = 480;
    bool grey = false;
    bool progressive = false;
    int quality = 90;
    unsigned seed = 1;
    bool jfif = true;                                  // JFIF APP0 after the SOI
    std::vector<std::pair<int, QByteArray>> markers;   // (code such as 0xE1, payload)
    bool clipped = false;  // large blown highlights and crushed shadows
};

// Smooth gradients, a few hard-edged shapes and some sensor-like noise.
// Markers follow the SOI (and the JFIF APP0 when jfif is set) in the given order.
QByteArray MakeJpeg(const JpegSpec& desc);
bool WriteJpeg(const QString& path, const JpegSpec& desc);

// A JPEG of the given pixels (RGB888 or Indexed8/Grayscale8 written as
// greyscale; anything else converted to RGB888 first).
QByteArray MakeJpegFromImage(const QImage& image, int quality = 95);
// The same, written as `options` says (quality, progressive, JFIF header,
// markers); its size, colour and seed are the image's own matter.
QByteArray MakeJpegFromImage(const QImage& image, const JpegSpec& options);

// A CMYK JPEG filled with one colour (c, m, y, k in ink amounts 0..255).
// adobeInverted stores the inverted values that Photoshop writes, with an
// Adobe APP14 marker; otherwise plain values and no Adobe marker. ycck picks
// the YCCK transform (always with an Adobe marker, stored inverted).
struct CmykSpec {
    int width = 64;
    int height = 48;
    int c = 0, m = 0, y = 0, k = 0;
    bool adobeInverted = true;
    bool ycck = false;
};
QByteArray MakeCmykJpeg(const CmykSpec& desc);

// Damaged copies of good files.
QByteArray Truncate(const QByteArray& jpeg, int keepBytes);   // cut after keepBytes
QByteArray CorruptAt(const QByteArray& jpeg, int offset, char value);  // one byte replaced
// The photo with a second frame header after its scan: a decode that reads
// to the end fails there ("two SOF markers"), one that stops early does not.
QByteArray WithFrameAfterScan(const QByteArray& jpeg);
// The offset of the first marker with the given code (0xC0 SOF0, 0xDA SOS, ...), or -1.
int FindMarker(const QByteArray& jpeg, int code);

} // namespace tetrafot
