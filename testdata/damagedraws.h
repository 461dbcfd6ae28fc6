#pragma once
#include <QByteArray>
#include <string>
#include <vector>

namespace tetrafot {

// Damaged DNG, RAF and CR3 files made from ones written by the test writer
// (a 1200 x 900 JPEG preview): cut short at points through the headers and
// the preview, bits flipped in the directories or header, the preview's
// offset past the end, its length 4 GB; a CR3's box sizes zero, past the
// end, shorter than their header, 64-bit and huge. The same call always
// gives the same files.
struct DamagedRaw {
    // "truncated", "header-bitflip", "offset-past-end", "length-4gb" for a
    // DNG; the same with "raf-" before them for a RAF; "cr3-truncated",
    // "cr3-bitflip", "cr3-box-size" for a CR3.
    std::string category;
    std::string name;       // unique, usable as a file name (no extension)
    QByteArray bytes;
    std::string extension = "DNG";
};
std::vector<DamagedRaw> MakeDamagedRaws();

} // namespace tetrafot
