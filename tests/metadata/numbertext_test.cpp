#include <gtest/gtest.h>

#include <QLocale>
#include <cmath>
#include <limits>

#include "metadata/numbertext.h"

using namespace tetrafot;

namespace {

struct SeparatorFixture : ::testing::Test {
    SeparatorFixture() { SetMetadataDecimalSeparator('.'); }
    ~SeparatorFixture() override { ResetMetadataDecimalSeparator(); }
};

struct FloatCase {
    double value;
    const char* point;
    const char* comma;
};

class GeneralFloatTextTest : public ::testing::TestWithParam<FloatCase> {
protected:
    ~GeneralFloatTextTest() override { ResetMetadataDecimalSeparator(); }
};

TEST_P(GeneralFloatTextTest, WithPointAndComma)
{
    const FloatCase& c = GetParam();
    SetMetadataDecimalSeparator('.');
    EXPECT_EQ(GeneralFloatText(c.value), c.point);
    SetMetadataDecimalSeparator(',');
    EXPECT_EQ(GeneralFloatText(c.value), c.comma);
}

INSTANTIATE_TEST_SUITE_P(
    Values, GeneralFloatTextTest,
    ::testing::Values(
        FloatCase{0, "0", "0"}, FloatCase{-0.0, "0", "0"}, FloatCase{50, "50", "50"},
        FloatCase{-7, "-7", "-7"}, FloatCase{18.5, "18.5", "18,5"}, FloatCase{0.1, "0.1", "0,1"},
        FloatCase{2.2, "2.2", "2,2"}, FloatCase{1.0 / 3, "0.333333333333333", "0,333333333333333"},
        FloatCase{2.0 / 3, "0.666666666666667", "0,666666666666667"},
        FloatCase{-1234.5678, "-1234.5678", "-1234,5678"},
        FloatCase{double(0.1f), "0.100000001490116", "0,100000001490116"},
        // Up to 15 integer digits stay plain, more take an exponent.
        FloatCase{123456789012345, "123456789012345", "123456789012345"},
        FloatCase{1e15, "1E15", "1E15"}, FloatCase{1234567890123456, "1.23456789012346E15", "1,23456789012346E15"},
        FloatCase{1.5e20, "1.5E20", "1,5E20"}, FloatCase{-2e300, "-2E300", "-2E300"},
        FloatCase{999999999999999.9, "1E15", "1E15"}, // rounds up to 16 digits
        // Down to 0.00001 plain, below an exponent.
        FloatCase{0.00001, "0.00001", "0,00001"}, FloatCase{0.000123, "0.000123", "0,000123"},
        FloatCase{0.0000099, "9.9E-6", "9,9E-6"}, FloatCase{1e-6, "1E-6", "1E-6"},
        FloatCase{-2.5e-7, "-2.5E-7", "-2,5E-7"}, FloatCase{5e-324, "4.94065645841247E-324", "4,94065645841247E-324"},
        FloatCase{std::numeric_limits<double>::infinity(), "INF", "INF"},
        FloatCase{-std::numeric_limits<double>::infinity(), "-INF", "-INF"},
        FloatCase{std::nan(""), "NAN", "NAN"}));

struct RationalCase {
    double numerator, denominator;
    int tag;
    const char* expected;
};

class RationalTextTest : public SeparatorFixture, public ::testing::WithParamInterface<RationalCase> {};

TEST_P(RationalTextTest, Text)
{
    const RationalCase& c = GetParam();
    EXPECT_EQ(RationalText(c.numerator, c.denominator, c.tag), c.expected);
}

constexpr int ExposureTime = 0x829A, FNumber = 0x829D, ShutterSpeed = 0x9201, ApertureValue = 0x9202,
              ExposureBias = 0x9204;

INSTANTIATE_TEST_SUITE_P(
    Examples, RationalTextTest,
    ::testing::Values(
        RationalCase{1, 125, ExposureTime, "1/125.00"}, RationalCase{28, 10, FNumber, "2.80"},
        RationalCase{3, 1, ApertureValue, "2.83"}, RationalCase{7, 1, ShutterSpeed, "1/128.00"},
        RationalCase{-1, 3, ExposureBias, "-0.33"}, RationalCase{0, 1, ExposureBias, "0.00"},
        RationalCase{2, 3, ExposureBias, "1/1.50"}, RationalCase{1, 1, ExposureBias, "1.00"},
        // APEX: 2^-(-1) = 2 seconds; 1.4142135^0 = 1; 1.4142135^-2 = 0.5000 -> 1/2.00
        RationalCase{-1, 1, ShutterSpeed, "2.00"}, RationalCase{0, 1, ApertureValue, "1.00"},
        RationalCase{-2, 1, ApertureValue, "1/2.00"},
        // The constant is 1.4142135, not the square root of 2 (which gives 1048576.00).
        RationalCase{40, 1, ApertureValue, "1048574.15"},
        RationalCase{4294967295.0, 1, 0x011A, "4294967295.00"},
        RationalCase{1, 4294967295.0, 0x011A, "1/4294967295.00"},
        RationalCase{1e6, 1, ApertureValue, " INF"}, // too large for a double
        RationalCase{1, 0, ExposureTime, "1/0"}, RationalCase{-3, 0, ExposureBias, "-3/0"},
        RationalCase{0, 0, ExposureBias, "0/0"}, RationalCase{5, 0, ShutterSpeed, "5/0"},
        RationalCase{4294967295.0, 0, ApertureValue, "4294967295/0"}));

TEST_F(SeparatorFixture, FixedTextPadsToItsWidth)
{
    EXPECT_EQ(FixedText(1.5, 2, 4), "1.50");
    EXPECT_EQ(FixedText(1.5, 2, 6), "  1.50");
    EXPECT_EQ(FixedText(-0.0, 2, 4), "0.00");
    EXPECT_EQ(FixedText(-0.001, 2, 4), "-0.00");
    EXPECT_EQ(FixedText(std::nan(""), 2, 4), " NAN");
    EXPECT_EQ(FixedText(1e300, 2, 4).size(), 304u);
}

TEST_F(SeparatorFixture, CommaInEveryFixedText)
{
    SetMetadataDecimalSeparator(',');
    EXPECT_EQ(RationalText(28, 10, FNumber), "2,80");
    EXPECT_EQ(RationalText(1, 125, ExposureTime), "1/125,00");
    EXPECT_EQ(RationalText(-1, 3, ExposureBias), "-0,33");
    EXPECT_EQ(RationalText(1, 0, ExposureTime), "1/0");
}

TEST(MetadataDecimalSeparator, ComesFromTheSystemLocaleUntilSet)
{
    ResetMetadataDecimalSeparator();
    EXPECT_FALSE(MetadataDecimalSeparator().empty());
    SetMetadataDecimalSeparator(',');
    EXPECT_EQ(MetadataDecimalSeparator(), ",");
    ResetMetadataDecimalSeparator();
    EXPECT_EQ(MetadataDecimalSeparator(), QLocale::system().decimalPoint().toStdString());
}

} // namespace
