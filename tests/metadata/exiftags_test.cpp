#include <gtest/gtest.h>

#include <set>

#include "metadata/exiftags.h"

using namespace tetrafot;

namespace {

TEST(EXIFTags, TableIsSortedWithoutDuplicates)
{
    ASSERT_EQ(EXIFTags.size(), 257u);
    for (std::size_t i = 1; i < EXIFTags.size(); ++i)
        EXPECT_LT(EXIFTags[i - 1].Tag, EXIFTags[i].Tag) << "record " << i;
}

TEST(EXIFTags, KindsAndMeaningsSitOnTheRightRecords)
{
    const std::set<std::pair<int, int>> expectedKinds = {
        {0x0002, 2}, {0x9000, 2}, {0xA000, 2}, {0x9286, 1}, {0x927C, 4},
        {0x9C9B, 3}, {0x9C9C, 3}, {0x9C9D, 3}, {0x9C9E, 3}, {0x9C9F, 3},
    };
    std::set<std::pair<int, int>> kinds;
    int withMeanings = 0;
    for (const TEXIFTag& rec : EXIFTags) {
        if (rec.Kind != 0)
            kinds.insert({rec.Tag, rec.Kind});
        if (!rec.Meanings.empty()) {
            ++withMeanings;
            EXPECT_EQ(rec.Kind, 0) << std::hex << rec.Tag;
        }
        EXPECT_FALSE(rec.Name.empty()) << std::hex << rec.Tag;
    }
    EXPECT_EQ(kinds, expectedKinds);
    EXPECT_EQ(withMeanings, 37);
}

struct FindCase {
    int tag;
    const char* name; // nullptr: not in the dictionary
};

class FindTagTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindTagTest, FindsKnownTagsOnly)
{
    const FindCase& c = GetParam();
    const TEXIFTag* rec = FindTag(c.tag);
    if (!c.name) {
        EXPECT_EQ(rec, nullptr);
        return;
    }
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->Tag, c.tag);
    EXPECT_EQ(rec->Name, c.name);
}

INSTANTIATE_TEST_SUITE_P(
    Tags, FindTagTest,
    ::testing::Values(FindCase{0x0001, "Interoperability Index"}, // first record
                      FindCase{0xA420, "Image Unique ID"},        // last record
                      FindCase{0x0132, "Date & Time"}, FindCase{0x0304, "Image Title"},
                      FindCase{0x0320, "Image Title"}, FindCase{0x927C, "Maker Note"},
                      FindCase{0x5113, "Palette Histogram"}, FindCase{0x0000, nullptr},
                      FindCase{0x0003, nullptr}, FindCase{0xA421, nullptr}, FindCase{0xFFFF, nullptr},
                      FindCase{0x8825 + 1, nullptr}, FindCase{-1, nullptr},
                      FindCase{0x10001, nullptr}));

struct MeaningCase {
    int tag;
    const char* value;
    const char* expected;
};

class ApplyMeaningTest : public ::testing::TestWithParam<MeaningCase> {};

TEST_P(ApplyMeaningTest, MapsWholeKeysOnly)
{
    const MeaningCase& c = GetParam();
    const TEXIFTag* rec = FindTag(c.tag);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(ApplyMeaning(*rec, c.value), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Meanings, ApplyMeaningTest,
    ::testing::Values(
        MeaningCase{0xA001, "1", "sRGB"}, MeaningCase{0xA001, "65535", "Uncalibrated"},
        MeaningCase{0xA001, "2", "2"}, MeaningCase{0x0112, "6", "Landscape (Right Top)"},
        MeaningCase{0x0112, "1", "Portrait (Top Left)"},
        MeaningCase{0x0112, "8", "Landscape (Left Bottom)"}, // last item
        MeaningCase{0x9209, "0", "Flash didn't fire"}, MeaningCase{0x9209, "16", "16"},
        // "1" must not match the key "10", nor "10" the key "1".
        MeaningCase{0x9208, "1", "Daylight"}, MeaningCase{0x9208, "10", "Flash"},
        MeaningCase{0x9208, "255", "Other"}, MeaningCase{0x9207, "25", "25"},
        MeaningCase{0x0122, "3", "1/1000"}, MeaningCase{0x5110, "0", "Unknown"},
        MeaningCase{0x0128, " 2", " 2"}, MeaningCase{0x0128, "2 ", "2 "},
        MeaningCase{0x0128, "", ""}, MeaningCase{0x0128, "Inch", "Inch"},
        MeaningCase{0x0110, "1", "1"})); // Model has no meanings

} // namespace
