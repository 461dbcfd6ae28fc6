#include "samplescene.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

namespace tetrafot {

namespace {

std::uint64_t Mix(std::uint64_t z)
{
    z += 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// A number in [0, 1) for a cell of a grid, the same for the same arguments.
float Hash(std::uint64_t seed, std::int64_t a, std::int64_t b)
{
    const std::uint64_t h = Mix(seed ^ Mix(std::uint64_t(a) * 0x632BE59BD9B4E019ull ^ Mix(std::uint64_t(b))));
    return float(h >> 40) * (1.0f / 16777216.0f);
}

struct Rng {
    std::uint64_t s;
    float uniform() { return float(Mix(s++) >> 40) * (1.0f / 16777216.0f); }
    float range(float lo, float hi) { return lo + (hi - lo) * uniform(); }
};

// Smooth value noise from a 256 x 256 table that wraps around.
class Noise {
public:
    explicit Noise(std::uint64_t seed)
    {
        for (int i = 0; i < 256 * 256; ++i)
            m_table[size_t(i)] = float(Mix(seed * 65536 + std::uint64_t(i)) >> 40) * (1.0f / 16777216.0f);
    }
    float at(float x, float y) const
    {
        const float fx = std::floor(x), fy = std::floor(y);
        const int ix = int(fx) & 255, iy = int(fy) & 255;
        float tx = x - fx, ty = y - fy;
        tx = tx * tx * (3 - 2 * tx);
        ty = ty * ty * (3 - 2 * ty);
        const float* row0 = &m_table[size_t(iy) * 256];
        const float* row1 = &m_table[size_t((iy + 1) & 255) * 256];
        const int ix1 = (ix + 1) & 255;
        const float a = row0[ix] + (row0[ix1] - row0[ix]) * tx;
        const float b = row1[ix] + (row1[ix1] - row1[ix]) * tx;
        return a + (b - a) * ty;
    }
    // Three octaves, about 0..1, features of `scale` pixels and finer.
    float fbm(float x, float y, float scale) const
    {
        const float f = 1.0f / scale;
        return 0.55f * at(x * f, y * f) + 0.3f * at(x * f * 2.03f + 17.1f, y * f * 2.03f + 5.3f)
            + 0.15f * at(x * f * 4.1f + 41.7f, y * f * 4.1f + 29.9f);
    }

private:
    std::array<float, 256 * 256> m_table{};
};

// How much of a pixel lies inside an edge at signed distance d (inside > 0):
// a one-pixel ramp, as a lens and a sensor would draw it.
float Cover(float d) { return std::clamp(d + 0.5f, 0.0f, 1.0f); }

struct Colour {
    float r, g, b;
};
Colour Mixed(Colour a, Colour b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
Colour Scaled(Colour a, float k) { return {a.r * k, a.g * k, a.b * k}; }

struct Layout {
    std::uint64_t seed;
    float brickH, brickW, mortar;
    Colour brick, mortarColour, frame, sill;
    float winW, winH, cellW, cellH, offX, offY, frameW;
    float ivyScale, ivyLevel;
    float shadowA, shadowB, shadowC;   // a*x + b*y < c: in the neighbour's shadow
    float sun, shade;                  // light factors
    bool harsh;
    int width, height;
};

Layout MakeLayout(int width, int height, unsigned seed, bool harsh)
{
    Rng rng{Mix(seed + 7)};
    Layout l{};
    l.seed = Mix(seed);
    l.width = width;
    l.height = height;
    l.harsh = harsh;
    // Bigger photos are taken closer or with a longer lens: somewhat larger
    // bricks, but still a dozen courses in the corner a pane shows at 1:1.
    const float scale = std::clamp(std::sqrt(float(width) * float(height)) / 1600.0f, 0.7f, 1.8f);
    l.brickH = rng.range(24, 34) * scale;
    l.brickW = l.brickH * rng.range(2.0f, 2.6f);
    l.mortar = std::max(2.0f, l.brickH * rng.range(0.1f, 0.16f));
    static const Colour kBricks[] = {{158, 70, 52}, {186, 146, 96}, {132, 126, 116}, {112, 60, 44}, {170, 98, 64}};
    l.brick = kBricks[Mix(seed * 3 + 1) % std::size(kBricks)];
    l.mortarColour = {rng.range(170, 205), rng.range(165, 195), rng.range(150, 180)};
    static const Colour kFrames[] = {{236, 234, 226}, {40, 70, 52}, {92, 52, 36}, {30, 48, 92}};
    l.frame = kFrames[Mix(seed * 5 + 2) % std::size(kFrames)];
    l.sill = {200, 196, 186};
    l.winW = l.brickW * rng.range(2.6f, 3.4f);
    l.winH = l.winW * rng.range(1.35f, 1.7f);
    l.cellW = l.winW * rng.range(2.0f, 2.6f);
    l.cellH = l.winH * rng.range(1.5f, 1.8f);
    // A window starts within the first few hundred pixels of each corner.
    l.offX = rng.range(0.15f, 0.6f) * l.cellW;
    l.offY = rng.range(0.1f, 0.35f) * l.cellH;
    l.frameW = std::max(4.0f, l.winW * 0.07f);
    l.ivyScale = rng.range(260, 420) * scale;
    l.ivyLevel = rng.range(0.52f, 0.6f);
    const float angle = rng.range(0.35f, 1.0f);
    l.shadowA = std::cos(angle);
    l.shadowB = std::sin(angle) * (rng.uniform() < 0.5f ? 1 : -1);
    l.shadowC = (l.shadowA * width + l.shadowB * height) * rng.range(0.25f, 0.45f)
        + (l.shadowB < 0 ? l.shadowB * height * 0.5f : 0);
    l.sun = harsh ? 1.75f : rng.range(1.0f, 1.12f);
    l.shade = harsh ? 0.16f : rng.range(0.42f, 0.55f);
    return l;
}

// The sky a window reflects: blue, lighter downwards, with clouds.
Colour Sky(const Noise& n, float x, float y, float height)
{
    const float t = y / height;
    Colour sky = {80 + 70 * t, 130 + 60 * t, 205 + 30 * t};
    const float c = std::clamp((n.fbm(x * 0.6f + 900, y + 300, 140) - 0.45f) * 3.0f, 0.0f, 1.0f);
    return Mixed(sky, Colour{235, 238, 242}, c);
}

Colour Brick(const Layout& l, const Noise& n, float x, float y)
{
    const int row = int(std::floor(y / l.brickH));
    const float shift = (row & 1) ? l.brickW * 0.5f : 0.0f;
    const float bx = x + shift + Hash(l.seed, row, -1) * 6;
    const int col = int(std::floor(bx / l.brickW));
    const float u = bx - col * l.brickW, v = y - row * l.brickH;
    const float half = l.mortar * 0.5f;
    const float inside = std::min(std::min(u, l.brickW - u), std::min(v, l.brickH - v)) - half;
    // Each brick its own shade and a little hue of its own; grain on top.
    const float k = 0.78f + 0.4f * Hash(l.seed, row, col);
    const float warm = (Hash(l.seed + 1, row, col) - 0.5f) * 24;
    const float grain = n.fbm(x, y, 9) - 0.5f;
    const float chips = n.at(x * 0.9f + 300, y * 0.9f + 70);
    Colour b = Scaled(l.brick, k * (1 + 0.45f * grain));
    b.r += warm;
    b.b -= warm * 0.5f;
    if (chips > 0.86f)
        b = Scaled(b, 0.7f);   // pits and chipped corners
    // The mortar sits back: its upper edge is in the brick's shadow.
    Colour m = Scaled(l.mortarColour, 0.85f + 0.3f * n.at(x * 0.5f, y * 0.5f + 50));
    if (v < l.mortar * 0.5f + 1.5f || v > l.brickH - half)
        m = Scaled(m, 0.72f);
    return Mixed(m, b, Cover(inside));
}

// Ivy: leaves where the slow noise is high, each leaf a blob of the fast one.
bool Ivy(const Layout& l, const Noise& n, float x, float y, Colour& c)
{
    const float reach = n.fbm(x + 5000, y + 1200, l.ivyScale);
    if (reach < l.ivyLevel)
        return false;
    const float leafScale = l.brickH * 0.45f;
    const float leaf = n.fbm(x + 77, y + 13, leafScale);
    const float edge = std::clamp((reach - l.ivyLevel) * 8.0f, 0.0f, 1.0f);
    const float density = 0.3f + 0.3f * edge;
    const float gap = 1 - density;
    if (leaf < gap) {
        // The wall between the leaves, shaded by them the more the nearer.
        const float near = std::clamp((leaf - gap + 0.12f) * 8.0f, 0.0f, 1.0f);
        c = Scaled(c, 1.0f - edge * (0.25f + 0.3f * near));
        return true;
    }
    const float vein = n.at(x / (leafScale * 0.35f) + 3, y / (leafScale * 0.35f) + 8);
    const float hue = n.at(x / (leafScale * 1.7f) + 51, y / (leafScale * 1.7f) + 17);
    const float lit = std::clamp((leaf - gap) * 5.0f, 0.0f, 1.0f);
    const Colour young = {96, 150, 40}, old = {24, 70, 28};
    Colour g = Scaled(Mixed(old, young, hue), 0.55f + 0.6f * lit + 0.2f * vein);
    c = Mixed(c, g, std::clamp((leaf - gap) * 40.0f, 0.0f, 1.0f));
    return true;
}

// The window of this cell, its sill and flower box, or nothing (false).
bool Window(const Layout& l, const Noise& n, float x, float y, Colour& c)
{
    const float gx = x - l.offX, gy = y - l.offY;
    const int cx = int(std::floor(gx / l.cellW)), cy = int(std::floor(gy / l.cellH));
    const float u = gx - cx * l.cellW, v = gy - cy * l.cellH;
    const float sillH = l.brickH * 0.7f, sillOver = l.frameW * 1.2f;
    const float boxH = l.brickH * 1.6f;
    const bool flowers = Hash(l.seed + 9, cx, cy) < 0.55f;
    // The sill below the window, wider than it.
    if (v >= l.winH && v < l.winH + sillH && u > -sillOver && u < l.winW + sillOver) {
        const float d = std::min(std::min(u + sillOver, l.winW + sillOver - u), std::min(v - l.winH, l.winH + sillH - v));
        Colour s = Scaled(l.sill, 0.85f + 0.3f * n.fbm(x, y, 6));
        if (v > l.winH + sillH * 0.7f)
            s = Scaled(s, 0.6f);   // its front, facing down
        c = Mixed(c, s, Cover(d));
        return true;
    }
    // A flower box above the sill: leaves, and flowers of a bright colour.
    if (flowers && v >= l.winH - boxH && v < l.winH && u > l.frameW && u < l.winW - l.frameW) {
        const float k = Hash(l.seed + 4, cx, cy);
        const Colour petals = k < 0.35f ? Colour{255, 24, 40} : k < 0.7f ? Colour{255, 214, 10} : Colour{236, 30, 200};
        const float leafs = n.fbm(x + 400, y + 900, l.brickH * 0.28f);
        const float bloom = n.fbm(x * 1.3f + 800, y * 1.3f + 100, l.brickH * 0.22f);
        if (v > l.winH - boxH * 0.35f) {
            c = Scaled(Colour{110, 64, 40}, 0.8f + 0.3f * n.at(x * 0.3f, y));   // the box
        } else if (bloom > 0.62f) {
            const float t = std::clamp((bloom - 0.62f) * 12, 0.0f, 1.0f);
            c = Mixed(Colour{40, 90, 30}, Scaled(petals, 0.9f + 0.25f * t), t);
        } else if (leafs > 0.42f) {
            c = Colour{30 + 50 * leafs, 80 + 90 * leafs, 25 + 25 * leafs};
        } else {
            return false;   // the window shows between the plants
        }
        c.r = std::max(c.r, 0.0f);
        return true;
    }
    if (u < 0 || u >= l.winW || v < 0 || v >= l.winH)
        return false;
    const float edge = std::min(std::min(u, l.winW - u), std::min(v, l.winH - v));
    // Frame and a cross of glazing bars.
    const float barX = std::abs(u - l.winW * 0.5f), barY = std::abs(v - l.winH * 0.38f);
    const float bar = std::min(barX, barY) - l.frameW * 0.3f;
    const float frameCover = std::max(Cover(l.frameW - edge), Cover(-bar));
    Colour glass;
    const float kind = Hash(l.seed + 2, cx, cy);
    if (kind < 0.22f) {
        // Open onto a dark room.
        glass = Scaled(Colour{30, 26, 22}, l.harsh ? 0.0f : 0.4f + 0.6f * n.fbm(x, y, 40));
    } else {
        glass = Scaled(Sky(n, x, y, float(l.height)), 0.8f);
        // The curtain behind, and the sun caught in some panes.
        if (u > l.winW * 0.62f)
            glass = Mixed(glass, Colour{200, 190, 170}, 0.5f + 0.2f * std::sin(u * 0.4f));
        if (kind > 0.7f) {
            const float gxm = (u - l.winW * 0.3f) / (l.winW * 0.22f), gym = (v - l.winH * 0.22f) / (l.winH * 0.12f);
            const float r = gxm * gxm + gym * gym;
            const float glare = std::exp(-r * 1.2f) * 1.6f;   // above 1: the core is blown
            glass = Mixed(glass, Colour{255, 255, 255}, std::min(glare, 1.0f));
            if (glare > 1.0f)
                glass = Colour{255, 255, 255};
        }
    }
    const Colour frame = Scaled(l.frame, 0.9f + 0.15f * n.at(x * 0.2f, y * 0.2f));
    c = Mixed(Mixed(c, glass, Cover(edge)), frame, frameCover);
    return true;
}

void Render(const Layout& l, const Noise& n, uchar* bits, qsizetype bytesPerLine, int y0, int y1)
{
    const float cx = l.width * 0.5f, cy = l.height * 0.5f;
    const float vig = 0.35f / (cx * cx + cy * cy);
    for (int y = y0; y < y1; ++y) {
        uchar* out = bits + y * bytesPerLine;
        std::uint32_t noise = std::uint32_t(Mix(l.seed + std::uint64_t(y)));
        for (int x = 0; x < l.width; ++x) {
            const float fx = float(x), fy = float(y);
            Colour c = Brick(l, n, fx, fy);
            const bool window = Window(l, n, fx, fy, c);
            if (!window)
                Ivy(l, n, fx, fy, c);
            // Daylight, the neighbour's shadow with a soft edge, a little
            // vignetting from the lens.
            const float s = l.shadowA * fx + l.shadowB * fy - l.shadowC;
            const float light = l.shade + (l.sun - l.shade) * std::clamp(s / 6.0f + 0.5f, 0.0f, 1.0f);
            const float dx = fx - cx, dy = fy - cy;
            const float k = light * (1.0f - vig * (dx * dx + dy * dy));
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            const float grain = float(int(noise & 15) - 8) * 0.5f;
            const float chroma = float(int((noise >> 8) & 3) - 1);
            // Glare and flowers are at full strength already: light only darkens them.
            const float kk = (c.r >= 254 || c.g >= 254) ? std::min(k * 1.25f, 1.3f) : k;
            out[3 * x] = uchar(std::clamp(c.r * kk + grain + chroma, 0.0f, 255.0f));
            out[3 * x + 1] = uchar(std::clamp(c.g * kk + grain, 0.0f, 255.0f));
            out[3 * x + 2] = uchar(std::clamp(c.b * kk + grain - chroma, 0.0f, 255.0f));
        }
    }
}

} // namespace

QImage MakeSampleScene(int width, int height, unsigned seed, bool harsh)
{
    QImage image(width, height, QImage::Format_RGB888);
    if (image.isNull())
        return image;
    const Layout layout = MakeLayout(width, height, seed, harsh);
    const Noise noise(Mix(seed + 99));
    // Two halves side by side: the rows do not depend on each other.
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    const int middle = height / 2;
    std::thread lower([&] { Render(layout, noise, bits, stride, middle, height); });
    Render(layout, noise, bits, stride, 0, middle);
    lower.join();
    return image;
}

} // namespace tetrafot
