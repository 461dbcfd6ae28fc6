// Reading the Exif data of a photo: a 1 megapixel and a 24 megapixel file
// carrying the same ~60 KB Exif block right after SOI and JFIF. The reader
// never touches picture data, so both figures should agree within noise.

#include "exifbuilder.h"
#include "jpegwriter.h"

#include "metadata/phmetadata.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <map>
#include <string>

using namespace tetrafot;

namespace {

using namespace exif;

// A camera-like block: the usual IFD0, Exif, interoperability and IFD1
// entries and a maker note that brings the payload near its 64 KB limit.
QByteArray BenchExifPayload()
{
    ExifBuilder b(ExifOrder::Intel);
    b.Add(ExifDir::Ifd0, Ascii(0x010F, "Bench Camera Co."))
        .Add(ExifDir::Ifd0, Ascii(0x0110, "Model 24"))
        .Add(ExifDir::Ifd0, Short(0x0112, {1}))
        .Add(ExifDir::Ifd0, Rational(0x011A, {{300, 1}}))
        .Add(ExifDir::Ifd0, Rational(0x011B, {{300, 1}}))
        .Add(ExifDir::Ifd0, Short(0x0128, {2}))
        .Add(ExifDir::Ifd0, Ascii(0x0131, "Firmware 1.0.0"))
        .Add(ExifDir::Ifd0, Ascii(0x0132, "2024:05:06 07:08:09"))
        .Add(ExifDir::Ifd0, Short(0x0213, {2}))
        .Add(ExifDir::Exif, Rational(0x829A, {{1, 250}}))
        .Add(ExifDir::Exif, Rational(0x829D, {{56, 10}}))
        .Add(ExifDir::Exif, Short(0x8822, {3}))
        .Add(ExifDir::Exif, Short(0x8827, {400}))
        .Add(ExifDir::Exif, Undefined(0x9000, "0230"))
        .Add(ExifDir::Exif, Ascii(0x9003, "2024:05:06 07:08:09"))
        .Add(ExifDir::Exif, Ascii(0x9004, "2024:05:06 07:08:09"))
        .Add(ExifDir::Exif, Undefined(0x9101, {"\x01\x02\x03\x00", 4}))
        .Add(ExifDir::Exif, SRational(0x9201, {{8, 1}}))
        .Add(ExifDir::Exif, Rational(0x9202, {{5, 1}}))
        .Add(ExifDir::Exif, SRational(0x9204, {{-1, 3}}))
        .Add(ExifDir::Exif, Rational(0x9205, {{3, 1}}))
        .Add(ExifDir::Exif, Short(0x9207, {5}))
        .Add(ExifDir::Exif, Short(0x9209, {0}))
        .Add(ExifDir::Exif, Rational(0x920A, {{50, 1}}))
        .Add(ExifDir::Exif, Undefined(0x927C, std::string(56000, '\x5A')))
        .Add(ExifDir::Exif, Undefined(0x9286, std::string("ASCII\0\0\0", 8) + std::string(200, ' ')))
        .Add(ExifDir::Exif, Ascii(0x9290, "00"))
        .Add(ExifDir::Exif, Undefined(0xA000, "0100"))
        .Add(ExifDir::Exif, Short(0xA001, {1}))
        .Add(ExifDir::Exif, Long(0xA002, {6000}))
        .Add(ExifDir::Exif, Long(0xA003, {4000}))
        .Add(ExifDir::Exif, Short(0xA402, {0}))
        .Add(ExifDir::Exif, Short(0xA403, {0}))
        .Add(ExifDir::Exif, Short(0xA406, {0}))
        .Add(ExifDir::Interop, Ascii(0x0001, "R98"))
        .Add(ExifDir::Interop, Undefined(0x0002, "0100"))
        .Add(ExifDir::Ifd1, Short(0x0103, {6}))
        .Add(ExifDir::Ifd1, Long(0x0201, {0}))
        .Add(ExifDir::Ifd1, Long(0x0202, {0}));
    // Blocks of this size hold a thumbnail; the bytes after the directories
    // stand in for it.
    b.AppendTiff(QByteArray(4000, '\x11'));
    return b.Payload();
}

QString BenchExifPath(int megapixels)
{
    static std::map<int, QString> paths;
    auto it = paths.find(megapixels);
    if (it != paths.end())
        return it->second;
    const QString folder = QDir::temp().filePath(QStringLiteral("tetrafot-bench"));
    const QString path = folder + QStringLiteral("/exif-%1mp-v1.jpg").arg(megapixels);
    if (!QFile::exists(path)) {
        QDir().mkpath(folder);
        JpegSpec desc;
        if (megapixels == 24) {
            desc.width = 6000;
            desc.height = 4000;
        } else {
            desc.width = 1224;
            desc.height = 816;
        }
        desc.quality = 92;
        desc.seed = static_cast<unsigned>(megapixels);
        desc.markers = {{0xE1, BenchExifPayload()}};
        WriteJpeg(path, desc);
    }
    paths[megapixels] = path;
    return path;
}

void BM_ReadMetadata(benchmark::State& state)
{
    const std::string path = BenchExifPath(static_cast<int>(state.range(0))).toStdString();
    std::size_t items = 0;
    for (auto _ : state) {
        TImageMetadata reader(path);
        if (reader.ErrorCode != 0) {
            state.SkipWithError("the benchmark file has no readable Exif block");
            return;
        }
        items = reader.Tags.size();
        benchmark::DoNotOptimize(reader.Tags.data());
    }
    state.counters["items"] = static_cast<double>(items);
    state.counters["fileMB"] = static_cast<double>(QFile(QString::fromStdString(path)).size()) / 1e6;
}

} // namespace

BENCHMARK(BM_ReadMetadata)->ArgName("MP")->Arg(1)->Arg(24)->Unit(benchmark::kMicrosecond);
