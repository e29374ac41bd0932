#include "app/HelpIndex.h"

#include <cerrno>
#include <cstring>

#include "app/ApplicationTitle.h"
#include "app/CommandLine.h"
#include "platform/Dialogs.h"

namespace vx {

std::string HelpIndex::helpFilePath(const std::string& executablePath) {
    const size_t slash = executablePath.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : executablePath.substr(0, slash);
    const std::string installed = (DataFolder(executablePath) / FileName).string();
    std::error_code error;
    if (!std::filesystem::exists(folder + "/" + FileName, error) && std::filesystem::exists(installed, error))
        return installed;
    return folder + "/" + FileName;
}

std::vector<std::string> HelpIndex::commandLine(int attempt, const std::string& helpFile) {
    switch (attempt) {
    case 0: return {helpFile};
    case 1: return {"xdg-open", helpFile};
    default: return {"x-www-browser", helpFile};
    }
}

bool HelpIndex::open(const std::string& helpFile, Launcher& launcher, Dialogs& dialogs,
                     const ShowInProgram& showInProgram) {
    constexpr int Tries = 3;
    std::vector<std::string> tried;
    int error = 0;
    bool fileMissing = false;
    for (int attempt = 0; attempt < Tries; ++attempt) {
        tried = commandLine(attempt, helpFile);
        error = attempt == 0 ? launcher.openDocument(helpFile) : launcher.start(tried);
        if (error == 0) return true;
        // No file: no other program will find it either.
        fileMissing = attempt == 0 && error == ENOENT;
        if (fileMissing) break;
    }
    // The file is there but no browser took it: "No such file" from a
    // missing browser would mislead, so show it here.
    if (!fileMissing && showInProgram && showInProgram(helpFile)) return true;
    std::string shown;
    for (const std::string& word : tried) shown += (shown.empty() ? "" : " ") + word;
    char reason[256];
    const std::string text =
        shown + "\nError " + std::to_string(error) + ": " + strerror_r(error, reason, sizeof reason);
    dialogs.message({text, ApplicationTitle, MsgButtons::Ok, MsgIcon::None, MsgAnswer::Ok});
    return false;
}

namespace {

std::string compilerName() {
#if defined(__clang__)
    return "clang " __clang_version__;
#elif defined(__GNUC__)
    return "GCC " __VERSION__;
#else
    return "an unknown compiler";
#endif
}

}  // namespace

std::string AboutText() {
    return std::string("VX7318 Evaluation Software\nLast compiled ") + __DATE__ + " " + __TIME__ + " under " +
           compilerName();
}

}  // namespace vx
