#include "rawwriter.h"

#include "jpegwriter.h"

#include <algorithm>

namespace tetrafot {

namespace raw {

using namespace exif;

namespace {

void Put(QByteArray& out, ExifOrder order, int size, std::uint64_t bits)
{
    for (int i = 0; i < size; ++i) {
        const int shift = order == ExifOrder::Intel ? 8 * i : 8 * (size - 1 - i);
        out.append(static_cast<char>((bits >> shift) & 0xFF));
    }
}

std::uint64_t Get(const QByteArray& in, std::uint32_t at, bool intel, int size)
{
    std::uint64_t v = 0;
    for (int i = 0; i < size; ++i) {
        const std::uint64_t b = static_cast<unsigned char>(in[qsizetype(at) + i]);
        v |= intel ? b << (8 * i) : b << (8 * (size - 1 - i));
    }
    return v;
}

} // namespace

int TiffWriter::addDirectory()
{
    m_dirs.emplace_back();
    return int(m_dirs.size()) - 1;
}

int TiffWriter::addData(const QByteArray& bytes)
{
    m_data.push_back(bytes);
    return int(m_data.size()) - 1;
}

void TiffWriter::add(int dir, const ExifEntry& entry)
{
    m_dirs[size_t(dir)].entries.push_back({entry, {}, -1});
}

void TiffWriter::addDirectoryPointers(int dir, std::uint16_t tag, const std::vector<int>& dirs)
{
    m_dirs[size_t(dir)].entries.push_back({Long(tag, std::vector<std::uint32_t>(dirs.size(), 0)), dirs, -1});
}

void TiffWriter::addDataPointer(int dir, std::uint16_t tag, int data)
{
    m_dirs[size_t(dir)].entries.push_back({Long(tag, {0}), {}, data});
}

QByteArray TiffWriter::build() const
{
    // Directories first, each followed by its values of more than four
    // bytes, then the data blocks: offsets are known after one pass.
    std::vector<std::vector<Entry>> sorted;
    std::vector<std::uint32_t> dirAt;
    std::uint32_t at = 8;
    for (const Directory& d : m_dirs) {
        std::vector<Entry> entries = d.entries;
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry& a, const Entry& b) { return a.entry.tag < b.entry.tag; });
        dirAt.push_back(at);
        at += 2 + 12 * std::uint32_t(entries.size()) + 4;
        for (const Entry& e : entries)
            if (e.entry.ValueBytes() > 4)
                at += (std::uint32_t(e.entry.ValueBytes()) + 1) & ~1u;
        sorted.push_back(std::move(entries));
    }
    std::vector<std::uint32_t> dataAt;
    for (const QByteArray& block : m_data) {
        dataAt.push_back(at);
        at += (std::uint32_t(block.size()) + 1) & ~1u;
    }

    const bool intel = m_order == ExifOrder::Intel;
    QByteArray out = m_magic.size() == 4 ? m_magic : QByteArray(intel ? "II*\0" : "MM\0*", 4);
    Put(out, m_order, 4, 8);
    for (size_t d = 0; d < sorted.size(); ++d) {
        QByteArray values;
        const std::uint32_t valuesAt = dirAt[d] + 2 + 12 * std::uint32_t(sorted[d].size()) + 4;
        Put(out, m_order, 2, sorted[d].size());
        for (const Entry& e : sorted[d]) {
            ExifEntry entry = e.entry;
            if (!e.dirs.empty()) {
                entry.parts.clear();
                for (int target : e.dirs)
                    entry.parts.push_back({4, dirAt[size_t(target)]});
            } else if (e.data >= 0) {
                entry.parts = {{4, dataAt[size_t(e.data)]}};
            }
            Put(out, m_order, 2, entry.tag);
            Put(out, m_order, 2, entry.type);
            Put(out, m_order, 4, entry.count);
            QByteArray value;
            for (const auto& [size, bits] : entry.parts)
                Put(value, m_order, size, bits);
            if (value.size() > 4) {
                Put(out, m_order, 4, valuesAt + std::uint32_t(values.size()));
                values += value;
                if (values.size() % 2)
                    values += '\0';
            } else {
                out += value.leftJustified(4, '\0');
            }
        }
        const int next = m_dirs[d].next;
        Put(out, m_order, 4, next >= 0 ? dirAt[size_t(next)] : 0);
        out += values;
    }
    for (const QByteArray& block : m_data) {
        out += block;
        if (block.size() % 2)
            out += '\0';
    }
    return out;
}

namespace {

// A small RGB picture of even grey steps: the thumbnail of IFD0.
QByteArray ThumbnailPixels(int width, int height)
{
    QByteArray pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            pixels += char(x * 255 / std::max(1, width - 1));
            pixels += char(y * 255 / std::max(1, height - 1));
            pixels += char(128);
        }
    return pixels;
}

