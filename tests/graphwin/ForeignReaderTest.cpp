// Files the program writes must read correctly in readers no one here wrote:
// Python's csv module and pandas.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "graphwin/MeasurementWriter.h"
#include "platform/ProcessOutput.h"
#include "TapeHelpers.h"
#include "TempFolder.h"

namespace {

// Standard output and standard error together.
ProcessOutput Run(const std::vector<std::string>& args) { return RunForOutput(args, true); }

// Debian's python3 first (python3-pandas installs there), then the one on PATH.
std::string FindPython(const char* needModule)
{
    for (const char* candidate : {"/usr/bin/python3", "python3"}) {
        const ProcessOutput r = Run({candidate, "-c", std::string("import ") + needModule});
        if (r.started && r.exitCode == 0)
            return candidate;
    }
    return {};
}

// Arguments: the reader, then a path, "tab" or "comma" and the lines to skip
// for each file. Prints each file's data rows, one per line, values separated
// by single spaces, and "--" after each file. pandas must see integers.
constexpr const char* kReadScript = R"(
import sys
reader, args = sys.argv[1], sys.argv[2:]
for i in range(0, len(args), 3):
    path, sep, skip = args[i], '\t' if args[i + 1] == 'tab' else ',', int(args[i + 2])
    if reader == 'csv':
        import csv
        with open(path, newline='') as f:
            rows = [[int(v) for v in row] for row in list(csv.reader(f, delimiter=sep))[skip:]]
    else:
        import pandas
        frame = pandas.read_csv(path, sep=sep, header=None, skiprows=skip)
        for kind in frame.dtypes:
            assert str(kind) == 'int64', frame.dtypes
        rows = frame.values.tolist()
    for row in rows:
        print(' '.join(str(v) for v in row))
    print('--')
)";

struct Case {
    const char* name;
    char separator;
    bool header;
    bool lineNumbers;
    const char* expected;
};

const Case kCases[] = {
    {"tab.txt", '\t', false, false, "-2048 0 2047\n5 -6 7\n4095 1 0\n"},
    {"plain.csv", ',', false, false, "-2048 0 2047\n5 -6 7\n4095 1 0\n"},
    {"numbered.csv", ',', true, true, "0 -2048 0 2047\n1 5 -6 7\n2 4095 1 0\n"},
    {"numbered.txt", '\t', true, true, "0 -2048 0 2047\n1 5 -6 7\n2 4095 1 0\n"},
};

void CheckReader(const char* reader, const char* module)
{
    const std::string python = FindPython(module);
    if (python.empty())
        GTEST_SKIP() << "python3 with the " << module << " module is not installed (Debian: python3"
                     << (std::string(module) == "pandas" ? "-pandas" : "") << "); scripts/deps.sh installs it";

    TempFolder dir;
    TZorTape tape(1, 3);
    FillTape(tape, {{-2048, 0, 2047}, {5, -6, 7}, {4095, 1, 0}});
    std::vector<std::string> args{python, "-c", kReadScript, reader};
    std::string expected;
    for (const Case& c : kCases) {
        SaveSettings settings;
        settings.Caption = "Real Time Data";
        settings.SubLsbs = 2;
        settings.Limits = {2047, -2048};
        settings.Separator = c.separator;
        settings.SaveHeaderLine = c.header;
        settings.SaveLineNumbers = c.lineNumbers;
        const std::string path = dir / c.name;
        ASSERT_TRUE(WriteMeasurements(path, tape, settings).Ok());

        args.insert(args.end(), {path, c.separator == ',' ? "comma" : "tab", c.header ? "3" : "2"});
        expected += std::string(c.expected) + "--\n";
    }
    const ProcessOutput r = Run(args);
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output, expected);
}

}  // namespace

TEST(ForeignReaders, PythonCsvModuleReadsWrittenFiles)
{
    CheckReader("csv", "csv");
}

TEST(ForeignReaders, PandasReadsWrittenFilesAsIntegers)
{
    CheckReader("pandas", "pandas");
}
