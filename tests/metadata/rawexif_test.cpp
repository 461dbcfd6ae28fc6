// The Exif of RAW files that are not TIFF at their start: a CR3's boxes and
// a RAF's embedded JPEG, good and damaged, read from a file and from memory
// alike. Every case is worked out by hand from the bytes it builds.
#include "exiftestfiles.h"
#include "rawwriter.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace tetrafot;

using namespace exif;
using exiftest::Items;
using exiftest::ItemsOf;

namespace {

QByteArray Be32(std::uint32_t v)
{
    QByteArray out;
    for (int shift = 24; shift >= 0; shift -= 8)
        out += char(v >> shift);
    return out;
}

QByteArray Be64(std::uint64_t v)
{
    return Be32(std::uint32_t(v >> 32)) + Be32(std::uint32_t(v));
}

// A box with a size field of our choosing.
QByteArray SizedBox(std::uint32_t size, const char* type, const QByteArray& content)
{
    return Be32(size) + QByteArray(type, 4) + content;
}

QByteArray LargeBox(std::uint64_t size, const char* type, const QByteArray& content)
{
    return Be32(1) + QByteArray(type, 4) + Be64(size) + content;
}

const QByteArray kFtyp = raw::Box("ftyp", "crx " + Be32(1) + "crx isom");
const QByteArray kCanon = QByteArray::fromHex("85c0b687820f11e08111f4ce462b6a48");

// CMT1: make and orientation 6; CMT2: the ISO speed.
QByteArray Ifd0Tiff()
{
    ExifBuilder b;
    b.Add(ExifDir::Ifd0, Ascii(0x10F, "Canon")).Add(ExifDir::Ifd0, Short(0x112, {6}));
    return b.Tiff();
}

QByteArray ExifTiff()
{
    ExifBuilder b(ExifOrder::Motorola);
    b.Add(ExifDir::Ifd0, Short(0x8827, {800}));
    return b.Tiff();
}

const QByteArray kCmt1 = raw::Box("CMT1", Ifd0Tiff());
const QByteArray kCmt2 = raw::Box("CMT2", ExifTiff());

QByteArray CanonBox(const QByteArray& children)
{
    return raw::Box("uuid", kCanon + children);
}

QByteArray Cr3(const QByteArray& moovContent)
{
    return kFtyp + raw::Box("moov", moovContent);
}

const Items kBoth = {{0x10F, "Canon"}, {0x112, "Landscape (Right Top)"}, {0x8827, "800"}};
const Items kIfd0Only = {{0x10F, "Canon"}, {0x112, "Landscape (Right Top)"}};

// A RAF around a JPEG of the given bytes; the header's JPEG length as given.
QByteArray Raf(const QByteArray& jpeg)
{
    raw::RafSpec raf;
    raf.jpeg = jpeg;
    return raw::MakeRaf(raf);
}

QByteArray WithBig32(QByteArray bytes, int at, std::uint32_t value)
{
    bytes.replace(at, 4, Be32(value));
    return bytes;
}

QByteArray FujiPayload()
{
    ExifBuilder b;
    b.Add(ExifDir::Ifd0, Ascii(0x10F, "FUJIFILM")).Add(ExifDir::Ifd0, Short(0x112, {8}));
    return b.Payload();
}

const Items kFuji = {{0x10F, "FUJIFILM"}, {0x112, "Landscape (Left Bottom)"}};

struct Case {
    const char* name;
    QByteArray bytes;
    int status;
    Items items;
};

class RawExif : public exiftest::ExifFileTest {
protected:
    void Check(const std::vector<Case>& cases)
    {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            const TImageMetadata reader = Read(c.bytes);
            EXPECT_EQ(reader.ErrorCode, c.status);
            EXPECT_EQ(ItemsOf(reader), c.items);
            // Its first two bytes were read, whatever came after them.
            EXPECT_TRUE(reader.StartSeen);
        }
    }
};

} // namespace

