#include "app/ProgramWindows.h"

#include <QDialog>

#include "app/MainForm.h"
#include "graphwin/GraphForm.h"
#include "sampling/SampleForm.h"

namespace {
// The windows whose places are kept, under these names.
constexpr const char* MainPlace = "MainWindow";
constexpr const char* GraphPlace = "RealTimeGraph";
constexpr const char* SamplingPlace = "SamplingTool";
}  // namespace

ProgramWindows::ProgramWindows(const ProgramServices& s) : places_(QString::fromStdString(s.placesFile)) {
    TSerialForm::setWarningDialogs(&s.dialogs);
    main = std::make_unique<TMainForm>(s.clock, s.dialogs, s.launcher, s.executablePath);

    GraphWindowHost& host = GraphHost();
    host.dialogs = &s.dialogs;
    host.limits = &main->control().state().Limits;
    host.clock = &s.clock;
    TMainForm* window = main.get();
    host.readingTimerEnabled = [window] { return window->Timer1().Enabled(); };
    host.setReadingTimerEnabled = [window](bool on) { window->Timer1().SetEnabled(on); };
    host.vref = [window] { return window->control().state().Vref; };
    host.readingIntervalMs = [window] { return window->Timer1().Interval(); };

    graph = std::make_unique<TGraphForm>();
    graph->setWindowTitle(GraphCaption);
    GraphForm = graph.get();

    // The sampling tool: a tool window of its own, shown modally.
    sample = std::make_unique<TSampleForm>(
        SamplingServices{main->control(), main->readings(), s.clock, s.dialogs, [window] { window->showReadings(); }});
    SampleForm = sample.get();

    serial = std::make_unique<TSerialForm>(s.ports, s.clock, s.dialogs, s.portChoices);
    serial->onStateShown = [window] { window->followConnection(); };

    places_.restore(*main, MainPlace);
    places_.restore(*graph, GraphPlace);
    places_.restore(*sample, SamplingPlace);
}

ProgramWindows::~ProgramWindows() {
    serial->onStateShown = nullptr;
    places_.keep(*main, MainPlace);
    places_.keep(*graph, GraphPlace);
    places_.keep(*sample, SamplingPlace);
    serial.reset();
    SampleForm = nullptr;
    sample.reset();
    if (GraphForm == graph.get()) GraphForm = nullptr;
    graph.reset();
    GraphWindowHost& host = GraphHost();
    host.readingTimerEnabled = nullptr;
    host.setReadingTimerEnabled = nullptr;
    host.vref = nullptr;
    host.readingIntervalMs = nullptr;
    host.limits = nullptr;
    main.reset();
    TSerialForm::setWarningDialogs(nullptr);
}
