#include "render/caption.h"
#include <gtest/gtest.h>

using namespace tetrafot;

namespace {

struct CaptionCase {
    const char* name;
    std::string templ;
    TBasicExif exif;
    std::string expected;
};

TBasicExif Exif(std::string model, std::string date, std::string iso, std::string comment = "",
                std::string colour = "")
{
    TBasicExif e;
    e.Model = std::move(model);
    e.DateTime = std::move(date);
    e.ISO = std::move(iso);
    e.UserComment = std::move(comment);
    e.ColorSpace = std::move(colour);
    return e;
}

TBasicExif AllFields()
{
    return TBasicExif{"M", "D", "I", "S", "A", "B", "F", "C", "P"};
}

class Captions : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(Captions, Expand)
{
    EXPECT_EQ(ExpandCaption(GetParam().templ, GetParam().exif), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Captions,
    ::testing::Values(
        CaptionCase{"DefaultWithoutComment", "%c", TBasicExif{}, ""},
        CaptionCase{"ModelAndIso", "%m, ISO %i", Exif("CAM-1", "", "200"), "CAM-1, ISO 200"},
        CaptionCase{"AllNineInOrder", "%m%d%i%s%a%b%f%c%p", AllFields(), "MDISABFCP"},
        CaptionCase{"PercentBeforeCommentStillExpands", "%%c", Exif("", "", "", "x"), "%x"},
        CaptionCase{"HundredPercent", "100%% %c", Exif("", "", "", "x"), "100% x"},
        CaptionCase{"ThreePercents", "%%%", TBasicExif{}, "%%"},
        CaptionCase{"FourPercents", "%%%%", TBasicExif{}, "%%"},
        CaptionCase{"LonePercentStays", "50%", TBasicExif{}, "50%"},
        CaptionCase{"NoPlaceholderLetters", "%M %x", AllFields(), "%M %x"},
        // A field's text is searched by every later pass, not by its own or
        // an earlier one.
        CaptionCase{"ModelHoldingDateMacro", "%m", Exif("a%db", "DATE", ""), "aDATEb"},
        CaptionCase{"ColourHoldingModelMacro", "%p", Exif("CAM", "", "", "", "x%my"), "x%my"},
        CaptionCase{"DateHoldingItself", "%d", Exif("", "1%d2", ""), "1%d2"},
        CaptionCase{"CommentHoldingPercents", "%c", Exif("", "", "", "50%%"), "50%"},
        CaptionCase{"AdjacentPlaceholders", "%m%m", Exif("ab", "", ""), "abab"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
