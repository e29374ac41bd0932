#pragma once
// The connection sequence: from the user's Ok to a running module
// application, one step per timer tick. Finds the port, checks the cable's
// loopback, awaits the beacon, reads and identifies the banner, moves the
// firmware to its fastest rate, downloads the loader file line by line,
// jumps to it and hands over to the query protocol.
//
// The window state the sequence keeps is named after the control that shows
// it; the serial window reads it through view(), passes what the user typed
// or chose through the setters, forwards its buttons, menus and timer to the
// operations below and redraws whenever the change callback fires. No
// widget code here.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "link/SerialPortLayer.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "support/FormState.h"
#include "support/ModuleKind.h"

namespace vx {

class AppQueryProtocol;

// The steps of the sequence (ConnState); the main progress bar shows the number.
enum class ConnectionState : uint8_t {
    Idle = 0,
    OpenPort = 1,
    WrongPort = 2,
    Loopback = 3,
    Beacon = 4,
    Banner = 5,
    FirmwareCommand = 6,
    Loading = 7,
    Jump = 8,
    Running = 9,
};

// The serial window's panels that the View menu shows and hides.
enum class SerialPanel { Friendly, Firmware, Hardware, Downloader, Application, History };

// What the serial window shows of the sequence, named after its controls.
struct SerialWindowState {
    std::string LabelState = "select which port is the Vanto evaluation kit:";
    std::string LabelStatus = "click the Ok button to begin ";
    std::string LabelFirmware = "module type and ROM version will be listed here";
    ProgressBar MainProgressBar{0, 9, 0, 1};

    TextChoice cbxFriendlyPort{{"Automatic"}, "Automatic"};
    std::vector<std::string> cbxHwPortItems;  // the Hardware port box's list
    int cbxHwPortIndex = -1;                  // its selected entry

    TextChoice cbxFwBaud{{"1200", "4800", "9600", "19200"}, "1200"};
    std::string EditDLfilename;
    std::deque<std::string> DownloadMemo;
    ProgressBar LoaderProgressBar;
    bool cbDLbusy = false;
    bool cbDLrunning = false;
    bool cbDLerror = false;
    bool cbCTS = false;
    bool cbDSR = false;

    bool menuAdvExpectBeacon = true;
    bool menuAdvFastestBaud = true;
    bool menuAdvAutoDownload = true;
    bool menuAdvAllow115200baud = true;
    bool menuAdvAllow115200baudEnabled = true;

    bool PanelFriendly = true;
    bool PanelFirmware = false;
    bool PanelHardware = false;
    bool PanelDownloader = false;
    bool PanelApplication = false;
    bool MemoHistoryVisible = true;

    bool btnOkEnabled = true;
    bool btnOkDefault = true;
    bool cbxFriendlyPortEnabled = true;
    bool btnFwResetEnabled = false;
    bool btnFwSetBaudEnabled = false;
    bool btnDownloadEnabled = false;
    bool btnAppQueryEnabled = false;
    bool cbPreESCEnabled = false;
    bool cbPostCREnabled = false;
    bool cbxAppQueryEnabled = false;
    // The Hardware panel follows the port: with it open, btnHwClose, cbRTS,
    // cbDTR, cbxHwBaud, cbHwESC, EditHwSend, cbHwCR, btnHwSend, btnHwRecv and
    // EditHwRecv are enabled and cbxHwPort and btnHwOpen disabled; closed,
    // the reverse. btnHwSendwEcho is left as it is.
    bool HwPortControlsEnabled = false;
    bool HwOpenControlsEnabled = true;
    // Idle with no loader name: the browse button should take the focus.
    bool btnDLfilenameFocus = false;

    bool Timer1Enabled = true;
    uint32_t Timer1Interval = 200;
    FormResult ModalResult = FormResult::None;
};

// The window state is a private base, so that the steps below read and
// write it by its control names while callers only read it through view().
class ConnectionSequence : private SerialWindowState {
public:
    static constexpr const char* MessageCaption = "VX7318 Evaluation Kit";
    static constexpr const char* AutomaticPort = "Automatic";
    static constexpr char Esc = 0x1B;
    static constexpr uint8_t Beacon0xAA = 0xAA;
    static constexpr uint32_t BeaconPromptMs = 3000;
    static constexpr uint32_t JumpReadMs = 1000;
    static constexpr uint32_t RateCommandWaitMs = 2000;
    static constexpr uint32_t RateProbeMs = 10000;
    // How long one loading tick may send lines before it lets the window
    // handle its events; the next tick then follows at once.
    static constexpr uint32_t LoaderTickBudgetMs = 100;
    // A download is tried this often before the sequence gives up.
    static constexpr int DownloadTries = 2;
    static constexpr size_t HistoryKeepLines = 200;
    static constexpr size_t HistoryClearLines = 202;

    ConnectionSequence(SerialPortLayer& port, AppQueryProtocol& query, Dialogs& dialogs);
    // The port layer tells this object of every close; it must not after.
    ~ConnectionSequence() { port_.setOnClosed(nullptr); }
    ConnectionSequence(const ConnectionSequence&) = delete;
    ConnectionSequence& operator=(const ConnectionSequence&) = delete;

