// Help's three tries and their report, and the program's command line.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/CommandLine.h"
#include "app/HelpIndex.h"
#include "support/ScriptedDialogs.h"

namespace vx {

namespace {

// Every try is kept; each returns the next scripted result, then 0.
struct FakeLauncher : Launcher {
    int openDocument(const std::string& path) override { return next({path}); }
    int start(const std::vector<std::string>& argv) override { return next(argv); }
    int next(const std::vector<std::string>& call) {
        tried.push_back(call);
        if (results.empty()) return 0;
        const int result = results.front();
        results.pop_front();
        return result;
    }
    std::deque<int> results;
    std::vector<std::vector<std::string>> tried;
};

TEST(HelpIndex, ThreeTriesAndTheReport) {
    EXPECT_EQ(HelpIndex::helpFilePath("/opt/kit/vx7318kit"), "/opt/kit/HELPFILE.HTM");
    const std::string help = "/opt/kit/HELPFILE.HTM";

    // The desktop opens it in one try; a missing file is reported at once;
    // other failures fall through to xdg-open and x-www-browser, each an
    // argument vector, and a try that works ends it. When none works, the
    // program's own window shows the file, and only if that fails too is the
    // last try reported.
    const std::string missing = "\nError 2: " + std::string(strerror(ENOENT));
    using Tries = std::vector<std::vector<std::string>>;
    const Tries all = {{help}, {"xdg-open", help}, {"x-www-browser", help}};
    // The launcher's results, does the window work; the tries, was the window used, the report.
    const std::tuple<std::deque<int>, bool, Tries, bool, std::string> cases[] = {
        {{}, true, {{help}}, false, ""},
        {{ENOENT}, true, {{help}}, false, help + missing},
        {{ENOEXEC, ENOENT, ENOENT}, true, all, true, ""},
        {{ENOEXEC, ENOENT, ENOENT}, false, all, true, "x-www-browser " + help + missing},
        {{ENOEXEC, 0}, true, {{help}, {"xdg-open", help}}, false, ""},
    };
    for (const auto& [results, windowWorks, tried, usedWindow, message] : cases) {
        FakeLauncher launcher;
        launcher.results = results;
        ScriptedDialogs dialogs;
        bool inWindow = false;
        const auto window = [&](const std::string& file) { return inWindow = file == help, windowWorks; };
        EXPECT_EQ(HelpIndex::open(help, launcher, dialogs, window), message.empty()) << message;
        EXPECT_EQ(std::pair(launcher.tried, inWindow), std::pair(tried, usedWindow)) << message;
        std::string shown;
        for (const MessageRequest& m : dialogs.messages) shown += m.caption + ": " + m.text;
        EXPECT_EQ(shown, message.empty() ? "" : "VX7318 Evaluation Kit: " + message);
    }
}

TEST(CommandLine, SimulateOptionAndLoaderFiles) {
    const CommandLine plain = ParseCommandLine({"--simulate"});
    EXPECT_TRUE(plain.simulate && plain.kind == ModuleKind::Arbord);
    EXPECT_EQ(ParseCommandLine({"--simulate=COBALT-16WIDE"}).kind, ModuleKind::Cobalt16Wide);
    for (const char* bad : {"--simulate=PLATINUM", "-x", "--sim-input", "--sim-input=9=level:1V"})
        EXPECT_FALSE(ParseCommandLine({bad}).error.empty()) << bad;
    const CommandLine inputs = ParseCommandLine({"--sim-input", "4=sine:1000Hz,-1dBFS", "--sim-input=0=level:1V"});
    ASSERT_TRUE(inputs.simulate && inputs.inputs.size() == 2u);
    EXPECT_EQ(inputs.inputs[0].signal.sineHz, 1000);  // both spellings of the option
    EXPECT_EQ(inputs.inputs[1].channel, 0);

    // The current folder first, then beside the executable; else the name as given.
    const std::string executable = VX_LOADER_DIR "/vx7318kit";
    EXPECT_EQ(FindLoaderFile("KIT7318.ARB", executable), VX_LOADER_DIR "/KIT7318.ARB");
    EXPECT_EQ(FindLoaderFile("KIT7318.XYZ", executable), "KIT7318.XYZ");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(VX_LOADER_DIR);
    EXPECT_EQ(FindLoaderFile("KIT7318.ARB", executable), "KIT7318.ARB");
    std::filesystem::current_path(before);
}

}  // namespace

}  // namespace vx