TEST_F(RawExif, Cr3BoxesGoodAndDamaged)
{
    const QByteArray good = Cr3(CanonBox(raw::Box("CNCV", "CanonCR3_001") + kCmt1 + kCmt2));
    const QByteArray notTiff = raw::Box("CMT1", "XX*\0" + QByteArray(12, '\0'));
    // CMT1's IFD0 whose next-directory offset leads back to itself.
    QByteArray looping = Ifd0Tiff();
    looping.replace(8 + 2 + 2 * 12, 4, QByteArray("\x08\0\0\0", 4));
    QByteArray cutInCmt2 = good;
    cutInCmt2.chop(10);
    Check({
        {"both boxes", good, ExifStatus::Ok, kBoth},
        {"CMT2 before CMT1", Cr3(CanonBox(kCmt2 + kCmt1)), ExifStatus::Ok,
         {{0x8827, "800"}, {0x10F, "Canon"}, {0x112, "Landscape (Right Top)"}}},
        {"64-bit sizes", kFtyp + LargeBox(16 + 8 + 16 + kCmt1.size() + kCmt2.size() + 16, "moov",
                                          LargeBox(16 + 16 + kCmt1.size() + kCmt2.size(), "uuid", kCanon + kCmt1 + kCmt2)),
         ExifStatus::Ok, kBoth},
        {"other boxes before moov and in it", kFtyp + raw::Box("free", QByteArray(40, 'f'))
                                                  + raw::Box("moov", raw::Box("uuid", QByteArray(16, 'u')) + raw::Box("mvhd", QByteArray(100, 0))
                                                                         + CanonBox(kCmt1 + kCmt2)),
         ExifStatus::Ok, kBoth},
        {"moov of size 0 runs to the end", kFtyp + SizedBox(0, "moov", CanonBox(kCmt1 + kCmt2)), ExifStatus::Ok, kBoth},
        {"moov claims 2 GB", kFtyp + SizedBox(0x7FFFFFFF, "moov", CanonBox(kCmt1 + kCmt2)), ExifStatus::Ok, kBoth},
        {"uuid claims 2^64 - 1 bytes", Cr3(LargeBox(~std::uint64_t(0), "uuid", kCanon + kCmt1 + kCmt2)), ExifStatus::Ok, kBoth},
        {"cut in CMT2's directory", cutInCmt2, ExifStatus::Ok, kIfd0Only},
        {"CMT1 loops to itself", Cr3(CanonBox(raw::Box("CMT1", looping))), ExifStatus::Ok, kIfd0Only},
        {"CMT1 no TIFF", Cr3(CanonBox(notTiff + kCmt2)), ExifStatus::Ok, {{0x8827, "800"}}},
        {"neither a TIFF", Cr3(CanonBox(notTiff + raw::Box("CMT2", "MM\0\x2B" + QByteArray(12, '\0')))), ExifStatus::BadByteOrder, {}},
        {"CMT box shorter than a TIFF header", Cr3(CanonBox(raw::Box("CMT1", "II*\0"))), ExifStatus::BadByteOrder, {}},
        {"cut before moov", kFtyp + Be32(100), ExifStatus::NotExif, {}},
        {"cut in moov's header", good.left(kFtyp.size() + 6), ExifStatus::NotExif, {}},
        {"cut in the uuid's type", good.left(kFtyp.size() + 8 + 8 + 10), ExifStatus::NotExif, {}},
        {"box shorter than its header", kFtyp + SizedBox(4, "free", QByteArray()) + raw::Box("moov", CanonBox(kCmt1)),
         ExifStatus::NotExif, {}},
        {"64-bit size shorter than its header", kFtyp + LargeBox(12, "moov", CanonBox(kCmt1)), ExifStatus::NotExif, {}},
        {"64-bit size cut off", kFtyp + Be32(1) + "moov" + Be32(0), ExifStatus::NotExif, {}},
        {"no Canon uuid", Cr3(raw::Box("uuid", QByteArray(16, 'u') + kCmt1)), ExifStatus::NotExif, {}},
        {"uuid too short for its type", Cr3(raw::Box("uuid", kCanon.left(12))), ExifStatus::NotExif, {}},
        {"CMT boxes outside the uuid", Cr3(kCmt1 + kCmt2), ExifStatus::NotExif, {}},
        {"moov beyond the 512 KiB read", kFtyp + raw::Box("mdat", QByteArray(600 << 10, 0)) + raw::Box("moov", CanonBox(kCmt1)),
         ExifStatus::NotExif, {}},
        {"an MP4, not a CR3", raw::Box("ftyp", "isom" + Be32(1)) + raw::Box("moov", CanonBox(kCmt1)), ExifStatus::NotJpeg, {}},
        {"ftyp cut short", kFtyp.left(10), ExifStatus::NotJpeg, {}},
    });
}

