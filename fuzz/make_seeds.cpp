// Writes a fuzzer's starting corpus. For the Exif reader: small JPEG files
// whose Exif blocks touch every type, kind and structure the reader knows.
// For the picture loader ("picture"): small generated photos of every kind
// the decoder meets (baseline, progressive, greyscale, CMYK, YCCK, odd sizes).
// For the RAW preview extraction ("raw"): small DNG files of both byte
// orders and both ways of storing the preview, and one with a bitmap only.
// Both get a small RAF and CR3, whose Exif the reader finds in their
// containers.
#include <QDir>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "exifbuilder.h"
#include "jpegwriter.h"
#include "rawwriter.h"

using namespace tetrafot;

using namespace exif;
using namespace std::string_literals;

namespace {

std::string Utf16(std::u16string_view text)
{
    std::string out;
    for (char16_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

ExifBuilder Full(ExifOrder order)
{
    ExifBuilder b(order);
    b.Add(ExifDir::Ifd0, Ascii(0x010F, "Make"))
        .Add(ExifDir::Ifd0, Ascii(0x0110, "Model 1234"))
        .Add(ExifDir::Ifd0, Short(0x0102, {8, 8, 8}))
        .Add(ExifDir::Ifd0, Short(0x0112, {6}))
        .Add(ExifDir::Ifd0, Rational(0x011A, {{72, 1}}))
        .Add(ExifDir::Ifd0, Ascii(0x0132, "2024:05:06 07:08:09"))
        .Add(ExifDir::Ifd0, Double(0x0301, {2.2}))
        .Add(ExifDir::Ifd0, SShort(0x0154, {-5}))
        .Add(ExifDir::Ifd0, SLong(0x0155, {-100000}))
        .Add(ExifDir::Ifd0, SByte(0x0152, {-1}))
        .Add(ExifDir::Ifd0, Byte(0x9C9B, {'T', 0, 'i', 0}))
        .Add(ExifDir::Exif, Rational(0x829A, {{1, 125}}))
        .Add(ExifDir::Exif, Rational(0x829D, {{28, 10}}))
        .Add(ExifDir::Exif, Undefined(0x9000, "0230"))
        .Add(ExifDir::Exif, SRational(0x9201, {{7, 1}}))
        .Add(ExifDir::Exif, Rational(0x9202, {{3, 1}}))
        .Add(ExifDir::Exif, SRational(0x9204, {{-1, 3}}))
        .Add(ExifDir::Exif, Rational(0x920A, {{185, 10}}))
        .Add(ExifDir::Exif, Float(0x9206, {1.5f}))
        .Add(ExifDir::Exif, Undefined(0x927C, std::string(40, '\x5A')))
        .Add(ExifDir::Exif, Undefined(0x9286, "UNICODE\0"s + Utf16(u"Comment")))
        .Add(ExifDir::Exif, Short(0xA001, {1}))
        .Add(ExifDir::Interop, Ascii(0x0001, "R98"))
        .Add(ExifDir::Interop, Undefined(0x0002, "0100"))
        .Add(ExifDir::Ifd1, Short(0x0103, {6}))
        .Add(ExifDir::Ifd1, Long(0x0201, {1234}));
    return b;
}

QByteArray File(const ExifBuilder& b) { return MiniJpeg({Segment(0xE1, b.Payload())}); }

std::vector<QByteArray> Photos()
{
    std::vector<QByteArray> out;
    unsigned seed = 1;
    for (auto [w, h] : {std::pair{64, 48}, {17, 9}, {1, 1}, {96, 72}}) {
        for (bool grey : {false, true})
            for (bool progressive : {false, true}) {
                JpegSpec desc;
                desc.width = w;
                desc.height = h;
                desc.grey = grey;
                desc.progressive = progressive;
                desc.quality = 70;
                desc.seed = seed++;
                desc.clipped = (seed % 3) == 0;
                out.push_back(MakeJpeg(desc));
            }
    }
    CmykSpec cmyk;
    cmyk.c = 30, cmyk.m = 200, cmyk.k = 10;
    out.push_back(MakeCmykJpeg(cmyk));
    cmyk.ycck = true;
    cmyk.width = 15, cmyk.height = 7;
    out.push_back(MakeCmykJpeg(cmyk));
    return out;
}

// A RAF and a CR3 (32- and 64-bit box sizes) with small previews.
template <typename Write>
void WriteContainers(Write& write)
{
    JpegSpec small;
    small.width = 64;
    small.height = 48;
    raw::RafSpec raf;
    raf.jpeg = raw::RafJpeg(MakeJpeg(small), raf.model, 6);
    raf.mosaic = QSize(16, 12);
    write(raw::MakeRaf(raf));
    for (bool large : {false, true}) {
        raw::Cr3Spec cr3;
        cr3.preview = MakeJpeg(small);
        cr3.previewSize = QSize(64, 48);
        cr3.orientation = 8;
        cr3.largeSizes = large;
        write(raw::MakeCr3(cr3));
    }
}

} // namespace

int main(int argc, char** argv)
{
    const bool pictures = argc == 3 && std::string(argv[2]) == "picture";
    const bool raws = argc == 3 && std::string(argv[2]) == "raw";
    if (argc != 2 && !pictures && !raws) {
        std::fprintf(stderr, "usage: make_seeds FOLDER [picture|raw]\n");
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    dir.mkpath(QStringLiteral("."));
    int n = 0;
    auto write = [&](const QByteArray& bytes) {
        WriteBytesToFile(dir.filePath(QStringLiteral("seed-%1.jpg").arg(++n, 3, 10, QLatin1Char('0'))), bytes);
    };
    if (pictures) {
        for (const QByteArray& bytes : Photos())
            write(bytes);
        return 0;
    }
    if (raws) {
        JpegSpec small;
        small.width = 64;
        small.height = 48;
        for (bool oldJpeg : {false, true})
            for (ExifOrder order : {ExifOrder::Intel, ExifOrder::Motorola}) {
                raw::DngSpec dng;
                dng.preview = MakeJpeg(small);
                dng.previewSize = QSize(64, 48);
                dng.oldJpeg = oldJpeg;
                dng.order = order;
                dng.orientation = 6;
                write(raw::MakeDng(dng));
            }
        write(raw::MakeDngWithoutJpeg());
        WriteContainers(write);
        return 0;
    }
    WriteContainers(write);

    write(File(Full(ExifOrder::Intel)));
    write(File(Full(ExifOrder::Motorola)));
    write(File(ExifBuilder().Add(ExifDir::Ifd0, Ascii(0x010F, "Make")).SetNextOffset(ExifDir::Ifd0, 8)));
    {
        ExifBuilder b = Full(ExifOrder::Intel);
        b.SetNextOffset(ExifDir::Exif, b.DirectoryOffset(ExifDir::Ifd1)).SetNextOffset(ExifDir::Ifd1, 8);
        write(File(b));
    }
    {
        ExifBuilder b = Full(ExifOrder::Motorola);
        b.Add(ExifDir::Interop, Pointer(0xA005).WithValueField(b.DirectoryOffset(ExifDir::Exif)));
        write(File(b));
    }
    write(File(ExifBuilder().Add(ExifDir::Ifd0, Short(0x0102, {8, 8, 8}).WithValueField(60000))));
    write(File(ExifBuilder(Full(ExifOrder::Intel)).TruncateTiff(200)));
    write(File(ExifBuilder().Add(ExifDir::Ifd0, Short(0x0100, {1})).SetEntryCountWord(ExifDir::Ifd0, 500)));
    write(MiniJpeg({Segment(0xE0, QByteArray("JFIF\0\x01\x02\0\0\x01\0\x01\0\0", 14)),
                    Segment(0xE1, QByteArray("http://ns.adobe.com/xap/1.0/\0<x/>", 33)),
                    Segment(0xE1, Full(ExifOrder::Intel).Payload())}));
    write(MiniJpeg({Segment(0xDB, QByteArray(65, '\x01')), Segment(0xE1, Full(ExifOrder::Motorola).Payload())}));
    write(MiniJpeg({}));
    write(QByteArray("\xFF\xD8\xFF\xE1\x00", 5));
    return 0;
}
