// tetrafot-make-samples FOLDER
// Writes the sample folder that the viewer opens when started without one:
// photo-like JPEG files of a few sizes and kinds, RAW companion stand-ins
// and a marks file.

#include "jpegwriter.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QString>

#include <cstdio>
#include <vector>

namespace {

struct Sample {
    const char* name;
    int width, height;
    bool grey = false;
    bool progressive = false;
    bool clipped = false;
};

const std::vector<Sample>& Samples()
{
    static const std::vector<Sample> samples = {
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
    return samples;
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}

} // namespace

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
    for (const Sample& s : Samples()) {
        JpegSpec spec;
        spec.width = s.width;
        spec.height = s.height;
        spec.grey = s.grey;
        spec.progressive = s.progressive;
        spec.clipped = s.clipped;
        spec.seed = seed++;
        if (!WriteJpeg(dir.filePath(QString::fromLatin1(s.name)), spec)) {
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
