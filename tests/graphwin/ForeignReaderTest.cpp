// Files the program writes must read correctly in readers no one here wrote:
// Python's csv module and pandas.
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "graphwin/MeasurementWriter.h"
#include "TapeHelpers.h"
#include "TempFolder.h"

namespace {

struct ProcessResult {
    int exitCode = -1;
    std::string output;  // standard output and standard error together
};

// Runs a command line whose words need no quoting and collects what it prints.
ProcessResult Run(const std::string& command)
{
    ProcessResult result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;)
        result.output.append(buf, n);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// Debian's python3 first (python3-pandas installs there), then the one on PATH.
std::string FindPython(const char* needModule)
{
    for (const char* candidate : {"/usr/bin/python3", "python3"})
        if (Run(std::string(candidate) + " -c 'import " + needModule + "'").exitCode == 0)
            return candidate;
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
    WriteWholeFile(dir / "read.py", kReadScript);
    std::string command = python + " " + (dir / "read.py") + " " + reader;
    std::string expected;
    for (const Case& c : kCases) {
        SaveSettings settings;
        settings.SubLsbs = 2;
        settings.Limits = {2047, -2048};
        settings.Separator = c.separator;
        settings.SaveHeaderLine = c.header;
        settings.SaveLineNumbers = c.lineNumbers;
        const std::string path = dir / c.name;
        ASSERT_TRUE(WriteMeasurements(path, tape, settings).Ok());

        command += " " + path + (c.separator == ',' ? " comma " : " tab ") + (c.header ? "3" : "2");
        expected += std::string(c.expected) + "--\n";
    }
    const ProcessResult r = Run(command);
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
