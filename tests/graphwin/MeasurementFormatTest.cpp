#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "graphwin/MeasurementFormat.h"

namespace {

std::vector<std::string> Fields(std::string_view line, std::size_t maxFields = 64)
{
    std::vector<std::string_view> views;
    SplitFields(line, views, maxFields);
    return {views.begin(), views.end()};
}

using Strings = std::vector<std::string>;

}  // namespace

TEST(MeasurementFormat, DefaultFileNamesReplacePathCharacters)
{
    EXPECT_EQ(DefaultFileName("Real Time Data"), "Real_Time_Data");
    EXPECT_EQ(DefaultFileName("a\\b/c.d:e?f*g-h"), "a_b_c_d_e_f_g-h");
}

TEST(MeasurementFormat, IntegersAreSignedDecimalsThatFit32Bits)
{
    EXPECT_EQ(ParseInteger("12"), 12);
    EXPECT_EQ(ParseInteger("-2048"), -2048);
    EXPECT_EQ(ParseInteger("+7"), 7);
    EXPECT_EQ(ParseInteger("-2147483648"), -2147483648LL);
    for (const char* bad : {"", "a", "1a", "1.5", "+", "-", "+-1", " 1", "2147483648", "0x10"})
        EXPECT_FALSE(ParseInteger(bad)) << bad;
    EXPECT_EQ(FieldValue("Line"), 0);
}

TEST(MeasurementFormat, FieldsSplitAtCommaThenSpaceThenTab)
{
    // Plain separators, leading spaces and a trailing TAB are covered by the
    // reader's hand-written file. A trailing separator makes one more, empty field.
    EXPECT_EQ(Fields("3,"), (Strings{"3", ""}));
    // While a comma is left, spaces are not separators; then they are again.
    EXPECT_EQ(Fields("1 2,3 4"), (Strings{"1 2", "3", "4"}));
    EXPECT_EQ(Fields("1 , 2"), (Strings{"1", "2"}));
    EXPECT_EQ(Fields("\t1\t2"), (Strings{"", "1", "2"}));
    EXPECT_EQ(Fields("1\t2 3"), (Strings{"1\t2", "3"}));
    EXPECT_EQ(Fields(""), (Strings{""}));
    EXPECT_EQ(Fields(", ,"), (Strings{"", "", ""}));

    // Splitting stops one field past the limit, so the caller can tell.
    EXPECT_EQ(Fields("1,2,3,4,5,6", 3).size(), 4u);
}

TEST(MeasurementFormat, MetadataLineAndItsParsing)
{
    EXPECT_EQ(FormatMetadataLine(0, CodeLimits{}, {{0, 1, 2}, false}), ";~ MaxPossibleCode=4095 MinPossibleCode=0");
    EXPECT_EQ(FormatMetadataLine(3, CodeLimits{2047, -2048}, {{1, 2}, true}),
              ";~ SubLsbs=3 MaxPossibleCode=2047 MinPossibleCode=-2048 Channels=1,2 LineNumbers=1");

    const MeasurementMetadata full =
        ParseMetadata("  SubLsbs=3 MaxPossibleCode=2047 MinPossibleCode=-2048 Channels=0,5,63 LineNumbers=1 ");
    EXPECT_EQ(full.SubLsbs, 3);
    EXPECT_EQ(full.MaxPossibleCode, 2047);
    EXPECT_EQ(full.MinPossibleCode, -2048);
    EXPECT_EQ(full.Channels, (std::vector<int>{0, 5, 63}));
    EXPECT_TRUE(full.LineNumbers);
    EXPECT_EQ(full.Problem, "");

    // A value that is no integer keeps the limit; other keys and other cases are skipped.
    const MeasurementMetadata odd = ParseMetadata("MaxPossibleCode=x MinPossibleCode=-2048 maxpossiblecode=5 Foo=1");
    EXPECT_FALSE(odd.MaxPossibleCode);
    EXPECT_EQ(odd.MinPossibleCode, -2048);
    EXPECT_EQ(odd.SubLsbs, 0);
    EXPECT_EQ(ParseMetadata("SubLsbs=x").SubLsbs, 0);

    // A word before the first "=" has no value; the pairs after it still count.
    EXPECT_EQ(ParseMetadata("foo MaxPossibleCode=12 =").MaxPossibleCode, 12);
    EXPECT_EQ(ParseMetadata("x y MinPossibleCode=-3").MinPossibleCode, -3);

    // What makes no sense is ignored, and said.
    const struct {
        const char* text;
        const char* problem;
    } ignored[] = {
        {"MaxPossibleCode=2147483648",
         "its MaxPossibleCode \"2147483648\" is not a 32-bit whole number and is ignored"},
        {"MaxPossibleCode=-1 MinPossibleCode=0",
         "its MaxPossibleCode -1 is below its MinPossibleCode 0, so both are ignored"},
        {"Channels=2,1", "its channel list \"2,1\" is not ascending channel numbers below 64 and is ignored"},
        {"Channels=64", "its channel list \"64\" is not ascending channel numbers below 64 and is ignored"},
    };
    for (const auto& c : ignored) {
        const MeasurementMetadata m = ParseMetadata(c.text);
        EXPECT_EQ(m.Problem, c.problem);
        EXPECT_FALSE(m.MaxPossibleCode || !m.Channels.empty()) << c.text;
    }
}

TEST(MeasurementFormat, TheWritersHeaderLineIsRecognised)
{
    bool numbered = true;
    EXPECT_TRUE(IsHeaderLine(" Measurements from Vanto Evaluation Kit", numbered));
    EXPECT_FALSE(numbered);
    EXPECT_TRUE(IsHeaderLine("Line\tMeasurements from Vanto Evaluation Kit", numbered));
    EXPECT_TRUE(numbered);
    EXPECT_TRUE(IsHeaderLine("Line,Measurements from Vanto Evaluation Kit", numbered));
    for (const char* other : {"Line Measurements from Vanto Evaluation Kit", "Measurements", "1,2"})
        EXPECT_FALSE(IsHeaderLine(other, numbered)) << other;
}
