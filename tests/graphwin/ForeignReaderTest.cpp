// Files the program writes must read correctly in readers no one here wrote:
// Python's csv module and pandas (python3-pandas, which scripts/deps.sh installs).
#include <gtest/gtest.h>

#include "TapeHelpers.h"
#include "TempFolder.h"
#include "graphwin/MeasurementWriter.h"
#include "platform/ProcessOutput.h"

namespace {

// Arguments: a path, "tab" or "comma" and the lines to skip for each file.
// Prints each file's data rows, values separated by single spaces, and "--"
// after each file. Both readers must see the same integers.
constexpr const char* kReadScript = R"(
import csv, sys, pandas
for path, sep, skip in zip(*[iter(sys.argv[1:])] * 3):
    sep, skip = '\t' if sep == 'tab' else ',', int(skip)
    with open(path, newline='') as f:
        rows = [[int(v) for v in row] for row in list(csv.reader(f, delimiter=sep))[skip:]]
    frame = pandas.read_csv(path, sep=sep, header=None, skiprows=skip)
    assert all(str(kind) == 'int64' for kind in frame.dtypes), frame.dtypes
    assert frame.values.tolist() == rows, (frame, rows)
    print('\n'.join(' '.join(str(v) for v in row) for row in rows) + '\n--')
)";

}  // namespace

// Tab-separated without header, and comma-separated with header and line numbers.
TEST(ForeignReaders, PythonCsvAndPandasReadWrittenFilesAsIntegers)
{
    TempFolder dir;
    TZorTape tape(1, 3);
    FillTape(tape, {{-2048, 0, 2047}, {5, -6, 7}, {4095, 1, 0}});
    std::vector<std::string> args{"/usr/bin/python3", "-c", kReadScript};
    for (const bool numbered : {false, true}) {
        SaveSettings settings{"Real Time Data", 2, {2047, -2048}, numbered ? ',' : '\t', numbered, numbered};
        const std::string path = dir / (numbered ? "numbered.csv" : "plain.txt");
        ASSERT_TRUE(WriteMeasurements(path, tape, settings).Ok());
        args.insert(args.end(), {path, numbered ? "comma" : "tab", numbered ? "3" : "2"});
    }
    const ProcessOutput r = RunForOutput(args, true);
    EXPECT_EQ(r.output, "-2048 0 2047\n5 -6 7\n4095 1 0\n--\n0 -2048 0 2047\n1 5 -6 7\n2 4095 1 0\n--\n");
}
