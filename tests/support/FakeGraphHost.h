#pragma once
// What the program lends every graph window, faked: scripted dialogs, code
// limits, a virtual clock, a reading timer that notes its changes, the Vref
// and a 100 ms reading interval. Gone with it, the graphs are gone too.
#include <vector>

#include "graphwin/GraphForm.h"
#include "platform/Clock.h"
#include "support/ScriptedDialogs.h"

struct FakeGraphHost {
    FakeGraphHost() {
        auto setTimer = [this](bool on) { timerOn = on, timerChanges.push_back(on); };
        GraphHost() = {&dialogs, &limits, &clock, [this] { return timerOn; }, setTimer, [this] { return vref; },
                       [] { return 100; }};
        SaveHeaderLine = SaveLineNumbers = false;
    }
    ~FakeGraphHost() {
        GraphForm = UploadGraphForm = nullptr;
        UseUploadGraph = false;
        GraphHost() = {};
    }

    ScriptedDialogs dialogs;
    CodeLimits limits;
    VirtualClock clock;
    bool timerOn = true;
    double vref = 4.096;
    std::vector<bool> timerChanges;
};
