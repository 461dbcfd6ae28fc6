#include "jpegwriter.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace tetrafot {

namespace {

struct WriterError {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void WriterErrorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<WriterError*>(cinfo->err)->jump, 1);
}

// The caller's rows: fill row y (width * components bytes).
using RowSource = void (*)(void* context, int y, unsigned char* row);

struct EncodeJob {
    int width, height, components;
    J_COLOR_SPACE inSpace;
    J_COLOR_SPACE jpegSpace;   // JCS_UNKNOWN: libjpeg's default for inSpace
    bool writeAdobe;
    bool progressive;
    int quality;
    bool jfif;
    const std::vector<std::pair<int, QByteArray>>* markers;
    RowSource source;
    void* context;
};

// Only trivially destructible locals live here, so the longjmp skips no destructor.
bool Encode(const EncodeJob& job, unsigned char** out, unsigned long* outSize, unsigned char* row)
{
    jpeg_compress_struct cinfo;
    WriterError err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = WriterErrorExit;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, out, outSize);
    cinfo.image_width = static_cast<JDIMENSION>(job.width);
    cinfo.image_height = static_cast<JDIMENSION>(job.height);
    cinfo.input_components = job.components;
    cinfo.in_color_space = job.inSpace;
    jpeg_set_defaults(&cinfo);
    if (job.jpegSpace != JCS_UNKNOWN)
        jpeg_set_colorspace(&cinfo, job.jpegSpace);
    cinfo.write_Adobe_marker = job.writeAdobe ? TRUE : FALSE;
    cinfo.write_JFIF_header = job.jfif ? TRUE : FALSE;
    jpeg_set_quality(&cinfo, job.quality, TRUE);
    if (job.progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    if (job.markers) {
        for (const auto& [code, payload] : *job.markers)
            jpeg_write_marker(&cinfo, code, reinterpret_cast<const JOCTET*>(payload.constData()),
                              static_cast<unsigned int>(payload.size()));
    }
    JSAMPROW rows[1] = {row};
    for (int y = 0; y < job.height; ++y) {
        job.source(job.context, y, row);
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

QByteArray RunEncode(const EncodeJob& job)
{
    if (job.width <= 0 || job.height <= 0)
        return {};
    std::vector<unsigned char> row(static_cast<size_t>(job.width) * job.components);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    const bool ok = Encode(job, &out, &outSize, row.data());
    QByteArray result;
    if (ok && out)
        result = QByteArray(reinterpret_cast<const char*>(out), static_cast<qsizetype>(outSize));
    std::free(out);
    return result;
}

// ---- the photo-like scene -------------------------------------------------

struct Rng {
    unsigned long long s;
    explicit Rng(unsigned seed) : s(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
    unsigned long long next()
    {
        unsigned long long z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return (next() >> 11) * (1.0 / 9007199254740992.0); }
    int range(int lo, int hi) { return lo + static_cast<int>(uniform() * (hi - lo + 1)); }
};

struct Shape {
    bool disc;
    double cx, cy, rx, ry;   // disc: centre and radii; box: left, top, right, bottom
    int r, g, b;
    bool flat;               // no noise or shading: keeps clipped areas at 0 or 255
};

struct Scene {
    int width, height;
    bool grey;
    std::vector<int> horizon;            // per column
    std::vector<int> light;              // per column brightness offset
    std::vector<Shape> shapes;
    std::vector<int> rowR, rowG, rowB;   // scratch line in ints
    unsigned noise;
};

unsigned char Clamp(int v) { return static_cast<unsigned char>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

Scene MakeScene(const JpegSpec& desc)
{
    Scene s;
    s.width = desc.width;
    s.height = desc.height;
    s.grey = desc.grey;
    s.noise = desc.seed * 2654435761u + 12345u;
    Rng rng(desc.seed);
    const double w = desc.width, h = desc.height;
    const double phase = rng.uniform() * 6.28, amp = h * (0.03 + 0.04 * rng.uniform());
    const double level = h * (0.5 + 0.15 * rng.uniform());
    s.horizon.resize(desc.width);
    s.light.resize(desc.width);
    for (int x = 0; x < desc.width; ++x) {
        const double t = x / w;
        s.horizon[x] = static_cast<int>(level + amp * std::sin(phase + t * 7.0) + amp * 0.4 * std::sin(t * 23.0));
        s.light[x] = static_cast<int>(30.0 * std::cos((t - 0.3) * 3.0)) - 10;
    }
    // The sun, buildings, round things.
    const double sunR = std::min(w, h) * (desc.clipped ? 0.16 : 0.05);
    s.shapes.push_back({true, w * (0.6 + 0.3 * rng.uniform()), h * (0.12 + 0.12 * rng.uniform()), sunR, sunR,
                        255, 255, desc.clipped ? 255 : 236, desc.clipped});
    const int boxes = rng.range(3, 5);
    for (int i = 0; i < boxes; ++i) {
        const double left = w * rng.uniform() * 0.85, bw = w * (0.04 + 0.12 * rng.uniform());
        const double top = h * (0.25 + 0.3 * rng.uniform());
        const int base = rng.range(50, 200);
        s.shapes.push_back({false, left, top, left + bw, h * (0.6 + 0.1 * rng.uniform()),
                            base, base - rng.range(0, 30), base - rng.range(0, 50), false});
    }
    const int discs = rng.range(2, 3);
    for (int i = 0; i < discs; ++i) {
        const double r = std::min(w, h) * (0.04 + 0.08 * rng.uniform());
        s.shapes.push_back({true, w * rng.uniform(), h * (0.6 + 0.35 * rng.uniform()), r, r * (0.6 + 0.4 * rng.uniform()),
                            rng.range(120, 230), rng.range(20, 120), rng.range(10, 80), false});
    }
    if (desc.clipped) {
        // A deep shadow across the lower left.
        s.shapes.push_back({false, 0, h * 0.78, w * 0.45, h, 0, 0, 0, true});
    }
    s.rowR.resize(desc.width);
    s.rowG.resize(desc.width);
    s.rowB.resize(desc.width);
    return s;
}

void SceneRow(void* context, int y, unsigned char* out)
{
    Scene& s = *static_cast<Scene*>(context);
    const int w = s.width;
    const double fy = static_cast<double>(y) / s.height;
    // Sky: deep blue to pale near the horizon; ground: warm green darkening downwards.
    const int skyR = static_cast<int>(70 + 120 * fy), skyG = static_cast<int>(110 + 100 * fy), skyB = static_cast<int>(200 + 40 * fy);
    const int gndR = static_cast<int>(110 - 60 * fy), gndG = static_cast<int>(130 - 50 * fy), gndB = static_cast<int>(60 - 30 * fy);
    int* R = s.rowR.data();
    int* G = s.rowG.data();
    int* B = s.rowB.data();
    for (int x = 0; x < w; ++x) {
        const int l = s.light[x];
        if (y < s.horizon[x]) {
            R[x] = skyR + l; G[x] = skyG + l; B[x] = skyB + l;
        } else {
            R[x] = gndR + l; G[x] = gndG + l; B[x] = gndB + l;
        }
    }
    // Spans of the shapes on this row; flat ones are marked with -1000 so
    // the noise leaves them alone.
    for (const Shape& sh : s.shapes) {
        int x0, x1;
        if (sh.disc) {
            const double dy = (y + 0.5 - sh.cy) / sh.ry;
            if (dy <= -1.0 || dy >= 1.0)
                continue;
            const double half = sh.rx * std::sqrt(1.0 - dy * dy);
            x0 = static_cast<int>(std::ceil(sh.cx - half));
            x1 = static_cast<int>(std::floor(sh.cx + half));
        } else {
            if (y < sh.cy || y >= sh.ry)
                continue;
            x0 = static_cast<int>(sh.cx);
            x1 = static_cast<int>(sh.rx);
        }
        x0 = std::max(x0, 0);
        x1 = std::min(x1, w - 1);
        const int shade = sh.flat ? 0 : static_cast<int>(20 * (fy - 0.5));
        for (int x = x0; x <= x1; ++x) {
            if (sh.flat) {
                R[x] = sh.r - 1000; G[x] = sh.g; B[x] = sh.b;
            } else {
                const int l = s.light[x] / 2 - shade;
                R[x] = sh.r + l; G[x] = sh.g + l; B[x] = sh.b + l;
            }
        }
    }
    unsigned n = s.noise + static_cast<unsigned>(y) * 0x9E3779B9u;
    if (s.grey) {
        for (int x = 0; x < w; ++x) {
            if (R[x] < -500) {
                out[x] = Clamp((R[x] + 1000) * 3 / 10 + G[x] * 59 / 100 + B[x] * 11 / 100);
                continue;
            }
            n ^= n << 13; n ^= n >> 17; n ^= n << 5;
            const int noise = static_cast<int>(n & 15) - 8;
            out[x] = Clamp((R[x] * 30 + G[x] * 59 + B[x] * 11) / 100 + noise);
        }
    } else {
        for (int x = 0; x < w; ++x) {
            unsigned char* p = out + 3 * x;
            if (R[x] < -500) {
                p[0] = Clamp(R[x] + 1000); p[1] = Clamp(G[x]); p[2] = Clamp(B[x]);
                continue;
            }
            n ^= n << 13; n ^= n >> 17; n ^= n << 5;
            const int noise = static_cast<int>(n & 15) - 8;
            const int chroma = static_cast<int>((n >> 8) & 3) - 1;
            p[0] = Clamp(R[x] + noise + chroma);
            p[1] = Clamp(G[x] + noise);
            p[2] = Clamp(B[x] + noise - chroma);
        }
    }
    s.noise = n;
}

struct ImageSource {
    const QImage* image;
    int bytes;
};

void ImageRow(void* context, int y, unsigned char* out)
{
    const auto* src = static_cast<const ImageSource*>(context);
    std::memcpy(out, src->image->constScanLine(y), static_cast<size_t>(src->bytes));
}

struct CmykSource {
    unsigned char px[4];
    int width;
};

void CmykRow(void* context, int, unsigned char* out)
{
    const auto* src = static_cast<const CmykSource*>(context);
    for (int x = 0; x < src->width; ++x)
        std::memcpy(out + 4 * x, src->px, 4);
}

} // namespace

QByteArray MakeJpeg(const JpegSpec& desc)
{
    if (desc.width <= 0 || desc.height <= 0)
        return {};
    Scene scene = MakeScene(desc);
    EncodeJob job{desc.width, desc.height, desc.grey ? 1 : 3, desc.grey ? JCS_GRAYSCALE : JCS_RGB,
                  JCS_UNKNOWN, false, desc.progressive, desc.quality, desc.jfif, &desc.markers,
                  SceneRow, &scene};
    return RunEncode(job);
}

bool WriteJpeg(const QString& path, const JpegSpec& desc)
{
    const QByteArray data = MakeJpeg(desc);
    if (data.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(data);
    return file.commit();
}

QByteArray MakeJpegFromImage(const QImage& image, int quality)
{
    JpegSpec options;
    options.quality = quality;
    return MakeJpegFromImage(image, options);
}

QByteArray MakeJpegFromImage(const QImage& image, const JpegSpec& options)
{
    QImage img = image;
    bool grey = false;
    if (img.format() == QImage::Format_Grayscale8) {
        grey = true;
    } else if (img.format() == QImage::Format_Indexed8 && img.allGray()) {
        img = img.convertToFormat(QImage::Format_Grayscale8);
        grey = true;
    } else if (img.format() != QImage::Format_RGB888) {
        img = img.convertToFormat(QImage::Format_RGB888);
    }
    ImageSource src{&img, img.width() * (grey ? 1 : 3)};
    EncodeJob job{img.width(), img.height(), grey ? 1 : 3, grey ? JCS_GRAYSCALE : JCS_RGB,
                  JCS_UNKNOWN, false, options.progressive, options.quality, options.jfif, &options.markers,
                  ImageRow, &src};
    return RunEncode(job);
}

QByteArray MakeCmykJpeg(const CmykSpec& desc)
{
    const bool inverted = desc.adobeInverted || desc.ycck;
    CmykSource src{};
    const int ink[4] = {desc.c, desc.m, desc.y, desc.k};
    for (int i = 0; i < 4; ++i) {
        const int v = std::clamp(ink[i], 0, 255);
        src.px[i] = static_cast<unsigned char>(inverted ? 255 - v : v);
    }
    src.width = desc.width;
    EncodeJob job{desc.width, desc.height, 4, JCS_CMYK, desc.ycck ? JCS_YCCK : JCS_CMYK,
                  inverted, false, 95, false, nullptr, CmykRow, &src};
    return RunEncode(job);
}

QByteArray Truncate(const QByteArray& jpeg, int keepBytes)
{
    return jpeg.left(std::max(0, keepBytes));
}

QByteArray CorruptAt(const QByteArray& jpeg, int offset, char value)
{
    QByteArray copy = jpeg;
    if (offset >= 0 && offset < copy.size())
        copy[offset] = value;
    return copy;
}

int FindMarker(const QByteArray& jpeg, int code)
{
    // Walk the marker segments from the SOI; entropy-coded data after SOS is
    // searched byte by byte (stuffed 0xFF00 pairs are not markers).
    const auto* p = reinterpret_cast<const unsigned char*>(jpeg.constData());
    const int n = static_cast<int>(jpeg.size());
    int i = 2;
    while (i + 4 <= n) {
        if (p[i] != 0xFF)
            return -1;
        const int m = p[i + 1];
        if (m == code)
            return i;
        if (m == 0xDA)
            break;
        i += 2 + (p[i + 2] << 8 | p[i + 3]);
    }
    for (; i + 1 < n; ++i) {
        if (p[i] == 0xFF && p[i + 1] == code)
            return i;
    }
    return -1;
}

QByteArray WithFrameAfterScan(const QByteArray& jpeg)
{
    const int sof = FindMarker(jpeg, 0xC0);
    if (sof < 0)
        return jpeg;
    const int length = (uchar(jpeg[sof + 2]) << 8) | uchar(jpeg[sof + 3]);
    return jpeg.left(jpeg.size() - 2) + jpeg.mid(sof, 2 + length) + QByteArray("\xFF\xD9", 2);
}

} // namespace tetrafot
