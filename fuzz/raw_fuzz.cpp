// libFuzzer target: the bytes are a whole RAW camera file, whose preview is
// located as the RAW probe does (in this process, so that the sanitizers
// watch it; a crash inside LibRaw itself is what the viewer survives by
// running the probe as a child) and extracted as a pane load does, its header read and, when small
// enough, decoded at 1/8; the file's own Exif is read from the bytes the
// preview keeps of it, and from the whole file as --dump-exif reads it. A
// failure must be the one error type the window shows, and what comes out
// must lie within what went in.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include <QByteArray>

#include "common/usererror.h"
#include "metadata/phmetadata.h"
#include "render/jpegpicture.h"
#include "render/rawpreview.h"
#include "rawprobe/rawlocate.h"

#include <sys/mman.h>
#include <unistd.h>

using namespace tetrafot;

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)TImageMetadata::FromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    try {
        static const int fd = memfd_create("raw_fuzz", 0);
        Check(fd >= 0 && ftruncate(fd, 0) == 0);
        Check(pwrite(fd, data, size, 0) == ssize_t(size));
        const std::string answer = LocateRawPreview(fd, (long long)size);
        const RawPreview preview = PreviewFromProbeAnswer(QByteArray::fromStdString(answer), fd, (qint64)size,
                                                          QStringLiteral("fuzz.dng"));
        Check(preview.isJpeg() != !preview.bitmap.isNull());
        Check(preview.jpeg.size() <= file.size());
        Check(preview.tiffHead.size() <= file.size());
        if (!preview.tiffHead.isEmpty())
            (void)TImageMetadata::FromRawHead(std::string_view(preview.tiffHead.constData(), size_t(preview.tiffHead.size())));
        if (preview.isJpeg()) {
            TJPEGPicture picture(preview.jpeg, QStringLiteral("fuzz.dng"));
            picture.setScaleDenom(8);
            if (static_cast<long long>(picture.width()) * picture.height() <= (4LL << 20))
                Check(picture.image().width() == picture.width());
        }
    } catch (const UserError&) {
        // Shown as a message; the pane keeps its photo.
    }
    return 0;
}
