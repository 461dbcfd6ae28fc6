#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "metadata/exiftags.h"
#include "metadata/numbertext.h"

namespace tetrafot {

// One listed directory entry: its value text and its tag number, which
// FindTag always knows.
struct TTagItem {
    std::string text;
    std::uint16_t tag;
};

// Reads the Exif block of one JPEG file and turns every known directory
// entry into a text. Constructing it does all the work; it never throws
// for a missing or malformed file, the outcome is in ErrorCode:
//   9999 not finished, 0 read, 1 open failed, 2 read failed,
//   10 not a JPEG, 11 image data before any APP1,
//   100 first APP1 is not Exif, 101 unknown byte order.
// Only the marker headers and the first APP1 payload are read; every
// other segment is skipped by seeking, so the cost does not depend on the
// size of the picture. A camera RAW file is read too: one built on TIFF
// from the TIFF structure at its start (its first 512 KiB), a Fujifilm RAF
// from the JPEG preview it holds (only within that JPEG), a Canon CR3 from
// the two TIFF structures in its moov box (within its first 512 KiB):
// CMT1's IFD0, then CMT2's Exif directory, in one list.
class TImageMetadata {
public:
    explicit TImageMetadata(const std::string& fileName);

    // The same reading over the bytes of a whole file held in memory.
    static TImageMetadata FromBytes(std::string_view fileBytes);
    // The directories of a TIFF structure held in memory, as a RAW file
    // built on TIFF starts (DNG, CR2, NEF, ORF, RW2 ...): byte order "II"
    // or "MM", then the magic number 42 or one of Olympus's or Panasonic's.
    // Status 101 when it starts otherwise.
    static TImageMetadata FromTiff(std::string_view tiff);
    // The bytes a RAW file's preview keeps of its metadata: a TIFF
    // structure as FromTiff reads it, or the start of a CR3 or RAF file or
    // of a JPEG, as FromBytes reads them.
    static TImageMetadata FromRawHead(std::string_view head);

    bool Failed = false;
    bool StartSeen = false;
    std::int32_t ErrorCode = 9999;
    // Directory by directory; a sub-directory's items come before the item
    // of the entry that points to it. A value shows at most 1,024 elements,
    // all values together 16,384; a value cut short ends in "…".
    std::vector<TTagItem> Tags;
    // Set when the block holds more than 512 entries: the rest were not read.
    bool TagsCut = false;
    // Status 1: the system's reason, "it is a folder" or "it is not a
    // regular file" (a FIFO or device is never read, never waited on).
    std::string OpenReason;

    // Where the bytes come from (a file or memory); internal to the reader.
    class Source;

private:
    TImageMetadata() = default;
    void Read(Source& source);
    void ReadTiff(const unsigned char* tiff, std::size_t size);
    void ReadTiffFile(Source& source, std::uint16_t order);
    void ReadRafFile(Source& source);
    void ReadIsoMediaFile(Source& source, const unsigned char* start);
    void ReadCr3(const unsigned char* data, std::size_t size);
    // The marker scan of a JPEG, its SOI already read or still to come.
    void ReadMarkers(Source& source, bool soiRead);
    void SetError(std::int32_t code);
};

// Whether the bytes start like a TIFF structure: "II" or "MM" and the
// magic number 42, or Olympus's "RO" / "RS", or Panasonic's 0x55.
bool StartsLikeTiff(std::string_view bytes);

// Whether the bytes start like a Canon CR3: an ftyp box of brand "crx ".
bool StartsLikeCr3(std::string_view bytes);
// Where the box that holds a CR3's Exif ends within the start of the file
// given; 0 when the start holds no such box.
std::size_t Cr3ExifEnd(std::string_view head);

// A Fujifilm RAF starts "FUJIFILMCCD-RAW "; at 84 and 88 of its header lie
// the offset and length of its JPEG preview, big-endian. False when the
// header is no RAF's or the offset points into the header itself; the
// numbers are the file's, unchecked against its size.
inline constexpr std::size_t RafHeaderBytes = 92;
bool RafJpegPlace(std::string_view header, std::uint32_t& offset, std::uint32_t& length);

// How much of the start of a RAW file built on TIFF, or of a CR3, is read
// for its Exif.
inline constexpr std::size_t RawTiffHeadBytes = std::size_t(512) << 10;

// The reader's status codes.
namespace ExifStatus {
inline constexpr std::int32_t Unfinished = 9999;
inline constexpr std::int32_t Ok = 0;
inline constexpr std::int32_t OpenFailed = 1;
inline constexpr std::int32_t ReadFailed = 2;
inline constexpr std::int32_t NotJpeg = 10;
inline constexpr std::int32_t NoApp1 = 11;
inline constexpr std::int32_t NotExif = 100;
inline constexpr std::int32_t BadByteOrder = 101;
} // namespace ExifStatus

// UTF-16 little-endian bytes (an odd last byte dropped) as UTF-8; a code
// unit that is half of a surrogate pair without its other half gives '?'.
// The result is trimmed like every comment text.
std::string WideToAnsi(std::string_view utf16le);

// Removes leading and trailing characters with codes 0 to 32.
std::string TrimText(std::string_view text);

} // namespace tetrafot
