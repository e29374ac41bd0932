#include "app/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "app/ApplicationTitle.h"
#include "app/HelpIndex.h"
#include "graph/ZrGraphPainter.h"
#include "graphwin/GraphForm.h"
#include "link/Kit.h"
#include "link/SerialForm.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/ShowText.h"
#include "platform/WindowPlacement.h"
#include "vx_version.h"

namespace vx {

namespace {

QLabel* label(const char* text, QWidget* parent) { return new QLabel(text, parent); }

void setPixelFont(QWidget* widget, int pixels, bool bold) {
    QFont font = widget->font();
    font.setPixelSize(pixels);
    font.setBold(bold);
    widget->setFont(font);
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

// One of the rounded boxes that group the window's areas.
QFrame* box(QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setObjectName("box");
    frame->setStyleSheet("QFrame#box { border: 1px solid palette(mid); border-radius: 6px; }");
    return frame;
}

void showSelector(QComboBox* box, const Selector& selector) {
    const QSignalBlocker quiet(box);
    if (box->count() == 0)
        for (const std::string& item : selector.items) box->addItem(qt(item));
    const int index = selector.selectedIndex();
    if (index >= 0) box->setCurrentIndex(index);
    if (box->currentText() != qt(selector.text)) box->setEditText(qt(selector.text));
}

}  // namespace

TMainForm::TMainForm(Kit& kit, GraphFeed& graphs, Clock& clock, Dialogs& dialogs, Launcher& launcher,
                     const std::string& executablePath)
    : kit_(kit),
      graphs_(graphs),
      clock_(clock),
      dialogs_(dialogs),
      launcher_(launcher),
      executablePath_(executablePath),
      control_(kit.query(), dialogs),
      loop_(control_, kit.query(), *this, clock) {
    setWindowTitle(NotConnectedCaption);
    showModal = [](QDialog& window) { return window.exec(); };
    realTimer_ = new QTimer(this);
    realTimer_->setObjectName("Timer1");
    realTimer_->setSingleShot(true);
    realTimer_->setTimerType(Qt::PreciseTimer);
    buildControls();
    buildMenus();
    FormCreate();
    connectHandlers();
    showSelectors();
    showReadings();
    // Wide enough for every selector's text.
    resize(std::max(442, sizeHint().width()), std::max(321, sizeHint().height()));
    loop_.Timer1().setOnChange([this] { armTimer(); });
}

TMainForm::~TMainForm() {
    loop_.Timer1().setOnChange(nullptr);
    for (QObject* child : findChildren<QObject*>()) QObject::disconnect(child, nullptr, this, nullptr);
}

void TMainForm::setToolWindows(TSerialForm& serial, QDialog& sampling) {
    serial_ = &serial;
    sampling_ = &sampling;
}

void TMainForm::buildControls() {
    auto* centre = new QWidget(this);
    setCentralWidget(centre);
    auto* whole = new QVBoxLayout(centre);
    whole->setContentsMargins(6, 6, 6, 6);

    auto* selectors = new QHBoxLayout;
    for (QComboBox** list : {&ComboBox1, &ComboBox2, &ComboBox3, &ComboBox4, &ComboBox5}) {
        *list = new QComboBox(centre);
        (*list)->setEditable(true);
        (*list)->setInsertPolicy(QComboBox::NoInsert);
        // Wide enough to read every item, "11 normal operation" too.
        (*list)->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        selectors->addWidget(*list);
    }
    ComboBox2->setMaxVisibleItems(9);
    whole->addLayout(selectors);

    auto* panels = new QHBoxLayout;
    whole->addLayout(panels);

    panels->addWidget(buildChannelRows(centre));

    auto* right = new QVBoxLayout;
    panels->addLayout(right);

    right->addWidget(buildReadingBox(centre));
    right->addWidget(buildReferenceBox(centre));
    right->addStretch();

    whole->addWidget(buildStatisticsBox(centre));
}

// A row per channel: its name, volts and code.
QFrame* TMainForm::buildChannelRows(QWidget* parent) {
    QFrame* channels = box(parent);
    auto* rows = new QGridLayout(channels);
    rows->setVerticalSpacing(2);
    for (int c = 0; c < ReadingLoop::Channels; ++c) {
        LabelCH[c] = new QLabel(QString("CH%1").arg(c), channels);
        Vin[c] = new QLabel(ReadingLoop::UnknownVolts, channels);
        setPixelFont(Vin[c], 13, true);
        Vin[c]->setMinimumWidth(Vin[c]->fontMetrics().horizontalAdvance(">-2.0480V") + 4);
        Vin[c]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Code[c] = new QLabel(ReadingLoop::UnknownCode, channels);
        LabelCH[c]->setObjectName(QString("LabelCH%1").arg(c));
        Vin[c]->setObjectName(QString("Vin%1").arg(c));
        Code[c]->setObjectName(QString("Code%1").arg(c));
        Code[c]->setMinimumWidth(Code[c]->fontMetrics().horizontalAdvance("-2048") + 4);
        Code[c]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        rows->addWidget(LabelCH[c], c, 0);
        rows->addWidget(Vin[c], c, 1);
        rows->addWidget(Code[c], c, 2);
    }
    return channels;
}

// Read, Read Every and the reading interval.
QFrame* TMainForm::buildReadingBox(QWidget* parent) {
    QFrame* reading = box(parent);
    auto* readingRows = new QGridLayout(reading);
    UpdateButton = new QPushButton("&Read", reading);
    StatusLabel = new QLabel("*", reading);
    setPixelFont(StatusLabel, 32, true);
    setTextColour(StatusLabel, Qt::red);
    StatusLabel->setMinimumWidth(StatusLabel->fontMetrics().horizontalAdvance("^") + 8);
    StatusLabel->setAlignment(Qt::AlignCenter);
    AUTOREADcheckbox = new QCheckBox("Read Every", reading);
    UpdateRateComboBox = new QComboBox(reading);
    UpdateRateComboBox->setEditable(true);
    UpdateRateComboBox->setInsertPolicy(QComboBox::NoInsert);
    UpdateRateComboBox->addItems(
        {"10", "20", "60", "100", "200", "500", "1000", "2000", "5000", "10000", "20000", "30000", "60000"});
    UpdateRateComboBox->setCurrentText("500");
    Label1 = new QLabel("msec", reading);
    readingRows->addWidget(UpdateButton, 0, 0);
    readingRows->addWidget(StatusLabel, 0, 1, 2, 1);
    readingRows->addWidget(AUTOREADcheckbox, 1, 0);
    auto* rate = new QHBoxLayout;
    rate->addWidget(UpdateRateComboBox);
    rate->addWidget(Label1);
    readingRows->addLayout(rate, 2, 0, 1, 2);
    return reading;
}

// The sample rate and the reference voltage.
QFrame* TMainForm::buildReferenceBox(QWidget* parent) {
    QFrame* reference = box(parent);
    auto* referenceRows = new QGridLayout(reference);
    LabelSampleRate = new QLabel("Sample rate: 6 ksps", reference);
    SetVrefButton = new QPushButton("Set Vref", reference);
    VrefEdit = new QLineEdit(ConversionControl::DefaultVrefText, reference);
    VrefEdit->setMaximumWidth(VrefEdit->fontMetrics().horizontalAdvance("00.0000V") + 12);
    referenceRows->addWidget(LabelSampleRate, 0, 0, 1, 2);
    referenceRows->addWidget(SetVrefButton, 1, 0);
    referenceRows->addWidget(VrefEdit, 1, 1);
    return reference;
}

// The statistics of the channel in use, tare and clear.
QFrame* TMainForm::buildStatisticsBox(QWidget* parent) {
    QFrame* statistics = box(parent);
    auto* statRows = new QGridLayout(statistics);
    statRows->setVerticalSpacing(2);
    Label6 = label("Average", statistics);
    Label3 = label("Rms", statistics);
    Label7 = label("Minimum", statistics);
    Label8 = label("Maximum", statistics);
    VAvg = label(ReadingLoop::UnknownVolts, statistics);
    CodeRms = label(ReadingLoop::UnknownVolts, statistics);
    VMin = label(ReadingLoop::UnknownVolts, statistics);
    VMax = label(ReadingLoop::UnknownVolts, statistics);
    CodeAvg = label(ReadingLoop::UnknownCode, statistics);
    CodeMin = label(ReadingLoop::UnknownCode, statistics);
    CodeMax = label(ReadingLoop::UnknownCode, statistics);
    QLabel* names[] = {Label6, Label3, Label7, Label8};
    QLabel* volts[] = {VAvg, CodeRms, VMin, VMax};
    QLabel* codes[] = {CodeAvg, nullptr, CodeMin, CodeMax};
    for (int row = 0; row < 4; ++row) {
        statRows->addWidget(names[row], row, 0);
        QFont bold = volts[row]->font();
        bold.setBold(true);
        volts[row]->setFont(bold);
        volts[row]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        volts[row]->setMinimumWidth(volts[row]->fontMetrics().horizontalAdvance(">-2.0480V") + 4);
        statRows->addWidget(volts[row], row, 1);
        if (codes[row]) {
            codes[row]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            codes[row]->setMinimumWidth(codes[row]->fontMetrics().horizontalAdvance("-2048") + 4);
            statRows->addWidget(codes[row], row, 2);
        }
    }
    TareCheckBox = new QCheckBox("Tare Offset = 0", statistics);
    ClearStatisticsButton = new QPushButton("Clear Statistics", statistics);
    statRows->addWidget(TareCheckBox, 4, 0, 1, 2);
    statRows->addWidget(ClearStatisticsButton, 4, 2);
    return statistics;
}

void TMainForm::buildMenus() {
    QMenuBar* bar = menuBar();
    menuInput = bar->addMenu("&Input");
    for (int c = 0; c < ReadingLoop::Channels; ++c) {
        menuInputCH[c] = menuInput->addAction(QString("CH&%1").arg(c));
        menuInputCH[c]->setObjectName("menuInputCH" + QString::number(c) + "1");
    }
    menuInputScanAll1 = menuInput->addAction("&Scan All inputs");

    menuView1 = bar->addMenu("&View");
    menuViewRealtimeGraph1 = menuView1->addAction("&Real time graph");
    menuViewCOMPortDebug1 = menuView1->addAction("&COM Port Debug");
    menuViewRealtimeGraph1->setCheckable(true);
    menuViewCOMPortDebug1->setCheckable(true);

    menuColors = bar->addMenu("&Colors");
    menuColorsStandard1 = menuColors->addAction("&Standard Colors");
    for (int c = 0; c < ReadingLoop::Channels; ++c) {
        menuColorCH[c] = menuColors->addAction(QString("Color CH&%1").arg(c));
        menuColorCH[c]->setObjectName("menuColorCH" + QString::number(c) + "1");
    }

    menuSample1 = bar->addAction("&Sample!");

    menuHelp = bar->addMenu("&Help");
    menuHelpIndex = menuHelp->addAction("Index");
    menuHelpAbout = menuHelp->addAction("About...");

    // Each control is found by its member's name.
    const std::pair<QObject*, const char*> controls[] = {{ComboBox1, "ComboBox1"},
                                                         {ComboBox2, "ComboBox2"},
                                                         {ComboBox3, "ComboBox3"},
                                                         {ComboBox4, "ComboBox4"},
                                                         {ComboBox5, "ComboBox5"},
                                                         {UpdateButton, "UpdateButton"},
                                                         {AUTOREADcheckbox, "AUTOREADcheckbox"},
                                                         {UpdateRateComboBox, "UpdateRateComboBox"},
                                                         {Label1, "Label1"},
                                                         {StatusLabel, "StatusLabel"},
                                                         {LabelSampleRate, "LabelSampleRate"},
                                                         {SetVrefButton, "SetVrefButton"},
                                                         {VrefEdit, "VrefEdit"},
                                                         {Label6, "Label6"},
                                                         {Label3, "Label3"},
                                                         {Label7, "Label7"},
                                                         {Label8, "Label8"},
                                                         {VAvg, "VAvg"},
                                                         {CodeRms, "CodeRms"},
                                                         {VMin, "VMin"},
                                                         {VMax, "VMax"},
                                                         {CodeAvg, "CodeAvg"},
                                                         {CodeMin, "CodeMin"},
                                                         {CodeMax, "CodeMax"},
                                                         {TareCheckBox, "TareCheckBox"},
                                                         {ClearStatisticsButton, "ClearStatisticsButton"},
                                                         {menuInput, "menuInput"},
                                                         {menuInputScanAll1, "menuInputScanAll1"},
                                                         {menuView1, "menuView1"},
                                                         {menuViewRealtimeGraph1, "menuViewRealtimeGraph1"},
                                                         {menuViewCOMPortDebug1, "menuViewCOMPortDebug1"},
                                                         {menuColors, "menuColors"},
                                                         {menuColorsStandard1, "menuColorsStandard1"},
                                                         {menuSample1, "menuSample1"},
                                                         {menuHelp, "menuHelp"},
                                                         {menuHelpIndex, "menuHelpIndex"},
                                                         {menuHelpAbout, "menuHelpAbout"}};
    for (const auto& [control, name] : controls) control->setObjectName(name);
}

void TMainForm::connectHandlers() {
    for (QComboBox* list : {ComboBox1, ComboBox2, ComboBox3, ComboBox4, ComboBox5})
        connect(list, &QComboBox::currentTextChanged, this, [this] { CtrlWordComboBoxChange(); });
    connect(UpdateButton, &QPushButton::clicked, this, [this] { UpdateButtonClick(); });
    connect(AUTOREADcheckbox, &QCheckBox::clicked, this, [this] { AUTOREADcheckboxClick(); });
    connect(UpdateRateComboBox, &QComboBox::currentTextChanged, this, [this] { UpdateRateComboBoxChange(); });
    connect(SetVrefButton, &QPushButton::clicked, this, [this] { SetVrefButtonClick(); });
    connect(TareCheckBox, &QCheckBox::clicked, this, [this] { TareCheckBoxClick(); });
    connect(ClearStatisticsButton, &QPushButton::clicked, this, [this] { ClearStatisticsButtonClick(); });
    connect(realTimer_, &QTimer::timeout, this, [this] { Timer1Timer(); });

    for (int c = 0; c < ReadingLoop::Channels; ++c) {
        connect(menuInputCH[c], &QAction::triggered, this, [this, c] { menuInputChannelClick(c); });
        connect(menuColorCH[c], &QAction::triggered, this, [this, c] { menuColorChannelClick(c); });
    }
    connect(menuInputScanAll1, &QAction::triggered, this, [this] { menuInputScanAll1Click(); });
    connect(menuView1, &QMenu::aboutToShow, this, [this] { menuView1Click(); });
    connect(menuViewRealtimeGraph1, &QAction::triggered, this, [this] { menuViewRealtimeGraph1Click(); });
    connect(menuViewCOMPortDebug1, &QAction::triggered, this, [this] { menuViewCOMPortDebug1Click(); });
    connect(menuColorsStandard1, &QAction::triggered, this, [this] { menuColorsStandard1Click(); });
    connect(menuSample1, &QAction::triggered, this, [this] { menuSample1Click(); });
    connect(menuHelpIndex, &QAction::triggered, this, [this] { menuHelpIndexClick(); });
    connect(menuHelpAbout, &QAction::triggered, this, [this] { menuHelpAboutClick(); });
}

void TMainForm::driveTimerManually() {
    manualTicks_ = true;
    realTimer_->stop();
}

// The real timer fires when the reading timer's next tick is due.
void TMainForm::armTimer() {
    if (manualTicks_ || !loop_.Timer1().Enabled()) {
        realTimer_->stop();
        return;
    }
    const uint64_t now = clock_.micros();
    const uint64_t due = loop_.Timer1().dueMicros();
    const uint64_t waitMs = due > now ? (due - now + 999) / 1000 : 0;
    realTimer_->start(int(std::min<uint64_t>(waitMs, uint64_t(INT32_MAX))));
}

void TMainForm::withTimerPaused(const std::function<void()>& f) {
    const bool wasEnabled = loop_.Timer1().Enabled();
    loop_.Timer1().SetEnabled(false);
    f();
    loop_.Timer1().SetEnabled(wasEnabled);
}

// --- Showing state ---

void TMainForm::takeSelectors() {
    control_.setComboBoxText(1, ComboBox1->currentText().toStdString());
    control_.setComboBoxText(2, ComboBox2->currentText().toStdString());
    control_.setComboBoxText(3, ComboBox3->currentText().toStdString());
    control_.setComboBoxText(4, ComboBox4->currentText().toStdString());
    control_.setComboBoxText(5, ComboBox5->currentText().toStdString());
}

void TMainForm::showSelectors() {
    const ConversionState& s = control_.state();
    showSelector(ComboBox1, s.ComboBox1);
    showSelector(ComboBox2, s.ComboBox2);
    showSelector(ComboBox3, s.ComboBox3);
    showSelector(ComboBox4, s.ComboBox4);
    showSelector(ComboBox5, s.ComboBox5);
}

void TMainForm::showReadings() {
    const ReadingsView& v = loop_.view();
    for (int c = 0; c < ReadingLoop::Channels; ++c) {
        setText(Vin[c], v.Vin[c]);
        setText(Code[c], v.Code[c]);
    }
    setText(StatusLabel, v.StatusLabel);
    StatusLabel->setVisible(v.StatusVisible);
    setText(VAvg, v.VAvg);
    setText(CodeRms, v.CodeRms);
    setText(VMin, v.VMin);
    setText(VMax, v.VMax);
    setText(CodeAvg, v.CodeAvg);
    setText(CodeMin, v.CodeMin);
    setText(CodeMax, v.CodeMax);
    AUTOREADcheckbox->setChecked(v.AUTOREADcheckbox);
    TareCheckBox->setChecked(v.TareCheckBox);
    if (TareCheckBox->text() != qt(v.TareCheckBoxCaption)) TareCheckBox->setText(qt(v.TareCheckBoxCaption));
    if (UpdateRateComboBox->currentText() != qt(v.UpdateRateComboBox)) {
        const QSignalBlocker quiet(UpdateRateComboBox);
        UpdateRateComboBox->setCurrentText(qt(v.UpdateRateComboBox));
    }
    // A hidden serial window shows no state changes; a lost device is seen here.
    followConnection();
}

// --- ReadingTarget ---

void TMainForm::showStatus(const std::string& status) {
    setText(StatusLabel, status);
    StatusLabel->setVisible(true);
    // The query that follows blocks: draw the status before it starts.
    if (isVisible()) StatusLabel->repaint();
}

void TMainForm::Graph_Data_Point(int channel, int32_t code) { graphs_.Graph_Data_Point(channel, code); }

bool TMainForm::AutoScale() {
    TGraphForm* graph = graphs_.target();
    return graph && graph->Painter()->AutoScale();
}

void TMainForm::SetAutoScale(bool on) {
    if (TGraphForm* graph = graphs_.target()) graph->Painter()->SetAutoScale(on);
}

// --- Handlers ---

void TMainForm::FormCreate() {
    // The label arrays are filled as the rows are built, in channel order.
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    // After the window is on the screen, so the serial window opens over it.
    QTimer::singleShot(0, this, [this] { FormShow(); });
}

void TMainForm::FormShow() {
    loop_.Timer1().SetEnabled(false);
    kit_.sequence().SelectFilename(loaderFileName);
    if (serial_ && showModal(*serial_) == QDialog::Accepted) loop_.AUTOREADcheckboxClick(true);
    followConnection();
    control_.selectComboBoxItem(1, 0);
    control_.selectComboBoxItem(2, 0);
    control_.selectComboBoxItem(3, 1);
    control_.selectComboBoxItem(4, 1);
    control_.selectComboBoxItem(5, 3);
    showSelectors();
    loop_.UpdateRateComboBoxChange("100");
    showReadings();
    UpdateButtonClick();
    control_.FillVrefEdit();
    VrefEdit->setText(qt(control_.state().VrefEdit));
    if (graphs_.GraphForm) {
        placeBeside(*graphs_.GraphForm);
        graphs_.GraphForm->show();
    }
    ApplyChannelColours();
}

// The graph opens beside the main window, not over its statistics, unless
// it is back where the user left it last time.
void TMainForm::placeBeside(QWidget& window) { WindowPlacement::placeBeside(window, *this); }

void TMainForm::followConnection() {
    const bool connected = kit_.sequence().ConnState() == ConnectionState::Running && !kit_.port().deviceGone();
    const QString title =
        connected ? QString("Vanto VX7318 on %1").arg(qt(kit_.portName())) : QString(NotConnectedCaption);
    if (windowTitle() != title) setWindowTitle(title);
}

// Every open graph with unsaved data asks first (one already closed has had
// its answer); Cancel there keeps the program, its windows and its
// connection as they are.
void TMainForm::closeEvent(QCloseEvent* event) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* graph = qobject_cast<TGraphForm*>(window);
        if (!graph || !graph->isVisible() || !graph->DataUnsaved) continue;
        if (!graph->FormCloseQuery()) return event->ignore();
        graph->DataUnsaved = false;  // answered: not asked again as the program closes it
    }
    FormClose();
    event->accept();
    // The main window's close ends the program, whatever else is open.
    QCoreApplication::quit();
}

