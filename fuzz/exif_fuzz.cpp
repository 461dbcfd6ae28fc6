// libFuzzer target: the bytes are a whole file, read through the same
// marker scan and directory walk as a file on disk, then listed the way
// the metadata panel and the dump list them.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "metadata/dumpexif.h"
#include "metadata/metadatalisting.h"
#include "metadata/phmetadata.h"

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
    static const bool init = [] {
        SetMetadataDecimalSeparator('.');
        return true;
    }();
    (void)init;

    TImageMetadata reader = TImageMetadata::FromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    const int status = reader.ErrorCode;
    Check(status == 0 || status == 2 || status == 10 || status == 11 || status == 100 || status == 101);
    Check(reader.Failed == (status != 0));
    Check(reader.StartSeen == (size >= 2));
    if (status != 0)
        Check(reader.Tags.empty());
    // The caps: 512 entries, 16,384 elements of at most 23 characters, a
    // cut mark per value.
    Check(reader.Tags.size() <= 512);
    std::size_t text = 0;
    for (const TTagItem& item : reader.Tags) {
        Check(FindTag(item.tag) != nullptr);
        text += item.text.size();
    }
    Check(text <= 16384 * 24 + 512 * 3);

    MetadataListing listing = ListMetadata(reader);
    Check(listing.status == status);
    Check(listing.lines.size() <= reader.Tags.size() + (reader.TagsCut ? 1 : 0));
    for (const std::string& line : listing.lines)
        Check(DumpLine(line).find('\n') == std::string::npos);
    return 0;
}
