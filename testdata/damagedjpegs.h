#pragma once
#include <QByteArray>
#include <string>
#include <vector>

namespace tetrafot {

// Damaged JPEG files made from generated photos, for tests that feed the
// loaders what a pulled card, a half-finished copy or a careless tool
// leaves behind. The same call always gives the same files.
struct DamagedJpeg {
    std::string category;   // "truncated", "header-bitflip", ...
    std::string name;       // unique, usable as a file name (no extension)
    QByteArray bytes;
};

// Well over a thousand files in these categories: tiny (zero bytes, SOI
// only ...), truncated, header-bitflip, entropy-bitflip, missing-marker,
// repeated-marker, sof-size (0 and 65535 wide or high), sampling (absurd
// sampling factors), missing-scans (progressive files short of scans),
// huge (progressive files declaring 30000 x 30000), exif (Exif blocks whose
// entries point many times at one value or whose directories overlap) and
// not-jpeg.
std::vector<DamagedJpeg> MakeDamagedJpegs();

// One marker segment of a JPEG file: [start, end) holds the marker, its
// length word and payload; for an SOS also the entropy-coded data after it.
// SOI and EOI are segments of two bytes.
struct JpegSegment {
    int code;
    int start;
    int end;
};
// The file's segments in order, up to the EOI or the end of the bytes.
std::vector<JpegSegment> JpegSegments(const QByteArray& jpeg);

} // namespace tetrafot
