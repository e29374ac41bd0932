// The measurement file layer: the field and metadata format, the writer, the
// reader, and the output file beneath them.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <unistd.h>
#include <csignal>
#include <optional>

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "graphwin/MeasurementFormat.h"
#include "graphwin/MeasurementReader.h"
#include "graphwin/MeasurementWriter.h"
#include "graphwin/MyFile.h"
#include "support/SteppingClock.h"

namespace vx {

namespace {

using Rows = std::vector<std::vector<int>>;

// Record r gets rows[r][k] in channel k, as live readings fill a tape.
void FillTape(TZorTape& tape, const Rows& rows) {
    for (const auto& row : rows)
        for (std::size_t k = 0; k < row.size(); ++k) tape.DataPointCh(std::uint32_t(k), row[k]);
}

// The codes of channels 0 to NumChannels - 1 for every record; slots that no
// value reached read as 0.
Rows TapeRows(const TZorTape& tape) {
    Rows rows(tape.NumRecords(), std::vector<int>(std::size_t(tape.GetNumChannels())));
    for (std::uint32_t r = 0; r < tape.NumRecords(); ++r)
        for (int c = 0; c < tape.GetNumChannels(); ++c)
            if (tape.Channels[c].Data.IsAllocated(int(r))) rows[r][std::size_t(c)] = tape.Channels[c].Data[int(r)];
    return rows;
}

SaveSettings Settings(char separator = '\t', bool header = false, bool lineNumbers = false) {
    return {"Real Time Data", 0, {}, separator, header, lineNumbers};
}

using Strings = std::vector<std::string>;

Strings Fields(std::string_view line, std::size_t maxFields = 64) {
    std::vector<std::string_view> views;
    SplitFields(line, views, maxFields);
    return {views.begin(), views.end()};
}

}  // namespace

TEST(MeasurementFormat, NamesIntegersAndFieldsOfAFile) {
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
    for (const auto& [line, fields] : splits) EXPECT_EQ(Fields(line), fields) << line;
    // Splitting stops one field past the limit, so the caller can tell.
    EXPECT_EQ(Fields("1,2,3,4,5,6", 3).size(), 4u);
}

TEST(MeasurementFormat, MetadataLineAndItsParsing) {
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

TEST(MeasurementFormat, TheWritersHeaderLineIsRecognised) {
    bool numbered = true;
    EXPECT_TRUE(IsHeaderLine(" Measurements from Vanto Evaluation Kit", numbered) && !numbered);
    EXPECT_TRUE(IsHeaderLine("Line\tMeasurements from Vanto Evaluation Kit", numbered) && numbered);
    for (const char* other : {"Line Measurements from Vanto Evaluation Kit", "Measurements", "1,2"})
        EXPECT_FALSE(IsHeaderLine(other, numbered)) << other;
}

// Each file holds what the options ask for, loads back into the same
// channels, records and values, and saves again to the same bytes.
TEST(MeasurementFiles, WrittenAsAskedAndLoadedBackAsTheyWere) {
    TempFolder dir;
    VirtualClock clock;
    TZorTape four(1, 4);
    FillTape(four, {{10, 20}, {11, 21}, {12, 22}, {13, 23}});
    TZorTape gap(1, 3);  // record 2 is never reached: its slots hold what the tape holds there
    FillTape(gap, {{9, -2048, 9, 2047}, {5, -6, 7, 8}});
    gap.Channels[0].Enabled = gap.Channels[2].Enabled = false;
    const auto cursor = std::pair(gap.ThisRecord(), gap.ThisChannel());
    const SaveSettings sub{"two\r\nlines", 3, {2047, -2048}, ',', true, false};
    const struct {
        const TZorTape& tape;
        SaveSettings settings;
        const char* bytes;
    } cases[] = {
        {four, Settings(',', true, true),
         "; Real Time Data\r\n;~ MaxPossibleCode=4095 MinPossibleCode=0\r\n"
         "Line,Measurements from Vanto Evaluation Kit\r\n"
         "0,10,20\r\n1,11,21\r\n2,12,22\r\n3,13,23\r\n"},
        {four, sub,
         "; two  lines\r\n;~ SubLsbs=3 MaxPossibleCode=2047 MinPossibleCode=-2048\r\n"
         "Measurements from Vanto Evaluation Kit\r\n10,20\r\n11,21\r\n12,22\r\n13,23\r\n"},
        // The metadata names the saved channels and the line-number column;
        // channel 0, not saved, leaves an empty first column.
        {gap, Settings('\t', false, true),
         "; Real Time Data\r\n"
         ";~ MaxPossibleCode=4095 MinPossibleCode=0 Channels=1,3 LineNumbers=1\r\n"
         "0\t\t-2048\t2047\r\n1\t\t-6\t8\r\n2\t\t0\t0\r\n"},
        {gap, Settings(',', true, false),
         "; Real Time Data\r\n"
         ";~ MaxPossibleCode=4095 MinPossibleCode=0 Channels=1,3\r\n"
         "Measurements from Vanto Evaluation Kit\r\n,-2048,2047\r\n,-6,8\r\n,0,0\r\n"},
    };
    const std::string first = dir / "first.txt", second = dir / "second.txt";
    for (auto c : cases) {
        ASSERT_TRUE(WriteMeasurements(first, c.tape, c.settings).Ok());
        EXPECT_EQ(ReadWholeFile(first), c.bytes);
        const LoadResult loaded = LoadMeasurementFile(first, clock);
        ASSERT_TRUE(loaded.Ok()) << loaded.Error;
        c.settings.Caption = loaded.Data.Title;
        ASSERT_TRUE(WriteMeasurements(second, loaded.Data.Tape, c.settings).Ok());
        EXPECT_EQ(ReadWholeFile(second), c.bytes);
    }
    // Saving must not move the cursor, or the next live reading would
    // overwrite records out of turn.
    EXPECT_EQ(std::pair(gap.ThisRecord(), gap.ThisChannel()), cursor);
}

TEST(MeasurementReader, HandWrittenFilesLoadByTheSplittingRules) {
    // Mixed separators, leading spaces, a letter, a trailing TAB, blank lines
    // and all three kinds of line end. (The metadata's meaning: the window's
    // load.)
    VirtualClock clock;
    auto LoadText = [&](std::string_view text) { return ParseMeasurements(text, clock); };
    const LoadResult r = LoadText(
        "; My Title  \r\n"
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
    EXPECT_EQ(TapeRows(r.Data.Tape), (Rows{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {0, 12, 0}, {0, 5, 0}, {3, 0, 0}}));

    // A metadata line with no title line before it is the title, and no metadata.
    const LoadResult noTitle = LoadText(";~ MaxPossibleCode=2047\n5\n");
    EXPECT_EQ(noTitle.Data.Title, "~ MaxPossibleCode=2047");
    EXPECT_FALSE(noTitle.Data.HasMetadata);

    const std::pair<std::string, Rows> cases[] = {
        {std::string("1,2\n3,4\n\0"
                     "5,6\n",
                     13),
         {{1, 2}, {3, 4}}},                                    // nothing after a NUL is read
        {"1\n2\n3,4\n5\n", {{1, 0}, {2, 0}, {3, 4}, {5, 0}}},  // a channel met late
        // Without the writer's notes, a disabled channel 0 leaves an empty
        // first column that loads as 0.
        {"; t\n;~ MaxPossibleCode=1\n\t20\n\t21\n", {{0, 20}, {0, 21}}},
        {"\xEF\xBB\xBF"
         "7,8\n",
         {{7, 8}}},  // a UTF-8 byte-order mark is no part of the first value
    };
    for (const auto& [text, rows] : cases) {
        const LoadResult loaded = LoadText(text);
        EXPECT_EQ(TapeRows(loaded.Data.Tape), rows) << text;
        EXPECT_EQ(loaded.Data.Tape.ThisRecord(), rows.size() - 1);
    }
}

TEST(MeasurementReader, ReportsProgressOncePerSecondOfLoading) {
    const std::string text = "; t\n0\n1\n2\n3\n4\n5\n6\n7\n8\n9\n";
    SteppingClock clock(300'000);
    std::vector<int> percents;
    ParseMeasurements(text, clock, [&](int p) { percents.push_back(p); });
    // Each reading of the clock costs 300 ms here: a second has passed after
    // records 3 and 7.
    EXPECT_EQ(percents, (std::vector<int>{30, 70}));
}

TEST(MeasurementReader, FilesThatCannotBeLoadedSayWhy) {
    TempFolder dir;
    VirtualClock clock;
    std::string tall = "; t\n";  // many short lines, then one as wide as allowed
    for (int i = 0; i < 300'000; ++i) tall += "0\n";
    tall += "1" + std::string(63, ',') + "\n";
    const std::string utf16 = "not a text file the program reads (it looks like UTF-16; save it as UTF-8 or ASCII)";
    const std::pair<std::string, std::string> cases[] = {
        {"", "it is empty"},
        {"; just a title\r\n", "it holds a title line and no data"},
        {std::string("\xFF\xFE"
                     "1\0\n\0",
                     6),
         "it is " + utf16},  // with its byte-order mark
        {std::string("1\0,\0"
                     "2\0",
                     6),
         "it is " + utf16},  // without
        {"; t\n1," + std::string(1'000'000, ',') + "\n", "line 2 is longer than 4096 characters"},
        {"; t\n1\n" + std::string(100, ','), "line 3 has more than 64 columns"},
        {tall, "line 300002 makes 64 channels of 300001 records, more than the 16777216 values a graph holds"},
        {"; t\n1\t2\n", ""},  // after all that, loading works as before
    };
    const std::string path = dir / "m.txt";
    for (const auto& [text, why] : cases) {
        WriteWholeFile(path, text);
        const std::string expected = "The file " + path + " could not be loaded: " + why + ".";
        EXPECT_EQ(LoadMeasurementFile(path, clock).Error, why.empty() ? "" : expected);
    }
    // A file whose size is not what its reading gave (the kernel's files
    // report size 0, as a file still being written would report less), and a
    // huge file, refused by its size before anything is read.
    const std::string huge = dir / "huge.txt";
    WriteWholeFile(huge, "");
    ASSERT_EQ(::truncate(huge.c_str(), off_t(kMaxFileBytes) + 1), 0);
    const std::pair<std::string, std::string> unreadable[] = {
        {dir / "missing.txt", "open failed: No such file or directory (error 2)"},
        {dir.path().string(), "it is not a plain file"},
        {"/proc/self/status", "it changed size while it was being read; load it again once it is complete"},
        {huge, "it is larger than 64 MiB, the most a measurement file may hold"},
    };
    for (const auto& [where, why] : unreadable)
        EXPECT_EQ(LoadMeasurementFile(where, clock).Error, "The file " + where + " could not be loaded: " + why + ".");

    // Limits that make no sense are ignored, and the user is told.
    WriteWholeFile(path, "; t\n;~ MaxPossibleCode=1 MinPossibleCode=5\n1\n");
    const LoadResult odd = LoadMeasurementFile(path, clock);
    EXPECT_EQ(odd.Warning, "The file " + path +
                               " was loaded, but its MaxPossibleCode 1 is below its "
                               "MinPossibleCode 5, so both are ignored.");
    EXPECT_FALSE(odd.Data.Metadata.MaxPossibleCode || odd.Data.Metadata.MinPossibleCode);
}

// A save that fails for any reason says why, keeps the earlier file as it
// was, leaves nothing else in the folder and never waits.
TEST(MeasurementWriter, AFailedSaveKeepsTheEarlierFileAndLeavesNoDebris) {
    TempFolder dir;
    TZorTape tape(1, 4);
    FillTape(tape, {{10, 20}});
    const std::string old = dir / "old.txt", prefix = "The measurements could not be saved to ";
    WriteWholeFile(old, "earlier\r\n");
    auto saveTo = [&](const std::string& path) { return WriteMeasurements(path, tape, Settings()).Error; };
    auto files = [&] { return std::distance(std::filesystem::directory_iterator(dir.path()), {}); };

    {
        // The disk fills up halfway through: the size limit makes the
        // second write fail as a full disk would.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit small{40, saved.rlim_max};
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const std::string oldError = saveTo(old), newError = saveTo(dir / "new.txt");
        ::setrlimit(RLIMIT_FSIZE, &saved);
        EXPECT_EQ(oldError, prefix + old + ": write failed: File too large (error 27).");
        EXPECT_NE(newError, "");
    }
    EXPECT_EQ(saveTo(dir / "gone/x.txt"),
              prefix + (dir / "gone/x.txt") + ": open failed: No such file or directory (error 2).");

    // A named pipe with no reader is refused at once.
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(saveTo(dir / "pipe"), prefix + (dir / "pipe") + ": it is not a plain file.");

    // A file that another program holds, with flock or with lockf, is left untouched.
    {
        InOutFile other(O_WRONLY, 0);
        ASSERT_TRUE(other.Open(old));
        EXPECT_EQ(saveTo(old), prefix + old + ": flock failed: Resource temporarily unavailable (error 11).");
    }
    const int fd = ::open(old.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::lockf(fd, F_TLOCK, 0), 0);
    EXPECT_EQ(saveTo(old), prefix + old + ": fcntl failed: Resource temporarily unavailable (error 11).");
    ::close(fd);
    EXPECT_EQ(ReadWholeFile(old), "earlier\r\n");
    EXPECT_EQ(files(), 2) << "old.txt and the pipe";

    // Free again, the save replaces the file, through a link to it, and
    // keeps its permissions.
    ::chmod(old.c_str(), 0640);
    std::filesystem::create_symlink(old, dir / "link");
    EXPECT_EQ(saveTo(dir / "link"), "");
    EXPECT_EQ(ReadWholeFile(old).substr(0, 16), "; Real Time Data");
    EXPECT_EQ(std::filesystem::status(old).permissions(), std::filesystem::perms(0640));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link"));
    EXPECT_EQ(files(), 3) << "and the link";
}

// Lines end in CR LF and reach the file at once; other text waits for 512
// characters, a flush or Close, and is cut at a NUL.
TEST(OutputFile, LinesReachTheFileAtOnceAndOtherTextInBatches) {
    TempFolder dir;
    const std::string path = dir / "lines.txt";
    WriteWholeFile(path, "old content that must go\n");

    OutputFile file;
    ASSERT_TRUE(file.Open(path));
    file.WriteLine("first");
    file.WriteLine(std::string("second"));
    EXPECT_EQ(ReadWholeFile(path), "first\r\nsecond\r\n");
    EXPECT_EQ(file.LinesWritten, 2);
    file.Write(std::string(511, 'a'));
    EXPECT_EQ(std::filesystem::file_size(path), 15u);
    file.Write("b");  // 512 waiting: out they go
    EXPECT_EQ(std::filesystem::file_size(path), 15u + 512u);
    file.Write(std::string("kept\0dropped", 12));
    EXPECT_TRUE(file.Close() && file.LinesWritten == 0);
    EXPECT_EQ(ReadWholeFile(path).substr(527), "kept");

    // A flush after the handle was released appends to what is there.
    ASSERT_TRUE(file.Open(path));
    file.WriteLine("third");
    file.ReleaseHandle();
    file.WriteLine("fourth");
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(ReadWholeFile(path), "third\r\nfourth\r\n");

    // Destroyed without Close: only the buffered text is lost.
    {
        OutputFile unclosed;
        ASSERT_TRUE(unclosed.Open(path));
        unclosed.WriteLine("written");
        unclosed.Write("buffered only");
    }
    EXPECT_EQ(ReadWholeFile(path), "written\r\n");
}

// (A file that cannot be opened is the measurement writer's test.)
TEST(OutputFile, FailuresCarryTheSystemReasonToTheCaller) {
    // A full device: the open works, the first write fails, and nothing
    // later is appended behind the gap.
    OutputFile full;
    ASSERT_TRUE(full.Open("/dev/full"));
    full.WriteLine("lost");
    EXPECT_TRUE(full.Failed());
    EXPECT_FALSE(full.Flush());
    EXPECT_FALSE(full.Close());
    EXPECT_EQ(full.Error()->Describe(), "write failed: No space left on device (error 28)");

    // The next Open starts clean.
    EXPECT_TRUE(full.Open("/dev/null"));
    EXPECT_FALSE(full.Failed());
    EXPECT_TRUE(full.Close());
}

}  // namespace vx
