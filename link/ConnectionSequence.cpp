#include "link/ConnectionSequence.h"

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "link/AppQuery.h"

namespace vx {

namespace {

std::string upperCase(std::string text) {
    for (char& c : text) c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool contains(const std::string& text, const char* word) { return text.find(word) != std::string::npos; }

// The number a box shows, 0 when its text is not one.
uint32_t rateFromText(const std::string& text) {
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

int indexOf(const std::vector<std::string>& items, const std::string& text) {
    const auto found = std::find(items.begin(), items.end(), text);
    return found == items.end() ? -1 : int(found - items.begin());
}

bool fileExists(const std::string& name) {
    std::error_code error;
    return std::filesystem::is_regular_file(name, error);
}

// The whole file; false with errno set when it cannot be read.
bool readFile(const std::string& name, std::string& text) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buffer[4096];
    ssize_t count;
    while ((count = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, size_t(count));
    const int error = errno;
    ::close(fd);
    errno = error;
    return count == 0;
}

// The text's lines without their ends, whether CR LF, LF or CR.
std::deque<std::string> splitLines(const std::string& text) {
    std::deque<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

// The COBALT firmware reaches 115200 baud only through this small program.
constexpr const char* PatchDataLine = "S2160100007577177AFA0437350004377AFC087A000204C8\r";
constexpr const char* PatchEndLine = "S9030000FC\r";

const char* kindName(ModuleKind kind) {
    switch (kind) {
    case ModuleKind::Brant: return "BRANT";
    case ModuleKind::Arbord: return "ARBORD";
    case ModuleKind::Cobalt: return "COBALT";
    case ModuleKind::Cobalt16Wide: return "COBALT-16WIDE";
    default: return "";
    }
}

const char* loaderExtension(ModuleKind kind) {
    switch (kind) {
    case ModuleKind::Brant: return ".BRT";
    case ModuleKind::Arbord: return ".ARB";
    case ModuleKind::Cobalt: return ".COB";
    case ModuleKind::Cobalt16Wide: return ".CWD";
    default: return "";
    }
}

}  // namespace

ConnectionSequence::ConnectionSequence(SerialPortLayer& port, AppQueryProtocol& query, Dialogs& dialogs)
    : port_(port), query_(query), dialogs_(dialogs), clock_(port.clock()) {
    port_.setOnClosed([this] { portClosed(); });
}

void ConnectionSequence::enter(ConnectionState state) {
    connState_ = state;
    port_.setDownloading(state == ConnectionState::Loading);
}

void ConnectionSequence::portClosed() {
    LabelStatus = "Disconnected.";
    enter(ConnectionState::Idle);
}

bool ConnectionSequence::cbAppEnabled() const { return query_.cbAppEnabled(); }

void ConnectionSequence::changed() {
    if (onChange_) onChange_();
}

void ConnectionSequence::setState(const std::string& text) {
    LabelState = text;
    changed();
}

void ConnectionSequence::setStatus(const std::string& text) {
    LabelStatus = text;
    changed();
}

void ConnectionSequence::setPortList(const std::vector<std::string>& ports) {
    cbxHwPortItems = ports;
    cbxFriendlyPort.items = {AutomaticPort};
    cbxFriendlyPort.items.insert(cbxFriendlyPort.items.end(), ports.begin(), ports.end());
    if (indexOf(cbxFriendlyPort.items, cbxFriendlyPort.text) < 0) cbxFriendlyPort.text = AutomaticPort;
    selectHwPort(ports.empty() ? -1 : 0);
    changed();
}

void ConnectionSequence::selectHwPort(int index) {
    cbxHwPortIndex = index;
    port_.setHwPort(index >= 0 && size_t(index) < cbxHwPortItems.size() ? cbxHwPortItems[size_t(index)] : "");
}

void ConnectionSequence::setFriendlyPort(const std::string& text) { cbxFriendlyPort.text = text; }

void ConnectionSequence::setHwPort(const std::string& text) {
    cbxHwPortIndex = indexOf(cbxHwPortItems, text);
    port_.setHwPort(text);
}

void ConnectionSequence::setFwBaud(const std::string& text) { cbxFwBaud.text = text; }

void ConnectionSequence::setEditDLfilename(const std::string& text) { EditDLfilename = text; }

void ConnectionSequence::setExcludedFromAutomatic(std::vector<std::string> ports) {
    excludedFromAutomatic_ = std::move(ports);
}

void ConnectionSequence::setPanelVisible(SerialPanel panel, bool visible) {
    switch (panel) {
    case SerialPanel::Friendly: PanelFriendly = visible; break;
    case SerialPanel::Firmware: PanelFirmware = visible; break;
    case SerialPanel::Hardware: PanelHardware = visible; break;
    case SerialPanel::Downloader: PanelDownloader = visible; break;
    case SerialPanel::Application: PanelApplication = visible; break;
    case SerialPanel::History: MemoHistoryVisible = visible; break;
    }
}

void ConnectionSequence::setAutoDownload(bool on) { menuAdvAutoDownload = on; }
void ConnectionSequence::setFastestBaud(bool on) { menuAdvFastestBaud = on; }
void ConnectionSequence::setAllow115200baud(bool on) { menuAdvAllow115200baud = on; }
void ConnectionSequence::setTimerInterval(uint32_t ms) { Timer1Interval = ms; }

FormResult ConnectionSequence::takeModalResult() {
    const FormResult result = ModalResult;
    ModalResult = FormResult::None;
    return result;
}

bool ConnectionSequence::automatic() const { return indexOf(cbxFriendlyPort.items, cbxFriendlyPort.text) == 0; }

// The next port after `after` that "Automatic" tries, -1 when none is left.
int ConnectionSequence::nextSearchIndex(int after) const {
    for (size_t i = size_t(after + 1); i < cbxHwPortItems.size(); ++i)
        if (indexOf(excludedFromAutomatic_, cbxHwPortItems[i]) < 0) return int(i);
    return -1;
}

// ---------------------------------------------------------------------------
// Buttons

void ConnectionSequence::btnOkClick() {
    startTick_ = clock_.ticks();
    failedDownloads_ = 0;
    portsTried_.clear();
    if (cbxFriendlyPort.text.empty()) {
        cbxFriendlyPort.text = AutomaticPort;
        changed();
        return;
    }
    int selected = indexOf(cbxFriendlyPort.items, cbxFriendlyPort.text);
    if (selected < 0) {  // a typed port name
        cbxFriendlyPort.items.push_back(cbxFriendlyPort.text);
        cbxHwPortItems.push_back(cbxFriendlyPort.text);
        selected = int(cbxFriendlyPort.items.size()) - 1;
    }
    selectHwPort(selected > 0 ? selected - 1 : nextSearchIndex(-1));
    enter(ConnectionState::OpenPort);
    Timer1Timer();
}

void ConnectionSequence::btnStopClick() {
    if (cbAppEnabled()) SendFirmwareCommand(std::string{Esc, 'R'});
    port_.DoClosePort();
    Timer1Timer();
}

void ConnectionSequence::btnCancelClick() {
    ModalResult = FormResult::Cancel;
    changed();
}

void ConnectionSequence::btnFwResetClick() {
    SendFirmwareCommand(std::string{Esc, 'R'});
    port_.DoClosePort();
    Timer1Timer();
}

void ConnectionSequence::menuAdvNoDownloadClick() {
    menuAdvAutoDownload = false;
    PanelFriendly = PanelFirmware = PanelDownloader = false;
    PanelHardware = PanelApplication = MemoHistoryVisible = true;
    cbDLrunning = true;
    cbDLbusy = cbDLerror = false;
    query_.setAppEnabled(true);
    cbPreESCEnabled = cbPostCREnabled = cbxAppQueryEnabled = btnAppQueryEnabled = true;
    enter(ConnectionState::Running);
    changed();
}

// ---------------------------------------------------------------------------
// The machine

void ConnectionSequence::Timer1Timer() {
    MainProgressBar.Position = int(connState_);
    switch (connState_) {
    case ConnectionState::Idle: idle(); break;
    case ConnectionState::OpenPort: openPort(); break;
    case ConnectionState::WrongPort: wrongPort(); break;
    case ConnectionState::Loopback: checkLoopback(); break;
    case ConnectionState::Beacon: awaitBeacon(); break;
    case ConnectionState::Banner: collectBanner(); break;
    case ConnectionState::FirmwareCommand: firmwareCommand(); break;
    case ConnectionState::Loading: sendLines(); break;
    case ConnectionState::Jump: startApplication(); break;
    case ConnectionState::Running: running(); break;
    default: setState("unknown state"); break;
    }
    commonTail();
    changed();
}

uint32_t ConnectionSequence::nextTickMs() const {
    return connState_ == ConnectionState::Loading || connState_ == ConnectionState::Jump ? 0 : Timer1Interval;
}

void ConnectionSequence::idle() {
    setState("select which port is the Vanto evaluation kit:");
    PanelFriendly = true;
    btnOkDefault = btnOkEnabled = true;
    cbxFriendlyPortEnabled = true;
    LabelFirmware = "firmware unknown; no communication";
    bannerText_.clear();
    if (!cbxFwBaud.items.empty()) cbxFwBaud.text = cbxFwBaud.items.front();
    btnFwResetEnabled = btnFwSetBaudEnabled = false;
    port_.setSkipNulls(false);
    query_.setAppEnabled(false);
    btnAppQueryEnabled = false;
    cbDLrunning = cbDLbusy = cbDLerror = false;
    btnDownloadEnabled = false;
    btnDLfilenameFocus = EditDLfilename.empty();
    if (btnDLfilenameFocus) PanelDownloader = true;
}

void ConnectionSequence::openPort() {
    setState("attempting to locate the correct port");
    btnOkDefault = btnOkEnabled = false;
    cbxFriendlyPortEnabled = false;
    if (port_.cbxHwPort().empty() && automatic() && !port_.isPortOpen()) {
        enter(ConnectionState::WrongPort);  // nothing to search: the outcome says so
        return;
    }
    if (!port_.cbxHwPort().empty()) portsTried_.push_back(port_.cbxHwPort());
    if (port_.DoOpenPort()) {
        setStatus("Connected...");
        enter(ConnectionState::Loopback);
    } else {
        enter(ConnectionState::WrongPort);
    }
}

void ConnectionSequence::wrongPort() {
    setState("this is not the right port.");
    const int next = automatic() ? nextSearchIndex(cbxHwPortIndex) : -1;
    if (next >= 0) {
        selectHwPort(next);
        enter(ConnectionState::OpenPort);
        return;
    }
    setStatus(automatic() ? "Not found on any port. Check connections."
                          : "Not found on specified port. Check connections.");
    // The outcome stays in the history with what was tried, for the user
    // who opens the window later to find out why.
    std::string tried;
    for (const std::string& name : portsTried_) tried += (tried.empty() ? "" : ", ") + name;
    port_.MemoHistory().addLine(LabelStatus + " Ports tried: " + (tried.empty() ? "none" : tried));
    enter(ConnectionState::Idle);
}

void ConnectionSequence::checkLoopback() {
    setState("we have opened a port; need to check RTS-CTS");
    if (port_.RtsCtsLoopbackPresent()) {
        port_.DoGetBaud();
        port_.DoHwSetBaud(1200);
        beaconStartTick_ = clock_.ticks();
        enter(ConnectionState::Beacon);
        return;
    }
    setStatus("Rejected; no RTS-CTS loopback");
    port_.MemoHistory().addLine("Rejected; no RTS-CTS loopback.");
    port_.DoClosePort();
    enter(ConnectionState::WrongPort);
}

void ConnectionSequence::awaitBeacon() {
    setState("expecting module to send 0xAA");
    if (clock_.ticks() - beaconStartTick_ > BeaconPromptMs)
        setStatus("Please press and release the module's reset button.");
    if (!port_.ReadRxBuffer()) {
        if (deviceGone()) giveUp("The serial port is gone. Check connections.");
        return;
    }
    if (std::strchr(port_.RxBuffer(), char(Beacon0xAA)) == nullptr) return;
    // Whatever came with the beacon is dropped: the banner follows the space.
    port_.WriteCharNoEcho(' ');
    setStatus("");
    lastRxTick_ = clock_.ticks();
    enter(ConnectionState::Banner);
}

void ConnectionSequence::collectBanner() {
    setState("expecting module to send firmware banner");
    upperCaseLoaderName();
    if (port_.ReadRxBuffer()) {
        bannerText_ += port_.RxBuffer();
        lastRxTick_ = clock_.ticks();
    } else if (deviceGone()) {
        giveUp("The serial port is gone. Check connections.");
        return;
    }
    if (clock_.ticks() - lastRxTick_ > bannerQuietMs_ && identify()) enter(ConnectionState::FirmwareCommand);
}

ModuleKind ConnectionSequence::IdentifyModule(const std::string& banner) {
    if (contains(banner, "ARBOR")) return vx::ModuleKind::Arbord;
    if (contains(banner, "BRANT")) return vx::ModuleKind::Brant;
    if (contains(banner, "COBALT"))
        return contains(banner, "16 BIT BUS") ? vx::ModuleKind::Cobalt16Wide : vx::ModuleKind::Cobalt;
    return vx::ModuleKind::Unknown;
}

// False when the user turned down the loader name.
bool ConnectionSequence::identify() {
    const size_t vanto = bannerText_.find("VANTO");
    if (vanto != std::string::npos) bannerText_.erase(0, vanto);
    LabelFirmware = bannerText_;
    moduleKind_ = IdentifyModule(bannerText_);
    switch (moduleKind_) {
    case vx::ModuleKind::Arbord:
    case vx::ModuleKind::Brant: cbxFwBaud.items = {"1200", "2400", "4800", "9600"}; break;
    case vx::ModuleKind::Cobalt:
    case vx::ModuleKind::Cobalt16Wide:
        cbxFwBaud.items = {"1200", "4800", "9600", "19200"};
        if (menuAdvAllow115200baud) cbxFwBaud.items.push_back("115200");
        break;
    default: break;
    }
    changed();
    if (moduleKind_ != vx::ModuleKind::Unknown && !contains(EditDLfilename, loaderExtension(moduleKind_))) {
        MessageRequest warning;
        warning.text = std::string("Warning: this software is not for the ") + kindName(moduleKind_) + " module.";
        warning.caption = MessageCaption;
        warning.buttons = MsgButtons::OkCancel;
        warning.icon = MsgIcon::Stop;
        warning.defaultAnswer = MsgAnswer::Cancel;
        if (messageWithTimerStopped(warning) != MsgAnswer::Ok) {
            enter(ConnectionState::Idle);
            return false;
        }
    }
    btnFwResetEnabled = btnFwSetBaudEnabled = btnDownloadEnabled = true;
    PanelFirmware = PanelDownloader = true;
    return true;
}

void ConnectionSequence::firmwareCommand() {
    setState("module is expecting a firmware command");
    const bool fastestSelected = cbxFwBaud.items.empty() || cbxFwBaud.text == cbxFwBaud.items.back();
    // A module of unknown kind has no rate command: it stays at the rate
    // its beacon came at, and so does the PC.
    if (menuAdvFastestBaud && !fastestSelected && moduleKind_ != vx::ModuleKind::Unknown) {
        setState("module is expecting a firmware command (baud rate)");
        cbxFwBaud.text = cbxFwBaud.items.back();
        changed();
        btnFwSetBaudClick();
        return;
    }
    if (menuAdvAutoDownload) {
        setState("module is expecting a firmware command (loader)");
        DoDownload();
    }
}

void ConnectionSequence::running() {
    setState("module application is running");
    ModalResult = FormResult::Ok;
    History& history = port_.MemoHistory();
    if (history.count() > HistoryClearLines)
        history.clear();
    else if (history.count() > HistoryKeepLines)
        history.deleteFirstLine();
}

void ConnectionSequence::commonTail() {
    const bool open = port_.isPortOpen();
    HwPortControlsEnabled = open;
    HwOpenControlsEnabled = !open;
    if (!open) return;
    ModemLines lines;
    if (port_.device().getModemLines(lines)) {
        cbCTS = lines.cts;
        cbDSR = lines.dsr;
    }
}

bool ConnectionSequence::SendFirmwareCommand(const std::string& command) {
    if (moduleKind_ == vx::ModuleKind::Brant && !command.empty() && command.front() == Esc)
        return port_.WriteStringNoEcho(command.c_str());
    return port_.WriteStringWaitForEcho(command.c_str());
}

bool ConnectionSequence::deviceGone() const { return port_.deviceGone(); }

void ConnectionSequence::giveUp(const std::string& status) {
    port_.DoClosePort();
    enter(ConnectionState::Idle);
    setStatus(status);
}

MsgAnswer ConnectionSequence::messageWithTimerStopped(const MessageRequest& request) {
    Timer1Enabled = false;
    changed();
    const MsgAnswer answer = dialogs_.message(request);
    Timer1Enabled = true;
    changed();
    return answer;
}

void ConnectionSequence::readSignOn() {
    const uint32_t start = clock_.ticks();
    bool prompted = false;
    for (uint32_t waited = 0; waited < JumpReadMs; waited = clock_.ticks() - start) {
        const uint32_t left = JumpReadMs - waited;
        const uint32_t wait = prompted ? std::min(query_.AppQueryTimeoutMs(), left) : left;
        // A closed or vanished port has nothing more to say.
        if (!port_.isPortOpen() || port_.deviceGone() || !port_.device().waitForInput(wait)) return;
        if (port_.ReadRxBuffer()) {
            const size_t length = std::strlen(port_.RxBuffer());
            prompted = length > 0 && port_.RxBuffer()[length - 1] == '>';
        }
    }
}

// ---------------------------------------------------------------------------
// Loader

// The box shows the name upper-cased; the file is opened by the name as the
// user gave it, since file names here are case-sensitive.
void ConnectionSequence::upperCaseLoaderName() {
    if (upperCase(loaderName_) != EditDLfilename) loaderName_ = EditDLfilename;
    EditDLfilename = upperCase(EditDLfilename);
}

std::string ConnectionSequence::loaderPath() const {
    return upperCase(loaderName_) == EditDLfilename ? loaderName_ : EditDLfilename;
}

// Reports a missing loader file; true when it is missing.
bool ConnectionSequence::loaderMissing() {
    if (fileExists(loaderPath())) return false;
    cbDLerror = true;
    enter(ConnectionState::Idle);
    port_.MemoHistory().addLine("Loader cannot read file.");
    MessageRequest error;
    error.text = "Error: Cannot find required file " + EditDLfilename;
    error.caption = MessageCaption;
    error.icon = MsgIcon::Stop;
    messageWithTimerStopped(error);
    return true;
}

void ConnectionSequence::SelectFilename(const std::string& name) {
    cbDLrunning = cbDLerror = false;
    cbDLbusy = true;
    loaderName_ = name;
    EditDLfilename = upperCase(name);
    changed();
    if (name.empty()) {
        cbDLerror = true;
        enter(ConnectionState::Idle);
        port_.MemoHistory().addLine("No Loader file specified.");
        changed();
        return;
    }
    loaderMissing();
}

void ConnectionSequence::btnDLfilenameClick() {
    FileRequest request;
    request.title = "Select code to download...";
    request.filter =
        "COBALT module program (*.COB *.cob);;"
        "COBALT-16WIDE module program (*.CWD *.cwd);;"
        "BRANT module program (*.BRT *.brt);;"
        "ARBORD module program (*.ARB *.arb);;"
        "Any module program (*.COB *.CWD *.BRT *.ARB *.cob *.cwd *.brt *.arb)";
    request.filterIndex = 4;
    request.initialName = loaderPath();
    if (const auto choice = dialogs_.openFile(request)) {
        EditDLfilename = choice->path;
        changed();
    }
}

void ConnectionSequence::DoDownload() {
    if (connState_ != ConnectionState::FirmwareCommand) {
        port_.MemoHistory().addLine("DoDownload called before module ready.");
        cbDLerror = true;
        changed();
        return;
    }
    if (loaderMissing()) return;
    std::string text;
    if (!readFile(loaderPath(), text)) {
        const int error = errno;
        // Through the repeat path at the jump state, like any failed download.
        downloadFailed("Loader cannot read file " + EditDLfilename + ": " + systemErrorText(error));
        enter(ConnectionState::Jump);
        return;
    }
    DownloadMemo = splitLines(text);
    LoaderProgressBar = ProgressBar{0, int(DownloadMemo.size()), 0, 1};
    port_.clearLastError();
    const bool loading = SendFirmwareCommand(std::string{Esc, 'L'});
    // A download asked for while the last one ran has now started afresh;
    // without this its error mark would send every download round again.
    cbDLerror = false;
    enter(ConnectionState::Loading);
    if (!loading) {
        downloadFailed("Load command not sent: " + sendFailure());
        enter(ConnectionState::Jump);
    }
    changed();
}

void ConnectionSequence::downloadFailed(const std::string& why) {
    port_.MemoHistory().addLine(why);
    cbDLerror = true;
    ++failedDownloads_;
    changed();
}

std::string ConnectionSequence::sendFailure() const {
    if (deviceGone()) return "the serial port is gone";
    if (port_.LastError() != 0) return "error " + std::to_string(port_.LastError());
    return "no echo within " + std::to_string(SerialPortLayer::EchoTimeoutMs) + " ms";
}

// Lines go out back to back, each checked character by character against
// its echo, until the tick's budget is spent; the status counts down the
// lines left, the last line being sent in the tick that shows 1.
void ConnectionSequence::sendLines() {
    setState("module is receiving a hex file");
    const uint32_t start = clock_.ticks();
    if (DownloadMemo.empty()) setStatus("Loading software... 0");
    bool failed = false;
    while (!failed && !DownloadMemo.empty() && clock_.ticks() - start < LoaderTickBudgetMs) {
        setStatus("Loading software... " + std::to_string(DownloadMemo.size()));
        LoaderProgressBar.Position =
            std::min(LoaderProgressBar.Position + LoaderProgressBar.Step, LoaderProgressBar.Max);
        const std::string line = DownloadMemo.front() + '\r';
        DownloadMemo.pop_front();
        port_.clearLastError();
        if (!port_.WriteBlockWaitForEcho(line.c_str())) {
            // The rest would only fail the same way: the download goes again.
            downloadFailed("Loader line " + std::to_string(LoaderProgressBar.Position) + " failed: " + sendFailure());
            failed = true;
        }
    }
    if (DownloadMemo.empty() || failed) enter(ConnectionState::Jump);
}

void ConnectionSequence::startApplication() {
    setState("module is expecting jump command");
    setStatus(EditDLfilename + " running...");
    if (cbDLerror) {
        if (deviceGone())
            giveUp("Download failed: the serial port is gone. Check connections.");
        else if (failedDownloads_ >= DownloadTries)
            giveUp("Download failed. Press the module's reset button, then Ok to try again.");
        else
            enter(ConnectionState::FirmwareCommand);
        return;
    }
    port_.clearLastError();
    if (!SendFirmwareCommand(std::string{Esc, 'J'})) {
        downloadFailed("Jump command not sent: " + sendFailure());
        return;  // the next tick repeats the download or gives up
    }
    readSignOn();
    PanelFirmware = PanelDownloader = false;
    cbDLrunning = true;
    cbDLbusy = false;
    query_.setAppEnabled(true);
    cbPreESCEnabled = cbPostCREnabled = cbxAppQueryEnabled = btnAppQueryEnabled = true;
    PanelApplication = true;
    port_.setSkipNulls(true);
    setupTimeMs_ = clock_.ticks() - startTick_;
    char text[64];
    std::snprintf(text, sizeof text, "total setup time: %1.1f seconds", setupTimeMs_ * 0.001);
    setStatus(text);
    enter(ConnectionState::Running);
}

// ---------------------------------------------------------------------------
// Firmware rate

void ConnectionSequence::btnFwSetBaudClick() {
    btnFwSetBaudEnabled = false;
    changed();
    ChangeFirmwareBaud(rateFromText(cbxFwBaud.text));
    port_.DoGetBaud();
    btnFwSetBaudEnabled = true;
    changed();
}

// The three-byte rate command for this kind; false when the kind has no
// such rate.
bool ConnectionSequence::rateCommand(uint32_t rate, std::string& command) {
    char code = 0;
    switch (moduleKind_) {
    case vx::ModuleKind::Arbord:
        code = rate == 1200 ? '1' : rate == 2400 ? '2' : rate == 4800 ? '4' : rate == 9600 ? '9' : 0;
        command = {Esc, 'B', code};
        break;
    case vx::ModuleKind::Cobalt:
    case vx::ModuleKind::Cobalt16Wide:
        code = rate == 1200 ? '1' : rate == 4800 ? '4' : rate == 9600 ? '9' : rate == 19200 ? '2' : 0;
        command = {Esc, 'B', code};
        break;
    case vx::ModuleKind::Brant:
        code = char(rate == 1200 ? 0xE8 : rate == 2400 ? 0xF4 : rate == 4800 ? 0xFA : rate == 9600 ? 0xFD : 0);
        command = {Esc, 'Q', code};
        break;
    default: return true;
    }
    return code != 0;
}

bool ConnectionSequence::ChangeFirmwareBaud(uint32_t rate) {
    if (!port_.isPortOpen()) return false;
    if (moduleKind_ == vx::ModuleKind::Unknown) {
        // Without a command the module stays where it is; moving the PC alone
        // would only part the two ends.
        port_.MemoHistory().addLine("Baud rate " + std::to_string(rate) + " not legal for an unknown module");
        setStatus("Could not set hardware baud rate.");
        return false;
    }
    setStatus("Changing firmware baud rate...");
    const bool cobalt = moduleKind_ == vx::ModuleKind::Cobalt || moduleKind_ == vx::ModuleKind::Cobalt16Wide;
    if (cobalt && rate == 115200) {
        if (!menuAdvAllow115200baud) return false;
        SendFirmwareCommand(std::string{Esc, 'L'});
        port_.WriteStringWaitForEcho(PatchDataLine);
        port_.WriteStringWaitForEcho(PatchEndLine);
        SendFirmwareCommand(std::string{Esc, 'J'});
    } else {
        std::string command;
        if (!rateCommand(rate, command)) {
            const char* kind = cobalt ? "COBALT" : kindName(moduleKind_);
            port_.MemoHistory().addLine("Baud rate " + std::to_string(rate) + " not legal for " + kind + " module");
            setStatus("Could not set hardware baud rate.");
            return false;
        }
        SendFirmwareCommand(command);
    }
    clock_.sleep(RateCommandWaitMs);
    if (!port_.DoHwSetBaud(rate)) {
        port_.MemoHistory().addLine("Could not set hardware baud rate.");
        setStatus("Could not set hardware baud rate.");
        return false;
    }
    const uint32_t start = clock_.ticks();
    port_.WriteStringWaitForEcho("   ");
    while (clock_.ticks() - start < RateProbeMs) {
        port_.clearLastError();
        if (port_.WriteStringWaitForEcho(">")) {
            setStatus("Firmware baud rate set.");
            return true;
        }
        // A failing port fails at once, every time: retrying it would only
        // spin and fill the history.
        if (port_.LastError() != 0 || !port_.isPortOpen()) break;
    }
    setStatus("Could not set hardware baud rate.");
    return false;
}

}  // namespace vx
