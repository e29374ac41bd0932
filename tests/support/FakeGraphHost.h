#pragma once
// What the program lends every graph window, faked: scripted dialogs, code
// limits, a virtual clock, a reading timer that notes its changes, the Vref
// and a 100 ms reading interval. It outlives the graphs made on it.
#include <vector>

#include "graphwin/GraphForm.h"
#include "platform/Clock.h"
#include "support/ScriptedDialogs.h"

namespace vx {

struct FakeGraphHost {
    FakeGraphHost() {
        host.dialogs = &dialogs;
        host.limits = &limits;
        host.clock = &clock;
        host.readingTimerEnabled = [this] { return timerOn; };
        host.setReadingTimerEnabled = [this](bool on) { timerOn = on, timerChanges.push_back(on); };
        host.vref = [this] { return vref; };
        host.readingIntervalMs = [] { return 100; };
    }
    operator GraphWindowHost&() { return host; }

    ScriptedDialogs dialogs;
    CodeLimits limits;
    VirtualClock clock;
    bool timerOn = true;
    double vref = 4.096;
    std::vector<bool> timerChanges;
    GraphWindowHost host;
};

}  // namespace vx