void TMainForm::FormClose() {
    loop_.Timer1().SetEnabled(false);
    kit_.sequence().btnStopClick();
}

void TMainForm::CtrlWordComboBoxChange() {
    takeSelectors();
    control_.CtrlWordComboBoxChange();
}

// The window shows the reading's end also when it throws.
void TMainForm::UpdateButtonClick() {
    const ShowReadingsAfter show(*this);
    loop_.UpdateButtonClick();
}

void TMainForm::Timer1Timer() {
    const ShowReadingsAfter show(*this);
    loop_.Timer1Timer();
}

void TMainForm::AUTOREADcheckboxClick() {
    loop_.AUTOREADcheckboxClick(AUTOREADcheckbox->isChecked());
    showReadings();
}

void TMainForm::UpdateRateComboBoxChange() {
    loop_.UpdateRateComboBoxChange(UpdateRateComboBox->currentText().trimmed().toStdString());
}

void TMainForm::SetVrefButtonClick() {
    control_.setVrefEdit(VrefEdit->text().toStdString());
    control_.SetVrefButtonClick();
    VrefEdit->setText(qt(control_.state().VrefEdit));
}

void TMainForm::TareCheckBoxClick() {
    loop_.TareCheckBoxClick(TareCheckBox->isChecked());
    showReadings();
}

