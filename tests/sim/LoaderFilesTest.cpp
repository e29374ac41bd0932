// S-record lines and the shipped loader files.
#include "platform/ProcessOutput.h"
#include "sim/LoaderImage.h"
#include "sim/ResidentFirmware.h"
#include "sim/SRecord.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

const ModuleKind kinds[] = {ModuleKind::Arbord, ModuleKind::Brant, ModuleKind::Cobalt, ModuleKind::Cobalt16Wide};

}  // namespace

TEST(SRecord, ParsesChecksAndFormatsRecords) {
    const auto patch = parseSRecord(ResidentFirmware::PatchLine);
    ASSERT_TRUE(patch);
    EXPECT_EQ(patch->type, '2');
    EXPECT_EQ(patch->address, 0x010000u);
    EXPECT_EQ(patch->data.size(), 18u);
    EXPECT_FALSE(patch->isEnd());
    EXPECT_EQ(formatSRecord(*patch), ResidentFirmware::PatchLine);

    const auto end = parseSRecord("S9030000FC");
    ASSERT_TRUE(end);
    EXPECT_TRUE(end->isEnd());
    EXPECT_TRUE(parseSRecord("s9030000fc") == std::nullopt) << "upper-case S only";
    EXPECT_TRUE(parseSRecord("S9030000fc")) << "hex digits in either case";
    EXPECT_FALSE(parseSRecord("S9030000FD")) << "checksum";
    EXPECT_FALSE(parseSRecord("S9040000FC")) << "count";
    EXPECT_FALSE(parseSRecord("S6030000FC")) << "type";
    EXPECT_FALSE(parseSRecord("S9"));
    EXPECT_FALSE(parseSRecord(""));

    const SRecord record{'3', 0x12345678, {1, 2, 3}};
    const auto back = parseSRecord(formatSRecord(record));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->address, 0x12345678u);
    EXPECT_EQ(back->data, record.data);
}

TEST(LoaderFiles, ShippedFilesAreTheGeneratorsOutputCarryTheirSignatureAndPassSrecInfo) {
    const bool srecInfo = RunForOutput({"srec_info", "--version"}).exitCode == 0;
    for (ModuleKind kind : kinds) {
        const std::string path = std::string(VX_LOADER_DIR) + "/" + loaderFileName(kind);
        const std::string text = readFile(path);
        EXPECT_EQ(text, loaderFileText(kind)) << loaderFileName(kind) << ": run scripts/make-loaders.sh";
        if (srecInfo) {
            EXPECT_EQ(RunForOutput({"srec_info", path}, true).exitCode, 0) << path;
        }

        std::istringstream lines(text);
        std::string line, data;
        int count = 0;
        char last = 0;
        while (std::getline(lines, line)) {
            const auto record = parseSRecord(line);
            ASSERT_TRUE(record) << line;
            if (record->isData()) data.append(record->data.begin(), record->data.end());
            last = record->type;
            ++count;
        }
        EXPECT_GE(count, 24);
        EXPECT_LE(count, 60);
        EXPECT_TRUE(last == '9' || last == '8');
        EXPECT_NE(data.find(applicationSignature(kind)), std::string::npos);
    }
}