    // Called after every change the window should show (step and status
    // texts at once, even in the middle of a long tick).
    void setOnChange(std::function<void()> callback) { onChange_ = std::move(callback); }

    // The ports the Hardware box lists, in order; the friendly box gets
    // "Automatic" in front of them. The first entries stay selected.
    void setPortList(const std::vector<std::string>& ports);

    // --- Friendly panel and the timer ---
    void btnOkClick();
    void btnStopClick();
    void btnCancelClick();
    void Timer1Timer();
    // When the next tick is due after this one: the timer's interval, or at
    // once (after the window's pending events) from the download's start to
    // the jump, so that the line is kept busy.
    uint32_t nextTickMs() const;

    // --- Firmware panel ---
    void btnFwResetClick();
    void btnFwSetBaudClick();
    // True when both ends run at rate and the firmware answered there.
    bool ChangeFirmwareBaud(uint32_t rate);
    // BRANT takes its ESC commands unechoed; everything else waits for
    // echoes. False when the command did not go out whole (or unechoed).
    bool SendFirmwareCommand(const std::string& command);

    // --- Loader panel ---
    void SelectFilename(const std::string& name);
    void DoDownload();
    void btnDownloadClick() { DoDownload(); }
    void btnDLfilenameClick();

    // --- Advanced menu ---
    // "No Load": the module's application already runs.
    void menuAdvNoDownloadClick();

    // The module kind a banner names (the first keyword found decides).
    static vx::ModuleKind IdentifyModule(const std::string& banner);
    // The name of the loader file to open: as the user gave or chose it,
    // while EditDLfilename shows it upper-cased.
    std::string loaderPath() const;

    SerialPortLayer& port() { return port_; }
    bool cbAppEnabled() const;
    // The kind the banner named (Unknown before one was read).
    vx::ModuleKind ModuleKind() const { return moduleKind_; }
    ConnectionState ConnState() const { return connState_; }
    // From Ok to the running application, once it runs.
    uint32_t SetupTimeMs() const { return setupTimeMs_; }
    // When the beacon began to be awaited.
    uint32_t BeaconStartTick() const { return beaconStartTick_; }
    const SerialWindowState& view() const { return *this; }

    // --- What the user typed or chose, as the window passes it on ---
    void setFriendlyPort(const std::string& text);
    // The Hardware port box's text; the port layer opens that port next.
    void setHwPort(const std::string& text);
    void setFwBaud(const std::string& text);
    void setEditDLfilename(const std::string& text);
    // Ports "Automatic" passes over (e.g. the simulated kit, so that a
    // missing board is never silently replaced by the simulation).
    void setExcludedFromAutomatic(std::vector<std::string> ports);
    void setPanelVisible(SerialPanel panel, bool visible);
    void setAutoDownload(bool on);
    void setFastestBaud(bool on);
    void setAllow115200baud(bool on);
    void setTimerInterval(uint32_t ms);
    // The result that closes the modal window, once: None afterwards.
    FormResult takeModalResult();

private:
    // Moves to the step; the port layer keeps received text out of the
    // history while the loader sends.
    void enter(ConnectionState state);
    // The port was closed, by whoever: the sequence starts over at idle.
    void portClosed();
    void setState(const std::string& text);
    void setStatus(const std::string& text);
    void changed();

    void idle();
    void openPort();
    void wrongPort();
    void checkLoopback();
    void awaitBeacon();
    void collectBanner();
    bool identify();
    void firmwareCommand();
    void sendLines();
    // Marks the download as failed, with the reason in the history.
    void downloadFailed(const std::string& why);
    // Why the last line or command did not go through.
    std::string sendFailure() const;
    // Ends the sequence at idle with the port closed and the reason shown.
    void giveUp(const std::string& status);
    bool deviceGone() const;
    void startApplication();
    void running();
    void commonTail();

    bool automatic() const;
    int nextSearchIndex(int after) const;
    void selectHwPort(int index);
    void upperCaseLoaderName();
    bool loaderMissing();
    MsgAnswer messageWithTimerStopped(const MessageRequest& request);
    // Reads the application's sign-on: up to JumpReadMs, or until the
    // prompt came last and the query quiet time passed without more.
    void readSignOn();
    bool rateCommand(uint32_t rate, std::string& command);

    SerialPortLayer& port_;
    AppQueryProtocol& query_;
    Dialogs& dialogs_;
    Clock& clock_;
    std::function<void()> onChange_;
    ConnectionState connState_ = ConnectionState::Idle;
    vx::ModuleKind moduleKind_ = vx::ModuleKind::Unknown;
    std::string bannerText_;
    uint32_t beaconStartTick_ = 0;
    uint32_t lastRxTick_ = 0;
    uint32_t bannerQuietMs_ = 2000;
    uint32_t startTick_ = 0;
    uint32_t setupTimeMs_ = 0;
    std::vector<std::string> excludedFromAutomatic_;
    std::string loaderName_;               // the loader name as given, before upper-casing
    int failedDownloads_ = 0;              // since Ok
    std::vector<std::string> portsTried_;  // by this search, for the history
};

}  // namespace vx
