#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tetrafot {

// How the reader turns an entry's bytes into its value text.
enum TEXIFKind : std::uint8_t {
    KindFormatted = 0, // each element by its TIFF type, meanings applied
    KindComment = 1,   // 8-byte character code, then 8-bit or UTF-16 text
    KindVersion = 2,   // raw characters with "." after the first two
    KindWideText = 3,  // UTF-16 little-endian text
    KindHex = 4,       // raw bytes as lower-case hexadecimal
};

// One known tag. Names are not unique: several tags share a name.
struct TEXIFTag {
    int Tag;
    std::uint8_t Kind;
    std::string_view Name;
    // "key=text" items separated by ':'; keys are the reader's decimal texts.
    std::string_view Meanings;
    std::string_view Description;
};

inline constexpr std::size_t EXIFTagCount = 257;

// Sorted by Tag, each tag once.
extern const std::array<TEXIFTag, EXIFTagCount> EXIFTags;

// The record of a tag number, or nullptr when the tag is not known.
const TEXIFTag* FindTag(int tag);

// The meaning text whose key equals value exactly, or value itself.
std::string ApplyMeaning(const TEXIFTag& record, const std::string& value);

} // namespace tetrafot
