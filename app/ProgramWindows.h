#pragma once
// The program's four windows, created in their order: the main window, the
// real-time graph, the sampling tool and the serial window. The first is the
// main window; closing it ends the program. Destroyed in reverse order.
#include <memory>
#include <string>

#include "graphwin/GraphForm.h"
#include "link/SerialForm.h"
#include "platform/WindowPlacement.h"

class QDialog;

namespace vx {

class Clock;
class Dialogs;
class Kit;
class Launcher;
class TMainForm;

struct ProgramServices {
    Clock& clock;
    Dialogs& dialogs;
    Launcher& launcher;
    // The one link to the board, shared by every window.
    Kit& kit;
    PortChoices portChoices;
    std::string executablePath;
    // Where window places are kept between runs; empty: nowhere.
    std::string placesFile = {};
};

class ProgramWindows {
public:
    static constexpr const char* GraphCaption = "Real Time Data";
    static constexpr const char* SamplingCaption = "Sampling Tool";

    explicit ProgramWindows(const ProgramServices& services);
    ~ProgramWindows();

    // What every graph window borrows; outlives them all.
    GraphWindowHost graphHost;
    std::unique_ptr<TMainForm> main;
    std::unique_ptr<TGraphForm> graph;
    std::unique_ptr<QDialog> sample;
    std::unique_ptr<TSerialForm> serial;

private:
    RememberedPlaces places_;
};

}  // namespace vx