void TMainForm::ClearStatisticsButtonClick() {
    loop_.ClearStatisticsButtonClick();
    showReadings();
}

void TMainForm::menuInputChannelClick(int channel) {
    takeSelectors();
    control_.menuInputChannelClick(channel);
    showSelectors();
}

void TMainForm::menuInputScanAll1Click() {
    takeSelectors();
    control_.menuInputScanAll1Click();
    showSelectors();
}

void TMainForm::menuView1Click() {
    menuViewRealtimeGraph1->setChecked(graphs_.GraphForm && graphs_.GraphForm->isVisible());
    menuViewCOMPortDebug1->setChecked(serial_ && serial_->isVisible());
}

namespace {
void toggleWindow(QWidget* window) {
    if (!window) return;
    if (window->isVisible()) {
        window->hide();
        return;
    }
    window->show();
    window->raise();
    window->activateWindow();
}
}  // namespace

void TMainForm::menuViewRealtimeGraph1Click() { toggleWindow(graphs_.GraphForm); }

void TMainForm::menuViewCOMPortDebug1Click() { toggleWindow(serial_); }

void TMainForm::ApplyChannelColours() {
    if (!graphs_.GraphForm) return;
    ZrGraphPainter* painter = graphs_.GraphForm->Painter();
    for (int c = 0; c < ReadingLoop::Channels; ++c) {
        if (painter->GetNumChannels() > c) painter->SetThisChannel(uint32_t(c));
        const QColor colour = toQColor(painter->GetThisPlotColor());
        const uint32_t channel = painter->ThisChannel();
        if (channel >= uint32_t(ReadingLoop::Channels)) continue;
        for (QLabel* row : {LabelCH[channel], Vin[channel], Code[channel]}) setTextColour(row, colour);
    }
}

