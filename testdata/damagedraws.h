#pragma once
#include <QByteArray>
#include <string>
#include <vector>

// Damaged DNG files made from one written by the test writer (a 1200 x 900
// JPEG preview): cut short at points through the headers and the preview,
// bits flipped in the directories, the preview's offset past the end, its
// length 4 GB. The same call always gives the same files.
struct DamagedRaw {
    std::string category;   // "truncated", "header-bitflip", "offset-past-end", "length-4gb"
    std::string name;       // unique, usable as a file name (no extension)
    QByteArray bytes;
};
std::vector<DamagedRaw> MakeDamagedRaws();
