// The program: the application object, its four windows, the message loop.
// Whatever a handler throws is shown by the standard exception display and
// the program goes on.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/ApplicationTitle.h"
#include "app/CommandLine.h"
#include "app/DesktopLauncher.h"
#include "app/MainForm.h"
#include "app/ProgramApplication.h"
#include "app/ProgramWindows.h"
#include "link/Kit.h"
#include "link/SerialForm.h"
#include "platform/Clock.h"
#include "platform/QtDialogs.h"
#include "sim/SimulatedKit.h"

namespace vx {

namespace {

// Chooses the simulated kit in the serial window and presses Ok for the user.
void connectToSimulatedKit(TSerialForm& serial) {
    serial.chooseFriendlyPort(SimulatedKit::PortName);
    serial.btnOkClick();
}

int run(int argc, char** argv) {
    const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!line.error.empty()) {
        std::fprintf(stderr, "%s\n", line.error.c_str());
        return 2;
    }

    Clock& clock = realClock();
    SimulatedKit board(clock, line.kind);
    board.inputs().useDemoSignals();
    for (const ChannelInput& input : line.inputs) board.inputs()[input.channel] = input.signal;
    board.setAttended(true);  // it has no button a user could press
    QtDialogs dialogs;
    Kit kit(clock, dialogs);
    kit.addDevice(SimulatedKit::PortName, board);
    DesktopLauncher launcher;
    const std::string executable = QCoreApplication::applicationFilePath().toStdString();

    ProgramWindows windows({clock, dialogs, launcher, kit, TSerialForm::machinePorts(SimulatedKit::PortName),
                            executable, RememberedPlaces::userFile().toStdString()});
    TMainForm& main = *windows.main;
    main.loaderFileName = FindLoaderFile(LoaderFileFor(line.kind), executable);
    TSerialForm& serial = *windows.serial;
    if (line.simulate)
        main.showModal = [&serial](QDialog& window) {
            if (&window == &serial) connectToSimulatedKit(serial);
            return window.exec();
        };
    main.show();
    return QApplication::exec();
}

}  // namespace

}  // namespace vx

using namespace vx;

int main(int argc, char** argv) {
    // Outside the try, so the display still has its application.
    ProgramApplication app(argc, argv);
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        app.showException(error.what());
    } catch (...) {
        app.showException("Unknown exception");
    }
    return 0;
}
