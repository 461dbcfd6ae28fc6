#pragma once
#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <tuple>

namespace tetrafot {

// What a file was when it was read: a file changed on disk (another size,
// another modification time, or another file put in its place) no longer
// matches and is read again.
struct FileIdentity {
    QString path;
    qint64 size = -1;
    qint64 mtimeNs = 0;   // modification time in nanoseconds since the epoch
    quint64 inode = 0;
    // The owner may not write the file. Not part of the identity: a change
    // of permissions leaves the photo as it was.
    bool readOnly = false;

    auto tied() const { return std::tie(path, size, mtimeNs, inode); }
    bool operator==(const FileIdentity& o) const { return tied() == o.tied(); }
    bool operator<(const FileIdentity& o) const { return tied() < o.tied(); }
};

// The identity of a regular file; false when the name cannot be looked up
// or is not a regular file (a FIFO or device is never read ahead).
bool StatFileIdentity(const QString& path, FileIdentity* identity);

// A photo decoded at one DCT scale, shared read-only between the cache and
// the panes that show it. Bitmaps (BMP, ICO) have no JPEG bytes and are
// always at 1:1.
struct DecodedPhoto {
    FileIdentity identity;
    QByteArray bytes;   // the JPEG file as read; the EXIF block is read from it
    QImage image;       // at 1:denom
    QSize fullSize;     // at 1:1
    int denom = 1;
    bool grey = false;
    bool jpeg = true;
    // A photo decoded only in part while the whole of it decodes on a
    // worker: image holds the pixels of `part`, a rectangle of the picture,
    // whose own size at 1:denom is `whole`. Empty for a whole photo.
    QRect part;
    QSize whole;
    // A RAW file is shown through the preview it holds: `bytes` are the
    // preview's. tiffHead: the bytes of the RAW file that hold its own Exif
    // (RawPreview::tiffHead; empty when the preview carries it).
    bool raw = false;
    QByteArray tiffHead;
    // A preview too small to judge by (under 1,000 pixels wide) or a
    // bitmap: its size, for the pane's label; empty otherwise.
    QSize meagrePreview;

    bool isPart() const { return !part.isEmpty(); }
    // The picture's size at 1:denom, whole or not.
    QSize size() const { return isPart() ? whole : image.size(); }

    // Memory the photo holds: its pixels and its file bytes.
    qint64 costBytes() const { return image.sizeInBytes() + bytes.size() + tiffHead.size(); }
};

// The Exif of the photo's file, read from the bytes in memory: a JPEG's
// APP1 block, or a RAW file's own TIFF structure.
class TImageMetadata;
TImageMetadata ExifOf(const DecodedPhoto& photo);

} // namespace tetrafot
