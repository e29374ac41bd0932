#include "app/ProgramWindows.h"

#include <QDialog>

#include "app/MainForm.h"
#include "sampling/SampleForm.h"

namespace vx {

namespace {
// The windows whose places are kept, under these names.
constexpr const char* MainPlace = "MainWindow";
constexpr const char* GraphPlace = "RealTimeGraph";
constexpr const char* SamplingPlace = "SamplingTool";
}  // namespace

ProgramWindows::ProgramWindows(const ProgramServices& s) : places_(QString::fromStdString(s.placesFile)) {
    main = std::make_unique<TMainForm>(s.kit, graphHost.feed, s.clock, s.dialogs, s.launcher, s.executablePath);

    GraphWindowHost& host = graphHost;
    host.dialogs = &s.dialogs;
    host.limits = &main->control().state().Limits;
    host.clock = &s.clock;
    TMainForm* window = main.get();
    host.readingTimerEnabled = [window] { return window->Timer1().Enabled(); };
    host.setReadingTimerEnabled = [window](bool on) { window->Timer1().SetEnabled(on); };
    host.vref = [window] { return window->control().state().Vref; };
    host.readingIntervalMs = [window] { return window->Timer1().Interval(); };

    graph = std::make_unique<TGraphForm>(host);
    graph->setWindowTitle(GraphCaption);
    host.feed.GraphForm = graph.get();

    // The sampling tool: a tool window of its own, shown modally.
    sample = std::make_unique<TSampleForm>(SamplingServices{main->control(), main->readings(), s.kit, host, s.dialogs,
                                                            [window] { window->showReadings(); }});

    serial = std::make_unique<TSerialForm>(s.kit, s.portChoices);
    serial->onStateShown = [window] { window->followConnection(); };
    main->setToolWindows(*serial, *sample);

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
    sample.reset();
    graph.reset();
    main.reset();
}

}  // namespace vx