void TMainForm::menuColorsStandard1Click() {
    if (!graphs_.GraphForm) return;
    graphs_.GraphForm->Painter()->ResetPlotColors();
    ApplyChannelColours();
}

void TMainForm::menuColorChannelClick(int channel) {
    if (!graphs_.GraphForm) return;
    withTimerPaused([&] {
        ZrGraphPainter* painter = graphs_.GraphForm->Painter();
        painter->SetThisChannel(uint32_t(channel));
        if (const auto chosen = dialogs_.chooseColour(painter->GetThisPlotColor())) {
            painter->SetThisPlotColor(*chosen);
            painter->Redraw();
        }
        ApplyChannelColours();
    });
}

void TMainForm::menuSample1Click() {
    withTimerPaused([&] {
        if (control_.state().ScanAll)
            dialogs_.message({SamplingScanAllRefusal, "Vanto", MsgButtons::Ok, MsgIcon::None, MsgAnswer::Ok});
        else if (sampling_)
            showModal(*sampling_);
    });
}

void TMainForm::menuHelpIndexClick() {
    HelpIndex::open(HelpIndex::helpFilePath(executablePath_), launcher_, dialogs_,
                    [this](const std::string& file) { return showHelpWindow(file); });
}

bool TMainForm::showHelpWindow(const std::string& file) {
    QFile page(QString::fromStdString(file));
    if (!page.open(QIODevice::ReadOnly)) return false;
    if (!helpWindow_) {
        helpWindow_ = new QTextBrowser(this);
        helpWindow_->setObjectName("helpWindow");
        helpWindow_->setWindowFlag(Qt::Window);
        helpWindow_->resize(720, 640);
    }
    helpWindow_->setSearchPaths({QFileInfo(page).absolutePath()});
    helpWindow_->setHtml(QString::fromUtf8(page.readAll()));
    helpWindow_->setWindowTitle(helpWindow_->documentTitle());
    helpWindow_->show();
    helpWindow_->raise();
    return true;
}

void TMainForm::menuHelpAboutClick() {
    dialogs_.message(
        {AboutText() + "\nVersion " VX_VERSION, ApplicationTitle, MsgButtons::Ok, MsgIcon::Information, MsgAnswer::Ok});
}

}  // namespace vx
