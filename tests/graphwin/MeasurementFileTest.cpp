#include <cstdint>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "graphwin/MeasurementReader.h"
#include "graphwin/MeasurementWriter.h"
#include "graphwin/MyFile.h"
#include "platform/Clock.h"
#include "TapeHelpers.h"
#include "TempFolder.h"

namespace {

const Rows kFourRecords{{10, 20}, {11, 21}, {12, 22}, {13, 23}};

SaveSettings Settings(char separator = '\t', bool header = false, bool lineNumbers = false)
{
    SaveSettings s;
    s.Caption = "Real Time Data";
    s.Separator = separator;
    s.SaveHeaderLine = header;
    s.SaveLineNumbers = lineNumbers;
    return s;
}

TZorTape FourRecordTape()
{
    TZorTape tape(1, 4);
    FillTape(tape, kFourRecords);
    return tape;
}

// What follows the title and metadata lines.
std::string DataLines(const std::string& file)
{
    return file.substr(file.find('\n', file.find('\n') + 1) + 1);
}

LoadResult LoadText(const std::string& text)
{
    VirtualClock clock;
    return ParseMeasurements(text, clock);
}

// Time runs on by 300 ms whenever it is read.
class HurryingClock : public Clock {
public:
    uint64_t micros() override { return now_ += 300'000; }
    void sleepUntil(uint64_t) override {}

private:
    uint64_t now_ = 0;
};

}  // namespace

TEST(MeasurementWriter, WritesTitleMetadataAndOneLinePerRecord)
{
    TempFolder dir;
    const TZorTape tape = FourRecordTape();

    ASSERT_TRUE(WriteMeasurements(dir / "tab.txt", tape, Settings()).Ok());
    EXPECT_EQ(ReadWholeFile(dir / "tab.txt"),
              "; Real Time Data\r\n"
              ";~ MaxPossibleCode=4095 MinPossibleCode=0\r\n"
              "10\t20\r\n11\t21\r\n12\t22\r\n13\t23\r\n");

    ASSERT_TRUE(WriteMeasurements(dir / "both.csv", tape, Settings(',', true, true)).Ok());
    EXPECT_EQ(ReadWholeFile(dir / "both.csv"),
              "; Real Time Data\r\n"
              ";~ MaxPossibleCode=4095 MinPossibleCode=0\r\n"
              "Line,Measurements from Vanto Evaluation Kit\r\n"
              "0,10,20\r\n1,11,21\r\n2,12,22\r\n3,13,23\r\n");

    SaveSettings subLsbs = Settings(',', true, false);
    subLsbs.SubLsbs = 3;
    subLsbs.Limits = {2047, -2048};
    subLsbs.Caption = "two\r\nlines";
    ASSERT_TRUE(WriteMeasurements(dir / "sub.csv", tape, subLsbs).Ok());
    EXPECT_EQ(ReadWholeFile(dir / "sub.csv"),
              "; two  lines\r\n"
              ";~ SubLsbs=3 MaxPossibleCode=2047 MinPossibleCode=-2048\r\n"
              "Measurements from Vanto Evaluation Kit\r\n"
              "10,20\r\n11,21\r\n12,22\r\n13,23\r\n");
}

TEST(MeasurementWriter, DisabledChannelsWriteNothingAndTheCursorStays)
{
    TempFolder dir;
    TZorTape tape(1, 3);
    FillTape(tape, {{1, 2, 3}, {4, 5, 6}});
    tape.Channels[0].Enabled = false;
    const std::uint32_t record = tape.ThisRecord();
    const std::uint32_t channel = tape.ThisChannel();

    ASSERT_TRUE(WriteMeasurements(dir / "c.txt", tape, Settings('\t', false, true)).Ok());
    // Record 2 was never reached: its slots hold what the tape holds there.
    EXPECT_EQ(DataLines(ReadWholeFile(dir / "c.txt")), "0\t\t2\t3\r\n1\t\t5\t6\r\n2\t\t0\t0\r\n");
    // Saving must not move the cursor, or the next live reading would
    // overwrite records out of turn.
    EXPECT_EQ(tape.ThisRecord(), record);
    EXPECT_EQ(tape.ThisChannel(), channel);

    // A tape whose only channel is 3 still saves its codes.
    TZorTape single(1, 2);
    FillTape(single, {{7}, {8}}, 3);
    ASSERT_TRUE(WriteMeasurements(dir / "single.txt", single, Settings()).Ok());
    EXPECT_EQ(DataLines(ReadWholeFile(dir / "single.txt")), "\t7\r\n\t8\r\n");
}

TEST(MeasurementFiles, RoundTripsThroughTheReader)
{
    TempFolder dir;
    TZorTape tape(1, 5);
    FillTape(tape, {{-2048, 0, 2047}, {5, -6, 7}, {100, 200, 300}, {1, 2, 3}, {-1, -2, -3}});
    VirtualClock clock;

    for (const char sep : {'\t', ','}) {
        SaveSettings settings = Settings(sep);
        settings.Caption = "Upload: 6 ksps";
        settings.SubLsbs = 3;
        settings.Limits = {2047, -2048};
        const std::string path = dir / "round.txt";
        ASSERT_TRUE(WriteMeasurements(path, tape, settings).Ok());

        const LoadResult loaded = LoadMeasurementFile(path, clock);
        ASSERT_TRUE(loaded.Ok()) << loaded.Error;
        const LoadedMeasurements& m = loaded.Data;
        EXPECT_EQ(m.Title, "Upload: 6 ksps");
        EXPECT_EQ(m.Metadata.SubLsbs, 3);
        EXPECT_EQ(m.Columns, 3u);
        EXPECT_EQ(TapeRows(m.Tape), TapeRows(tape));
        EXPECT_EQ(m.Tape.Channels[1].SubLsbDivisor, 8.0);
        EXPECT_EQ(m.Tape.Channels[2].PlotColor, DefaultPlotColors[2]);

        // Bipolar limits from the file move the home scale.
        CodeLimits limits;
        m.Metadata.ApplyTo(limits);
        EXPECT_EQ(limits.HomeYBottom(), -2129);
        EXPECT_EQ(limits.HomeYTop(), 2128);
    }

    // Header and line numbers are not recognised: the header's words load as
    // a record of zeros and the line numbers as channel 0.
    ASSERT_TRUE(WriteMeasurements(dir / "both.csv", FourRecordTape(), Settings(',', true, true)).Ok());
    const LoadResult both = LoadMeasurementFile(dir / "both.csv", clock);
    ASSERT_TRUE(both.Ok()) << both.Error;
    EXPECT_EQ(TapeRows(both.Data.Tape), (Rows{{0, 0, 0, 0, 0, 0},
                                                    {0, 10, 20, 0, 0, 0},
                                                    {1, 11, 21, 0, 0, 0},
                                                    {2, 12, 22, 0, 0, 0},
                                                    {3, 13, 23, 0, 0, 0}}));

    // A disabled channel 0 leaves an empty first column, which loads as 0.
    TZorTape gap = FourRecordTape();
    gap.Channels[0].Enabled = false;
    ASSERT_TRUE(WriteMeasurements(dir / "gap.txt", gap, Settings()).Ok());
    const LoadResult gapped = LoadMeasurementFile(dir / "gap.txt", clock);
    ASSERT_TRUE(gapped.Ok());
    EXPECT_EQ(TapeRows(gapped.Data.Tape), (Rows{{0, 20}, {0, 21}, {0, 22}, {0, 23}}));
}

TEST(MeasurementReader, HandWrittenFilesLoadByTheSplittingRules)
{
    // Mixed separators, leading spaces, a letter, a trailing TAB, blank lines
    // and all three kinds of line end.
    const LoadResult r = LoadText("; My Title  \r\n"
                                  ";~ MaxPossibleCode=x MinPossibleCode=-2048\r\n"
                                  "1 2 3\r\n"
                                  "\r\n"
                                  "4,5,6\r"
                                  "   \n"
                                  "7\t8\t9\n"
                                  "  12  \n"
                                  "a,5\n"
                                  "3\t");
    ASSERT_TRUE(r.Ok()) << r.Error;
    EXPECT_EQ(r.Data.Title, "My Title");
    EXPECT_FALSE(r.Data.Metadata.MaxPossibleCode);
    EXPECT_EQ(r.Data.Metadata.MinPossibleCode, -2048);
    EXPECT_EQ(r.Data.Records, 6u);
    EXPECT_EQ(TapeRows(r.Data.Tape), (Rows{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {0, 12, 0}, {0, 5, 0}, {3, 0, 0}}));

    // A metadata line with no title line before it is the title, and no metadata.
    const LoadResult noTitle = LoadText(";~ MaxPossibleCode=2047 MinPossibleCode=-2048\n5\n6\n");
    ASSERT_TRUE(noTitle.Ok());
    EXPECT_EQ(noTitle.Data.Title, "~ MaxPossibleCode=2047 MinPossibleCode=-2048");
    EXPECT_FALSE(noTitle.Data.HasMetadata);
    EXPECT_EQ(TapeRows(noTitle.Data.Tape), (Rows{{5}, {6}}));

    // No title and no metadata: every line is data. Text after a NUL is not read.
    const LoadResult bare = LoadText("1,2\n3,4\n\0" "5,6\n");
    ASSERT_TRUE(bare.Ok());
    EXPECT_TRUE(bare.Data.Title.empty());
    EXPECT_EQ(TapeRows(bare.Data.Tape), (Rows{{1, 2}, {3, 4}}));

    // A channel first met in the middle of the file gets room for every record.
    const LoadResult late = LoadText("1\n2\n3,4\n5\n");
    ASSERT_TRUE(late.Ok());
    EXPECT_GE(late.Data.Tape.Channels[1].Data.Capacity(), 4);
    EXPECT_EQ(late.Data.Tape.Channels[1].Data[2], 4);
    EXPECT_EQ(late.Data.Tape.ThisRecord(), 3u);
}

TEST(MeasurementReader, ReportsProgressOncePerSecondOfLoading)
{
    std::string text = "; t\n";
    for (int i = 0; i < 10; ++i)
        text += std::to_string(i) + "\n";
    HurryingClock clock;
    std::vector<int> percents;
    const LoadResult r = ParseMeasurements(text, clock, [&](int p) { percents.push_back(p); });
    ASSERT_TRUE(r.Ok());
    // Each reading of the clock costs 300 ms here: a second has passed after
    // records 3 and 7.
    EXPECT_EQ(percents, (std::vector<int>{30, 70}));
}

TEST(MeasurementReader, FilesThatCannotBeLoadedSayWhy)
{
    TempFolder dir;
    VirtualClock clock;
    auto errorFor = [&](const std::string& name, const std::string& text) {
        WriteWholeFile(dir / name, text);
        return LoadMeasurementFile(dir / name, clock).Error;
    };
    const std::string prefix = "The file " + (dir / "");

    EXPECT_EQ(LoadMeasurementFile(dir / "missing.txt", clock).Error,
              prefix + "missing.txt could not be loaded: open failed: No such file or directory (error 2).");
    EXPECT_EQ(LoadMeasurementFile(dir.path().string(), clock).Error,
              "The file " + dir.path().string() + " could not be loaded: it is not a plain file.");
    EXPECT_EQ(errorFor("empty.txt", ""), prefix + "empty.txt could not be loaded: it is empty.");
    EXPECT_EQ(errorFor("title.txt", "; just a title\r\n"),
              prefix + "title.txt could not be loaded: it holds a title line and no data.");

    // A line of a million separators.
    EXPECT_EQ(errorFor("commas.csv", "; t\n1," + std::string(1'000'000, ',') + "\n"),
              prefix + "commas.csv could not be loaded: line 2 is longer than 4096 characters.");
    std::string wide = "; t\n1\n";
    for (int i = 0; i < 100; ++i)
        wide += "1,";
    EXPECT_EQ(errorFor("wide.csv", wide), prefix + "wide.csv could not be loaded: line 3 has more than 64 columns.");

    // Many short lines, then one as wide as allowed: too many values.
    std::string tall = "; t\n";
    for (int i = 0; i < 300'000; ++i)
        tall += "0\n";
    for (int i = 0; i < 63; ++i)
        tall += "1,";
    tall += "1\n";
    EXPECT_EQ(errorFor("tall.txt", tall),
              prefix + "tall.txt could not be loaded: line 300002 makes 64 channels of 300001 records, "
                       "more than the 16777216 values a graph holds.");

    // A huge file is refused by its size, before anything is read.
    const std::string huge = dir / "huge.txt";
    WriteWholeFile(huge, "; t\n");
    ASSERT_EQ(::truncate(huge.c_str(), off_t(kMaxFileBytes) + 1), 0);
    EXPECT_EQ(LoadMeasurementFile(huge, clock).Error,
              "The file " + huge + " could not be loaded: it is larger than 64 MiB, the most a measurement "
                                   "file may hold.");

    // After all that, loading works as before.
    EXPECT_EQ(errorFor("ok.txt", "; t\n1\t2\n"), "");
}

TEST(MeasurementWriter, AFailedSaveSaysWhyAndLeavesTheTapeAlone)
{
    TempFolder dir;
    const TZorTape tape = FourRecordTape();
    const Rows before = TapeRows(tape);

    const SaveResult full = WriteMeasurements("/dev/full", tape, Settings());
    EXPECT_EQ(full.Error,
              "The measurements could not be saved to /dev/full: write failed: No space left on device (error 28).");

    const SaveResult missing = WriteMeasurements(dir / "gone/x.txt", tape, Settings());
    EXPECT_EQ(missing.Error, "The measurements could not be saved to " + (dir / "gone/x.txt") +
                                 ": open failed: No such file or directory (error 2).");

    // A file that another writer holds is neither truncated nor written.
    const std::string held = dir / "held.txt";
    OutputFile other;
    ASSERT_TRUE(other.Open(held));
    other.WriteLine("someone else's");
    const SaveResult busy = WriteMeasurements(held, tape, Settings());
    EXPECT_NE(busy.Error.find("flock failed: Resource temporarily unavailable"), std::string::npos) << busy.Error;
    EXPECT_EQ(ReadWholeFile(held), "someone else's\r\n");

    EXPECT_EQ(TapeRows(tape), before);
    EXPECT_TRUE(WriteMeasurements(dir / "fine.txt", tape, Settings()).Ok());
}
