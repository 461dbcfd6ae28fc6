#include "pipeline/decodedphoto.h"

#include "common/paths.h"
#include "metadata/phmetadata.h"

#include <sys/stat.h>

namespace tetrafot {

bool StatFileIdentity(const QString& path, FileIdentity* identity)
{
    struct stat st;
    if (path.isEmpty() || ::stat(EncodeFileName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    identity->path = path;
    identity->size = st.st_size;
    identity->mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    identity->inode = st.st_ino;
    identity->readOnly = !(st.st_mode & S_IWUSR);
    return true;
}

TImageMetadata ExifOf(const DecodedPhoto& photo)
{
    const QByteArray& bytes = photo.tiffHead.isEmpty() ? photo.bytes : photo.tiffHead;
    const std::string_view view(bytes.constData(), size_t(bytes.size()));
    return photo.tiffHead.isEmpty() ? TImageMetadata::FromBytes(view) : TImageMetadata::FromRawHead(view);
}

} // namespace tetrafot
