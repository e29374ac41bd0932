#include "sampling/SampleForm.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "app/ApplicationTitle.h"
#include "graph/ZrGraphPainter.h"
#include "graphwin/GraphForm.h"
#include "link/Kit.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/ShowText.h"
#include "platform/WindowPlacement.h"
#include "sampling/SampleLink.h"

namespace vx {

namespace {

void showBar(QProgressBar* bar, const ProgressBar& state) {
    // An empty range would show the toolkit's busy animation; nothing is busy.
    const int max = std::max(state.Max, state.Min + 1);
    if (bar->minimum() != state.Min || bar->maximum() != max) bar->setRange(state.Min, max);
    if (bar->value() != state.Position) bar->setValue(state.Position);
}

}  // namespace

TSampleForm::TSampleForm(const SamplingServices& services, QWidget* parent)
    : QDialog(parent, Qt::Tool),
      dialogs_(services.dialogs),
      graphs_(services.graphs),
      showReadings_(services.showReadings),
      link_(std::make_unique<PortSampleLink>(services.kit.port(), services.kit.query())) {
    tool_ = std::make_unique<SamplingTool>(*link_, static_cast<SampleScreen&>(*this), services.control,
                                           services.readings, services.kit.clock());
    setWindowTitle(DesignCaption);
    buildControls();
    connectHandlers();
    Refresh(false);
    setWindowTitle(DesignCaption);
}

TSampleForm::~TSampleForm() {
    GraphFeed& feed = graphs_.feed;
    if (feed.UploadGraphForm)
        for (const auto& graph : uploadGraphs_)
            if (graph.get() == feed.UploadGraphForm) feed.UseUploadGraph = false;
}

void TSampleForm::buildControls() {
    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(6, 6, 6, 6);
    whole->setSpacing(4);

    auto* top = new QHBoxLayout;
    Label1 = new QLabel("Sample Size:", this);
    SampleSizeComboBox = new QComboBox(this);
    SampleSizeComboBox->setEditable(true);
    SampleSizeComboBox->setInsertPolicy(QComboBox::NoInsert);
    for (const char* size : {"1", "2", "4", "8", "16", "32", "64", "128", "256", "512", "1024", "2048", "4096", "8192"})
        SampleSizeComboBox->addItem(size);
    SampleSizeComboBox->setCurrentIndex(-1);
    SampleSizeComboBox->setEditText("?");
    SampleButton = new QPushButton("Begin Sampling", this);
    BacktrackButton = new QPushButton("<<", this);
    UploadButton = new QPushButton(">>", this);
    BacktrackButton->hide();
    UploadButton->hide();
    HaltButton = new QPushButton("Cancel", this);
    cbSummary = new QCheckBox("Summary", this);
    top->addWidget(Label1);
    top->addWidget(SampleSizeComboBox);
    top->addWidget(SampleButton);
    top->addWidget(BacktrackButton);
    top->addWidget(UploadButton);
    top->addWidget(HaltButton);
    top->addWidget(cbSummary);
    top->addStretch();
    whole->addLayout(top);
    LabelSampleTime = new QLabel(this);
    whole->addWidget(LabelSampleTime);

    auto* progress = new QGridLayout;
    Label6 = new QLabel("Sample Progress:", this);
    ProgressBarSample = new QProgressBar(this);
    Label4 = new QLabel("Transfer Progress:", this);
    ProgressBarUpload = new QProgressBar(this);
    progress->addWidget(Label6, 0, 0);
    progress->addWidget(ProgressBarSample, 0, 1);
    progress->addWidget(Label4, 1, 0);
    progress->addWidget(ProgressBarUpload, 1, 1);
    whole->addLayout(progress);

    auto* title = new QHBoxLayout;
    LabelSampleTitle = new QLabel("Title:", this);
    EditSampleTitle = new QLineEdit(this);
    cbTimeStamp = new QCheckBox("Time Stamp", this);
    cbTimeStamp->setChecked(true);
    title->addWidget(LabelSampleTitle);
    title->addWidget(EditSampleTitle, 1);
    title->addWidget(cbTimeStamp);
    whole->addLayout(title);

    GroupDiagnostic = new QGroupBox("Diagnostic Information", this);
    auto* diagnostic = new QGridLayout(GroupDiagnostic);
    diagnostic->setContentsMargins(6, 2, 6, 4);
    diagnostic->setVerticalSpacing(2);
    QueryLabel = new QLabel(GroupDiagnostic);
    ReplyLabel = new QLabel(GroupDiagnostic);
    ReplyLabel->setMinimumWidth(1);  // a long acquisition text must not widen the window
    Label3 = new QLabel("Address:", GroupDiagnostic);
    AddrLabel = new QLabel(GroupDiagnostic);
    Addr = new QLabel(GroupDiagnostic);
    Label5 = new QLabel("Data:", GroupDiagnostic);
    DataLabel = new QLabel(GroupDiagnostic);
    Data1 = new QLabel(GroupDiagnostic);
    Data2 = new QLabel(GroupDiagnostic);
    Data3 = new QLabel(GroupDiagnostic);
    Label2 = new QLabel("Next Address:", GroupDiagnostic);
    NextAddrLabel = new QLabel(GroupDiagnostic);
    diagnostic->addWidget(QueryLabel, 0, 0);
    diagnostic->addWidget(ReplyLabel, 0, 1, 1, 6);
    diagnostic->addWidget(Label3, 1, 0);
    diagnostic->addWidget(AddrLabel, 1, 1);
    diagnostic->addWidget(Addr, 1, 2);
    diagnostic->addWidget(Label2, 1, 3);
    diagnostic->addWidget(NextAddrLabel, 1, 4);
    diagnostic->addWidget(Label5, 2, 0);
    diagnostic->addWidget(DataLabel, 2, 1);
    diagnostic->addWidget(Data1, 2, 2);
    diagnostic->addWidget(Data2, 2, 3);
    diagnostic->addWidget(Data3, 2, 4);
    diagnostic->setColumnStretch(6, 1);
    whole->addWidget(GroupDiagnostic);

    Timer1 = new QTimer(this);
    Timer1->setInterval(55);
    resize(std::max(434, sizeHint().width()), std::max(212, sizeHint().height()));

    // Each control is found by its member's name.
    const std::pair<QObject*, const char*> controls[] = {{Label1, "Label1"},
                                                         {SampleSizeComboBox, "SampleSizeComboBox"},
                                                         {LabelSampleTime, "LabelSampleTime"},
                                                         {SampleButton, "SampleButton"},
                                                         {BacktrackButton, "BacktrackButton"},
                                                         {UploadButton, "UploadButton"},
                                                         {HaltButton, "HaltButton"},
                                                         {cbSummary, "cbSummary"},
                                                         {Label6, "Label6"},
                                                         {ProgressBarSample, "ProgressBarSample"},
                                                         {Label4, "Label4"},
                                                         {ProgressBarUpload, "ProgressBarUpload"},
                                                         {LabelSampleTitle, "LabelSampleTitle"},
                                                         {EditSampleTitle, "EditSampleTitle"},
                                                         {cbTimeStamp, "cbTimeStamp"},
                                                         {GroupDiagnostic, "GroupDiagnostic"},
                                                         {QueryLabel, "QueryLabel"},
                                                         {ReplyLabel, "ReplyLabel"},
                                                         {Label3, "Label3"},
                                                         {AddrLabel, "AddrLabel"},
                                                         {Addr, "Addr"},
                                                         {Label5, "Label5"},
                                                         {DataLabel, "DataLabel"},
                                                         {Data1, "Data1"},
                                                         {Data2, "Data2"},
                                                         {Data3, "Data3"},
                                                         {Label2, "Label2"},
                                                         {NextAddrLabel, "NextAddrLabel"},
                                                         {Timer1, "Timer1"}};
    for (const auto& [control, name] : controls) control->setObjectName(name);
}

void TSampleForm::connectHandlers() {
    connect(SampleSizeComboBox, &QComboBox::currentTextChanged, this, [this] { SampleSizeComboBoxChange(); });
    connect(SampleButton, &QPushButton::clicked, this, [this] { SampleButtonClick(); });
    connect(HaltButton, &QPushButton::clicked, this, [this] { HaltButtonClick(); });
    connect(UploadButton, &QPushButton::clicked, this, [this] { UploadButtonClick(); });
    connect(BacktrackButton, &QPushButton::clicked, this, [this] { BacktrackButtonClick(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    // The run reads these when it needs them: a change during a run counts.
    connect(cbSummary, &QCheckBox::toggled, this, [this](bool on) { tool_->setSummary(on); });
    connect(cbTimeStamp, &QCheckBox::toggled, this, [this](bool on) { tool_->setTimeStamp(on); });
    connect(EditSampleTitle, &QLineEdit::textChanged, this,
            [this](const QString& text) { tool_->setEditSampleTitle(text.toStdString()); });
}

// --- Handlers ---

void TSampleForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TSampleForm::FormShow() {
    tool_->FormShow();
    // Centred on the screen the first time; after that where the user left it.
    WindowPlacement::placeCentred(*this);
}

void TSampleForm::SampleSizeComboBoxChange() {
    tool_->SampleSizeComboBoxChange(SampleSizeComboBox->currentText().toStdString());
}

void TSampleForm::SampleButtonClick() {
    tool_->SampleButtonClick();
    closeIfDone();
}

void TSampleForm::HaltButtonClick() {
    tool_->HaltButtonClick();
    closeIfDone();
}

void TSampleForm::UploadButtonClick() {
    tool_->UploadButtonClick();
    closeIfDone();
}

void TSampleForm::BacktrackButtonClick() { tool_->BacktrackButtonClick(); }

void TSampleForm::Timer1Timer() {
    tool_->Timer1Timer();
    closeIfDone();
}

void TSampleForm::reject() {
    if (tool_->running()) return HaltButtonClick();
    QDialog::reject();
}

void TSampleForm::closeIfDone() {
    // A loop that is still running decides for itself when it sees the cancel.
    if (tool_->running()) return;
    const FormResult result = tool_->takeModalResult();
    if (result == FormResult::None) return;
    done(result == FormResult::Ok ? QDialog::Accepted : QDialog::Rejected);
}

// --- SampleScreen ---

void TSampleForm::Refresh(bool drawNow) {
    const SamplingToolView& t = tool_->view();
    if (windowTitle() != qt(t.Caption)) setWindowTitle(qt(t.Caption));
    setText(LabelSampleTime, t.LabelSampleTime);
    SampleButton->setEnabled(t.SampleButtonEnabled);
    SampleSizeComboBox->setEnabled(t.SampleSizeComboBoxEnabled);
    HaltButton->setEnabled(t.HaltButtonEnabled);
    Data3->setVisible(t.Data3Visible);
    showBar(ProgressBarSample, t.ProgressBarSample);
    showBar(ProgressBarUpload, t.ProgressBarUpload);
    setText(QueryLabel, t.QueryLabel);
    setText(ReplyLabel, t.ReplyLabel);
    setText(AddrLabel, t.AddrLabel);
    setText(Addr, t.Addr);
    setText(DataLabel, t.DataLabel);
    setText(Data1, t.Data1);
    setText(Data2, t.Data2);
    setText(Data3, t.Data3);
    setText(NextAddrLabel, t.NextAddrLabel);
    if (t.Timer1Enabled != Timer1->isActive()) {
        if (t.Timer1Enabled)
            Timer1->start();
        else
            Timer1->stop();
    }
    if (drawNow && isVisible()) repaint();
}

void TSampleForm::ProcessMessages() {
    QCoreApplication::processEvents();
    if (onProcessMessages) onProcessMessages();
}

void TSampleForm::OpenUploadGraph(const std::string& caption, uint16_t sampleSize, int channel) {
    uploadGraphs_.push_back(std::make_unique<TGraphForm>(graphs_));
    TGraphForm& graph = *uploadGraphs_.back();
    TGraphForm* live = graphs_.feed.GraphForm;
    graphs_.feed.UploadGraphForm = &graph;
    graph.setWindowTitle(qt(caption));
    // Each run's window a step further down and right from the real-time
    // graph's, so none hides the main window or an earlier run.
    if (live) WindowPlacement::placeCascaded(graph, *live, int(uploadGraphs_.size()));
    graph.show();

    ZrGraphPainter& painter = *graph.Painter();
    painter.SetNumRecords(sampleSize);
    TColor colour = DefaultPlotColors[size_t(channel) % DefaultPlotColors.size()];
    if (live) {
        ZrGraphPainter& livePainter = *live->Painter();
        painter.SetNumChannels(livePainter.GetNumChannels());
        graph.SetSubLsbs(live->SubLsbs());
        const uint32_t selected = livePainter.ThisChannel();
        livePainter.SetThisChannel(uint32_t(channel));
        colour = livePainter.GetThisPlotColor();
        livePainter.SetThisChannel(selected);
    }
    painter.SetThisChannel(uint32_t(channel));
    painter.SetThisPlotColor(colour);
    painter.SetAutoScale(false);
    graph.ReportAutomaticRescales();
    painter.SetXRight(sampleSize);
    graph.SetSampleRate(tool_->SampleRateKsps() * 1000);  // the spectrum's frequencies in Hz
    graph.DataUnsaved = true;

    raise();
    activateWindow();
}

void TSampleForm::FeedUploadGraph(bool on) { graphs_.feed.UseUploadGraph = on; }

void TSampleForm::AutoScaleUploadGraph() {
    if (TGraphForm* graph = graphs_.feed.UploadGraphForm) graph->Painter()->SetAutoScale(true);
}

void TSampleForm::RescaleUploadGraph() {
    if (TGraphForm* graph = graphs_.feed.UploadGraphForm) graph->Painter()->DoAutoScale();
}

void TSampleForm::ShowSummary(const std::string& text) {
    dialogs_.message({text, ApplicationTitle, MsgButtons::Ok, MsgIcon::None, MsgAnswer::Ok});
}

void TSampleForm::ShowReadings() {
    if (showReadings_) showReadings_();
}

std::string TSampleForm::DateTimeText() {
    const QLocale locale;
    const QDateTime now = QDateTime::currentDateTime();
    return (locale.toString(now.date(), QLocale::ShortFormat) + " " + locale.toString(now.time(), QLocale::LongFormat))
        .toStdString();
}

}  // namespace vx
