// S-record lines and the shipped loader files.
#include "graphwin/TempFolder.h"
#include "platform/ProcessOutput.h"
#include "sim/LoaderImage.h"
#include "sim/SRecord.h"

#include <gtest/gtest.h>

namespace vx {

// The shipped files are parsed by every download and formatted by their generator.
TEST(SRecord, ParsesChecksAndFormatsRecords) {
    EXPECT_TRUE(parseSRecord("S9030000fc")->isEnd()) << "hex digits in either case";
    // Lower-case S, checksum, count, type, too short.
    for (const char* bad : {"s9030000fc", "S9030000FD", "S9040000FC", "S6030000FC", "S9", ""})
        EXPECT_FALSE(parseSRecord(bad)) << bad;

    const SRecord record{'3', 0x12345678, {1, 2, 3}};
    const auto back = parseSRecord(formatSRecord(record));
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->address == 0x12345678u && back->data == record.data);
}

// That each file loads and runs on its kind of board is seen end to end.
TEST(LoaderFiles, ShippedFilesAreTheGeneratorsOutputAndPassSrecInfo) {
    const bool srecInfo = RunForOutput({"srec_info", "--version"}).exitCode == 0;
    for (ModuleKind kind : {ModuleKind::Arbord, ModuleKind::Brant, ModuleKind::Cobalt, ModuleKind::Cobalt16Wide}) {
        const std::string path = std::string(VX_LOADER_DIR) + "/" + loaderFileName(kind);
        EXPECT_EQ(ReadWholeFile(path), loaderFileText(kind)) << loaderFileName(kind) << ": run scripts/make-loaders.sh";
        if (srecInfo) {
            EXPECT_EQ(RunForOutput({"srec_info", path}, true).exitCode, 0) << path;
        }
    }
}

}  // namespace vx
