#pragma once
// The program's windows as main() assembles them, on one kit that reaches
// the simulated board, in virtual time: the timers are fired by the test,
// and no browser or other program is ever started.
#include <QApplication>
#include <cerrno>
#include <memory>
#include <string>

#include "app/HelpIndex.h"
#include "app/MainForm.h"
#include "app/ProgramWindows.h"
#include "link/Kit.h"
#include "platform/Clock.h"
#include "sim/SimulatedKit.h"
#include "support/ScriptedDialogs.h"

namespace vx {

// A desktop without a browser: nothing takes the help file.
class NoBrowser : public Launcher {
public:
    int openDocument(const std::string&) override { return ENOEXEC; }
    int start(const std::vector<std::string>&) override { return ENOENT; }
};

struct SimulatedProgram {
    explicit SimulatedProgram(const std::string& executable, const std::string& placesFile = {}) {
        kit.addDevice(SimulatedKit::PortName, board);
        windows = std::make_unique<ProgramWindows>(
            ProgramServices{clock, dialogs, launcher, kit, {{SimulatedKit::PortName}, {}}, executable, placesFile});
        main().driveTimerManually();
        serial().driveTimerManually();
        main().loaderFileName = VX_LOADER_DIR "/KIT7318.ARB";
    }
    // Shows the main window and lets its first show's work run.
    void start() {
        main().show();
        QApplication::processEvents();
    }

    TMainForm& main() { return *windows->main; }
    TSerialForm& serial() { return *windows->serial; }
    GraphFeed& feed() { return windows->graphHost.feed; }
    // The user's part in the serial window: the simulated kit chosen, Ok pressed.
    int connectSerialWindow() {
        serial().chooseFriendlyPort(SimulatedKit::PortName);
        serial().btnOkClick();
        return serial().runSequence();
    }

    VirtualClock clock;
    SimulatedKit board{clock};
    ScriptedDialogs dialogs;
    NoBrowser launcher;
    Kit kit{clock, dialogs};
    std::unique_ptr<ProgramWindows> windows;
};

}  // namespace vx
