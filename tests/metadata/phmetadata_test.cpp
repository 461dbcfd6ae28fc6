#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

#include "exiftestfiles.h"
#include "metadata/metadatalisting.h"

using namespace tetrafot;

using namespace exif;
using namespace exiftest;
using namespace std::string_literals;

namespace {

QByteArray Bytes(std::string_view s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }

QByteArray ExifSegment(const ExifBuilder& builder) { return Segment(0xE1, builder.Payload()); }

// A directory of entries that fit in their value fields, placed anywhere.
QByteArray InlineDirectory(ExifOrder order, const std::vector<ExifEntry>& entries, std::uint32_t next = 0)
{
    ExifBuilder b(order);
    for (const ExifEntry& e : entries)
        b.Add(ExifDir::Ifd0, e);
    b.SetNextOffset(ExifDir::Ifd0, next);
    return b.Tiff().mid(8);
}

std::string Utf16(std::u16string_view text)
{
    std::string out;
    for (char16_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

// --- Marker scan and header: the status codes ---------------------------

struct StatusCase {
    const char* name;
    QByteArray file;
    int status;
};

QByteArray App0() { return Segment(0xE0, QByteArray("JFIF\0\x01\x02\0\0\x01\0\x01\0\0", 14)); }

std::vector<StatusCase> StatusCases()
{
    const QByteArray soi("\xFF\xD8", 2);
    const QByteArray exifOk = ExifSegment(ExifBuilder().Add(ExifDir::Ifd0, Ascii(0x010F, "Make")));
    const QByteArray xmp = Segment(0xE1, QByteArray("http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>", 41));
    const QByteArray exifPayload = ExifBuilder().Payload();
    return {
        {"EmptyFile", QByteArray(), 2},
        {"OneByte", QByteArray("\xFF", 1), 2},
        {"NotJpeg", QByteArray("GIF89a\x01\x00", 8), 10},
        {"SoiNotAtStart", QByteArray("\x00\xFF\xD8", 3) + exifOk, 10},
        {"SoiOnly", soi, 2},
        {"EndOfImageFirst", soi + QByteArray("\xFF\xD9", 2), 11},
        {"ScanBeforeApp1", MiniJpeg({App0(), Segment(0xDB, QByteArray(65, '\x01'))}) + exifOk, 11},
        {"Exif", MiniJpeg({App0(), exifOk}), 0},
        {"XmpBeforeExif", MiniJpeg({xmp, exifOk}), 100},
        {"App1Empty", MiniJpeg({Segment(0xE1, QByteArray())}), 100},
        {"Payload13Bytes", MiniJpeg({Segment(0xE1, QByteArray("Exif\0\0II*\0\0\0\0", 13))}), 100},
        {"Payload14BytesIfd0AtZero", MiniJpeg({Segment(0xE1, QByteArray("Exif\0\0II*\0\0\0\0\0", 14))}), 0},
        {"LowerCaseExif", MiniJpeg({Segment(0xE1, "exif" + exifPayload.mid(4))}), 100},
        {"ExifWithoutZeros", MiniJpeg({Segment(0xE1, "Exif  " + exifPayload.mid(6))}), 100},
        {"MixedByteOrder", MiniJpeg({Segment(0xE1, Bytes({"Exif\0\0IM*\0", 10}) + exifPayload.mid(10))}), 101},
        {"IntelMarkWithMotorolaMagic", MiniJpeg({Segment(0xE1, Bytes({"Exif\0\0II\0*", 10}) + exifPayload.mid(10))}), 101},
        {"MotorolaMarkWithIntelMagic", MiniJpeg({Segment(0xE1, Bytes({"Exif\0\0MM*\0", 10}) + exifPayload.mid(10))}), 101},
        {"PayloadCutShort", (soi + exifOk).left(soi.size() + exifOk.size() - 3), 2},
        {"LengthMissing", soi + QByteArray("\xFF\xE0", 2), 2},
        {"LengthHalf", soi + QByteArray("\xFF\xE1\x00", 3), 2},
        {"SkipPastEnd", soi + SegmentWithLength(0xE0, 500, QByteArray(10, 'x')), 2},
        {"LengthTwoThenExif", MiniJpeg({SegmentWithLength(0xE0, 2, QByteArray()), exifOk}), 0},
    };
}

class ReaderStatusTest : public ExifFileTest, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(ReaderStatusTest, Status)
{
    const StatusCase& c = GetParam();
    TImageMetadata reader = Read(c.file);
    EXPECT_EQ(reader.ErrorCode, c.status);
    EXPECT_EQ(reader.Failed, c.status != 0);
    EXPECT_EQ(reader.StartSeen, c.file.size() >= 2);
    if (c.status != 0) {
        EXPECT_TRUE(reader.Tags.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Files, ReaderStatusTest, ::testing::ValuesIn(StatusCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExifFileTest, OpenFailures)
{
    const std::string fifo = dir.filePath("fifo.jpg").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {dir.filePath("missing.jpg").toStdString(), "No such file or directory"},
        {dir.path().toStdString(), "it is a folder"},
        {fifo, "it is not a regular file"}, // returns at once: nothing waits for a writer
        {"/dev/null", "it is not a regular file"},
    };
    for (const auto& [name, reason] : cases) {
        TImageMetadata reader(name);
        EXPECT_EQ(reader.ErrorCode, 1) << name;
        EXPECT_EQ(reader.OpenReason, reason) << name;
        EXPECT_TRUE(reader.Failed);
        EXPECT_FALSE(reader.StartSeen);
    }
}

TEST_F(ExifFileTest, OnlyTheFirstApp1IsLookedAt)
{
    ExifBuilder first, second;
    first.Add(ExifDir::Ifd0, Ascii(0x0110, "First"));
    second.Add(ExifDir::Ifd0, Ascii(0x0110, "Second"));
    TImageMetadata reader = Read(MiniJpeg({ExifSegment(first), ExifSegment(second)}));
    EXPECT_EQ(ItemsOf(reader), (Items{{0x0110, "First"}}));
}

// Lengths 0 and 1 wrap around: the segment's payload is 65,534 or 65,535
// bytes. The filler would read as an end-of-image marker anywhere else.
struct WrapCase {
    std::uint16_t length;
    int filler;
    int status;
};

class SegmentLengthTest : public ExifFileTest, public ::testing::WithParamInterface<WrapCase> {};

TEST_P(SegmentLengthTest, WrapsAround)
{
    const WrapCase& c = GetParam();
    ExifBuilder exif;
    exif.Add(ExifDir::Ifd0, Ascii(0x0110, "Found"));
    QByteArray filler;
    for (int i = 0; i < c.filler; ++i)
        filler += (i % 2 == 0) ? '\xFF' : '\xD9';
    TImageMetadata reader = Read(MiniJpeg({SegmentWithLength(0xE2, c.length, filler), ExifSegment(exif)}));
    EXPECT_EQ(reader.ErrorCode, c.status);
    if (c.status == 0) {
        EXPECT_EQ(ItemsOf(reader), (Items{{0x0110, "Found"}}));
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, SegmentLengthTest,
                         ::testing::Values(WrapCase{0, 65534, 0}, WrapCase{1, 65535, 0},
                                           WrapCase{0, 65536, 11}, WrapCase{1, 65534, 2},
                                           WrapCase{0xFFFF, 65533, 0}));

// --- Both byte orders ------------------------------------------------------

ExifBuilder SampleBlock(ExifOrder order)
{
    ExifBuilder b(order);
    b.Add(ExifDir::Ifd0, Ascii(0x010F, "Abc")) // 4 bytes: in the entry
        .Add(ExifDir::Ifd0, Ascii(0x0110, "Model X1"))
        .Add(ExifDir::Ifd0, Short(0x0100, {4000}))
        .Add(ExifDir::Ifd0, Long(0x0101, {3000}))
        .Add(ExifDir::Ifd0, Short(0x0102, {8, 8, 8}))
        .Add(ExifDir::Ifd0, Short(0x0112, {6}))
        .Add(ExifDir::Ifd0, Rational(0x011A, {{72, 1}}))
        .Add(ExifDir::Ifd0, Double(0x0301, {2.2}))
        .Add(ExifDir::Ifd0, Long(0x0201, {4294967295u}))
        .Add(ExifDir::Ifd0, SShort(0x0154, {-5, 300}))
        .Add(ExifDir::Ifd0, SLong(0x0155, {-100000}))
        .Add(ExifDir::Ifd0, SByte(0x0152, {-1, 2}))
        .Add(ExifDir::Ifd0, Byte(0x0150, {200, 0}))
        .Add(ExifDir::Exif, Undefined(0x9000, "0230"))
        .Add(ExifDir::Exif, SRational(0x9204, {{-1, 3}}))
        .Add(ExifDir::Exif, SRational(0x9203, {{-7, 2}, {5, -10}}))
        .Add(ExifDir::Exif, Float(0x9206, {1.5f}))
        .Add(ExifDir::Exif, Undefined(0xA000, "0100"))
        .Add(ExifDir::Exif, Short(0xA001, {65535}))
        .Add(ExifDir::Exif, Short(0x9000 /* version kind from SHORTs: low bytes */, {0x0130, 0x0132, 0x0132, 0x0130}))
        .Add(ExifDir::Interop, Ascii(0x0001, "R98"))
        .Add(ExifDir::Interop, Undefined(0x0002, "0100"))
        .Add(ExifDir::Ifd1, Short(0x0103, {6}))
        .Add(ExifDir::Ifd1, Short(0x0128, {2}));
    return b;
}

class ByteOrderTest : public ExifFileTest, public ::testing::WithParamInterface<ExifOrder> {};

TEST_P(ByteOrderTest, SameValuesSameTexts)
{
    ExifBuilder b = SampleBlock(GetParam());
    const std::string exifAt = std::to_string(b.DirectoryOffset(ExifDir::Exif));
    const std::string interopAt = std::to_string(b.DirectoryOffset(ExifDir::Interop));
    const Items expected = {
        {0x010F, "Abc"}, {0x0110, "Model X1"}, {0x0100, "4000"}, {0x0101, "3000"},
        {0x0102, "8,8,8"}, {0x0112, "Landscape (Right Top)"}, {0x011A, "72.00"},
        {0x0301, "2.2"}, {0x0201, "4294967295"}, {0x0154, "-5,300"}, {0x0155, "-100000"},
        {0x0152, "-1,2"}, {0x0150, "200,0"},
        // the Exif directory, with the interoperability directory before its pointer
        {0x9000, "02.30"}, {0x9204, "-0.33"}, {0x9203, "-3.50,-0.50"}, {0x9206, "1.5"},
        {0xA000, "01.00"}, {0xA001, "Uncalibrated"}, {0x9000, "02.20"},
        {0x0001, "R98"}, {0x0002, "01.00"}, {0xA005, interopAt},
        {0x8769, exifAt},
        // IFD1 after everything else
        {0x0103, "JPEG"}, {0x0128, "Inch"}};
    EXPECT_EQ(ReadItems(b), expected);
}

INSTANTIATE_TEST_SUITE_P(Orders, ByteOrderTest, ::testing::Values(ExifOrder::Intel, ExifOrder::Motorola),
                         [](const auto& info) { return info.param == ExifOrder::Intel ? "Intel" : "Motorola"; });

// --- Value texts -----------------------------------------------------------

struct TextCase {
    const char* name;
    ExifEntry entry;
    std::string expected;
};

class ValueTextTest : public ExifFileTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(ValueTextTest, BothOrders)
{
    const TextCase& c = GetParam();
    EXPECT_EQ(TextOf(c.entry, ExifOrder::Intel), c.expected);
    EXPECT_EQ(TextOf(c.entry, ExifOrder::Motorola), c.expected);
}

auto CaseName = [](const auto& info) { return std::string(info.param.name); };

INSTANTIATE_TEST_SUITE_P(
    Ascii, ValueTextTest,
    ::testing::Values(TextCase{"FiveLettersThreeZeros", AsciiBytes(0x010F, {"ABCDE\0\0\0", 8}), "ABCDE"},
                      TextCase{"ZeroInTheMiddle", AsciiBytes(0x010F, {"AB\0CD", 5}), "ABCD"},
                      TextCase{"InlineWithZeros", AsciiBytes(0x010F, {"AB\0\0", 4}), "AB"},
                      TextCase{"InlineFourLetters", AsciiBytes(0x010F, "WXYZ"), "WXYZ"},
                      TextCase{"OnlyZeros", AsciiBytes(0x010F, {"\0\0\0\0\0\0", 6}), ""},
                      TextCase{"BlanksKept", Ascii(0x0131, " v1.0 "), " v1.0 "}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    Numbers, ValueTextTest,
    ::testing::Values(TextCase{"BitsPerSample", Short(0x0102, {8, 8, 8}), "8,8,8"},
                      TextCase{"ShortMax", Short(0x0100, {65535}), "65535"},
                      TextCase{"LongMax", Long(0x0100, {4294967295u}), "4294967295"},
                      TextCase{"SLongMin", SLong(0x0155, {-2147483647 - 1}), "-2147483648"},
                      TextCase{"SShortMin", SShort(0x0155, {-32768}), "-32768"},
                      TextCase{"SBytes", SByte(0x0155, {-128, 127, 0}), "-128,127,0"},
                      TextCase{"UndefinedBytes", Undefined(0x9101, {"\x01\x02\x03\0", 4}), "1,2,3,0"},
                      TextCase{"FloatThird", Float(0x9206, {1.0f / 3}), "0.333333343267441"},
                      TextCase{"Doubles", Double(0x0301, {2.2, -1e-7, 1e20}), "2.2,-1E-7,1E20"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    Rationals, ValueTextTest,
    ::testing::Values(TextCase{"ExposureTime", Rational(0x829A, {{1, 125}}), "1/125.00"},
                      TextCase{"FNumber", Rational(0x829D, {{28, 10}}), "2.80"},
                      TextCase{"ApertureValue", Rational(0x9202, {{3, 1}}), "2.83"},
                      TextCase{"ShutterSpeedValue", SRational(0x9201, {{7, 1}}), "1/128.00"},
                      TextCase{"NegativeBias", SRational(0x9204, {{-1, 3}}), "-0.33"},
                      TextCase{"ZeroBias", SRational(0x9204, {{0, 1}}), "0.00"},
                      TextCase{"TwoThirdsBias", SRational(0x9204, {{2, 3}}), "1/1.50"},
                      TextCase{"NegativeDenominator", SRational(0x9204, {{1, -2}}), "-0.50"},
                      TextCase{"UnsignedNotSigned", Rational(0x011A, {{4294967295u, 1}}), "4294967295.00"},
                      TextCase{"TwoElements", Rational(0x0211, {{299, 1000}, {587, 1000}}), "1/3.34,1/1.70"},
                      TextCase{"ZeroDenominator", Rational(0x829A, {{1, 0}}), "1/0"},
                      TextCase{"ZeroOverZero", Rational(0x829A, {{0, 0}}), "0/0"},
                      TextCase{"NegativeOverZero", SRational(0x9204, {{-3, 0}}), "-3/0"},
                      TextCase{"ApexOverZero", SRational(0x9201, {{5, 0}}), "5/0"},
                      TextCase{"ApexHugeAperture", Rational(0x9202, {{4294967295u, 1}}), " INF"},
                      TextCase{"ApexHugeShutter", Rational(0x9201, {{4294967295u, 1}}), "0.00"},
                      TextCase{"FocalWhole", Rational(0x920A, {{50, 1}}), "50"},
                      TextCase{"FocalTenths", Rational(0x920A, {{185, 10}}), "18.5"},
                      TextCase{"FocalSigned", Rational(0x920A, {{4294967295u, 2}}), "-0.5"},
                      TextCase{"FocalLastElement", Rational(0x920A, {{24, 1}, {70, 1}}), "70"},
                      TextCase{"FocalZeroDenominator", Rational(0x920A, {{50, 0}}), "50/0"},
                      TextCase{"FocalAsShort", Short(0x920A, {35}), "35"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    Meanings, ValueTextTest,
    ::testing::Values(TextCase{"Orientation", Short(0x0112, {6}), "Landscape (Right Top)"},
                      TextCase{"OnlyElementZero", Short(0x0112, {6, 1}), "Landscape (Right Top)"},
                      TextCase{"OnlyElementZeroFromData", Short(0xA001, {1, 2, 3}), "sRGB"},
                      TextCase{"NoKey", Short(0x9209, {16}), "16"},
                      TextCase{"ColorSpace2", Short(0xA001, {2}), "2"},
                      TextCase{"AsLong", Long(0xA001, {65535}), "Uncalibrated"},
                      TextCase{"AsRational", Rational(0x0128, {{2, 1}}), "2.00"}),
    CaseName);

ExifEntry Comment(std::string_view bytes) { return Undefined(0x9286, bytes); }

INSTANTIATE_TEST_SUITE_P(
    Kinds, ValueTextTest,
    ::testing::Values(
        TextCase{"CommentZerosAndBlanks", Comment({"\0\0\0\0\0\0\0\0      ", 14}), ""},
        TextCase{"CommentAscii", Comment({"ASCII\0\0\0  Hello world \0\0", 24}), "Hello world"},
        TextCase{"CommentUnicodeLowerCase", Comment("unicode\0"s + Utf16(u"H\u00e9\u20ac ")), "H\xC3\xA9\xE2\x82\xAC"},
        TextCase{"CommentSurrogatePair", Comment("UNICODE\0"s + Utf16(u"A\U0001F600")), "A\xF0\x9F\x98\x80"},
        TextCase{"CommentLoneSurrogate", Comment("UNICODE\0"s + Utf16(u"\xD83D" u"B")), "?B"},
        TextCase{"CommentOddByteDropped", Comment({"UNICODE\0A\0B", 11}), "A"},
        TextCase{"CommentEighthCharIgnored", Comment("UnIcOdE!"s + Utf16(u"x")), "x"},
        TextCase{"CommentOtherCode", Comment({"UNICODX\0A\0B\0", 12}), {"A\0B", 3}},
        TextCase{"CommentJis", Comment({"JIS\0\0\0\0\0abc", 11}), "abc"},
        TextCase{"CommentJustTheCode", Comment({"ASCII\0\0\0", 8}), ""},
        TextCase{"CommentShort", Comment("ASC"), ""},
        TextCase{"CommentAsAscii", AsciiBytes(0x9286, {"ASCII\0\0\0Hi", 10}), "Hi"},
        TextCase{"Version", Undefined(0x9000, "0220"), "02.20"},
        TextCase{"VersionThreeChars", Undefined(0xA000, "021"), "02.1"},
        TextCase{"VersionLong", Undefined(0x0002, "01000"), "01.000"},
        TextCase{"VersionZeros", Undefined(0x9000, {"\0\0\0\0", 4}), {"\0\0.\0\0", 5}},
        TextCase{"WideTitle", Byte(0x9C9B, {'T', 0, 'i', 0, 't', 0, ' ', 0, 0, 0}), "Tit"},
        TextCase{"WideAuthor", Undefined(0x9C9D, Utf16(u" \u00dcmit")), "\xC3\x9Cmit"},
        TextCase{"MakerNoteHex", Undefined(0x927C, {"\x00\x1F\xAB\xFF\x10", 5}), "001fabff10"},
        TextCase{"MakerNoteInline", Undefined(0x927C, "\x0a\xf0"), "0af0"}),
    CaseName);

// Elements that do not lie wholly inside the block.
INSTANTIATE_TEST_SUITE_P(
    OutOfRange, ValueTextTest,
    ::testing::Values(TextCase{"Ascii", Ascii(0x0110, "Somewhere far").WithValueField(60000), "(error)"},
                      TextCase{"Short", Short(0x0102, {8, 8, 8}).WithValueField(0xFFFFFFFF), "(error)"},
                      TextCase{"Meaning", Short(0xA001, {1, 1, 1}).WithValueField(60000), "(error)"},
                      TextCase{"Comment", Comment({"ASCII\0\0\0Hi", 10}).WithValueField(60000), "(error)"},
                      TextCase{"Version", Undefined(0x9000, "02200").WithValueField(60000), "(error)"},
                      TextCase{"Wide", Undefined(0x9C9C, Utf16(u"abc")).WithValueField(60000), "(error)"},
                      TextCase{"Hex", Undefined(0x927C, "abcdef").WithValueField(60000), "(error)"},
                      TextCase{"Focal", Rational(0x920A, {{50, 1}}).WithValueField(60000), "(error)"},
                      TextCase{"CountBeyondBlock", Short(0x0102, {8, 8, 8}).WithCount(0x7FFFFFFF), "(error)"}),
    CaseName);

const std::string Cut = "\xE2\x80\xA6"; // …

std::string Repeat(std::string_view unit, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += unit;
    return out;
}

// At most 1,024 elements of a value are shown; a cut value ends in "…",
// unless all that is left out is padding its text drops anyway.
INSTANTIATE_TEST_SUITE_P(
    LongValues, ValueTextTest,
    ::testing::Values(
        TextCase{"ShortsAtTheCap", Short(0x0102, std::vector<std::uint16_t>(1024, 7)), Repeat("7,", 1023) + "7"},
        TextCase{"ShortsOverTheCap", Short(0x0102, std::vector<std::uint16_t>(1025, 7)), Repeat("7,", 1023) + "7" + Cut},
        TextCase{"MeaningReadsOneElement", Short(0xA001, std::vector<std::uint16_t>(5000, 1)), "sRGB"},
        TextCase{"AsciiPaddedWithZeros", AsciiBytes(0x010E, std::string(1000, 'a') + std::string(3000, '\0')),
                 std::string(1000, 'a')},
        TextCase{"AsciiOverTheCap", Ascii(0x010E, std::string(1030, 'a')), std::string(1024, 'a') + Cut},
        TextCase{"CommentPaddedWithBlanks", Comment("ASCII\0\0\0hi"s + std::string(3000, ' ')), "hi"},
        TextCase{"CommentOverTheCap", Comment("ASCII\0\0\0"s + std::string(1100, 'x')), std::string(1016, 'x') + Cut},
        TextCase{"UnicodeCommentPadded", Comment("UNICODE\0"s + Utf16(u"ab") + std::string(3000, '\0')), "ab"},
        TextCase{"UnicodeCommentOverTheCap", Comment("UNICODE\0"s + Repeat(Utf16(u"b"), 600)), std::string(508, 'b') + Cut},
        TextCase{"WidePadded", Undefined(0x9C9B, Repeat(Utf16(u"A"), 400) + std::string(1000, '\0')), std::string(400, 'A')},
        TextCase{"WideOverTheCap", Undefined(0x9C9B, Repeat(Utf16(u"A"), 600)), std::string(512, 'A') + Cut},
        TextCase{"HexOverTheCap", Undefined(0x927C, std::string(2000, '\x01')), Repeat("01", 1024) + Cut},
        TextCase{"VersionOverTheCap", Undefined(0x9000, std::string(2000, '1')), "11." + std::string(1022, '1') + Cut}),
    CaseName);

// Blocks made to be expensive: every entry of a full directory points at
// the same 60,000 characters; an Exif pointer leads to thousands of
// directories that overlap one another. Both stop at 512 entries, and
// their texts hold at most 16,384 elements in all.
TEST_F(ExifFileTest, CraftedBlocksStayWithinTheCaps)
{
    ExifBuilder sameValue;
    for (int i = 0; i < 5000; ++i)
        sameValue.Add(ExifDir::Ifd0, RawEntry(0x010E, tAscii, 60000, "").WithValueField(8));

    // At every even offset of the filler lies a directory of two entries
    // (tag 2, ASCII, 131,074 characters: "(error)").
    const int pointers = 4000;
    ExifBuilder overlapping;
    overlapping.Add(ExifDir::Ifd0, RawEntry(0x8769, tLong, pointers, std::string(4 * pointers, '\0')));
    const std::uint32_t filler = std::uint32_t(overlapping.Tiff().size());
    std::string offsets;
    for (std::uint32_t k = 0; k < pointers; ++k)
        for (int byte = 0; byte < 4; ++byte)
            offsets += char((filler + 2 * k) >> (8 * byte));
    overlapping = ExifBuilder();
    overlapping.Add(ExifDir::Ifd0, RawEntry(0x8769, tLong, pointers, offsets))
        .AppendTiff(QByteArray::fromStdString(Repeat({"\x02\0", 2}, pointers + 20)));

    for (const ExifBuilder* b : {&sameValue, &overlapping}) {
        TImageMetadata reader = Read(ExifJpeg(*b));
        EXPECT_EQ(reader.ErrorCode, 0);
        EXPECT_TRUE(reader.TagsCut);
        EXPECT_EQ(reader.Tags.size(), 512u);
        // At most 16,384 elements in all, each ten digits and a comma at most.
        std::size_t total = 0;
        for (const TTagItem& item : reader.Tags)
            total += item.text.size();
        EXPECT_LE(total, 16384u * 11 + 512 * Cut.size());
        EXPECT_EQ(ListMetadata(reader).lines.back(), Cut);
    }
}

TEST_F(ExifFileTest, CommaSeparator)
{
    DecimalSeparator comma(',');
    EXPECT_EQ(TextOf(Rational(0x829D, {{28, 10}})), "2,80");
    EXPECT_EQ(TextOf(Rational(0x829A, {{1, 125}})), "1/125,00");
    EXPECT_EQ(TextOf(Double(0x0301, {2.2, 1.5e20})), "2,2,1,5E20");
    EXPECT_EQ(TextOf(Rational(0x920A, {{185, 10}})), "18,5");
    EXPECT_EQ(TextOf(Short(0x0102, {8, 8, 8})), "8,8,8");
}

// The last element straddles the end of the block: the whole value is an
// error, and the entries around it are not touched.
TEST_F(ExifFileTest, ErrorStaysWithItsEntry)
{
    auto build = [](std::uint32_t field) {
        ExifBuilder b;
        b.Add(ExifDir::Ifd0, Ascii(0x010F, "Before"))
            .Add(ExifDir::Ifd0, Short(0xA001, {1, 2, 3}).WithValueField(field))
            .Add(ExifDir::Ifd0, Long(0x0101, {7, 9}).WithValueField(field))
            .Add(ExifDir::Ifd0, Ascii(0x0110, "After"));
        return b;
    };
    const std::uint32_t end = static_cast<std::uint32_t>(build(0).Tiff().size());
    ExifBuilder b = build(end);
    // Two elements' bytes sit at the end: 01 00 and 02 00 00 as far as they go.
    b.AppendTiff(QByteArray("\x01\x00\x02\x00\x00", 5));
    EXPECT_EQ(ReadItems(b), (Items{{0x010F, "Before"},
                                   {0xA001, "sRGB"}, // only element 0 is read, and it fits
                                   {0x0101, "(error)"},
                                   {0x0110, "After"}}));
}

TEST_F(ExifFileTest, TruncatedDataAreaErrsTheLastValueOnly)
{
    ExifBuilder b;
    b.Add(ExifDir::Ifd0, Short(0x0100, {4000})).Add(ExifDir::Ifd0, Ascii(0x0110, "A long model name"));
    b.TruncateTiff(static_cast<std::size_t>(b.Tiff().size()) - 4);
    EXPECT_EQ(ReadItems(b), (Items{{0x0100, "4000"}, {0x0110, "(error)"}}));
}

TEST_F(ExifFileTest, ZeroDenominatorsDoNotStopTheReading)
{
    ExifBuilder b;
    b.Add(ExifDir::Exif, Rational(0x829A, {{1, 0}}))
        .Add(ExifDir::Exif, Rational(0x920A, {{0, 0}}))
        .Add(ExifDir::Exif, SRational(0x9201, {{0, 0}}))
        .Add(ExifDir::Exif, Rational(0x829D, {{28, 10}}))
        .Add(ExifDir::Ifd1, Short(0x0103, {6}));
    Items items = ReadItems(b);
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[0].second, "1/0");
    EXPECT_EQ(items[1].second, "0/0");
    EXPECT_EQ(items[2].second, "0/0");
    EXPECT_EQ(items[3].second, "2.80");
    EXPECT_EQ(items[5], (std::pair<int, std::string>{0x0103, "JPEG"}));
}

// --- Directory structure ---------------------------------------------------

TEST_F(ExifFileTest, EntriesLeftOut)
{
    ExifBuilder b;
    b.Add(ExifDir::Ifd0, Short(0x9999, {1}))                    // not in the dictionary
        .Add(ExifDir::Ifd0, Short(0x0100, {}))                  // count 0
        .Add(ExifDir::Ifd0, RawEntry(0x0100, 0, 1, "\x01"))     // type 0
        .Add(ExifDir::Ifd0, RawEntry(0x0100, 13, 1, "\x01"))    // type 13
        .Add(ExifDir::Ifd0, RawEntry(0x0100, tShort, 0x80000000u, "\x01\x00"))
        .Add(ExifDir::Ifd0, RawEntry(0x0100, tByte, 0xFFFFFFFFu, "\x01"))
        .Add(ExifDir::Ifd0, RawEntry(0x0100, tDouble, 1, std::string(8, '\0')))
        .Add(ExifDir::Ifd0, RawEntry(0x0101, tByte, 1, "\x07"));
    EXPECT_EQ(ReadItems(b), (Items{{0x0100, "0"}, {0x0101, "7"}}));
}

TEST_F(ExifFileTest, PointerPlacedFirstStillFollowsItsDirectory)
{
    ExifBuilder b;
    b.Add(ExifDir::Ifd0, Pointer(0x8769))
        .Add(ExifDir::Ifd0, Ascii(0x010F, "Make"))
        .Add(ExifDir::Exif, Rational(0x829D, {{4, 1}}))
        .Add(ExifDir::Exif, Pointer(0xA005))
        .Add(ExifDir::Exif, Short(0x8827, {100}))
        .Add(ExifDir::Interop, Ascii(0x0001, "R98"))
        .Add(ExifDir::Ifd1, Long(0x0201, {1234}));
    const std::string exifAt = std::to_string(b.DirectoryOffset(ExifDir::Exif));
    const std::string interopAt = std::to_string(b.DirectoryOffset(ExifDir::Interop));
    EXPECT_EQ(ReadItems(b), (Items{{0x829D, "4.00"}, {0x0001, "R98"}, {0xA005, interopAt}, {0x8827, "100"},
                                   {0x8769, exifAt}, {0x010F, "Make"}, {0x0201, "1234"}}));
}

TEST_F(ExifFileTest, Ifd0AtZeroListsNothing)
{
    ExifBuilder b;
    b.Add(ExifDir::Ifd0, Ascii(0x010F, "Make")).SetIfd0Offset(0);
    TImageMetadata reader = Read(ExifJpeg(b));
    EXPECT_EQ(reader.ErrorCode, 0);
    EXPECT_TRUE(reader.Tags.empty());
}

// A directory fits when its count word, entries and next offset (12n + 6
// bytes) lie in the block; otherwise it adds nothing and ends the chain.
TEST_F(ExifFileTest, DirectoryMustFitWhole)
{
    ExifBuilder b;
    b.Add(ExifDir::Ifd0, Short(0x0100, {1}));
    ASSERT_EQ(b.Tiff().size(), 8 + 18);
    EXPECT_EQ(ReadItems(b), (Items{{0x0100, "1"}}));
    b.TruncateTiff(25);
    EXPECT_EQ(ReadItems(b), Items{});

    for (std::uint32_t offset : {24u, 25u, 26u, 1000u, 0xFFFFFFF0u}) {
        ExifBuilder c;
        c.Add(ExifDir::Ifd0, Short(0x0100, {1})).SetIfd0Offset(offset);
        EXPECT_EQ(ReadItems(c), Items{}) << offset;
    }
}

TEST_F(ExifFileTest, DirectoryRunningPastTheEndEndsTheChain)
{
    ExifBuilder b;
    b.Add(ExifDir::Ifd0, Short(0x0100, {1}))
        .Add(ExifDir::Exif, Short(0x8827, {200}))
        .Add(ExifDir::Exif, Short(0xA002, {64}))
        .SetEntryCountWord(ExifDir::Exif, 3000)
        .Add(ExifDir::Ifd1, Short(0x0103, {6}))
        .SetEntryCountWord(ExifDir::Ifd1, 2);
    const std::string exifAt = std::to_string(b.DirectoryOffset(ExifDir::Exif));
    // The Exif directory claims more entries than the block holds: nothing
    // of it is listed. IFD1 claims one entry too many: it runs past the end.
    EXPECT_EQ(ReadItems(b), (Items{{0x0100, "1"}, {0x8769, exifAt}}));
}

TEST_F(ExifFileTest, ChainGoesOnPastIfd1)
{
    ExifBuilder b;
    b.Add(ExifDir::Ifd0, Short(0x0100, {1})).Add(ExifDir::Ifd1, Short(0x0100, {2}));
    const std::uint32_t third = static_cast<std::uint32_t>(b.Tiff().size());
    b.SetNextOffset(ExifDir::Ifd1, third).AppendTiff(InlineDirectory(ExifOrder::Intel, {Short(0x0100, {3})}));
    EXPECT_EQ(ReadItems(b), (Items{{0x0100, "1"}, {0x0100, "2"}, {0x0100, "3"}}));
}

// The Exif and interoperability pointers are followed, element by element;
// the GPS pointer and SubIFDs are only numbers. A sub-directory's own next
// offset is not followed.
TEST_F(ExifFileTest, WhichPointersAreFollowed)
{
    ExifBuilder b;
    b.Add(ExifDir::Ifd0, Short(0x0100, {1}));
    const std::uint32_t orphan = static_cast<std::uint32_t>(
        ExifBuilder(b).Add(ExifDir::Ifd0, Long(0x8825, {0})).Add(ExifDir::Ifd0, Long(0x014A, {0}))
            .Add(ExifDir::Ifd0, Long(0x8769, {0, 0})).Tiff().size());
    const std::uint32_t orphan2 = orphan + 18;
    b.Add(ExifDir::Ifd0, Long(0x8825, {orphan}))
        .Add(ExifDir::Ifd0, Long(0x014A, {orphan}))
        .Add(ExifDir::Ifd0, Long(0x8769, {orphan, orphan2}))
        .AppendTiff(InlineDirectory(ExifOrder::Intel, {Short(0x0101, {10})}, /*next*/ 8))
        .AppendTiff(InlineDirectory(ExifOrder::Intel, {Short(0x0101, {20})}));
    const std::string both = std::to_string(orphan) + "," + std::to_string(orphan2);
    EXPECT_EQ(ReadItems(b), (Items{{0x0100, "1"}, {0x8825, std::to_string(orphan)}, {0x014A, std::to_string(orphan)},
                                   {0x0101, "10"}, {0x0101, "20"}, {0x8769, both}}));
}

struct CycleCase {
    const char* name;
    std::function<void(ExifBuilder&)> make;
    std::function<Items(const ExifBuilder&)> expected;
};

class CycleTest : public ExifFileTest, public ::testing::WithParamInterface<CycleCase> {};

TEST_P(CycleTest, EveryDirectoryIsReadOnce)
{
    ExifBuilder b;
    b.Add(ExifDir::Ifd0, Short(0x0100, {1})).Add(ExifDir::Exif, Short(0x8827, {100}));
    GetParam().make(b);
    EXPECT_EQ(ReadItems(b), GetParam().expected(b));
}

std::string At(const ExifBuilder& b, ExifDir d) { return std::to_string(b.DirectoryOffset(d)); }

INSTANTIATE_TEST_SUITE_P(
    Cycles, CycleTest,
    ::testing::Values(
        CycleCase{"Ifd0PointsToItself", [](ExifBuilder& b) { b.SetNextOffset(ExifDir::Ifd0, 8); },
                  [](const ExifBuilder& b) { return Items{{0x0100, "1"}, {0x8827, "100"}, {0x8769, At(b, ExifDir::Exif)}}; }},
        CycleCase{"Ifd1BackToIfd0",
                  [](ExifBuilder& b) { b.Add(ExifDir::Ifd1, Short(0x0103, {1})).SetNextOffset(ExifDir::Ifd1, 8); },
                  [](const ExifBuilder& b) {
                      return Items{{0x0100, "1"}, {0x8827, "100"}, {0x8769, At(b, ExifDir::Exif)}, {0x0103, "TIFF"}};
                  }},
        CycleCase{"ExifPointerToIfd0",
                  [](ExifBuilder& b) { b.Add(ExifDir::Ifd0, Pointer(0x8769).WithValueField(8)); },
                  [](const ExifBuilder&) { return Items{{0x0100, "1"}, {0x8769, "8"}}; }},
        CycleCase{"InteropPointerToExif",
                  [](ExifBuilder& b) {
                      b.Add(ExifDir::Exif, Pointer(0xA005).WithValueField(b.DirectoryOffset(ExifDir::Exif)));
                  },
                  [](const ExifBuilder& b) {
                      return Items{{0x0100, "1"}, {0x8827, "100"}, {0xA005, At(b, ExifDir::Exif)}, {0x8769, At(b, ExifDir::Exif)}};
                  }},
        // Were the Exif directory's chain followed, IFD1 would come before the pointer.
        CycleCase{"ExifNextIsIfd1",
                  [](ExifBuilder& b) {
                      b.Add(ExifDir::Ifd1, Short(0x0103, {6}));
                      b.SetNextOffset(ExifDir::Exif, b.DirectoryOffset(ExifDir::Ifd1));
                  },
                  [](const ExifBuilder& b) {
                      return Items{{0x0100, "1"}, {0x8827, "100"}, {0x8769, At(b, ExifDir::Exif)}, {0x0103, "JPEG"}};
                  }}),
    [](const auto& info) { return std::string(info.param.name); });

// Sub-directories nested far deeper than any camera writes them end the
// walk instead of the stack.
TEST_F(ExifFileTest, DeepNestingEnds)
{
    ExifBuilder b;
    b.Add(ExifDir::Ifd0, Short(0x0100, {0}));
    const std::uint32_t first = static_cast<std::uint32_t>(ExifBuilder(b).Add(ExifDir::Ifd0, Long(0x8769, {0})).Tiff().size());
    b.Add(ExifDir::Ifd0, Long(0x8769, {first}));
    const std::uint32_t size = 2 + 2 * 12 + 4;
    for (std::uint16_t level = 1; level <= 2000; ++level)
        b.AppendTiff(InlineDirectory(ExifOrder::Intel, {Short(0x0100, {level}), Long(0x8769, {first + level * size})}));
    Items items = ReadItems(b);
    EXPECT_GE(items.size(), 6u);
    EXPECT_LT(items.size(), 100u);
    EXPECT_EQ(items.back(), (std::pair<int, std::string>{0x8769, std::to_string(first)}));
}

// --- Helpers ---------------------------------------------------------------

TEST(WideToAnsi, Texts)
{
    EXPECT_EQ(WideToAnsi(Utf16(u"  abc\t")), "abc");
    EXPECT_EQ(WideToAnsi(Utf16(u"\u00e4\u4e2d")), "\xC3\xA4\xE4\xB8\xAD");
    EXPECT_EQ(WideToAnsi(Utf16(u"\xDE00x\xD83D")), "?x?"); // low half first, high half last
    EXPECT_EQ(WideToAnsi(Utf16(std::u16string_view(u"a\0b", 3))), std::string("a\0b", 3));
    EXPECT_EQ(WideToAnsi(std::string("a", 1)), "");
    EXPECT_EQ(TrimText({"\0\x1f \x7fx \x20\x01", 8}), "\x7fx");
}

} // namespace
