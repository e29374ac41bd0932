// The serial window's panels, controls and menus, with their captions and
// initial states. Behaviour lives in SerialForm.cpp.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "link/SerialForm.h"

namespace vx {

namespace {

QFrame* newPanel(QWidget* parent, const char* name) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Raised);
    return panel;
}

// Panels sit tight, so that all of them fit the window's width.
template <class Layout>
Layout* tight(Layout* layout) {
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);
    return layout;
}

QLabel* panelTitle(const char* text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QCheckBox* newCheck(const char* text, QWidget* parent, bool checked = false, bool enabled = true) {
    auto* box = new QCheckBox(text, parent);
    box->setChecked(checked);
    box->setEnabled(enabled);
    return box;
}

QComboBox* newCombo(QWidget* parent, const QStringList& items, bool editable = true) {
    auto* box = new QComboBox(parent);
    box->setEditable(editable);
    box->addItems(items);
    // Typed text is taken as it stands; it joins the list only where a
    // handler says so.
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

QAction* newItem(QMenu* menu, const char* text, bool checkable, bool checked = false) {
    QAction* action = menu->addAction(text);
    action->setCheckable(checkable);
    action->setChecked(checked);
    return action;
}

}  // namespace

void TSerialForm::buildFriendlyPanel() {
    // PanelFriendly: the one-button way to connect.
    PanelFriendly = newPanel(this, "PanelFriendly");
    LabelState = new QLabel("select which port is the Vanto evaluation kit:", PanelFriendly);
    QFont bold = LabelState->font();
    bold.setBold(true);
    LabelState->setFont(bold);
    LabelState->setAlignment(Qt::AlignCenter);
    LabelStatus = new QLabel("click the Ok button to begin ", PanelFriendly);
    LabelStatus->setAlignment(Qt::AlignCenter);
    cbxFriendlyPort = newCombo(PanelFriendly, {});
    btnOk = new QPushButton("Ok", PanelFriendly);
    btnOk->setDefault(true);
    btnStop = new QPushButton("Stop", PanelFriendly);
    btnCancel = new QPushButton("Cancel", PanelFriendly);
    MainProgressBar = new QProgressBar(PanelFriendly);
    MainProgressBar->setRange(0, 9);
    MainProgressBar->setValue(0);
    MainProgressBar->setTextVisible(false);
    {
        auto* grid = tight(new QGridLayout(PanelFriendly));
        grid->addWidget(LabelState, 0, 0, 1, 4);
        grid->addWidget(LabelStatus, 1, 0, 1, 4);
        grid->addWidget(cbxFriendlyPort, 2, 0);
        grid->addWidget(btnOk, 2, 1);
        grid->addWidget(btnStop, 2, 2);
        grid->addWidget(btnCancel, 2, 3);
        grid->addWidget(MainProgressBar, 3, 0, 1, 4);
        grid->setColumnStretch(0, 1);
    }
}

void TSerialForm::buildFirmwarePanel() {
    // PanelFirmware: the board's resident firmware.
    PanelFirmware = newPanel(this, "PanelFirmware");
    LabelFirmware = new QLabel("module type and ROM version will be listed here", PanelFirmware);
    LabelFirmware->setWordWrap(true);
    btnFwReset = new QPushButton("Reset && Close", PanelFirmware);
    btnFwSetBaud = new QPushButton("Change Baud Rate", PanelFirmware);
    cbxFwBaud = newCombo(PanelFirmware, {"1200", "4800", "9600", "19200"});
    {
        auto* grid = tight(new QGridLayout(PanelFirmware));
        grid->addWidget(panelTitle("Firmware", PanelFirmware), 0, 0);
        grid->addWidget(LabelFirmware, 0, 1, 1, 3);
        grid->addWidget(btnFwReset, 1, 1);
        grid->addWidget(btnFwSetBaud, 1, 2);
        grid->addWidget(cbxFwBaud, 1, 3);
        grid->setColumnStretch(1, 1);
    }
}

void TSerialForm::buildHardwarePanel() {
    // PanelHardware: the PC's port, driven by hand.
    PanelHardware = newPanel(this, "PanelHardware");
    cbxHwPort = newCombo(PanelHardware, {});
    btnHwOpen = new QPushButton("Open", PanelHardware);
    btnHwClose = new QPushButton("Close", PanelHardware);
    btnHwClose->setEnabled(false);
    cbRTS = newCheck("RTS", PanelHardware, true, false);
    cbDTR = newCheck("DTR", PanelHardware, false, false);
    cbCTS = newCheck("CTS", PanelHardware, false, false);
    cbDSR = newCheck("DSR", PanelHardware, false, false);
    cbxHwBaud = newCombo(PanelHardware, {"1200", "4800", "9600", "19200"});
    cbxHwBaud->setEditText("1200");
    cbSkipNulls = newCheck("skip nulls", PanelHardware);
    cbHwESC = newCheck("ESC", PanelHardware);
    EditHwSend = new QLineEdit(PanelHardware);
    cbHwCR = newCheck("CR", PanelHardware);
    btnHwSend = new QPushButton("Send (no echo)", PanelHardware);
    btnHwSendwEcho = new QPushButton("Send (wait echo)", PanelHardware);
    btnHwRecv = new QPushButton("Check Receive", PanelHardware);
    EditHwRecv = new QLineEdit(PanelHardware);
    EditHwRecv->setReadOnly(true);
    EditHwRecv->setEnabled(false);
    {
        auto* grid = tight(new QGridLayout(PanelHardware));
        grid->addWidget(panelTitle("Hardware", PanelHardware), 0, 0);
        grid->addWidget(cbxHwPort, 0, 1, 1, 2);
        grid->addWidget(btnHwOpen, 0, 3);
        grid->addWidget(btnHwClose, 0, 4);
        auto* lines = new QHBoxLayout;
        for (QCheckBox* box : {cbRTS, cbDTR, cbCTS, cbDSR}) lines->addWidget(box);
        lines->addStretch();
        grid->addLayout(lines, 1, 0, 1, 3);
        grid->addWidget(cbxHwBaud, 1, 3);
        grid->addWidget(cbSkipNulls, 1, 4);
        grid->addWidget(cbHwESC, 2, 0);
        grid->addWidget(EditHwSend, 2, 1, 1, 3);
        grid->addWidget(cbHwCR, 2, 4);
        grid->addWidget(btnHwSend, 3, 0, 1, 2);
        grid->addWidget(btnHwSendwEcho, 3, 2, 1, 2);
        grid->addWidget(btnHwRecv, 3, 4);
        grid->addWidget(EditHwRecv, 4, 0, 1, 5);
        grid->setColumnStretch(1, 1);
        grid->setColumnStretch(2, 1);
    }
}

void TSerialForm::buildApplicationPanel() {
    // PanelApplication: queries to the running application.
    PanelApplication = newPanel(this, "PanelApplication");
    cbAppEnabled = newCheck("Enabled", PanelApplication, false, false);
    cbPreESC = newCheck("ESC", PanelApplication, false, false);
    cbxAppQuery = newCombo(PanelApplication, {"?", "R", "XA", "A"});
    cbxAppQuery->setCurrentIndex(0);
    cbxAppQuery->setEnabled(false);
    cbPostCR = newCheck("CR", PanelApplication, false, false);
    btnAppQuery = new QPushButton("Send Query", PanelApplication);
    btnAppQuery->setEnabled(false);
    {
        auto* row = tight(new QHBoxLayout(PanelApplication));
        row->addWidget(panelTitle("Application", PanelApplication));
        row->addWidget(cbAppEnabled);
        row->addWidget(cbPreESC);
        row->addWidget(cbxAppQuery, 1);
        row->addWidget(cbPostCR);
        row->addWidget(btnAppQuery);
    }
}

void TSerialForm::buildDownloaderPanel() {
    // PanelDownloader: the loader file and its download.
    PanelDownloader = newPanel(this, "PanelDownloader");
    btnDownload = new QPushButton("Load file", PanelDownloader);
    btnDownload->setEnabled(false);
    EditDLfilename = new QLineEdit(PanelDownloader);
    btnDLfilename = new QPushButton("...", PanelDownloader);
    btnDLfilename->setMaximumWidth(30);
    LoaderProgressBar = new QProgressBar(PanelDownloader);
    LoaderProgressBar->setRange(0, 0);
    LoaderProgressBar->setValue(0);
    LoaderProgressBar->setTextVisible(false);
    DownloadMemo = new QPlainTextEdit(PanelDownloader);
    DownloadMemo->setReadOnly(true);
    DownloadMemo->setEnabled(false);
    DownloadMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    DownloadMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DownloadMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DownloadMemo->setMaximumHeight(60);
    // The loader's state flags: set by the program, kept out of sight.
    cbDLrunning = newCheck("running", PanelDownloader, false, false);
    cbDLbusy = newCheck("busy", PanelDownloader, false, false);
    cbDLerror = newCheck("error", PanelDownloader, false, false);
    for (QCheckBox* flag : {cbDLrunning, cbDLbusy, cbDLerror}) flag->hide();
    {
        auto* grid = tight(new QGridLayout(PanelDownloader));
        grid->addWidget(panelTitle("Loader", PanelDownloader), 0, 0);
        grid->addWidget(btnDownload, 0, 1);
        grid->addWidget(EditDLfilename, 0, 2);
        grid->addWidget(btnDLfilename, 0, 3);
        grid->addWidget(LoaderProgressBar, 1, 0, 1, 4);
        grid->addWidget(DownloadMemo, 2, 0, 1, 4);
        grid->setColumnStretch(2, 1);
    }
}

void TSerialForm::nameControls() {
    // Each control is found by its member's name.
    const std::pair<QObject*, const char*> controls[] = {{LabelState, "LabelState"},
                                                         {LabelStatus, "LabelStatus"},
                                                         {cbxFriendlyPort, "cbxFriendlyPort"},
                                                         {btnOk, "btnOk"},
                                                         {btnStop, "btnStop"},
                                                         {btnCancel, "btnCancel"},
                                                         {MainProgressBar, "MainProgressBar"},
                                                         {LabelFirmware, "LabelFirmware"},
                                                         {btnFwReset, "btnFwReset"},
                                                         {btnFwSetBaud, "btnFwSetBaud"},
                                                         {cbxFwBaud, "cbxFwBaud"},
                                                         {cbxHwPort, "cbxHwPort"},
                                                         {btnHwOpen, "btnHwOpen"},
                                                         {btnHwClose, "btnHwClose"},
                                                         {cbRTS, "cbRTS"},
                                                         {cbDTR, "cbDTR"},
                                                         {cbCTS, "cbCTS"},
                                                         {cbDSR, "cbDSR"},
                                                         {cbxHwBaud, "cbxHwBaud"},
                                                         {cbSkipNulls, "cbSkipNulls"},
                                                         {cbHwESC, "cbHwESC"},
                                                         {EditHwSend, "EditHwSend"},
                                                         {cbHwCR, "cbHwCR"},
                                                         {btnHwSend, "btnHwSend"},
                                                         {btnHwSendwEcho, "btnHwSendwEcho"},
                                                         {btnHwRecv, "btnHwRecv"},
                                                         {EditHwRecv, "EditHwRecv"},
                                                         {cbAppEnabled, "cbAppEnabled"},
                                                         {cbPreESC, "cbPreESC"},
                                                         {cbxAppQuery, "cbxAppQuery"},
                                                         {cbPostCR, "cbPostCR"},
                                                         {btnAppQuery, "btnAppQuery"},
                                                         {btnDownload, "btnDownload"},
                                                         {EditDLfilename, "EditDLfilename"},
                                                         {btnDLfilename, "btnDLfilename"},
                                                         {LoaderProgressBar, "LoaderProgressBar"},
                                                         {DownloadMemo, "DownloadMemo"},
                                                         {cbDLrunning, "cbDLrunning"},
                                                         {cbDLbusy, "cbDLbusy"},
                                                         {cbDLerror, "cbDLerror"},
                                                         {MemoHistory, "MemoHistory"},
                                                         {menuView, "menuView"},
                                                         {menuViewFriendly, "menuViewFriendly"},
                                                         {menuViewHardware, "menuViewHardware"},
                                                         {menuViewFirmware, "menuViewFirmware"},
                                                         {menuViewDownloader, "menuViewDownloader"},
                                                         {menuViewApplication, "menuViewApplication"},
                                                         {menuViewHistory, "menuViewHistory"},
                                                         {menuViewTimeStamps, "menuViewTimeStamps"},
                                                         {menuCaptureTx, "menuCaptureTx"},
                                                         {menuCaptureRx, "menuCaptureRx"},
                                                         {menuAdvExpectBeacon, "menuAdvExpectBeacon"},
                                                         {menuAdvAutoDownload, "menuAdvAutoDownload"},
                                                         {menuAdvNoDownload, "menuAdvNoDownload"},
                                                         {menuAdvFastestBaud, "menuAdvFastestBaud"},
                                                         {menuAdvAllow115200baud, "menuAdvAllow115200baud"},
                                                         {menuTimer, "menuTimer"},
                                                         {menuAppQueryTimeout, "menuAppQueryTimeout"},
                                                         {menuAdvEndReplyAtPrompt, "menuAdvEndReplyAtPrompt"},
                                                         {menuAdvancedDebugger, "menuAdvancedDebugger"}};
    for (const auto& [control, name] : controls) control->setObjectName(name);
}

void TSerialForm::buildPanels() {
    buildFriendlyPanel();
    buildFirmwarePanel();
    buildHardwarePanel();
    buildApplicationPanel();
    buildDownloaderPanel();

    MemoHistory = new QListWidget(this);
    MemoHistory->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoHistory->setUniformItemSizes(true);

    // Top panels, the history in the rest, bottom panels.
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(PanelFriendly);
    column->addWidget(PanelFirmware);
    column->addWidget(PanelHardware);
    column->addWidget(MemoHistory, 1);
    column->addWidget(PanelApplication);
    column->addWidget(PanelDownloader);
    column->setMenuBar(buildMenus());

    PanelFirmware->hide();
    PanelHardware->hide();
    PanelApplication->hide();
    PanelDownloader->hide();

    nameControls();
}

QMenuBar* TSerialForm::buildMenus() {
    auto* bar = new QMenuBar(this);

    QMenu* view = bar->addMenu("View");
    menuView = view;
    menuViewFriendly = newItem(view, "Friendly", true);
    menuViewHardware = newItem(view, "Hardware", true);
    menuViewFirmware = newItem(view, "Firmware", true);
    menuViewDownloader = newItem(view, "Loader", true);
    menuViewApplication = newItem(view, "Application", true);
    menuViewHistory = newItem(view, "History", true);
    view->addSeparator();
    menuViewTimeStamps = newItem(view, "Time Stamps", true);

    QMenu* capture = bar->addMenu("Capture");
    menuCaptureTx = newItem(capture, "Transmitted Data", true, true);
    menuCaptureRx = newItem(capture, "Received Data", true, true);

    QMenu* advanced = bar->addMenu("Advanced");
    menuAdvExpectBeacon = newItem(advanced, "Expect 0xAA beacon", true, true);
    menuAdvAutoDownload = newItem(advanced, "Auto Load", true, true);
    menuAdvNoDownload = newItem(advanced, "No Load", false);
    menuAdvFastestBaud = newItem(advanced, "Load at fastest baud rate", true, true);
    menuAdvAllow115200baud = newItem(advanced, "Allow 115200 baud (by slowing system clock 116%)", true, true);

    menuTimer = advanced->addMenu("Timer");
    for (int interval : TimerIntervals) {
        QAction* item = newItem(menuTimer, "", true);
        item->setText(QString("%1 msec timer").arg(interval));
        item->setData(interval);
    }

    menuAppQueryTimeout = advanced->addMenu("App Query Timeout");
    for (uint32_t timeout : AppQueryTimeoutChoicesMs) {
        QAction* item = newItem(menuAppQueryTimeout, "", true);
        item->setText(QString::fromStdString(AppQueryTimeoutCaption(timeout)));
        item->setData(timeout);
    }
    menuAdvEndReplyAtPrompt = newItem(advanced, "End Reply at Prompt", true, true);

    menuAdvancedDebugger = newItem(advanced, "Debugger", false);
    menuAdvancedDebugger->setEnabled(false);
    return bar;
}

}  // namespace vx
