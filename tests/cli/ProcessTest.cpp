// The tool as a real process: its exit status, and Ctrl-C in the middle of
// a long read. Nothing sleeps: the test waits on the file's changes and the
// process's end with bounded polls.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "graphwin/TempFolder.h"
#include "platform/ProcessOutput.h"
#include "vx_version.h"

extern char** environ;

namespace vx {

namespace {

TEST(Process, VersionAndCtrlCDuringALongReadLeavingAValidFile) {
    const ProcessOutput version = RunForOutput({VX_CLI_PATH, "--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output, std::string("vx7318 ") + VX_VERSION + "\n");

    TempFolder folder;
    const std::string out = folder / "night.txt";
    const int watch = inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    inotify_add_watch(watch, folder.path().c_str(), IN_MODIFY | IN_CREATE);

    const char* argv[] = {VX_CLI_PATH, "--simulate=COBALT", "read", "--for", "1h",        "--every",
                          "100",       "--channels",        "0-3",  "--out", out.c_str(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, VX_CLI_PATH, nullptr, nullptr, const_cast<char**>(argv), environ), 0);

    // Three readings in the file (after its two heading lines), or give up after a minute.
    auto lines = [&] {
        const std::string text = ReadWholeFile(out);
        return std::count(text.begin(), text.end(), '\n');
    };
    char events[4096];
    for (int waited = 0; lines() < 5 && waited < 600; ++waited)
        if (pollfd ready{watch, POLLIN, 0}; poll(&ready, 1, 100) > 0) (void)!read(watch, events, sizeof events);
    close(watch);
    ASSERT_GE(lines(), 5) << "no readings arrived";

    kill(pid, SIGINT);
    const int exited = int(syscall(SYS_pidfd_open, pid, 0));
    pollfd end{exited, POLLIN, 0};
    EXPECT_EQ(poll(&end, 1, 10'000), 1) << "the tool did not stop";
    close(exited);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 130) << status;

    const std::string text = ReadWholeFile(out);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");  // no line cut short
}

}  // namespace

}  // namespace vx
