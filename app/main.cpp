// The program: the application object, its four windows, the message loop.
// Whatever a handler throws is shown by the standard exception display and
// the program goes on.
#include <QApplication>
#include <QComboBox>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/ApplicationTitle.h"
#include "app/CommandLine.h"
#include "app/DesktopLauncher.h"
#include "app/MainForm.h"
#include "app/ProgramWindows.h"
#include "link/PortSwitch.h"
#include "link/SerialForm.h"
#include "platform/Clock.h"
#include "platform/QtDialogs.h"
#include "sim/SimulatedKit.h"

namespace {

void showException(const char* text) {
    QtDialogs dialogs;
    dialogs.message({text, ApplicationTitle, MsgButtons::Ok, MsgIcon::Stop, MsgAnswer::Ok});
}

class Application : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            showException(error.what());
        } catch (...) {
            showException("Unknown exception");
        }
        return false;
    }
};

// Chooses the simulated kit in the serial window and presses Ok for the user.
void connectToSimulatedKit(TSerialForm& serial) {
    const QString kit = SimulatedKit::PortName;
    const int index = serial.cbxFriendlyPort->findText(kit);
    if (index >= 0)
        serial.cbxFriendlyPort->setCurrentIndex(index);
    else
        serial.cbxFriendlyPort->setEditText(kit);
    serial.btnOkClick();
}

int run(Application& app, int argc, char** argv) {
    const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!line.error.empty()) {
        std::fprintf(stderr, "%s\n", line.error.c_str());
        return 2;
    }

    Clock& clock = realClock();
    SimulatedKit kit(clock, line.kind);
    kit.inputs().useDemoSignals();
    PortSwitch ports(clock);
    ports.add(SimulatedKit::PortName, kit);
    QtDialogs dialogs;
    DesktopLauncher launcher;
    const std::string executable = QCoreApplication::applicationFilePath().toStdString();

    ProgramWindows windows({clock, dialogs, launcher, ports, TSerialForm::machinePorts(SimulatedKit::PortName),
                            executable});
    TMainForm& main = *windows.main;
    main.loaderFileName = FindLoaderFile(LoaderFileFor(line.kind), executable);
    if (line.simulate)
        main.showModal = [](QDialog& window) {
            if (&window == SerialForm) connectToSimulatedKit(*SerialForm);
            return window.exec();
        };
    main.show();
    return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
    // Outside the try, so the display still has its application.
    Application app(argc, argv);
    app.setApplicationName(ApplicationTitle);
    try {
        return run(app, argc, argv);
    } catch (const std::exception& error) {
        showException(error.what());
    } catch (...) {
        showException("Unknown exception");
    }
    return 0;
}
