#pragma once
#include "exifbuilder.h"

#include <QByteArray>
#include <QSize>

#include <cstdint>
#include <vector>

namespace tetrafot {

// RAW camera files made in code: the containers a camera writes, holding a
// JPEG preview and a small mosaic image. The same description always gives
// the same bytes.
namespace raw {

// A TIFF file of any shape: numbered directories whose entries may point at
// another directory or at a block of data, laid out when built. Directory 0
// is IFD0; `next` chains a directory to the one after it.
class TiffWriter {
public:
    explicit TiffWriter(exif::ExifOrder order = exif::ExifOrder::Intel) : m_order(order) {}

    int addDirectory();                           // its number
    int addData(const QByteArray& bytes);         // its number
    void add(int dir, const exif::ExifEntry& entry);
    // LONG entries whose values are the offsets of directories or data blocks.
    void addDirectoryPointers(int dir, std::uint16_t tag, const std::vector<int>& dirs);
    void addDataPointer(int dir, std::uint16_t tag, int data);
    void setNext(int dir, int nextDir) { m_dirs[size_t(dir)].next = nextDir; }
    // The first four bytes (byte order mark and magic); "II*\0" or "MM\0*" by default.
    void setMagic(const QByteArray& magic) { m_magic = magic; }

    QByteArray build() const;

private:
    struct Entry {
        exif::ExifEntry entry;
        std::vector<int> dirs;   // points at these directories
        int data = -1;           // or at this data block
    };
    struct Directory {
        std::vector<Entry> entries;
        int next = -1;
    };
    exif::ExifOrder m_order;
    QByteArray m_magic;
    std::vector<Directory> m_dirs;
    std::vector<QByteArray> m_data;
};

// A DNG as a converter writes it: IFD0 with a tiny RGB thumbnail, a
// SubIFD with the mosaic (16-bit, uncompressed), a SubIFD with the JPEG
// preview (NewSubFileType 1), and an Exif directory with the usual camera
// entries. The preview is `preview` as given.
struct DngSpec {
    QByteArray preview;              // a JPEG file
    QSize previewSize{640, 480};     // as the directory states it
    QSize mosaic{64, 48};
    int orientation = 1;
    bool oldJpeg = false;            // Compression 6 with JPEGInterchangeFormat instead of 7
    exif::ExifOrder order = exif::ExifOrder::Intel;
    const char* model = "Tetra D1";
};
QByteArray MakeDng(const DngSpec& dng);
// A DNG whose only preview is the tiny RGB thumbnail of IFD0.
QByteArray MakeDngWithoutJpeg();

// Where MakeDng put the JPEG preview: its offset and length in the file,
// and where the directory entries that state them lie (to damage them).
struct DngLayout {
    std::uint32_t previewOffset = 0, previewLength = 0;
    std::uint32_t offsetField = 0, lengthField = 0;   // the value fields of StripOffsets, StripByteCounts
};
DngLayout FindDngPreview(const QByteArray& dng);

// The APP1 payload a camera puts into its JPEG: IFD0 with make, model and
// orientation, an Exif directory with the usual camera entries.
QByteArray CameraExifPayload(const char* make, const char* model, int orientation);

// A Fujifilm RAF: the 148-byte header ("FUJIFILMCCD-RAW ", version, camera
// id and name, then big-endian offsets and lengths of the JPEG preview,
// the CFA header and the CFA), the JPEG preview, which carries the Exif,
// the CFA header (a count of records: tag, size, value; 0x100 and 0x121
// give the mosaic's height and width) and a 16-bit mosaic.
struct RafSpec {
    QByteArray jpeg;                 // the preview, a JPEG file with its Exif
    QSize mosaic{64, 48};
    const char* model = "Tetra F1";
};
QByteArray MakeRaf(const RafSpec& raf);
// The places of the header's big-endian JPEG offset and length.
inline constexpr int RafJpegOffsetField = 84;
inline constexpr int RafJpegLengthField = 88;
// A RAF's preview: the JPEG with the camera's Exif segment after its SOI.
QByteArray RafJpeg(const QByteArray& jpeg, const char* model, int orientation);

// A Canon CR3 as an ISO media file: ftyp of brand "crx ", moov holding
// Canon's uuid box (CNCV, CMT1 with IFD0, CMT2 with the Exif directory,
// THMB with a small JPEG) and mvhd, then the uuid box of the preview
// (PRVW with the JPEG), then an empty mdat.
struct Cr3Spec {
    QByteArray preview;              // a JPEG file
    QSize previewSize{1620, 1080};   // as PRVW states it
    int orientation = 1;
    const char* model = "Tetra C1";
    bool largeSizes = false;         // moov and the uuid boxes with 64-bit sizes
};
QByteArray MakeCr3(const Cr3Spec& cr3);
// One ISO media box: its 32-bit size, type and content (64-bit size when large).
QByteArray Box(const char* type, const QByteArray& content, bool large = false);

} // namespace raw

} // namespace tetrafot