// A 16-bit mosaic with a pattern a sensor might see.
QByteArray MosaicPixels(QSize size, ExifOrder order)
{
    QByteArray pixels;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            Put(pixels, order, 2, std::uint64_t((x * 37 + y * 91) % 4096));
    return pixels;
}

int AddDngIfd0(TiffWriter& tiff, const DngSpec& dng, QSize thumb)
{
    const int ifd0 = tiff.addDirectory();
    tiff.add(ifd0, Long(0xFE, {1}));   // NewSubFileType: reduced resolution
    tiff.add(ifd0, Long(0x100, {std::uint32_t(thumb.width())}));
    tiff.add(ifd0, Long(0x101, {std::uint32_t(thumb.height())}));
    tiff.add(ifd0, Short(0x102, {8, 8, 8}));
    tiff.add(ifd0, Short(0x103, {1}));
    tiff.add(ifd0, Short(0x106, {2}));
    tiff.add(ifd0, Ascii(0x10F, "Tetra"));
    tiff.add(ifd0, Ascii(0x110, dng.model));
    tiff.addDataPointer(ifd0, 0x111, tiff.addData(ThumbnailPixels(thumb.width(), thumb.height())));
    tiff.add(ifd0, Short(0x112, {std::uint16_t(dng.orientation)}));
    tiff.add(ifd0, Short(0x115, {3}));
    tiff.add(ifd0, Long(0x116, {std::uint32_t(thumb.height())}));
    tiff.add(ifd0, Long(0x117, {std::uint32_t(thumb.width() * thumb.height() * 3)}));
    tiff.add(ifd0, Ascii(0x132, "2026:05:17 10:21:33"));
    tiff.add(ifd0, Byte(0xC612, {1, 4, 0, 0}));   // DNGVersion
    tiff.add(ifd0, Byte(0xC613, {1, 1, 0, 0}));   // DNGBackwardVersion
    tiff.add(ifd0, Ascii(0xC614, dng.model));    // UniqueCameraModel
    tiff.add(ifd0, SRational(0xC621, {{1, 1}, {0, 1}, {0, 1}, {0, 1}, {1, 1}, {0, 1}, {0, 1}, {0, 1}, {1, 1}}));
    return ifd0;
}

int AddMosaic(TiffWriter& tiff, const DngSpec& dng)
{
    const int dir = tiff.addDirectory();
    const QByteArray pixels = MosaicPixels(dng.mosaic, dng.order);
    tiff.add(dir, Long(0xFE, {0}));
    tiff.add(dir, Long(0x100, {std::uint32_t(dng.mosaic.width())}));
    tiff.add(dir, Long(0x101, {std::uint32_t(dng.mosaic.height())}));
    tiff.add(dir, Short(0x102, {16}));
    tiff.add(dir, Short(0x103, {1}));
    tiff.add(dir, Short(0x106, {32803}));   // CFA
    tiff.addDataPointer(dir, 0x111, tiff.addData(pixels));
    tiff.add(dir, Short(0x115, {1}));
    tiff.add(dir, Long(0x116, {std::uint32_t(dng.mosaic.height())}));
    tiff.add(dir, Long(0x117, {std::uint32_t(pixels.size())}));
    tiff.add(dir, Short(0x828D, {2, 2}));
    tiff.add(dir, Byte(0x828E, {0, 1, 1, 2}));
    tiff.add(dir, Short(0xC61A, {0}));      // BlackLevel
    tiff.add(dir, Long(0xC61D, {4095}));    // WhiteLevel
    return dir;
}

const std::vector<ExifEntry>& CameraEntries()
{
    static const std::vector<ExifEntry> entries = {
        Rational(0x829A, {{1, 250}}), Rational(0x829D, {{28, 10}}), Short(0x8827, {400}),
        AsciiBytes(0x9000, "0230"), Ascii(0x9003, "2026:05:17 10:21:33"), SRational(0x9204, {{-1, 3}}),
        Rational(0x920A, {{50, 1}}), Ascii(0xA434, "Tetra 50mm F1.8")};
    return entries;
}

int AddExif(TiffWriter& tiff)
{
    const int dir = tiff.addDirectory();
    for (const ExifEntry& entry : CameraEntries())
        tiff.add(dir, entry);
    return dir;
}

} // namespace

