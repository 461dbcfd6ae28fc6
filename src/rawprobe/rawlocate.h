#pragma once
#include <string>

namespace tetrafot {

// Finds where the largest preview of the RAW file open at fd lies, by
// LibRaw's parse of its headers (the raw data is never read). The answer
// is one line of text, the words the program reads back (see rawprobe.h):
//   "preview OFFSET LENGTH WIDTH HEIGHT"  where the file says its preview is
//   "unsupported" / "nopreview" / "badpreview" / "memory" / "damaged"
//   "ioerror ERRNO"
// Nothing here is checked against the file: the caller trusts none of it.
std::string LocateRawPreview(int fd, long long size);

} // namespace tetrafot
