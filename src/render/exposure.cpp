#include "render/exposure.h"

#include "common/usererror.h"

#include <QCoreApplication>
#include <QList>

#include <array>
#include <cmath>
#include <utility>

namespace tetrafot {

namespace {

// Mode 2 measures the length of the colour vector: the sum of squares is an
// integer, its square root is taken in floating point.
bool Mode2Under(int sumOfSquares) { return std::sqrt(static_cast<double>(sumOfSquares)) < 3.0; }
bool Mode2Over(int sumOfSquares) { return std::sqrt(static_cast<double>(sumOfSquares)) > 438.0; }

constexpr int kMaxSum = 3 * 255 * 255;

// The square root is monotonic, so each mode 2 test is "sum below a limit"
// or "sum from a limit on". The limits are found with the tests themselves
// once per painting, which keeps the pixel loop free of square roots.
struct Limits {
    int underBelow = 0;   // under-exposed when sum < underBelow
    int overFrom = 0;     // over-exposed when sum >= overFrom
};

Limits Mode2Limits()
{
    Limits l;
    while (l.underBelow <= kMaxSum && Mode2Under(l.underBelow))
        ++l.underBelow;
    l.overFrom = kMaxSum + 1;
    while (l.overFrom > 0 && Mode2Over(l.overFrom - 1))
        --l.overFrom;
    return l;
}

constexpr std::array<int, 256> MakeSquares()
{
    std::array<int, 256> sq{};
    for (int i = 0; i < 256; ++i)
        sq[i] = i * i;
    return sq;
}
constexpr std::array<int, 256> kSquares = MakeSquares();

template <int Mode>
inline bool UnderTest(unsigned r, unsigned g, unsigned b, const Limits& l)
{
    if constexpr (Mode == 0)
        return (r | g | b) == 0;
    else if constexpr (Mode == 1)
        return r == 0 || g == 0 || b == 0;
    else if constexpr (Mode == 2)
        return kSquares[r] + kSquares[g] + kSquares[b] < l.underBelow;
    else
        return false;
}

template <int Mode>
inline bool OverTest(unsigned r, unsigned g, unsigned b, const Limits& l)
{
    if constexpr (Mode == 0)
        return (r & g & b) == 255;
    else if constexpr (Mode == 1)
        return r == 255 || g == 255 || b == 255;
    else if constexpr (Mode == 2)
        return kSquares[r] + kSquares[g] + kSquares[b] >= l.overFrom;
    else
        return false;
}

// The under pass paints first and the over pass paints over it, but both
// test the photo's own colours; so one pass that prefers the over colour
// gives the same picture and reads every pixel once.
template <int Under, int Over>
void PaintRgb888(QImage& image, const unsigned char under[3], const unsigned char over[3], const Limits& l)
{
    const int w = image.width(), h = image.height();
    for (int y = 0; y < h; ++y) {
        unsigned char* p = image.scanLine(y);
        for (int x = 0; x < w; ++x, p += 3) {
            const unsigned r = p[0], g = p[1], b = p[2];
            if (OverTest<Over>(r, g, b, l)) {
                p[0] = over[0]; p[1] = over[1]; p[2] = over[2];
            } else if (UnderTest<Under>(r, g, b, l)) {
                p[0] = under[0]; p[1] = under[1]; p[2] = under[2];
            }
        }
    }
}

template <int Under>
void PaintRgb888Over(QImage& image, int overMode, const unsigned char u[3], const unsigned char o[3], const Limits& l)
{
    switch (overMode) {
    case 0: PaintRgb888<Under, 0>(image, u, o, l); break;
    case 1: PaintRgb888<Under, 1>(image, u, o, l); break;
    case 2: PaintRgb888<Under, 2>(image, u, o, l); break;
    default: PaintRgb888<Under, -1>(image, u, o, l); break;
    }
}

bool Under(int mode, int r, int g, int b, const Limits& l)
{
    switch (mode) {
    case 0: return UnderTest<0>(r, g, b, l);
    case 1: return UnderTest<1>(r, g, b, l);
    case 2: return UnderTest<2>(r, g, b, l);
    default: return false;
    }
}

bool Over(int mode, int r, int g, int b, const Limits& l)
{
    switch (mode) {
    case 0: return OverTest<0>(r, g, b, l);
    case 1: return OverTest<1>(r, g, b, l);
    case 2: return OverTest<2>(r, g, b, l);
    default: return false;
    }
}

// A greyscale photo decodes with an 8-bit palette of greys, where no signal
// colour could show: its working copy becomes RGB888, each pixel looked up
// in a table that holds, per palette entry, its grey or the signal colour.
void PaintIndexed(QImage& image, int underMode, int overMode, int underColour, int overColour, const Limits& l)
{
    const QList<QRgb> palette = image.colorTable();
    QImage rgb(image.size(), QImage::Format_RGB888);
    if (rgb.isNull())
        throw UserError(QCoreApplication::translate("Exposure", "Недостаточно памяти, чтобы показать ошибки экспозиции."));
    std::array<std::array<unsigned char, 3>, 256> colours{};
    for (int i = 0; i < 256; ++i) {
        const QRgb entry = i < palette.size() ? palette[i] : qRgb(0, 0, 0);
        const int r = qRed(entry), g = qGreen(entry), b = qBlue(entry);
        int colour = r | g << 8 | b << 16;
        if (Over(overMode, r, g, b, l))
            colour = overColour;
        else if (Under(underMode, r, g, b, l))
            colour = underColour;
        colours[i] = {static_cast<unsigned char>(colour & 0xFF), static_cast<unsigned char>((colour >> 8) & 0xFF),
                      static_cast<unsigned char>((colour >> 16) & 0xFF)};
    }
    const int w = image.width(), h = image.height();
    for (int y = 0; y < h; ++y) {
        const unsigned char* in = image.constScanLine(y);
        unsigned char* out = rgb.scanLine(y);
        for (int x = 0; x < w; ++x, out += 3) {
            const auto& c = colours[in[x]];
            out[0] = c[0]; out[1] = c[1]; out[2] = c[2];
        }
    }
    image = std::move(rgb);
}

} // namespace

bool IsUnderExposed(int mode, int r, int g, int b)
{
    switch (mode) {
    case 0: return r == 0 && g == 0 && b == 0;
    case 1: return r == 0 || g == 0 || b == 0;
    case 2: return Mode2Under(r * r + g * g + b * b);
    default: return false;
    }
}

bool IsOverExposed(int mode, int r, int g, int b)
{
    switch (mode) {
    case 0: return r == 255 && g == 255 && b == 255;
    case 1: return r == 255 || g == 255 || b == 255;
    case 2: return Mode2Over(r * r + g * g + b * b);
    default: return false;
    }
}

void PaintExposure(QImage& image, int underMode, int overMode, int underColour, int overColour)
{
    const bool underTests = underMode >= 0 && underMode <= 2, overTests = overMode >= 0 && overMode <= 2;
    if (image.isNull() || (!underTests && !overTests))
        return;
    const Limits limits = Mode2Limits();
    if (image.format() == QImage::Format_Indexed8) {
        PaintIndexed(image, underMode, overMode, underColour, overColour, limits);
        return;
    }
    if (image.format() != QImage::Format_RGB888) {
        // Not what the decoder gives; paint a converted copy and convert back.
        const QImage::Format format = image.format();
        QImage rgb = image.convertToFormat(QImage::Format_RGB888);
        PaintExposure(rgb, underMode, overMode, underColour, overColour);
        image = rgb.convertToFormat(format);
        return;
    }
    const unsigned char u[3] = {static_cast<unsigned char>(underColour & 0xFF),
                                static_cast<unsigned char>((underColour >> 8) & 0xFF),
                                static_cast<unsigned char>((underColour >> 16) & 0xFF)};
    const unsigned char o[3] = {static_cast<unsigned char>(overColour & 0xFF),
                                static_cast<unsigned char>((overColour >> 8) & 0xFF),
                                static_cast<unsigned char>((overColour >> 16) & 0xFF)};
    switch (underMode) {
    case 0: PaintRgb888Over<0>(image, overMode, u, o, limits); break;
    case 1: PaintRgb888Over<1>(image, overMode, u, o, limits); break;
    case 2: PaintRgb888Over<2>(image, overMode, u, o, limits); break;
    default: PaintRgb888Over<-1>(image, overMode, u, o, limits); break;
    }
}

QImage IndicatorDisc(int diameter, QRgb fill, QRgb rim)
{
    QImage disc(diameter, diameter, QImage::Format_ARGB32);
    disc.fill(Qt::transparent);
    // In half-pixel units about the centre, so that every distance is a
    // whole number: a pixel is inside when its centre lies in the circle.
    auto inside = [diameter](int x, int y) {
        if (x < 0 || y < 0 || x >= diameter || y >= diameter)
            return false;
        const int dx = 2 * x - (diameter - 1), dy = 2 * y - (diameter - 1);
        return dx * dx + dy * dy <= diameter * diameter;
    };
    for (int y = 0; y < diameter; ++y) {
        for (int x = 0; x < diameter; ++x) {
            if (!inside(x, y))
                continue;
            const bool edge = !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
            disc.setPixel(x, y, qRgba(qRed(edge ? rim : fill), qGreen(edge ? rim : fill), qBlue(edge ? rim : fill), 255));
        }
    }
    return disc;
}

} // namespace tetrafot
