#include "damagedjpegs.h"

#include "exifbuilder.h"
#include "jpegwriter.h"

#include <algorithm>
#include <cstdint>
#include <random>

namespace tetrafot {

using namespace exif;

std::vector<JpegSegment> JpegSegments(const QByteArray& jpeg)
{
    std::vector<JpegSegment> out;
    const auto at = [&](int i) { return static_cast<unsigned char>(jpeg[i]); };
    const int size = static_cast<int>(jpeg.size());
    int pos = 0;
    while (pos + 1 < size && at(pos) == 0xFF) {
        const int code = at(pos + 1);
        if (code == 0xD8 || code == 0xD9 || code == 0x01 || (code >= 0xD0 && code <= 0xD7)) {
            out.push_back({code, pos, pos + 2});
            pos += 2;
            if (code == 0xD9)
                break;
            continue;
        }
        if (code == 0xFF) {   // fill byte
            ++pos;
            continue;
        }
        if (pos + 3 >= size)
            break;
        int end = std::min(size, pos + 2 + (at(pos + 2) << 8 | at(pos + 3)));
        if (code == 0xDA) {
            // The entropy-coded data runs to the next marker that is not a
            // stuffed zero or a restart.
            while (end + 1 < size && !(at(end) == 0xFF && at(end + 1) != 0 && (at(end + 1) < 0xD0 || at(end + 1) > 0xD7)))
                ++end;
            if (end + 1 >= size)
                end = size;
        }
        out.push_back({code, pos, end});
        pos = end;
    }
    return out;
}

namespace {

struct Base {
    std::string name;
    QByteArray bytes;
};

QByteArray Photo(int w, int h, bool grey, bool progressive, unsigned seed, std::vector<std::pair<int, QByteArray>> markers = {})
{
    JpegSpec desc;
    desc.width = w;
    desc.height = h;
    desc.grey = grey;
    desc.progressive = progressive;
    desc.quality = 80;
    desc.seed = seed;
    desc.markers = std::move(markers);
    return MakeJpeg(desc);
}

QByteArray Without(const QByteArray& jpeg, const JpegSegment& s) { return jpeg.left(s.start) + jpeg.mid(s.end); }

QByteArray Twice(const QByteArray& jpeg, const JpegSegment& s)
{
    return jpeg.left(s.end) + jpeg.mid(s.start, s.end - s.start) + jpeg.mid(s.end);
}

void PutWord(QByteArray& bytes, int at, int value)
{
    bytes[at] = static_cast<char>(value >> 8);
    bytes[at + 1] = static_cast<char>(value & 0xFF);
}

const JpegSegment* Find(const std::vector<JpegSegment>& segments, int code)
{
    for (const JpegSegment& s : segments)
        if (s.code == code)
            return &s;
    return nullptr;
}

int SofCode(const std::vector<JpegSegment>& segments)
{
    return Find(segments, 0xC2) ? 0xC2 : 0xC0;
}

// Exif blocks that make a reader loop or multiply its work.
std::vector<std::pair<std::string, QByteArray>> HostileExif()
{
    std::vector<std::pair<std::string, QByteArray>> out;
    for (ExifOrder order : {ExifOrder::Intel, ExifOrder::Motorola}) {
        const std::string o = order == ExifOrder::Intel ? "ii" : "mm";
        {   // 400 long texts, all at one offset
            ExifBuilder b(order);
            b.AppendTiff(QByteArray(3000, 'A'));
            for (int i = 0; i < 400; ++i)
                b.Add(ExifDir::Ifd0, Ascii(i % 2 ? 0x010F : 0x0110, "x").WithCount(2900).WithValueField(40));
            out.push_back({o + "-one-value-ascii", b.Payload()});
        }
        {   // rationals and shorts, many entries at one offset
            ExifBuilder b(order);
            b.AppendTiff(QByteArray(8000, '\x01'));
            for (int i = 0; i < 300; ++i) {
                b.Add(ExifDir::Exif, Rational(0x829A, {{1, 2}}).WithCount(900).WithValueField(16));
                b.Add(ExifDir::Ifd0, Short(0x0102, {8}).WithCount(3000).WithValueField(16));
            }
            out.push_back({o + "-one-value-numbers", b.Payload()});
        }
        {   // the Exif directory is IFD0 itself
            ExifBuilder b(order);
            b.Add(ExifDir::Ifd0, Ascii(0x010F, "Make")).Add(ExifDir::Ifd0, Pointer(0x8769).WithValueField(8));
            out.push_back({o + "-exif-is-ifd0", b.Payload()});
        }
        {   // IFD0 chains to itself, IFD1 back to IFD0
            ExifBuilder b(order);
            b.Add(ExifDir::Ifd0, Ascii(0x010F, "Make")).Add(ExifDir::Ifd1, Short(0x0103, {6}));
            b.SetNextOffset(ExifDir::Ifd1, 8);
            out.push_back({o + "-ifd1-to-ifd0", b.Payload()});
            ExifBuilder c(order);
            c.Add(ExifDir::Ifd0, Ascii(0x010F, "Make")).SetNextOffset(ExifDir::Ifd0, 8);
            out.push_back({o + "-ifd0-to-itself", c.Payload()});
        }
        {   // interoperability pointing back at the Exif directory and IFD0
            ExifBuilder b(order);
            b.Add(ExifDir::Exif, Rational(0x829A, {{1, 125}})).Add(ExifDir::Interop, Ascii(0x0001, "R98"));
            const std::uint32_t exifDir = b.DirectoryOffset(ExifDir::Exif);
            b.Add(ExifDir::Interop, Pointer(0xA005).WithValueField(exifDir));
            b.Add(ExifDir::Exif, Pointer(0x8769).WithValueField(8));
            out.push_back({o + "-interop-loop", b.Payload()});
        }
        for (std::uint32_t shift : {2u, 6u, 12u}) {   // the Exif directory starts inside IFD0's entries
            ExifBuilder b(order);
            for (int i = 0; i < 8; ++i)
                b.Add(ExifDir::Ifd0, Short(0x0102, {8, 8, 8}));
            b.Add(ExifDir::Ifd0, Pointer(0x8769).WithValueField(8 + shift));
            b.Add(ExifDir::Exif, Rational(0x829A, {{1, 125}}));
            out.push_back({o + "-exif-inside-ifd0-" + std::to_string(shift), b.Payload()});
        }
        {   // a directory claiming 65535 entries
            ExifBuilder b(order);
            b.Add(ExifDir::Ifd0, Ascii(0x010F, "Make")).SetEntryCountWord(ExifDir::Ifd0, 65535);
            out.push_back({o + "-65535-entries", b.Payload()});
        }
        {   // a count that wraps the offset around
            ExifBuilder b(order);
            b.Add(ExifDir::Ifd0, Long(0x0201, {1}).WithCount(0x40000001).WithValueField(0xFFFFFFF0));
            b.Add(ExifDir::Ifd0, Ascii(0x010F, "x").WithCount(0xFFFFFFFF).WithValueField(8));
            out.push_back({o + "-wrapping-count", b.Payload()});
        }
    }
    return out;
}

} // namespace

std::vector<DamagedJpeg> MakeDamagedJpegs()
{
    std::vector<DamagedJpeg> out;
    const auto add = [&](const std::string& category, const std::string& name, QByteArray bytes) {
        out.push_back({category, category + "-" + name, std::move(bytes)});
    };

    const std::vector<Base> bases = {
        {"base64x48", Photo(64, 48, false, false, 1)},
        {"prog96x72", Photo(96, 72, false, true, 2)},
        {"greyprog80x60", Photo(80, 60, true, true, 3)},
        {"base320x240", Photo(320, 240, false, false, 4)},
    };

    add("tiny", "empty", QByteArray());
    add("tiny", "one-byte", QByteArray("\xFF", 1));
    add("tiny", "soi", QByteArray("\xFF\xD8", 2));
    add("tiny", "soi-ff", QByteArray("\xFF\xD8\xFF", 3));
    add("tiny", "soi-eoi", QByteArray("\xFF\xD8\xFF\xD9", 4));
    add("tiny", "eoi", QByteArray("\xFF\xD9", 2));
    add("tiny", "soi-sos", QByteArray("\xFF\xD8\xFF\xDA\x00\x02", 6));
    add("tiny", "soi-fill", QByteArray("\xFF\xD8") + QByteArray(5000, '\xFF'));

    add("not-jpeg", "png", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    add("not-jpeg", "text", QByteArray("this is not a photo\n"));
    add("not-jpeg", "zeros", QByteArray(4096, '\0'));
    {
        std::mt19937 rng(7);
        QByteArray noise(3000, '\0');
        for (char& c : noise)
            c = static_cast<char>(rng());
        add("not-jpeg", "noise", noise);
        add("not-jpeg", "soi-noise", QByteArray("\xFF\xD8", 2) + noise);
    }

    for (const Base& base : bases) {
        const QByteArray& b = base.bytes;
        const std::vector<JpegSegment> segs = JpegSegments(b);
        const int size = static_cast<int>(b.size());

        // Truncated at evenly spread offsets and around every marker.
        std::vector<int> cuts;
        for (int i = 1; i <= 50; ++i)
            cuts.push_back(size * i / 51);
        for (const JpegSegment& s : segs)
            for (int d : {0, 1, 2, 3, 5})
                if (s.start + d < size)
                    cuts.push_back(s.start + d);
        std::sort(cuts.begin(), cuts.end());
        cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
        for (int cut : cuts)
            add("truncated", base.name + "-" + std::to_string(cut), Truncate(b, cut));

        if (base.name == "base320x240")
            continue;

        // Bit flips in the headers: every third header byte of every segment
        // but the entropy-coded data.
        int flips = 0;
        for (const JpegSegment& s : segs) {
            int headerEnd = s.end;
            if (s.code == 0xDA)
                headerEnd = std::min(s.end, s.start + 2 + ((static_cast<unsigned char>(b[s.start + 2]) << 8) |
                                                         static_cast<unsigned char>(b[s.start + 3])));
            for (int i = s.start; i < headerEnd; i += 3, ++flips) {
                const char flipped = static_cast<char>(b[i] ^ (1 << (flips % 8)));
                add("header-bitflip", base.name + "-" + std::to_string(i), CorruptAt(b, i, flipped));
            }
        }

        // Bit flips in the entropy-coded data, one to four at a time.
        std::mt19937 rng(11 + static_cast<unsigned>(size));
        std::vector<std::pair<int, int>> scans;
        for (const JpegSegment& s : segs)
            if (s.code == 0xDA)
                scans.push_back({s.start + 14, s.end});
        for (int n = 0; n < 60; ++n) {
            QByteArray bytes = b;
            const int count = 1 + n % 4;
            for (int k = 0; k < count; ++k) {
                const auto [from, to] = scans[rng() % scans.size()];
                if (to <= from)
                    continue;
                const int at = from + static_cast<int>(rng() % static_cast<unsigned>(to - from));
                bytes[at] = static_cast<char>(bytes[at] ^ (1 << (rng() % 8)));
            }
            add("entropy-bitflip", base.name + "-" + std::to_string(n), bytes);
        }

        // Each segment left out, and each repeated.
        for (size_t i = 0; i < segs.size(); ++i) {
            add("missing-marker", base.name + "-" + std::to_string(i), Without(b, segs[i]));
            add("repeated-marker", base.name + "-" + std::to_string(i), Twice(b, segs[i]));
        }

        // The frame's size set to 0 or 65535 in either direction.
        const JpegSegment* sof = Find(segs, SofCode(segs));
        const bool progressive = SofCode(segs) == 0xC2;
        const std::pair<int, int> sizes[] = {{0, 48}, {64, 0}, {0, 0}, {65535, 48}, {64, 65535}, {65535, 1}, {1, 65535}, {1, 1}};
        for (auto [w, h] : sizes) {
            QByteArray bytes = b;
            PutWord(bytes, sof->start + 5, h);
            PutWord(bytes, sof->start + 7, w);
            add("sof-size", base.name + "-" + std::to_string(w) + "x" + std::to_string(h), bytes);
        }
        if (progressive) {   // refused at every scale for its coefficient buffer
            QByteArray bytes = b;
            PutWord(bytes, sof->start + 5, 65535);
            PutWord(bytes, sof->start + 7, 65535);
            add("sof-size", base.name + "-65535x65535", bytes);
        }

        // Absurd sampling factors on each component.
        const int components = static_cast<unsigned char>(b[sof->start + 9]);
        for (int c = 0; c < components; ++c)
            for (int factors : {0x00, 0x05, 0x50, 0x44, 0x41, 0x14, 0x33, 0x0F, 0xF0, 0xFF, 0x24}) {
                QByteArray bytes = b;
                bytes[sof->start + 11 + 3 * c] = static_cast<char>(factors);
                add("sampling", base.name + "-c" + std::to_string(c) + "-" + std::to_string(factors), bytes);
            }

        if (!progressive)
            continue;
        // Progressive files short of scans: one scan left out, or only the
        // first k kept (with and without the EOI).
        std::vector<size_t> sosIndex;
        for (size_t i = 0; i < segs.size(); ++i)
            if (segs[i].code == 0xDA)
                sosIndex.push_back(i);
        for (size_t k = 0; k < sosIndex.size(); ++k) {
            add("missing-scans", base.name + "-without-" + std::to_string(k), Without(b, segs[sosIndex[k]]));
            const QByteArray head = b.left(segs[sosIndex[k]].end);
            add("missing-scans", base.name + "-first-" + std::to_string(k + 1), head + QByteArray("\xFF\xD9", 2));
            add("missing-scans", base.name + "-first-" + std::to_string(k + 1) + "-no-eoi", head);
        }

        // 30000 x 30000 declared over the scans of a small photo, complete
        // and cut.
        QByteArray huge = b;
        PutWord(huge, sof->start + 5, 30000);
        PutWord(huge, sof->start + 7, 30000);
        add("huge", base.name, huge);
        add("huge", base.name + "-first-scan", huge.left(segs[sosIndex[0]].end));
        add("huge", base.name + "-header-only", huge.left(segs[sosIndex[0]].start + 14));
        QByteArray tall = huge;
        PutWord(tall, sof->start + 7, 64);
        add("huge", base.name + "-64x30000", tall);
    }

    // Hostile Exif blocks in a good photo and in a truncated one.
    for (const auto& [name, payload] : HostileExif()) {
        const QByteArray photo = Photo(64, 48, false, false, 5, {{0xE1, payload}});
        add("exif", name, photo);
        add("exif", name + "-cut", Truncate(photo, static_cast<int>(photo.size()) - 300));
        add("exif", name + "-alone", MiniJpeg({Segment(0xE1, payload)}));
    }
    return out;
}

} // namespace tetrafot
