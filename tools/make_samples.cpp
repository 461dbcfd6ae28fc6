// tetrafot-make-samples FOLDER
// Writes the sample folder that the viewer opens when started without one:
// made-up photographs of a few sizes and kinds, with detail in every corner
// (see samplescene.h), RAW companion stand-ins and a marks file.

#include "exifbuilder.h"
#include "jpegwriter.h"
#include "samplescene.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <string>
#include <iterator>

namespace tetrafot {

namespace {

struct Sample {
    const char* name;
    int width, height;
    bool grey = false;
    bool progressive = false;
    bool clipped = false;
};

// What a camera would have written; a null model means no Exif block.
struct Shot {
    const char* model;
    const char* dateTime;
    int iso;
    int shutterApex;    // Tv x 1000: 1/250 s is 7966
    int apertureApex;   // Av x 1000: f/2.8 is 2971
    int biasNum, biasDen;   // EV as a fraction: -1/3
    int focalLength10;  // mm x 10
    const char* comment;
    bool motorola;
};

const Shot kShots[] = {
    {"Canon PowerShot G5", "2004:06:12 10:15:32", 100, 7966, 2971, 0, 3, 72, "Harbour in the morning", false},
    {"Canon PowerShot G5", "2004:06:12 10:16:05", 100, 6966, 4000, -1, 3, 144, "", false},
    {"Canon EOS 300D DIGITAL", "2004:07:01 18:42:10", 200, 5907, 4971, 0, 3, 180, "Evening light", false},
    {"Canon EOS 5D Mark II", "2009:05:23 12:00:00", 400, 9966, 6000, 0, 3, 500, "24 megapixel test", false},
    {"NIKON D70", "2005:01:15 14:03:27", 800, 4907, 3615, 2, 3, 350, "Black and white", true},
    {"NIKON D70", "2005:01:15 14:05:11", 800, 4907, 3615, 1, 3, 350, "", true},
    {"Canon PowerShot G5", "2004:08:03 13:30:00", 50, 10966, 6000, -1, 1, 72, "Sun in the frame", false},
    {"Canon EOS 300D DIGITAL", "2004:07:02 09:00:00", 100, 8966, 2971, 0, 3, 180, "", false},
    {"PENTAX Optio 33WR", "2006:03:09 16:20:45", 64, 7966, 3170, 0, 3, 58, "Small file", false},
    {nullptr, nullptr, 0, 0, 0, 0, 1, 0, nullptr, false},
    {"Canon EOS 350D DIGITAL", "2006:11:30 08:10:59", 1600, 3000, 2000, 0, 3, 500, "Indoors", false},
    {"FUJIFILM FinePix S5600", "2005:09:10 11:11:11", 64, 7966, 4340, 0, 3, 63, "", true},
};

QByteArray ExifPayload(const Shot& shot, int width, int height)
{
    using namespace exif;
    ExifBuilder b(shot.motorola ? ExifOrder::Motorola : ExifOrder::Intel);
    const std::string model = shot.model;
    b.Add(ExifDir::Ifd0, Ascii(0x010F, model.substr(0, model.find(' '))));
    b.Add(ExifDir::Ifd0, Ascii(0x0110, shot.model));
    b.Add(ExifDir::Ifd0, Short(0x0112, {1}));
    b.Add(ExifDir::Ifd0, Rational(0x011A, {{180, 1}}));
    b.Add(ExifDir::Ifd0, Rational(0x011B, {{180, 1}}));
    b.Add(ExifDir::Ifd0, Short(0x0128, {2}));
    b.Add(ExifDir::Ifd0, Ascii(0x0132, shot.dateTime));
    b.Add(ExifDir::Exif, Undefined(0x9000, "0220"));
    b.Add(ExifDir::Exif, Ascii(0x9003, shot.dateTime));
    b.Add(ExifDir::Exif, Short(0x8827, {static_cast<std::uint16_t>(shot.iso)}));
    b.Add(ExifDir::Exif, SRational(0x9201, {{shot.shutterApex, 1000}}));
    b.Add(ExifDir::Exif, Rational(0x9202, {{static_cast<std::uint32_t>(shot.apertureApex), 1000}}));
    b.Add(ExifDir::Exif, SRational(0x9204, {{shot.biasNum, shot.biasDen}}));
    b.Add(ExifDir::Exif, Short(0x9207, {5}));
    b.Add(ExifDir::Exif, Short(0x9209, {0}));
    b.Add(ExifDir::Exif, Rational(0x920A, {{static_cast<std::uint32_t>(shot.focalLength10), 10}}));
    // The character code and the text; cameras pad the comment with blanks.
    std::string comment("ASCII\0\0\0", 8);
    comment += shot.comment;
    comment.resize(std::max<std::size_t>(comment.size(), 40), ' ');
    b.Add(ExifDir::Exif, Undefined(0x9286, comment));
    b.Add(ExifDir::Exif, Undefined(0xA000, "0100"));
    b.Add(ExifDir::Exif, Short(0xA001, {1}));
    b.Add(ExifDir::Exif, Long(0xA002, {static_cast<std::uint32_t>(width)}));
    b.Add(ExifDir::Exif, Long(0xA003, {static_cast<std::uint32_t>(height)}));
    b.Add(ExifDir::Interop, Ascii(0x0001, "R98"));
    b.Add(ExifDir::Ifd1, Short(0x0103, {6}));
    return b.Payload();
}

const Sample kSamples[] = {
    {"IMG_0001.JPG", 1600, 1200},
    {"IMG_0002.JPG", 1200, 1600},
    {"IMG_0003.JPG", 2000, 1500},
    {"IMG_0004.JPG", 6000, 4000},              // 24 megapixels
    {"IMG_0005.JPG", 1600, 1200, true},        // greyscale
    {"IMG_0006.JPG", 1280, 960, false, true},  // progressive
    {"IMG_0007.JPG", 1600, 1200, false, false, true},   // blown highlights, crushed shadows
    {"IMG_0008.JPG", 2001, 1500},              // one pixel over the default maxsize
    {"IMG_0009.JPG", 800, 600},
    {"IMG_0010.JPG", 640, 480},
    {"IMG_0011.JPG", 3000, 2000},
    {"IMG_0012.JPG", 1024, 768},
};
static_assert(std::size(kSamples) == std::size(kShots));

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}

} // namespace

} // namespace tetrafot

