#pragma once
// Writes a record tape as a measurement file: a title line, a metadata line,
// an optional header line and one line per record, each ended by CR LF.
#include <string>

#include "graph/ZorTape.h"
#include "graphwin/MeasurementFormat.h"

namespace vx {

// What the graph window passes in besides its tape.
struct SaveSettings {
    std::string Caption;    // the window's caption, for the title line
    int SubLsbs = 0;        // the window's Sub-LSBs setting
    CodeLimits Limits;      // the main window's MaxCode and MinCode
    char Separator = '\t';  // SeparatorForFilter of the chosen file type
    bool SaveHeaderLine = false;
    bool SaveLineNumbers = false;
};

struct SaveResult {
    bool Ok() const { return Error.empty(); }
    std::string Error;  // a whole sentence with the system's reason
};

// Records 0 to NumRecords - 1 in storage order; each enabled channel a column.
// The tape is only read: its cursor stays where live data left it. The file
// is replaced only by a complete new version: a failed save keeps the old one.
SaveResult WriteMeasurements(const std::string& path, const TZorTape& tape, const SaveSettings& settings);

}  // namespace vx
