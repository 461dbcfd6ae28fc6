#pragma once
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace tetrafot {

// Exif APP1 payloads ("Exif\0\0" and a TIFF block) made in code, good or
// deliberately broken, and tiny marker-only JPEG files to carry them.
namespace exif {

enum class ExifOrder { Intel, Motorola };

// The directories a block can hold, in the order they are laid out.
enum class ExifDir { Ifd0 = 0, Exif = 1, Interop = 2, Ifd1 = 3 };

// TIFF element types.
enum ExifType : std::uint16_t {
    tByte = 1, tAscii, tShort, tLong, tRational, tSByte,
    tUndefined, tSShort, tSLong, tSRational, tFloat, tDouble
};

// One directory entry. Its value is a list of parts, each a number of
// 1, 2, 4 or 8 bytes written in the block's byte order (a rational is two
// 4-byte parts); values of more than 4 bytes go to the directory's data
// area, shorter ones into the entry, left-justified.
struct ExifEntry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::vector<std::pair<int, std::uint64_t>> parts;
    // Written into the value field instead of the data offset or the inline
    // bytes (a broken offset, an offset into another directory ...).
    std::optional<std::uint32_t> valueField;
    // The value field gets the offset of the directory this tag leads to
    // (0x8769 -> Exif, 0xA005 -> interoperability).
    bool pointer = false;

    // The same entry with another count (the value bytes stay as they are).
    ExifEntry WithCount(std::uint32_t n) const;
    ExifEntry WithValueField(std::uint32_t field) const;
    // Size of the value as written.
    std::size_t ValueBytes() const;
};

ExifEntry Byte(std::uint16_t tag, const std::vector<std::uint8_t>& values);
ExifEntry SByte(std::uint16_t tag, const std::vector<std::int8_t>& values);
// The text and a terminating zero byte, as cameras write it.
ExifEntry Ascii(std::uint16_t tag, std::string_view text);
// Exactly these bytes, zero bytes and all.
ExifEntry AsciiBytes(std::uint16_t tag, std::string_view bytes);
ExifEntry Undefined(std::uint16_t tag, std::string_view bytes);
ExifEntry Short(std::uint16_t tag, const std::vector<std::uint16_t>& values);
ExifEntry SShort(std::uint16_t tag, const std::vector<std::int16_t>& values);
ExifEntry Long(std::uint16_t tag, const std::vector<std::uint32_t>& values);
ExifEntry SLong(std::uint16_t tag, const std::vector<std::int32_t>& values);
ExifEntry Rational(std::uint16_t tag, const std::vector<std::pair<std::uint32_t, std::uint32_t>>& values);
ExifEntry SRational(std::uint16_t tag, const std::vector<std::pair<std::int32_t, std::int32_t>>& values);
ExifEntry Float(std::uint16_t tag, const std::vector<float>& values);
ExifEntry Double(std::uint16_t tag, const std::vector<double>& values);
// Any type and count with the given bytes, written as they stand.
ExifEntry RawEntry(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::string_view bytes);
// A LONG sub-directory pointer (0x8769 or 0xA005) filled in when the block
// is built; place it to choose its position among the entries.
ExifEntry Pointer(std::uint16_t tag);

class ExifBuilder {
public:
    explicit ExifBuilder(ExifOrder order = ExifOrder::Intel) : order_(order) {}

    // Entries keep the order in which they are added. A directory is
    // written when it has entries (the interoperability directory brings
    // the Exif one with it). IFD0 gets a pointer to the Exif directory, and
    // the Exif directory one to the interoperability directory, at the end
    // of their entries unless one was placed with Pointer(). IFD1 is
    // chained after IFD0.
    ExifBuilder& Add(ExifDir dir, const ExifEntry& entry);
    // Writes the directory even without entries.
    ExifBuilder& Include(ExifDir dir);

    // Broken structures.
    ExifBuilder& SetIfd0Offset(std::uint32_t offset);
    ExifBuilder& SetNextOffset(ExifDir dir, std::uint32_t offset);
    ExifBuilder& SetEntryCountWord(ExifDir dir, std::uint16_t n);  // claims n entries
    ExifBuilder& TruncateTiff(std::size_t bytes);                  // keep this many bytes
    ExifBuilder& AppendTiff(const QByteArray& bytes);              // extra bytes at the end

    // Where a directory lands in the TIFF block (0 when it is not written).
    std::uint32_t DirectoryOffset(ExifDir dir) const;

    QByteArray Tiff() const;
    // "Exif\0\0" and the TIFF block: the payload of an APP1 segment.
    QByteArray Payload() const;

private:
    struct Directory {
        std::vector<ExifEntry> entries;
        bool included = false;
        std::optional<std::uint32_t> nextOffset;
        std::optional<std::uint16_t> countWord;
    };
    struct Layout {
        std::array<std::vector<ExifEntry>, 4> entries;
        std::array<std::uint32_t, 4> offset{};
        std::uint32_t end = 8;
    };
    bool Written(ExifDir dir) const;
    Layout MakeLayout() const;

    ExifOrder order_;
    std::array<Directory, 4> dirs_;
    std::optional<std::uint32_t> ifd0Offset_;
    std::optional<std::size_t> truncate_;
    QByteArray tail_;
};

// A marker segment: FF, code, the 16-bit length (payload + 2) and the payload.
QByteArray Segment(int code, const QByteArray& payload);
// The same with a length of your choosing (0, 1, too short, too long).
QByteArray SegmentWithLength(int code, std::uint16_t length, const QByteArray& payload);
// SOI, the given segments as they stand, then a start of scan with a few
// bytes of pretend image data and EOI: enough for a marker scan, no picture.
QByteArray MiniJpeg(const std::vector<QByteArray>& segments, bool withScan = true);

// Writes bytes to a file; false when that failed.
bool WriteBytesToFile(const QString& path, const QByteArray& bytes);

} // namespace exif

} // namespace tetrafot