QByteArray MakeDng(const DngSpec& dng)
{
    TiffWriter tiff(dng.order);
    const int ifd0 = AddDngIfd0(tiff, dng, QSize(32, 24));
    const int mosaic = AddMosaic(tiff, dng);
    const int preview = tiff.addDirectory();
    const int data = tiff.addData(dng.preview);
    tiff.add(preview, Long(0xFE, {1}));
    tiff.add(preview, Long(0x100, {std::uint32_t(dng.previewSize.width())}));
    tiff.add(preview, Long(0x101, {std::uint32_t(dng.previewSize.height())}));
    tiff.add(preview, Short(0x102, {8, 8, 8}));
    tiff.add(preview, Short(0x103, {std::uint16_t(dng.oldJpeg ? 6 : 7)}));
    tiff.add(preview, Short(0x106, {6}));
    tiff.add(preview, Short(0x115, {3}));
    if (dng.oldJpeg) {
        tiff.addDataPointer(preview, 0x201, data);
        tiff.add(preview, Long(0x202, {std::uint32_t(dng.preview.size())}));
    } else {
        tiff.addDataPointer(preview, 0x111, data);
        tiff.add(preview, Long(0x116, {std::uint32_t(dng.previewSize.height())}));
        tiff.add(preview, Long(0x117, {std::uint32_t(dng.preview.size())}));
    }
    tiff.addDirectoryPointers(ifd0, 0x14A, {mosaic, preview});
    tiff.addDirectoryPointers(ifd0, 0x8769, {AddExif(tiff)});
    return tiff.build();
}

QByteArray MakeDngWithoutJpeg()
{
    TiffWriter tiff;
    DngSpec dng;
    const int ifd0 = AddDngIfd0(tiff, dng, QSize(32, 24));
    tiff.addDirectoryPointers(ifd0, 0x14A, {AddMosaic(tiff, dng)});
    tiff.addDirectoryPointers(ifd0, 0x8769, {AddExif(tiff)});
    return tiff.build();
}

DngLayout FindDngPreview(const QByteArray& dng)
{
    DngLayout layout;
    if (dng.size() < 8)
        return layout;
    const bool intel = dng.startsWith("II");
    auto u16 = [&](std::uint32_t at) { return std::uint32_t(Get(dng, at, intel, 2)); };
    auto u32 = [&](std::uint32_t at) { return std::uint32_t(Get(dng, at, intel, 4)); };
    // IFD0's SubIFDs, and among them the one of NewSubFileType 1.
    const std::uint32_t ifd0 = u32(4);
    std::vector<std::uint32_t> subs;
    for (std::uint32_t i = 0, n = u16(ifd0); i < n; ++i) {
        const std::uint32_t e = ifd0 + 2 + 12 * i;
        if (u16(e) != 0x14A)
            continue;
        const std::uint32_t count = u32(e + 4);
        const std::uint32_t list = count == 1 ? e + 8 : u32(e + 8);
        for (std::uint32_t k = 0; k < count; ++k)
            subs.push_back(u32(list + 4 * k));
    }
    for (std::uint32_t sub : subs) {
        DngLayout found;
        bool preview = false;
        for (std::uint32_t i = 0, n = u16(sub); i < n; ++i) {
            const std::uint32_t e = sub + 2 + 12 * i;
            switch (u16(e)) {
            case 0xFE: preview = u32(e + 8) == 1; break;
            case 0x111: case 0x201: found.offsetField = e + 8; found.previewOffset = u32(e + 8); break;
            case 0x117: case 0x202: found.lengthField = e + 8; found.previewLength = u32(e + 8); break;
            }
        }
        if (preview)
            return found;
    }
    return layout;
}

namespace {

void PutBig(QByteArray& out, int size, std::uint64_t bits)
{
    Put(out, ExifOrder::Motorola, size, bits);
}

// A text in a field of fixed width, padded with zero bytes.
QByteArray Field(const char* text, int width)
{
    return QByteArray(text).leftJustified(width, '\0', true);
}

QByteArray WithBig32(QByteArray bytes, int at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(value >> (24 - 8 * i));
    return bytes;
}

} // namespace

QByteArray CameraExifPayload(const char* make, const char* model, int orientation)
{
    ExifBuilder b;
    b.Add(ExifDir::Ifd0, Ascii(0x10F, make))
        .Add(ExifDir::Ifd0, Ascii(0x110, model))
        .Add(ExifDir::Ifd0, Short(0x112, {std::uint16_t(orientation)}))
        .Add(ExifDir::Ifd0, Ascii(0x132, "2026:05:17 10:21:33"));
    for (const ExifEntry& entry : CameraEntries())
        b.Add(ExifDir::Exif, entry);
    return b.Payload();
}

QByteArray RafJpeg(const QByteArray& jpeg, const char* model, int orientation)
{
    // The Exif segment goes right after the SOI, where cameras put it.
    return jpeg.left(2) + Segment(0xE1, CameraExifPayload("FUJIFILM", model, orientation)) + jpeg.mid(2);
}

