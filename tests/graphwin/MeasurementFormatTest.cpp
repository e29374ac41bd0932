#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "graphwin/MeasurementFormat.h"

namespace {

using Strings = std::vector<std::string>;

Strings Fields(std::string_view line, std::size_t maxFields = 64)
{
    std::vector<std::string_view> views;
    SplitFields(line, views, maxFields);
    return {views.begin(), views.end()};
}

}  // namespace

TEST(MeasurementFormat, NamesIntegersAndFieldsOfAFile)
{
    EXPECT_EQ(DefaultFileName("Real Time Data a\\b/c.d:e?f*g-h"), "Real_Time_Data_a_b_c_d_e_f_g-h");
    EXPECT_EQ(SeparatorForFilter(1), ',');
    EXPECT_EQ(SeparatorForFilter(2), '\t');

    // Signed decimals that fit 32 bits, nothing else.
    const std::vector<std::optional<int>> parsed{ParseInteger("12"), ParseInteger("-2048"), ParseInteger("+7"),
                                                 ParseInteger("-2147483648")};
    EXPECT_EQ(parsed, (std::vector<std::optional<int>>{12, -2048, 7, -2147483647 - 1}));
    for (const char* bad : {"", "a", "1a", "1.5", "+", "-", "+-1", " 1", "2147483648", "0x10"})
        EXPECT_FALSE(ParseInteger(bad)) << bad;

    // Fields split at commas while there are any, then at spaces, then at TABs;
    // a trailing separator makes one more, empty field. (The plain cases are
    // in the reader's hand-written file.)
    const std::pair<const char*, Strings> splits[] = {
        {"3,", {"3", ""}},          {"1 2,3 4", {"1 2", "3", "4"}}, {"1 , 2", {"1", "2"}},
        {"\t1\t2", {"", "1", "2"}}, {"1\t2 3", {"1\t2", "3"}},      {"", {""}},
        {", ,", {"", "", ""}},
    };
    for (const auto& [line, fields] : splits)
        EXPECT_EQ(Fields(line), fields) << line;
    // Splitting stops one field past the limit, so the caller can tell.
    EXPECT_EQ(Fields("1,2,3,4,5,6", 3).size(), 4u);
}

TEST(MeasurementFormat, MetadataLineAndItsParsing)
{
    const MeasurementMetadata full =
        ParseMetadata("  SubLsbs=3 MaxPossibleCode=2047 MinPossibleCode=-2048 Channels=0,5,63 LineNumbers=1 ");
    EXPECT_EQ(FormatMetadataLine(full.SubLsbs, CodeLimits{*full.MaxPossibleCode, *full.MinPossibleCode},
                                 {full.Channels, full.LineNumbers}),
              ";~ SubLsbs=3 MaxPossibleCode=2047 MinPossibleCode=-2048 Channels=0,5,63 LineNumbers=1");
    EXPECT_EQ(full.Problem, "");

    // A value that is no integer keeps the limit; other keys and other cases are skipped.
    const MeasurementMetadata odd = ParseMetadata("MaxPossibleCode=x MinPossibleCode=-2048 maxpossiblecode=5 Foo=1");
    EXPECT_FALSE(odd.MaxPossibleCode);
    EXPECT_EQ(odd.MinPossibleCode, -2048);
    EXPECT_EQ(odd.SubLsbs + ParseMetadata("SubLsbs=x").SubLsbs, 0);
    // A word before the first "=" has no value; the pairs after it still count.
    EXPECT_EQ(ParseMetadata("foo MaxPossibleCode=12 =").MaxPossibleCode, 12);
    EXPECT_EQ(ParseMetadata("x y MinPossibleCode=-3").MinPossibleCode, -3);

    // What makes no sense is ignored, and said (limits in the wrong order: the
    // reader's test).
    const std::pair<const char*, const char*> ignored[] = {
        {"MaxPossibleCode=2147483648",
         "its MaxPossibleCode \"2147483648\" is not a 32-bit whole number and is ignored"},
        {"Channels=2,1", "its channel list \"2,1\" is not ascending channel numbers below 64 and is ignored"},
        {"Channels=64", "its channel list \"64\" is not ascending channel numbers below 64 and is ignored"},
    };
    for (const auto& [text, problem] : ignored) {
        const MeasurementMetadata m = ParseMetadata(text);
        EXPECT_EQ(m.Problem, problem);
        EXPECT_FALSE(m.MaxPossibleCode || !m.Channels.empty()) << text;
    }
}

TEST(MeasurementFormat, TheWritersHeaderLineIsRecognised)
{
    bool numbered = true;
    EXPECT_TRUE(IsHeaderLine(" Measurements from Vanto Evaluation Kit", numbered) && !numbered);
    EXPECT_TRUE(IsHeaderLine("Line\tMeasurements from Vanto Evaluation Kit", numbered) && numbered);
    for (const char* other : {"Line Measurements from Vanto Evaluation Kit", "Measurements", "1,2"})
        EXPECT_FALSE(IsHeaderLine(other, numbered)) << other;
}
