#include <gtest/gtest.h>

#include "graphwin/MyFile.h"
#include "graphwin/TempFolder.h"

// Lines end in CR LF and reach the file at once; other text waits for 512
// characters, a flush or Close, and is cut at a NUL.
TEST(OutputFile, LinesReachTheFileAtOnceAndOtherTextInBatches)
{
    TempFolder dir;
    const std::string path = dir / "lines.txt";
    WriteWholeFile(path, "old content that must go\n");

    OutputFile file;
    ASSERT_TRUE(file.Open(path));
    file.WriteLine("first");
    file.WriteLine(std::string("second"));
    EXPECT_EQ(ReadWholeFile(path), "first\r\nsecond\r\n");
    file.Write(std::string(511, 'a'));
    EXPECT_EQ(std::filesystem::file_size(path), 15u);
    file.Write("b");  // 512 waiting: out they go
    EXPECT_EQ(std::filesystem::file_size(path), 15u + 512u);
    file.Write(std::string("kept\0dropped", 12));
    EXPECT_TRUE(file.Close());
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
TEST(OutputFile, FailuresCarryTheSystemReasonToTheCaller)
{
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
