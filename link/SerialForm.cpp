#include "link/SerialForm.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>

#include "platform/PortList.h"
#include "platform/ShowText.h"

namespace vx {

namespace {

constexpr char Esc = 0x1B;
constexpr char Cr = 0x0D;

std::string utf8(const QString& text) { return text.toStdString(); }
// Typed text as the bytes the line carries, one per character.
std::string lineBytes(const QString& text) { return text.toLatin1().toStdString(); }

QStringList qtList(const std::vector<std::string>& items) {
    QStringList list;
    for (const std::string& item : items) list << qt(item);
    return list;
}

void showChoice(QComboBox* box, const QStringList& items, const QString& current) {
    QStringList shown;
    for (int i = 0; i < box->count(); ++i) shown << box->itemText(i);
    if (shown != items) {
        box->clear();
        box->addItems(items);
    }
    const int index = box->findText(current, Qt::MatchExactly);
    if (index >= 0) box->setCurrentIndex(index);
    if (box->currentText() != current) box->setEditText(current);
}

void showProgress(QProgressBar* bar, const ProgressBar& state) {
    if (bar->minimum() != state.Min || bar->maximum() != state.Max) bar->setRange(state.Min, state.Max);
    bar->setValue(std::clamp(state.Position, state.Min, std::max(state.Min, state.Max)));
}

}  // namespace

TSerialForm::TSerialForm(Kit& kit, const PortChoices& ports, const std::string& debuggerLibrary, QWidget* parent)
    : QDialog(parent),
      clock_(kit.clock()),
      port_(kit.port()),
      query_(kit.query()),
      sequence_(kit.sequence()),
      debugger_(debuggerLibrary) {
    setWindowTitle(Caption);
    resize(410, 411);
    buildPanels();
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(int(sequence_.view().Timer1Interval));

    sequence_.setPortList(ports.ports);
    sequence_.setExcludedFromAutomatic(ports.excludedFromAutomatic);

    wallMsAtClockZero_ = QDateTime::currentMSecsSinceEpoch() - int64_t(clock_.micros() / 1000);
    port_.MemoHistory().setClock(&clock_);
    port_.setObserver(&debugger_);
    query_.setEnableObserver([this](bool on) { debugger_.DebuggerSetEnable(on); });
    menuAdvancedDebugger->setEnabled(debugger_.available());
    debugger_.DebuggerSetTitle(ConnectionSequence::MessageCaption);

    connectHandlers();
    showState();  // also starts the timer
}

TSerialForm::~TSerialForm() {
    // The controls outlive the members their handlers use.
    for (QObject* child : findChildren<QObject*>()) QObject::disconnect(child, nullptr, this, nullptr);
    port_.MemoHistory().setOnChange(nullptr);
    port_.MemoHistory().setClock(nullptr);
    sequence_.setOnChange(nullptr);
    port_.setObserver(nullptr);
    query_.setEnableObserver(nullptr);
}

PortChoices TSerialForm::machinePorts(const std::string& simulatedPort) {
    PortChoices choices{listSerialPorts(), {simulatedPort}};
    choices.ports.push_back(simulatedPort);
    return choices;
}

void TSerialForm::chooseFriendlyPort(const QString& port) {
    const int index = cbxFriendlyPort->findText(port);
    if (index >= 0)
        cbxFriendlyPort->setCurrentIndex(index);
    else
        cbxFriendlyPort->setEditText(port);
}

void TSerialForm::connectHandlers() {
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(btnOk, &QPushButton::clicked, this, [this] { btnOkClick(); });
    connect(btnStop, &QPushButton::clicked, this, [this] { btnStopClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    connect(btnFwReset, &QPushButton::clicked, this, [this] { btnFwResetClick(); });
    connect(btnFwSetBaud, &QPushButton::clicked, this, [this] { btnFwSetBaudClick(); });
    connect(btnHwOpen, &QPushButton::clicked, this, [this] { btnHwOpenClick(); });
    connect(btnHwClose, &QPushButton::clicked, this, [this] { btnHwCloseClick(); });
    connect(cbxHwBaud, &QComboBox::textActivated, this, [this] { cbxHwBaudChange(); });
    connect(cbxHwBaud->lineEdit(), &QLineEdit::editingFinished, this, [this] { cbxHwBaudChange(); });
    connect(cbRTS, &QCheckBox::clicked, this, [this] { cbRTSClick(); });
    connect(cbDTR, &QCheckBox::clicked, this, [this] { cbDTRClick(); });
    connect(cbSkipNulls, &QCheckBox::clicked, this, [this](bool on) { port_.setSkipNulls(on); });
    connect(btnHwSend, &QPushButton::clicked, this, [this] { btnHwSendClick(); });
    connect(btnHwSendwEcho, &QPushButton::clicked, this, [this] { btnHwSendwEchoClick(); });
    connect(btnHwRecv, &QPushButton::clicked, this, [this] { btnHwRecvClick(); });
    connect(btnAppQuery, &QPushButton::clicked, this, [this] { btnAppQueryClick(); });
    connect(btnDownload, &QPushButton::clicked, this, [this] { btnDownloadClick(); });
    connect(btnDLfilename, &QPushButton::clicked, this, [this] { btnDLfilenameClick(); });

    connect(menuView, &QMenu::aboutToShow, this, [this] { menuViewClick(); });
    connect(menuViewFriendly, &QAction::triggered, this,
            [this] { toggleView(menuViewFriendly, SerialPanel::Friendly); });
    connect(menuViewHardware, &QAction::triggered, this,
            [this] { toggleView(menuViewHardware, SerialPanel::Hardware); });
    connect(menuViewFirmware, &QAction::triggered, this,
            [this] { toggleView(menuViewFirmware, SerialPanel::Firmware); });
    connect(menuViewDownloader, &QAction::triggered, this,
            [this] { toggleView(menuViewDownloader, SerialPanel::Downloader); });
    connect(menuViewApplication, &QAction::triggered, this,
            [this] { toggleView(menuViewApplication, SerialPanel::Application); });
    connect(menuViewHistory, &QAction::triggered, this, [this] { toggleView(menuViewHistory, SerialPanel::History); });

    connect(menuCaptureTx, &QAction::toggled, this, [this](bool on) { port_.setCaptureTx(on); });
    connect(menuCaptureRx, &QAction::toggled, this, [this](bool on) { port_.setCaptureRx(on); });
    // The beacon is always awaited: the item only says so.
    connect(menuAdvExpectBeacon, &QAction::triggered, this, [this] { menuAdvExpectBeacon->setChecked(true); });
    connect(menuAdvAutoDownload, &QAction::toggled, this, [this](bool on) { sequence_.setAutoDownload(on); });
    connect(menuAdvFastestBaud, &QAction::toggled, this, [this](bool on) { sequence_.setFastestBaud(on); });
    connect(menuAdvAllow115200baud, &QAction::toggled, this, [this](bool on) { sequence_.setAllow115200baud(on); });
    connect(menuAdvNoDownload, &QAction::triggered, this, [this] { menuAdvNoDownloadClick(); });
    connect(menuAdvancedDebugger, &QAction::triggered, this, [this] { menuAdvancedDebuggerClick(); });

    connect(menuTimer, &QMenu::aboutToShow, this, [this] { menuTimerClick(); });
    for (QAction* item : menuTimer->actions()) {
        connect(item, &QAction::triggered, this, [this, item] {
            sequence_.setTimerInterval(item->data().toUInt());
            showState();
        });
    }
    connect(menuAppQueryTimeout, &QMenu::aboutToShow, this, [this] { menuAppQueryTimeoutClick(); });
    for (QAction* item : menuAppQueryTimeout->actions()) {
        connect(item, &QAction::triggered, this, [this, item] { query_.setAppQueryTimeoutMs(item->data().toUInt()); });
    }
    connect(menuAdvEndReplyAtPrompt, &QAction::toggled, this, [this](bool on) { query_.setEndReplyAtPrompt(on); });
    connect(menuViewTimeStamps, &QAction::toggled, this, [this] { reshowHistory(); });

    port_.MemoHistory().setOnChange(
        [this](History::Change change, std::string_view added) { showHistory(change, added); });
    sequence_.setOnChange([this] {
        showState();
        // Long steps block the event loop: show their texts now.
        if (isVisible()) {
            LabelState->repaint();
            LabelStatus->repaint();
            MainProgressBar->repaint();
        }
    });
}

// --- Widgets and state ---

void TSerialForm::takeInput() {
    sequence_.setFriendlyPort(utf8(cbxFriendlyPort->currentText()));
    sequence_.setHwPort(utf8(cbxHwPort->currentText()));
    port_.setHwBaudText(utf8(cbxHwBaud->currentText()));
    port_.setSkipNulls(cbSkipNulls->isChecked());
    sequence_.setFwBaud(utf8(cbxFwBaud->currentText()));
    sequence_.setEditDLfilename(utf8(EditDLfilename->text()));
}

void TSerialForm::showState() {
    if (showing_) return;  // a change reported while the state is being shown
    showing_ = true;
    const SerialWindowState& v = sequence_.view();
    const QList<QWidget*> widgets = findChildren<QWidget*>();
    std::vector<QSignalBlocker> quiet;  // the handlers hear the user, not this
    quiet.reserve(size_t(widgets.size()));
    for (QWidget* widget : widgets) quiet.emplace_back(widget);

    // Friendly panel.
    setText(LabelState, v.LabelState);
    setText(LabelStatus, v.LabelStatus);
    showProgress(MainProgressBar, v.MainProgressBar);
    const TextChoice& friendlyPort = v.cbxFriendlyPort;
    showChoice(cbxFriendlyPort, qtList(friendlyPort.items), qt(friendlyPort.text));
    cbxFriendlyPort->setEnabled(v.cbxFriendlyPortEnabled);
    btnOk->setEnabled(v.btnOkEnabled);
    btnOk->setDefault(v.btnOkDefault);

    // Firmware panel.
    setText(LabelFirmware, v.LabelFirmware);
    showChoice(cbxFwBaud, qtList(v.cbxFwBaud.items), qt(v.cbxFwBaud.text));
    btnFwReset->setEnabled(v.btnFwResetEnabled);
    btnFwSetBaud->setEnabled(v.btnFwSetBaudEnabled);

    // Hardware panel: the port controls follow the port.
    showChoice(cbxHwPort, qtList(v.cbxHwPortItems), qt(port_.cbxHwPort()));
    cbxHwPort->setEnabled(v.HwOpenControlsEnabled);
    btnHwOpen->setEnabled(v.HwOpenControlsEnabled);
    for (QWidget* control : std::initializer_list<QWidget*>{btnHwClose, cbRTS, cbDTR, cbxHwBaud, cbHwESC, EditHwSend,
                                                            cbHwCR, btnHwSend, btnHwRecv, EditHwRecv})
        control->setEnabled(v.HwPortControlsEnabled);
    cbCTS->setChecked(v.cbCTS);
    cbDSR->setChecked(v.cbDSR);
    showChoice(cbxHwBaud, qtList(port_.cbxHwBaud().items), qt(port_.cbxHwBaud().text));
    cbSkipNulls->setChecked(port_.cbSkipNulls());
    setText(EditHwRecv, port_.EditHwRecv());

    // Application panel.
    cbAppEnabled->setChecked(query_.cbAppEnabled());
    cbPreESC->setEnabled(v.cbPreESCEnabled);
    cbPostCR->setEnabled(v.cbPostCREnabled);
    cbxAppQuery->setEnabled(v.cbxAppQueryEnabled);
    btnAppQuery->setEnabled(v.btnAppQueryEnabled);

    // Loader panel.
    btnDownload->setEnabled(v.btnDownloadEnabled);
    setText(EditDLfilename, v.EditDLfilename);
    showProgress(LoaderProgressBar, v.LoaderProgressBar);
    if (shownMemo_ != v.DownloadMemo) {
        shownMemo_ = v.DownloadMemo;
        std::string lines;
        for (const std::string& line : shownMemo_) (lines += line) += '\n';
        if (!lines.empty()) lines.pop_back();
        DownloadMemo->setPlainText(qt(lines));
    }
    cbDLbusy->setChecked(v.cbDLbusy);
    cbDLrunning->setChecked(v.cbDLrunning);
    cbDLerror->setChecked(v.cbDLerror);
    // Idle without a loader name: point the user at the browse button, but
    // leave the focus where a name is being typed.
    if (v.btnDLfilenameFocus && v.PanelDownloader && !EditDLfilename->hasFocus()) btnDLfilename->setFocus();

    // Panels.
    PanelFriendly->setVisible(v.PanelFriendly);
    PanelFirmware->setVisible(v.PanelFirmware);
    PanelHardware->setVisible(v.PanelHardware);
    PanelApplication->setVisible(v.PanelApplication);
    PanelDownloader->setVisible(v.PanelDownloader);
    MemoHistory->setVisible(v.MemoHistoryVisible);

    // Menus.
    menuCaptureTx->setChecked(port_.menuCaptureTx());
    menuCaptureRx->setChecked(port_.menuCaptureRx());
    menuAdvExpectBeacon->setChecked(v.menuAdvExpectBeacon);
    menuAdvAutoDownload->setChecked(v.menuAdvAutoDownload);
    menuAdvFastestBaud->setChecked(v.menuAdvFastestBaud);
    menuAdvAllow115200baud->setChecked(v.menuAdvAllow115200baud);
    menuAdvAllow115200baud->setEnabled(v.menuAdvAllow115200baudEnabled);
    menuAdvEndReplyAtPrompt->setChecked(query_.EndReplyAtPrompt());

    // Timer.
    if (Timer1->interval() != int(sequence_.nextTickMs())) Timer1->setInterval(int(sequence_.nextTickMs()));
    const bool timerWanted = v.Timer1Enabled && !manualTicks_;
    if (timerWanted != Timer1->isActive()) timerWanted ? Timer1->start() : Timer1->stop();

    quiet.clear();
    showing_ = false;
    if (onStateShown) onStateShown();
    applyModalResult();
}

QString TSerialForm::historyRow(size_t index) const {
    const History& history = port_.MemoHistory();
    if (!menuViewTimeStamps->isChecked()) return qt(history.line(index));
    const int64_t wallMs = wallMsAtClockZero_ + int64_t(history.stampMicros(index) / 1000);
    return QDateTime::fromMSecsSinceEpoch(wallMs).toString("hh:mm:ss.zzz ") + qt(history.line(index));
}

// Each change is shown as it comes, costing only the text it adds; while the
// window is hidden nothing is shown until it is shown again.
void TSerialForm::showHistory(History::Change change, std::string_view added) {
    if (historyStale_ || !isVisible()) {
        historyStale_ = true;
        return;
    }
    switch (change) {
    case History::Change::LineAdded: MemoHistory->addItem(historyRow(port_.MemoHistory().count() - 1)); break;
    case History::Change::LastLineExtended:
        if (MemoHistory->count() > 0) {
            QListWidgetItem* last = MemoHistory->item(MemoHistory->count() - 1);
            last->setText(last->text() + qt(std::string(added)));
        }
        break;
    case History::Change::FirstLineDeleted: delete MemoHistory->takeItem(0); break;
    case History::Change::Cleared: MemoHistory->clear(); break;
    }
    MemoHistory->scrollToBottom();
}

void TSerialForm::reshowHistory() {
    historyStale_ = false;
    MemoHistory->clear();
    for (size_t i = 0; i < port_.MemoHistory().count(); ++i) MemoHistory->addItem(historyRow(i));
    MemoHistory->scrollToBottom();
}

void TSerialForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (historyStale_) reshowHistory();
    showState();
}

// OK ends a modal display; a window shown without exec() only keeps the
// result for whoever asks.
void TSerialForm::applyModalResult() {
    const FormResult wanted = sequence_.takeModalResult();
    if (wanted == FormResult::None) return;
    const int code = wanted == FormResult::Ok ? QDialog::Accepted : QDialog::Rejected;
    if (inModalLoop_)
        done(code);
    else
        setResult(code);
}

int TSerialForm::exec() {
    inModalLoop_ = true;
    const int code = QDialog::exec();
    inModalLoop_ = false;
    return code;
}

void TSerialForm::driveTimerManually() {
    manualTicks_ = true;
    Timer1->stop();
}

int TSerialForm::runSequence(int maxTicks) {
    for (int tick = 0; tick < maxTicks; ++tick) {
        // A tick that overran the interval is followed by the next at once.
        clock_.sleepUntil(lastTickMicros_ + uint64_t(sequence_.nextTickMs()) * 1000);
        const bool wasRunning = sequence_.ConnState() == ConnectionState::Running;
        Timer1Timer();
        // A tick in the running state has given the modal result.
        if (wasRunning || sequence_.ConnState() == ConnectionState::Idle) break;
    }
    return result();
}

// --- Handlers ---

void TSerialForm::Timer1Timer() {
    lastTickMicros_ = clock_.micros();
    takeInput();
    sequence_.Timer1Timer();
    showState();
}

void TSerialForm::btnOkClick() {
    takeInput();
    setResult(0);
    lastTickMicros_ = clock_.micros();
    sequence_.btnOkClick();
    showState();
}

void TSerialForm::btnStopClick() {
    takeInput();
    sequence_.btnStopClick();
    showState();
}

void TSerialForm::btnCancelClick() {
    takeInput();
    sequence_.btnCancelClick();
    showState();
}

void TSerialForm::btnFwResetClick() {
    takeInput();
    sequence_.btnFwResetClick();
    showState();
}

void TSerialForm::btnFwSetBaudClick() {
    takeInput();
    sequence_.btnFwSetBaudClick();
    showState();
}

void TSerialForm::btnHwOpenClick() {
    takeInput();
    port_.DoOpenPort();
    sequence_.Timer1Timer();
    showState();
}

void TSerialForm::btnHwCloseClick() {
    takeInput();
    port_.DoClosePort();
    sequence_.Timer1Timer();
    showState();
}

void TSerialForm::cbxHwBaudChange() {
    bool number = false;
    const uint32_t rate = cbxHwBaud->currentText().trimmed().toUInt(&number);
    port_.DoHwSetBaud(number ? rate : 0);
    showState();
}

void TSerialForm::setModemLine(bool rts, bool on) {
    if (!port_.isPortOpen()) return;
    SerialDevice& device = port_.device();
    if (rts ? device.setRts(on) : device.setDtr(on)) return;
    port_.reportFailure("EscapeCommFunction failed");
}

void TSerialForm::cbRTSClick() { setModemLine(true, cbRTS->isChecked()); }
void TSerialForm::cbDTRClick() { setModemLine(false, cbDTR->isChecked()); }

void TSerialForm::btnHwSendClick() { sendManually(false); }
void TSerialForm::btnHwSendwEchoClick() { sendManually(true); }

void TSerialForm::sendManually(bool waitForEcho) {
    takeInput();
    std::string bytes = lineBytes(EditHwSend->text());
    if (cbHwESC->isChecked()) bytes.insert(bytes.begin(), Esc);
    if (cbHwCR->isChecked()) bytes += Cr;
    if (waitForEcho)
        port_.WriteStringWaitForEcho(bytes.c_str());
    else
        port_.WriteStringNoEcho(bytes.c_str());
    collectQuietly();
    showState();
}

// Reads until nothing has arrived for the query quiet time.
void TSerialForm::collectQuietly() {
    const uint64_t quietMicros = uint64_t(query_.AppQueryTimeoutMs()) * 1000;
    uint64_t deadline = clock_.micros() + quietMicros;
    while (clock_.micros() < deadline) {
        const uint32_t leftMs = uint32_t((deadline - clock_.micros() + 999) / 1000);
        const bool waiting = port_.isPortOpen() && port_.device().waitForInput(leftMs);
        if (waiting && port_.ReadRxBuffer()) {
            deadline = clock_.micros() + quietMicros;
            continue;
        }
        // Nothing came (or the read failed): the rest of the quiet time passes.
        clock_.sleepUntil(deadline);
    }
}

void TSerialForm::btnHwRecvClick() {
    port_.ReadRxBuffer();
    showState();
}

void TSerialForm::btnAppQueryClick() {
    const QString typed = cbxAppQuery->currentText();
    if (cbxAppQuery->findText(typed, Qt::MatchExactly) < 0) cbxAppQuery->addItem(typed);
    std::string query = lineBytes(typed);
    if (cbPreESC->isChecked()) query.insert(query.begin(), Esc);
    if (cbPostCR->isChecked()) query += Cr;
    query_.AppQuery(query);
    showState();
}

void TSerialForm::btnDownloadClick() {
    takeInput();
    sequence_.btnDownloadClick();
    showState();
}

void TSerialForm::btnDLfilenameClick() {
    takeInput();
    sequence_.btnDLfilenameClick();
    showState();
}

void TSerialForm::menuViewClick() {
    menuViewFriendly->setChecked(sequence_.view().PanelFriendly);
    menuViewHardware->setChecked(sequence_.view().PanelHardware);
    menuViewFirmware->setChecked(sequence_.view().PanelFirmware);
    menuViewDownloader->setChecked(sequence_.view().PanelDownloader);
    menuViewApplication->setChecked(sequence_.view().PanelApplication);
    menuViewHistory->setChecked(sequence_.view().MemoHistoryVisible);
}

// The action has toggled its own check mark; the panel follows it.
void TSerialForm::toggleView(QAction* item, SerialPanel panel) {
    sequence_.setPanelVisible(panel, item->isChecked());
    showState();
}

void TSerialForm::menuTimerClick() {
    for (QAction* item : menuTimer->actions())
        item->setChecked(item->data().toUInt() == sequence_.view().Timer1Interval);
}

void TSerialForm::menuAppQueryTimeoutClick() {
    for (QAction* item : menuAppQueryTimeout->actions())
        item->setChecked(item->data().toUInt() == query_.AppQueryTimeoutMs());
}

void TSerialForm::menuAdvNoDownloadClick() {
    takeInput();
    sequence_.menuAdvNoDownloadClick();
    showState();
}

void TSerialForm::menuAdvancedDebuggerClick() { debugger_.DebuggerShow(); }

}  // namespace vx
