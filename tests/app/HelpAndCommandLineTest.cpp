// Help's three tries and their report, and the program's command line.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "app/CommandLine.h"
#include "app/HelpIndex.h"
#include "support/ScriptedDialogs.h"

namespace {

class FakeLauncher : public Launcher {
public:
    int openDocument(const std::string& path) override {
        tried.push_back({path});
        return next();
    }
    int start(const std::vector<std::string>& argv) override {
        tried.push_back(argv);
        return next();
    }
    std::vector<int> results;
    std::vector<std::vector<std::string>> tried;

private:
    int next() {
        const int result = results.empty() ? 0 : results.front();
        if (!results.empty()) results.erase(results.begin());
        return result;
    }
};

TEST(HelpIndex, ThreeTriesAndTheReport) {
    EXPECT_EQ(HelpIndex::helpFilePath("/opt/kit/vx7318kit"), "/opt/kit/HELPFILE.HTM");
    const std::string help = "/opt/kit/HELPFILE.HTM";

    {  // The desktop opens it: one try.
        FakeLauncher launcher;
        ScriptedDialogs dialogs;
        EXPECT_TRUE(HelpIndex::open(help, launcher, dialogs));
        EXPECT_EQ(launcher.tried.size(), 1u);
        EXPECT_TRUE(dialogs.messages.empty());
    }
    {  // A missing file is reported at once.
        FakeLauncher launcher;
        launcher.results = {ENOENT};
        ScriptedDialogs dialogs;
        EXPECT_FALSE(HelpIndex::open(help, launcher, dialogs));
        EXPECT_EQ(launcher.tried, (std::vector<std::vector<std::string>>{{help}}));
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, help + "\nError 2: No such file or directory");
        EXPECT_EQ(dialogs.messages[0].caption, "VX7318 Evaluation Kit");
    }
    {  // Other failures fall through to xdg-open and x-www-browser, each an
       // argument vector; the last one is reported.
        FakeLauncher launcher;
        launcher.results = {ENOEXEC, ENOENT, ENOENT};
        ScriptedDialogs dialogs;
        EXPECT_FALSE(HelpIndex::open(help, launcher, dialogs));
        EXPECT_EQ(launcher.tried,
                  (std::vector<std::vector<std::string>>{{help}, {"xdg-open", help}, {"x-www-browser", help}}));
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "x-www-browser " + help + "\nError 2: No such file or directory");
    }
    {  // A second try that works ends the search.
        FakeLauncher launcher;
        launcher.results = {ENOEXEC, 0};
        ScriptedDialogs dialogs;
        EXPECT_TRUE(HelpIndex::open(help, launcher, dialogs));
        EXPECT_EQ(launcher.tried.size(), 2u);
    }
}

TEST(CommandLine, SimulateOptionAndLoaderFiles) {
    EXPECT_FALSE(ParseCommandLine({}).simulate);
    const CommandLine plain = ParseCommandLine({"--simulate"});
    EXPECT_TRUE(plain.simulate);
    EXPECT_EQ(plain.kind, ModuleKind::Arbord);
    EXPECT_EQ(ParseCommandLine({"--simulate=COBALT-16WIDE"}).kind, ModuleKind::Cobalt16Wide);
    for (const char* bad : {"--simulate=PLATINUM", "-x"}) EXPECT_FALSE(ParseCommandLine({bad}).error.empty()) << bad;

    // The current folder first, then beside the executable.
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("vx-loader-" + std::to_string(getpid()));
    fs::create_directories(root / "bin");
    fs::create_directories(root / "work");
    std::ofstream(root / "bin" / "KIT7318.ARB") << "S9030000FC\n";
    const fs::path before = fs::current_path();
    fs::current_path(root / "work");
    const std::string executable = (root / "bin" / "vx7318kit").string();
    EXPECT_EQ(FindLoaderFile("KIT7318.ARB", executable), (root / "bin" / "KIT7318.ARB").string());
    EXPECT_EQ(FindLoaderFile("KIT7318.BRT", executable), "KIT7318.BRT") << "missing everywhere";
    std::ofstream("KIT7318.ARB") << "S9030000FC\n";
    EXPECT_EQ(FindLoaderFile("KIT7318.ARB", executable), "KIT7318.ARB");
    fs::current_path(before);
    fs::remove_all(root);
}

}  // namespace