QByteArray MakeRaf(const RafSpec& raf)
{
    constexpr int kHeader = 148;
    QByteArray cfaHeader;
    PutBig(cfaHeader, 4, 2);   // records
    for (std::uint16_t tag : {0x100, 0x121}) {
        PutBig(cfaHeader, 2, tag);
        PutBig(cfaHeader, 2, 4);
        PutBig(cfaHeader, 2, std::uint64_t(raf.mosaic.height()));
        PutBig(cfaHeader, 2, std::uint64_t(raf.mosaic.width()));
    }
    const QByteArray mosaic = MosaicPixels(raf.mosaic, ExifOrder::Motorola);
    const std::uint32_t jpegAt = kHeader;
    const std::uint32_t cfaHeaderAt = jpegAt + std::uint32_t(raf.jpeg.size());
    const std::uint32_t cfaAt = cfaHeaderAt + std::uint32_t(cfaHeader.size());

    QByteArray out = "FUJIFILMCCD-RAW ";
    out += "0201";
    out += Field("FF129502", 8);
    out += Field(raf.model, 32);
    out += "0100";
    out += QByteArray(20, '\0');
    for (std::uint32_t field : {jpegAt, std::uint32_t(raf.jpeg.size()), cfaHeaderAt, std::uint32_t(cfaHeader.size()),
                                cfaAt, std::uint32_t(mosaic.size())})
        PutBig(out, 4, field);
    out = out.leftJustified(kHeader, '\0');
    return out + raf.jpeg + cfaHeader + mosaic;
}

QByteArray Box(const char* type, const QByteArray& content, bool large)
{
    QByteArray out;
    if (large) {
        PutBig(out, 4, 1);
        out += QByteArray(type, 4);
        PutBig(out, 8, std::uint64_t(content.size()) + 16);
    } else {
        PutBig(out, 4, std::uint64_t(content.size()) + 8);
        out += QByteArray(type, 4);
    }
    return out + content;
}

QByteArray MakeCr3(const Cr3Spec& cr3)
{
    static const QByteArray canonUuid = QByteArray::fromHex("85c0b687820f11e08111f4ce462b6a48");
    static const QByteArray previewUuid = QByteArray::fromHex("eaf42b5e1c984b88b9fbb7dc406e4d16");

    QByteArray ftyp = "crx ";
    PutBig(ftyp, 4, 1);
    ftyp += "crx isom";

    // CMT1: IFD0 as a whole TIFF structure; CMT2: the Exif directory as one.
    TiffWriter ifd0;
    const int dir0 = ifd0.addDirectory();
    ifd0.add(dir0, Ascii(0x10F, "Canon"));
    ifd0.add(dir0, Ascii(0x110, cr3.model));
    ifd0.add(dir0, Short(0x112, {std::uint16_t(cr3.orientation)}));
    ifd0.add(dir0, Ascii(0x132, "2026:05:17 10:21:33"));
    TiffWriter exifDir;
    const int dir1 = exifDir.addDirectory();
    for (const ExifEntry& entry : CameraEntries())
        exifDir.add(dir1, entry);

    JpegSpec small;
    small.width = 160;
    small.height = 120;
    const QByteArray thumbJpeg = MakeJpeg(small);
    QByteArray thmb;
    PutBig(thmb, 4, 0);   // version and flags
    PutBig(thmb, 2, 160);
    PutBig(thmb, 2, 120);
    PutBig(thmb, 4, std::uint64_t(thumbJpeg.size()));
    PutBig(thmb, 4, 0x00010000);
    thmb += thumbJpeg;

    QByteArray canon = canonUuid;
    canon += Box("CNCV", "CanonCR3_001/00.09.00/00.00.00");
    canon += Box("CMT1", ifd0.build());
    canon += Box("CMT2", exifDir.build());
    canon += Box("THMB", thmb);

    QByteArray mvhd(100, '\0');
    mvhd = WithBig32(mvhd, 12, 1000);   // time scale
    QByteArray moov = Box("uuid", canon, cr3.largeSizes) + Box("mvhd", mvhd);

    QByteArray prvw;
    PutBig(prvw, 4, 0);
    PutBig(prvw, 2, 1);
    PutBig(prvw, 2, std::uint64_t(cr3.previewSize.width()));
    PutBig(prvw, 2, std::uint64_t(cr3.previewSize.height()));
    PutBig(prvw, 2, 1);
    PutBig(prvw, 4, std::uint64_t(cr3.preview.size()));
    prvw += cr3.preview;
    QByteArray previewBox = previewUuid;
    PutBig(previewBox, 8, 1);
    previewBox += Box("PRVW", prvw);

    return Box("ftyp", ftyp) + Box("moov", moov, cr3.largeSizes) + Box("uuid", previewBox, cr3.largeSizes)
        + Box("mdat", QByteArray());
}

} // namespace raw

} // namespace tetrafot
