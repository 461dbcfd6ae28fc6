#pragma once
#include "metadata/basicexif.h"
#include <string>
#include <vector>

namespace tetrafot {

// What the metadata panel shows for a file: its lines ("Name:\tvalue",
// the Maker Note left out) and the nine caption fields. Lines and fields
// are empty when the reader's status is not 0. A block with more entries
// than the reader reads ends in a line "…".
struct MetadataListing {
    int status = 9999;
    std::vector<std::string> lines;
    TBasicExif basic;
};

MetadataListing ListMetadata(const std::string& fileName);

class TImageMetadata;
// The listing of a reader that has already run.
MetadataListing ListMetadata(const TImageMetadata& reader);

} // namespace tetrafot
