#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "graph/ZorTape.h"

namespace {

std::string ErrorText(auto&& action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

std::vector<int> Records(const TZorTape& tape, int ch, int count)
{
    std::vector<int> values;
    for (int r = 0; r < count; ++r)
        values.push_back(tape.Channels[ch].Data[r]);
    return values;
}

const std::string kPastEnd = "Vanto TZorTape::SetThisRecord -- exceeds NumRecords";
const std::string kUsedPastEnd = "Vanto TZorTape::SetRecordsUsed -- exceeds NumRecords";

}  // namespace

TEST(ZorTape, CursorMovesOnWhenAChannelRepeatsInARecord)
{
    TZorTape tape(1, 64);
    tape.DataPointCh(0, 5);
    tape.DataPointCh(1, 6);
    tape.DataPointCh(0, 7);
    EXPECT_EQ(tape.Channels[1].Data[0], 6);
    EXPECT_EQ(Records(tape, 0, 2), (std::vector<int>{5, 7}));
    EXPECT_EQ(tape.ThisRecord(), 1u);
    EXPECT_EQ(tape.RecordsUsed(), 1u);
    EXPECT_TRUE(tape.Channels[0].PointInRecord);
    EXPECT_FALSE(tape.Channels[1].PointInRecord);
    EXPECT_TRUE(tape.Channels[1].Enabled);

    // A full scan of four channels fills one record per round.
    TZorTape scan(1, 64);
    for (int round = 0; round < 3; ++round)
        for (std::uint32_t ch = 0; ch < 4; ++ch)
            scan.DataPointCh(ch, round * 10 + int(ch));
    EXPECT_EQ(scan.ThisRecord(), 2u);
    EXPECT_EQ(Records(scan, 3, 3), (std::vector<int>{3, 13, 23}));
}

TEST(ZorTape, WrappingTapeKeepsTheNewestRecords)
{
    TZorTape tape(1, 4);
    for (int v = 1; v <= 6; ++v)
        tape.DataPointCh(0, v);
    EXPECT_EQ(Records(tape, 0, 4), (std::vector<int>{5, 6, 3, 4}));
    EXPECT_EQ(tape.ThisRecord(), 1u);
    EXPECT_EQ(tape.RecordsUsed(), 4u);
    tape.SetThisRecord(9);
    EXPECT_EQ(tape.ThisRecord(), 1u);
}

TEST(ZorTape, TapeWithoutWrapRefusesToRunPastItsEnd)
{
    TZorTape tape(1, 4);
    tape.Wrap = false;
    for (int v = 1; v <= 4; ++v)
        tape.DataPointCh(0, v);
    EXPECT_EQ(ErrorText([&] { tape.DataPointCh(0, 5); }), kPastEnd);
    EXPECT_EQ(Records(tape, 0, 4), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(tape.ThisRecord(), 3u);
    EXPECT_EQ(tape.Channels[0].Data.High(), 3);
    EXPECT_EQ(ErrorText([&] { tape.SetThisRecord(4); }), kPastEnd);

    // Nor may the records in use exceed the length; shortening lowers them.
    EXPECT_EQ(ErrorText([&] { tape.SetRecordsUsed(5); }), kUsedPastEnd);
    tape.SetNumRecords(2);
    EXPECT_EQ(tape.RecordsUsed(), 2u);
}

TEST(ZorTape, LengthAndChannelCountReserveRoomWithoutCreatingAnything)
{
    TZorTape tape(1, 64);
    tape.SetNumChannels(8);
    EXPECT_EQ(tape.GetNumChannels(), 0);
    tape.SetNumChannels(4);
    EXPECT_EQ(tape.Channels.Capacity(), 8);

    for (int v = 0; v < 3; ++v)
        tape.DataPointCh(0, 10 + v);
    tape.SetThisChannel(2);
    tape.GetPlotColor();  // creates channel 2, without storage
    tape.SetNumRecords(100);
    EXPECT_EQ(Records(tape, 0, 3), (std::vector<int>{10, 11, 12}));
    EXPECT_EQ(tape.Channels[0].Data.Capacity(), 100);
    EXPECT_EQ(tape.Channels[2].Data.Capacity(), 100);
    EXPECT_EQ(tape.Channels[2].Data.Count(), 0);
}

// A channel's first value draws it as a flat line; a channel that was hidden
// and receives a value keeps its history.
TEST(ZorTape, FirstValueFlattensAChannelButHidingKeepsItsHistory)
{
    TZorTape tape(1, 8);
    tape.Channels[0].Data.ReserveRight(8);
    tape.DataPointCh(0, 42);
    EXPECT_EQ(Records(tape, 0, 8), std::vector<int>(8, 42));
    tape.DataPointCh(0, 43);
    tape.SetThisChannelEnabled(false);
    tape.DataPointCh(0, 7);
    EXPECT_TRUE(tape.GetThisChannelEnabled());
    EXPECT_EQ(Records(tape, 0, 8), (std::vector<int>{42, 43, 7, 42, 42, 42, 42, 42}));
}

TEST(ZorTape, ValueByColourGoesToTheLowestChannelOfThatColour)
{
    TZorTape tape(1, 64);
    for (int ch = 0; ch < 3; ++ch)
        tape.Channels[ch];
    tape.DataPoint(clRed, 9);
    EXPECT_EQ(tape.Channels[0].Data[0], 9);
    EXPECT_EQ(tape.Channels[1].Data.Count(), 0);

    tape.SetThisChannel(1);
    tape.SetPlotColor(0xFF0000);
    tape.DataPoint(0xFF0000, 3);
    EXPECT_EQ(tape.Channels[1].Data[0], 3);
    tape.DataPoint(0x00FF00, 1);  // nobody has green
    EXPECT_EQ(tape.ThisChannel(), 1u);
    EXPECT_EQ(tape.ThisRecord(), 0u);
}

TEST(ZorTape, TapeOfNoLengthHoldsOneRecordAndNeverDividesByZero)
{
    TZorTape tape(1, 0);
    tape.DataPointCh(0, 5);
    EXPECT_EQ(ErrorText([&] { tape.DataPointCh(0, 6); }), kUsedPastEnd);
    EXPECT_EQ(tape.Channels[0].Data[0], 5);
    tape.SetThisRecord(5);
    EXPECT_EQ(tape.ThisRecord(), 0u);
    tape.Wrap = false;
    EXPECT_EQ(ErrorText([&] { tape.SetThisRecord(0); }), kPastEnd);
}

TEST(GraphChannel, CopyIsDeepAndGrowsItsArraysBy32)
{
    GraphChannel source;
    source.Data[3] = 30;
    source.Histogram[100] = 2;
    source.SetSubLsbs(3);
    source.Data.SetGrowStep(0);
    GraphChannel copy;
    copy = source;
    EXPECT_EQ(copy.Id, source.Id);
    EXPECT_EQ(copy.Histogram[100], 2);
    EXPECT_EQ(copy.SubLsbDivisor, 8.0);
    EXPECT_EQ(copy.Data.GrowStep(), 31);
    copy.Data[3] = 0;
    EXPECT_EQ(source.Data[3], 30);
    // Sub-LSBs beyond 16 places mean no scaling.
    copy.SetSubLsbs(17);
    EXPECT_EQ(copy.SubLsbDivisor, 1.0);
}