// The two structures share the bounds of one block: 300 entries in each
// are cut at 512 in all.
TEST_F(RawExif, Cr3EntriesAreBoundedAcrossBothBoxes)
{
    ExifBuilder one, two;
    for (int i = 0; i < 300; ++i) {
        one.Add(ExifDir::Ifd0, Short(0x8827, {1}));
        two.Add(ExifDir::Ifd0, Short(0x8827, {2}));
    }
    const TImageMetadata reader = Read(Cr3(CanonBox(raw::Box("CMT1", one.Tiff()) + raw::Box("CMT2", two.Tiff()))));
    EXPECT_EQ(reader.ErrorCode, ExifStatus::Ok);
    EXPECT_EQ(reader.Tags.size(), 512u);
    EXPECT_TRUE(reader.TagsCut);
}

TEST_F(RawExif, RafJpegGoodAndDamaged)
{
    const QByteArray jpeg = MiniJpeg({Segment(0xE1, FujiPayload())});
    const QByteArray good = Raf(jpeg);
    const auto size = std::uint32_t(good.size());
    // A JPEG without Exif, and right after the length the header gives it
    // an Exif segment: it lies outside the JPEG and is never read.
    const QByteArray bare = MiniJpeg({Segment(0xFE, "a note")}, /*withScan*/ false);
    const QByteArray beyond = WithBig32(Raf(bare + Segment(0xE1, FujiPayload())), raw::RafJpegLengthField,
                                       std::uint32_t(bare.size()));
    QByteArray otherMagic = good;
    otherMagic[14] = 'X';
    Check({
        {"good", good, ExifStatus::Ok, kFuji},
        {"length 4 GB", WithBig32(good, raw::RafJpegLengthField, 0xFFFFFFFFu), ExifStatus::Ok, kFuji},
        {"Exif past the JPEG's length", beyond, ExifStatus::ReadFailed, {}},
        {"length 0", WithBig32(good, raw::RafJpegLengthField, 0), ExifStatus::ReadFailed, {}},
        {"length cut in the Exif segment", WithBig32(good, raw::RafJpegLengthField, 40), ExifStatus::ReadFailed, {}},
        {"offset at the end", WithBig32(good, raw::RafJpegOffsetField, size), ExifStatus::ReadFailed, {}},
        {"offset 4 GB", WithBig32(good, raw::RafJpegOffsetField, 0xFFFFFFFFu), ExifStatus::ReadFailed, {}},
        {"offset into the header", WithBig32(good, raw::RafJpegOffsetField, 91), ExifStatus::NotJpeg, {}},
        {"offset 0", WithBig32(good, raw::RafJpegOffsetField, 0), ExifStatus::NotJpeg, {}},
        {"offset at the mosaic", WithBig32(good, raw::RafJpegOffsetField, 148 + std::uint32_t(jpeg.size()) + 20),
         ExifStatus::NotJpeg, {}},
        {"header cut short", good.left(60), ExifStatus::NotJpeg, {}},
        {"not Fujifilm's magic", otherMagic, ExifStatus::NotJpeg, {}},
    });
}
