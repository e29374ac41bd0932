#pragma once
// Opening the help file, "HELPFILE.HTM" beside the executable, in the user's
// browser. Three tries in turn: the desktop's handler for the file, then
// "xdg-open FILE", then "x-www-browser FILE"; each program is started with an
// argument vector, never through a shell. A missing file is reported at once;
// other failures fall through to the next try. When no browser starts, the
// program shows the file in a window of its own; only when it cannot do that
// either is the last failure reported.
#include <functional>
#include <string>
#include <vector>

namespace vx {

class Dialogs;

class Launcher {
public:
    virtual ~Launcher() = default;
    // 0 when the desktop took the document, else an errno-style code.
    virtual int openDocument(const std::string& path) = 0;
    // 0 when the program started, else an errno-style code.
    virtual int start(const std::vector<std::string>& argv) = 0;
};

class HelpIndex {
public:
    static constexpr const char* FileName = "HELPFILE.HTM";

    // The help file's path: the executable's folder and FileName, or the
    // installed data folder's when only that one has it.
    static std::string helpFilePath(const std::string& executablePath);

    // The command lines tried, as the failure report names them.
    static std::vector<std::string> commandLine(int attempt, const std::string& helpFile);

    // Shows the help file inside the program; false when it could not.
    using ShowInProgram = std::function<bool(const std::string& helpFile)>;

    // Opens the help file; returns true when a try or the program's own
    // window showed it.
    static bool open(const std::string& helpFile, Launcher& launcher, Dialogs& dialogs,
                     const ShowInProgram& showInProgram = {});
};

// "VX7318 Evaluation Software" and the build's date, time and compiler.
std::string AboutText();

}  // namespace vx
