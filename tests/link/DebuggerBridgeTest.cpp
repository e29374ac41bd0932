// What the window tells the debugger library is seen in the window's tests;
// here, libraries that are missing or partial: what is missing is skipped
// without a word.
#include <gtest/gtest.h>

#include <string>

#include "link/DebuggerBridge.h"
#include "platform/LibraryLoader.h"

TEST(DebuggerBridge, MissingLibraryOrEntriesAreSkipped) {
    LibraryLoader probe;
    ASSERT_TRUE(probe.load(PROBE_SHOW_ONLY));
    for (const char* library : {"/nonexistent/libLinkProbe.so", PROBE_SHOW_ONLY}) {
        DebuggerBridge bridge(library);
        EXPECT_EQ(bridge.available(), library == std::string(PROBE_SHOW_ONLY));
        bridge.DebuggerShow();
        bridge.DebuggerSetTitle("VX7318 Evaluation Kit");
        bridge.DebuggerOpenedPort(3);
        bridge.DebuggerClosedPort();
        bridge.DebuggerSetEnable(true);
    }
    EXPECT_STREQ(reinterpret_cast<const char* (*)()>(probe.symbol("probe_log"))(), "Show;");
}
