#pragma once
// The serial interface window: connects to the module (the friendly panel),
// shows the firmware, the PC's port, the loader and the running application,
// and logs every link event and the line traffic in its history.
//
// The window shows the kit's port layer, query protocol and connection
// sequence; it forwards the user's actions to them and shows their state
// after every action, every tick and every change they report. The 200 ms
// timer drives Timer1Timer in the running program; tests call Timer1Timer
// (or runSequence) themselves on a virtual clock. Other windows reach the
// module through the kit, not through this window.
#include <QDialog>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "link/DebuggerBridge.h"
#include "link/Kit.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace vx {

// The ports the window offers, in list order, and those "Automatic" passes
// over.
struct PortChoices {
    std::vector<std::string> ports;
    std::vector<std::string> excludedFromAutomatic;
};

class TSerialForm : public QDialog {
public:
    static constexpr const char* Caption = "Vanto Evalution Kit Serial Interface [05/29/2003]";
    static constexpr int TimerIntervals[] = {200, 1000, 5000};

    // Loads the debugger library when it is there (debuggerLibrary: a name
    // for the system's search, or a path).
    TSerialForm(Kit& kit, const PortChoices& ports, const std::string& debuggerLibrary = DebuggerBridge::LibraryName,
                QWidget* parent = nullptr);
    ~TSerialForm() override;

    // The serial ports of this machine, then simulatedPort, which "Automatic"
    // leaves out so that a missing board is never silently replaced by the
    // simulation.
    static PortChoices machinePorts(const std::string& simulatedPort);

    // Shown modally: the sequence's OK ends the modal display.
    int exec() override;
    // Runs timer ticks on the clock, each after the timer's interval, until
    // the application runs, the sequence is idle again or maxTicks have
    // passed. Returns the modal result (QDialog::Accepted when running).
    int runSequence(int maxTicks = 100000);
    // Tests tick the window themselves, on their own clock: the real-time
    // timer stays off.
    void driveTimerManually();

    // Runs after every change of state the window shows (the main window's
    // title follows the connection through it).
    std::function<void()> onStateShown;

    // --- Handlers, named after control and event ---
    void Timer1Timer();
    void btnOkClick();
    void btnStopClick();
    void btnCancelClick();
    void btnFwResetClick();
    void btnFwSetBaudClick();
    void btnHwOpenClick();
    void btnHwCloseClick();
    void cbxHwBaudChange();
    void cbRTSClick();
    void cbDTRClick();
    void btnHwSendClick();
    void btnHwSendwEchoClick();
    void btnHwRecvClick();
    void btnAppQueryClick();
    void btnDownloadClick();
    void btnDLfilenameClick();
    void menuViewClick();
    void menuTimerClick();
    void menuAppQueryTimeoutClick();
    void menuAdvNoDownloadClick();
    void menuAdvancedDebuggerClick();

    // Chooses port in the friendly panel's list, or types it there when the
    // list lacks it, as a user would before pressing Ok.
    void chooseFriendlyPort(const QString& port);

private:
    // --- Panels and controls, each named after its member ---
    QFrame* PanelFriendly;
    QLabel* LabelState;
    QLabel* LabelStatus;
    QComboBox* cbxFriendlyPort;
    QPushButton* btnOk;
    QPushButton* btnStop;
    QPushButton* btnCancel;
    QProgressBar* MainProgressBar;

    QFrame* PanelFirmware;
    QLabel* LabelFirmware;
    QPushButton* btnFwReset;
    QPushButton* btnFwSetBaud;
    QComboBox* cbxFwBaud;

    QFrame* PanelHardware;
    QComboBox* cbxHwPort;
    QPushButton* btnHwOpen;
    QPushButton* btnHwClose;
    QCheckBox* cbRTS;
    QCheckBox* cbDTR;
    QCheckBox* cbCTS;
    QCheckBox* cbDSR;
    QComboBox* cbxHwBaud;
    QCheckBox* cbSkipNulls;
    QCheckBox* cbHwESC;
    QLineEdit* EditHwSend;
    QCheckBox* cbHwCR;
    QPushButton* btnHwSend;
    QPushButton* btnHwSendwEcho;
    QPushButton* btnHwRecv;
    QLineEdit* EditHwRecv;

    QFrame* PanelApplication;
    QCheckBox* cbAppEnabled;
    QCheckBox* cbPreESC;
    QComboBox* cbxAppQuery;
    QCheckBox* cbPostCR;
    QPushButton* btnAppQuery;

    QFrame* PanelDownloader;
    QPushButton* btnDownload;
    QLineEdit* EditDLfilename;
    QPushButton* btnDLfilename;
    QProgressBar* LoaderProgressBar;
    QPlainTextEdit* DownloadMemo;
    QCheckBox* cbDLrunning;
    QCheckBox* cbDLbusy;
    QCheckBox* cbDLerror;

    QListWidget* MemoHistory;

    QMenu* menuView;
    QAction* menuViewFriendly;
    QAction* menuViewHardware;
    QAction* menuViewFirmware;
    QAction* menuViewDownloader;
    QAction* menuViewApplication;
    QAction* menuViewHistory;
    QAction* menuViewTimeStamps;
    QAction* menuCaptureTx;
    QAction* menuCaptureRx;
    QAction* menuAdvExpectBeacon;
    QAction* menuAdvAutoDownload;
    QAction* menuAdvNoDownload;
    QAction* menuAdvFastestBaud;
    QAction* menuAdvAllow115200baud;
    QMenu* menuTimer;
    QMenu* menuAppQueryTimeout;
    QAction* menuAdvEndReplyAtPrompt;
    QAction* menuAdvancedDebugger;

    QTimer* Timer1;

    void buildPanels();
    void buildFriendlyPanel();
    void buildFirmwarePanel();
    void buildHardwarePanel();
    void buildApplicationPanel();
    void buildDownloaderPanel();
    void nameControls();
    QMenuBar* buildMenus();
    void connectHandlers();

    // Widgets -> state: what the user may have typed or chosen.
    void takeInput();
    // State -> widgets.
    void showState();
    void showHistory(History::Change change, std::string_view added);
    // The whole history again: after the window was hidden, or the time
    // stamps were switched.
    void reshowHistory();
    QString historyRow(size_t index) const;
    void showEvent(QShowEvent* event) override;
    void applyModalResult();
    void toggleView(QAction* item, SerialPanel panel);
    void sendManually(bool waitForEcho);
    void collectQuietly();
    void setModemLine(bool rts, bool on);

    Clock& clock_;
    SerialPortLayer& port_;
    AppQueryProtocol& query_;
    ConnectionSequence& sequence_;
    DebuggerBridge debugger_;
    std::deque<std::string> shownMemo_;
    bool inModalLoop_ = false;
    bool manualTicks_ = false;
    uint64_t lastTickMicros_ = 0;
    bool showing_ = false;
    // The history list is not kept up while the window is hidden.
    bool historyStale_ = false;
    // Wall time at the clock's micros() origin, for the time stamps.
    int64_t wallMsAtClockZero_ = 0;
};

}  // namespace vx
