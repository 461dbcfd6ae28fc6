#pragma once
#include <cstdio>
#include <string>
#include <vector>

namespace tetrafot {

// The command line's metadata dump: for each file the metadata panel's
// lines ("Name:\tvalue"), one per line, in UTF-8. With more than one file
// each file's lines follow a "==> FILE <==" line. A file whose status is
// not 0 writes nothing to out (not even its header) and a message to err:
// "tetrafot: FILE: cannot read it: REASON" when it did not open (missing,
// a folder, a FIFO or device, which are never waited on), else
// "tetrafot: FILE: no EXIF data (status N)". FILE is written as DumpName
// gives it. Returns 0 when every file was read with status 0, else 1.
//
// So that every entry stays one line of valid UTF-8, a value's bytes that
// are no valid UTF-8 and its control characters (line breaks, zero bytes,
// tabs) are written as '?'; the tab after the name stays.
int DumpExif(const std::vector<std::string>& files, std::FILE* out, std::FILE* err);

// One listing line made fit for a line of UTF-8 output, as described above.
std::string DumpLine(const std::string& line);

// A file name made fit for one line of UTF-8: backslash, line break, tab
// and carriage return as \\ \n \t \r, other control characters and bytes
// that are no valid UTF-8 as \xHH.
std::string DumpName(const std::string& name);

} // namespace tetrafot