using namespace tetrafot;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tetrafot-make-samples FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "tetrafot-make-samples: cannot create %s\n", argv[1]);
        return 1;
    }
    const QDir dir(folder);
    unsigned seed = 1;
    int index = 0;
    for (const Sample& s : kSamples) {
        const Shot& shot = kShots[index++];
        JpegSpec desc;
        desc.progressive = s.progressive;
        if (shot.model)
            desc.markers.push_back({0xE1, ExifPayload(shot, s.width, s.height)});
        QImage scene = MakeSampleScene(s.width, s.height, seed++, s.clipped);
        if (s.grey)
            scene = scene.convertToFormat(QImage::Format_Grayscale8);
        const QByteArray bytes = MakeJpegFromImage(scene, desc);
        if (bytes.isEmpty() || !WriteBytes(dir.filePath(QString::fromLatin1(s.name)), bytes)) {
            std::fprintf(stderr, "tetrafot-make-samples: cannot write %s\n", s.name);
            return 1;
        }
    }
    // RAW companions: small stand-ins, enough for the RAW mark and the file commands.
    const QByteArray raw = QByteArray("II\x1a\x00\x00\x00HEAPCCDR", 14) + QByteArray(2048, '\0');
    const char* companions[] = {"IMG_0003.CRW", "IMG_0003.THM", "IMG_0011.CRW", "IMG_0011.THM", "IMG_0001.CRW"};
    JpegSpec thumb;
    thumb.width = 160;
    thumb.height = 120;
    thumb.seed = 3;
    for (const char* name : companions) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        const QByteArray bytes = QByteArray(name).endsWith(".THM") ? MakeJpeg(thumb) : raw;
        if (!WriteBytes(path, bytes)) {
            std::fprintf(stderr, "tetrafot-make-samples: cannot write %s\n", name);
            return 1;
        }
    }
    if (!WriteBytes(dir.filePath(QStringLiteral("marked.txt")),
                    "IMG_0001.JPG\r\nIMG_0002.JPG:3\r\nIMG_0007.JPG:0\r\n")) {
        std::fprintf(stderr, "tetrafot-make-samples: cannot write marked.txt\n");
        return 1;
    }
    std::printf("Samples written to %s\n", qPrintable(QDir::toNativeSeparators(dir.absolutePath())));
    return 0;
}
