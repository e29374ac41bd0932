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

}  // namespace

// Tab-separated without header, and comma-separated with header and line
// numbers; Debian's python3 first (python3-pandas installs there).
TEST(ForeignReaders, PythonCsvAndPandasReadWrittenFilesAsIntegers)
{
    TempFolder dir;
    TZorTape tape(1, 3);
    FillTape(tape, {{-2048, 0, 2047}, {5, -6, 7}, {4095, 1, 0}});
    for (const char* reader : {"csv", "pandas"}) {
        std::string python;
        for (const char* candidate : {"/usr/bin/python3", "python3"})
            if (python.empty() && RunForOutput({candidate, "-c", std::string("import ") + reader}, true).exitCode == 0)
                python = candidate;
        if (python.empty())
            GTEST_SKIP() << "python3 with the " << reader << " module is not installed; scripts/deps.sh installs it";
        std::vector<std::string> args{python, "-c", kReadScript, reader};
        for (const bool numbered : {false, true}) {
            SaveSettings settings;
            settings.Caption = "Real Time Data";
            settings.SubLsbs = 2;
            settings.Limits = {2047, -2048};
            settings.Separator = numbered ? ',' : '\t';
            settings.SaveHeaderLine = settings.SaveLineNumbers = numbered;
            const std::string path = dir / (numbered ? "numbered.csv" : "plain.txt");
            ASSERT_TRUE(WriteMeasurements(path, tape, settings).Ok());
            args.insert(args.end(), {path, numbered ? "comma" : "tab", numbered ? "3" : "2"});
        }
        const ProcessOutput r = RunForOutput(args, true);
        EXPECT_EQ(r.exitCode, 0) << r.output;
        EXPECT_EQ(r.output, "-2048 0 2047\n5 -6 7\n4095 1 0\n--\n0 -2048 0 2047\n1 5 -6 7\n2 4095 1 0\n--\n") << reader;
    }
}
