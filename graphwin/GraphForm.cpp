#include "graphwin/GraphForm.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <utility>

#include "graph/Statistics.h"
#include "graph/ZrGraphPainter.h"
#include "graphwin/GraphViewCommands.h"
#include "graphwin/ReadingTimerPause.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "support/Exceptions.h"

namespace vx {

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

// Read-outs change on every reading; repaint only those whose text did.
void showText(QLineEdit* edit, const std::string& text) {
    const QString value = qs(text);
    if (edit->text() != value) edit->setText(value);
}

}  // namespace

TGraphForm::TGraphForm(GraphWindowHost& host, QWidget* parent) : QMainWindow(parent), host_(host) {
    if (parent) setWindowFlag(Qt::Window);
    setWindowTitle(QStringLiteral("Real Time Data"));
    resize(1040, 480);  // both tool bar rows fit
    buildMenus();
    buildToolBars();
    buildCentre();
    buildSpectrumControls();

    auto command = [this](QToolButton* button, void (TGraphForm::*handler)()) {
        connect(button, &QToolButton::clicked, this, handler);
    };
    command(ToolButtonXpanL, &TGraphForm::ToolButtonXpanLClick);
    command(ToolButtonXexpand, &TGraphForm::ToolButtonXexpandClick);
    command(ToolButtonXcontract, &TGraphForm::ToolButtonXcontractClick);
    command(ToolButtonXpanR, &TGraphForm::ToolButtonXpanRClick);
    command(ToolButtonHome, &TGraphForm::ToolButtonHomeClick);
    command(ToolButtonXYexpand, &TGraphForm::ToolButtonXYexpandClick);
    command(ToolButtonLoad, &TGraphForm::ToolButtonLoadClick);
    command(ToolButtonSave, &TGraphForm::ToolButtonSaveClick);
    command(ToolButtonHeaderLine, &TGraphForm::ToolButtonHeaderLineClick);
    command(ToolButtonLineNumbers, &TGraphForm::ToolButtonLineNumbersClick);
    command(ToolButtonTimeDomain, &TGraphForm::ToolButtonTimeDomainClick);
    command(ToolButtonHistogram, &TGraphForm::ToolButtonHistogramClick);
    command(ToolButtonTable, &TGraphForm::ToolButtonTableClick);
    command(ToolButtonYpanU, &TGraphForm::ToolButtonYpanUClick);
    command(ToolButtonYexpand, &TGraphForm::ToolButtonYexpandClick);
    command(ToolButtonYcontract, &TGraphForm::ToolButtonYcontractClick);
    command(ToolButtonYpanD, &TGraphForm::ToolButtonYpanDClick);
    for (int n = 0; n < NumChannelButtons; ++n)
        connect(ToolButtonChannel[n], &QToolButton::clicked, this, [this, n] { ToolButtonChannelClick(n); });
    for (QToolButton* b : {ToolButtonMin, ToolButtonMax, ToolButtonSpan, ToolButtonN, ToolButtonSx, ToolButtonSxx,
                           ToolButtonMean, ToolButtonStdDev, ToolButtonRms})
        command(b, &TGraphForm::StatisticsToggleClick);
    connect(btnMinCode, &QPushButton::clicked, this, &TGraphForm::btnMinCodeClick);
    connect(btnMaxCode, &QPushButton::clicked, this, &TGraphForm::btnMinCodeClick);
    connect(btnMeanCode, &QPushButton::clicked, this, &TGraphForm::btnMeanCodeClick);
    connect(btnStdDevCode, &QPushButton::clicked, this, &TGraphForm::btnMeanCodeClick);
    connect(ScrollBar1, &QScrollBar::valueChanged, this, &TGraphForm::ScrollBar1Change);

    auto item = [this](QAction* action, void (TGraphForm::*handler)()) {
        connect(action, &QAction::triggered, this, handler);
    };
    item(MenuOptionsClearData, &TGraphForm::MenuOptionsClearDataClick);
    item(menuFileLoad, &TGraphForm::menuFileLoadClick);
    item(menuFileSave, &TGraphForm::menuFileSaveClick);
    item(menuFilePrint, &TGraphForm::menuFilePrintClick);
    item(MenuOptionsAutoScale, &TGraphForm::MenuOptionsAutoScaleClick);
    item(MenuOptionsShowMinMax, &TGraphForm::MenuOptionsShowMinMaxClick);
    item(MenuOptionsResetMinMax, &TGraphForm::MenuOptionsResetMinMaxClick);
    item(MenuOptionsShowAllChannelButtons, &TGraphForm::MenuOptionsShowAllChannelButtonsClick);
    item(MenuOptionsHideUnusedChannelButtons, &TGraphForm::MenuOptionsHideUnusedChannelButtonsClick);
    item(MenuOptionsLargerGridSquares, &TGraphForm::MenuOptionsLargerGridSquaresClick);
    item(MenuOptionsSmallerGridSquares, &TGraphForm::MenuOptionsSmallerGridSquaresClick);
    for (int n = 0; n <= MaxSubLsbs; ++n)
        connect(menuSubLsbsItem[n], &QAction::triggered, this, [this, n] { menuSubLsbsItemClick(n); });
    for (std::size_t i = 0; i < LengthChoices.size(); ++i) {
        const std::uint32_t records = LengthChoices[i];
        connect(menuLengthItem[i], &QAction::triggered, this, [this, records] { menuLengthItemClick(records); });
    }
    connect(MenuOptions, &QMenu::aboutToShow, this, &TGraphForm::MenuOptionsClick);
    connect(menuSubLsbs, &QMenu::aboutToShow, this, &TGraphForm::menuSubLsbsClick);
    connect(menuLength, &QMenu::aboutToShow, this, &TGraphForm::menuLengthClick);

    connect(painter_, &ZrGraphPainter::mouseUp, this, &TGraphForm::PaintBox1MouseUp);
    painter_->installEventFilter(this);  // the panel's layout has resized it by then
    readoutPacer_ = std::make_unique<FramePacer>(*this, *host_.clock, [this] {
        showText(EditMinCode, view::CodeText(pointMin_));
        showText(EditMaxCode, view::CodeText(pointMax_));
        btnMeanCodeClick();
    });

    view::Home(*painter_, homeLimits(), painter_->NumRecords());
    builtScale_ = {painter_->XLeft(), painter_->XScale(), painter_->YBottom(), painter_->YScale()};
    if (host_.vref) axisVref_ = host_.vref();
    DataUnsaved = false;
    ToolButtonHeaderLine->setChecked(host_.SaveHeaderLine);
    ToolButtonLineNumbers->setChecked(host_.SaveLineNumbers);
    move(3, 3);
}

TGraphForm::~TGraphForm() {
    // The loaded tape goes before the painter, which must not draw it then.
    if (loadedTape_) painter_->SetDisplayZorTape(nullptr);
    host_.feed.forget(this);
}

bool TGraphForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == painter_ && event->type() == QEvent::Resize) {
        homeAgainWhileUntouched();
        ScaleChange();
    }
    return QMainWindow::eventFilter(watched, event);
}

// The window is built before it is laid out and placed, so the home scale of
// construction was derived from a plot of the wrong size: the data would sit
// squeezed at the bottom. Redo it for the real size while nothing has changed it.
void TGraphForm::homeAgainWhileUntouched() {
    const TZorTape* tape = painter_->DisplayZorTape();
    const std::array<int, 4> now{painter_->XLeft(), painter_->XScale(), painter_->YBottom(), painter_->YScale()};
    if (!tape || tape->RecordsUsed() != 0 || now != builtScale_) return;
    view::Home(*painter_, homeLimits(), painter_->NumRecords());
    builtScale_ = {painter_->XLeft(), painter_->XScale(), painter_->YBottom(), painter_->YScale()};
}

void TGraphForm::ReportAutomaticRescales() {
    painter_->OnScaleChange = [this](ZrGraphPainter*) { ScaleChange(); };
}

void TGraphForm::SetSubLsbs(int n) {
    subLsbs_ = n;
    painter_->SetSubLsbs(n);
}

bool TGraphForm::ChannelButtonVisible(int n) const {
    return n >= 0 && n < NumChannelButtons && channelActions_[n]->isVisible();
}

void TGraphForm::SetChannelButtonVisible(int n, bool visible) {
    if (n < 0 || n >= NumChannelButtons || channelActions_[n]->isVisible() == visible) return;
    channelActions_[n]->setVisible(visible);
    updateChannelSeparators();
}

void TGraphForm::markChannelInUse(int n) {
    ToolButtonChannel[n]->setChecked(true);
    SetChannelButtonVisible(n, true);
}

// A group's separator shows when some button of a later group does.
void TGraphForm::updateChannelSeparators() {
    for (std::size_t g = 0; g < channelSeparators_.size(); ++g) {
        bool later = false;
        for (int n = int(g + 1) * 4; n < NumChannelButtons; ++n) later = later || channelActions_[n]->isVisible();
        channelSeparators_[g]->setVisible(later);
    }
}

void TGraphForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous()) return;
    ToolButtonMin->setChecked(painter_->ShowMin);
    ToolButtonMax->setChecked(painter_->ShowMax);
    ToolButtonSpan->setChecked(painter_->ShowSpan);
    ToolButtonMean->setChecked(painter_->ShowMean);
    ToolButtonStdDev->setChecked(painter_->ShowStdDev);
    ToolButtonRms->setChecked(painter_->ShowRms);
    ToolButtonN->setChecked(painter_->ShowN);
    ToolButtonSx->setChecked(painter_->ShowSum);
    ToolButtonSxx->setChecked(painter_->ShowSumSq);
    ScaleChange();
}

void TGraphForm::closeEvent(QCloseEvent* event) {
    if (FormCloseQuery())
        event->accept();  // hides; the window and its data stay
    else
        event->ignore();
}

bool TGraphForm::FormCloseQuery() {
    if (!DataUnsaved) return true;
    MsgAnswer answer;
    {
        ReadingTimerPause pause(host_);
        answer = host_.dialogs->message({"Do you want to save this Graph?", windowTitle().toStdString(),
                                         MsgButtons::YesNoCancel, MsgIcon::Question, MsgAnswer::Yes});
    }
    switch (answer) {
    case MsgAnswer::Yes: SaveMeasurements(); return !DataUnsaved;
    case MsgAnswer::No: return true;
    default: return false;
    }
}

// --- pan and zoom

void TGraphForm::afterScaleCommand(QToolButton* button) {
    painter_->Redraw();
    ScaleChange();
    button->setChecked(false);
}

void TGraphForm::ToolButtonXpanLClick() {
    view::PanLeft(*painter_);
    afterScaleCommand(ToolButtonXpanL);
}

void TGraphForm::ToolButtonXpanRClick() {
    view::PanRight(*painter_);
    afterScaleCommand(ToolButtonXpanR);
}

void TGraphForm::ToolButtonXexpandClick() {
    view::ExpandX(*painter_);
    afterScaleCommand(ToolButtonXexpand);
}

void TGraphForm::ToolButtonXcontractClick() {
    view::ContractX(*painter_);
    afterScaleCommand(ToolButtonXcontract);
}

void TGraphForm::ToolButtonYpanUClick() {
    view::PanUp(*painter_);
    afterScaleCommand(ToolButtonYpanU);
}

void TGraphForm::ToolButtonYpanDClick() {
    view::PanDown(*painter_);
    afterScaleCommand(ToolButtonYpanD);
}

void TGraphForm::ToolButtonYexpandClick() {
    view::ExpandY(*painter_);
    afterScaleCommand(ToolButtonYexpand);
}

void TGraphForm::ToolButtonYcontractClick() {
    view::ContractY(*painter_);
    afterScaleCommand(ToolButtonYcontract);
}

void TGraphForm::ToolButtonHomeClick() {
    if (painter_->ViewMode() == ZrGraphPainter::SpectrumViewMode)
        painter_->HomeSpectrum();
    else
        view::Home(*painter_, homeLimits(), painter_->NumRecords());
    afterScaleCommand(ToolButtonHome);
}

void TGraphForm::ToolButtonXYexpandClick() {
    painter_->DoAutoScale();
    ScaleChange();
    ToolButtonXYexpand->setChecked(false);
}

void TGraphForm::ToolButtonHeaderLineClick() { host_.SaveHeaderLine = ToolButtonHeaderLine->isChecked(); }
void TGraphForm::ToolButtonLineNumbersClick() { host_.SaveLineNumbers = ToolButtonLineNumbers->isChecked(); }

// --- views

void TGraphForm::showView(int view) {
    ReadingTimerPause pause(host_);
    ToolButtonTimeDomain->setChecked(false);
    ToolButtonTable->setChecked(false);
    ToolButtonHistogram->setChecked(false);
    ToolButtonSpectrum->setChecked(view == ZrGraphPainter::SpectrumViewMode);
    for (QToolButton* b : {ToolButtonXpanL, ToolButtonXexpand, ToolButtonXcontract, ToolButtonXpanR, ToolButtonYpanU,
                           ToolButtonYexpand, ToolButtonYcontract, ToolButtonYpanD})
        b->setEnabled(view != 1);
    if (view == 1) {
        ScrollBar1->setRange(0, int(painter_->NumRecords()) - 1);
        ScrollBar1->setSingleStep(1);
        ScrollBar1->setPageStep(10);
        ScrollBar1->setValue(painter_->FirstVisibleTableRow());
        ScrollBar1->show();
        painter_->ShowTable();
    } else {
        ScrollBar1->hide();
        if (view == 0) {
            painter_->ShowTimeDomain();
            painter_->DoAutoScale();
        } else if (view == 2) {
            painter_->ShowHistogram();
        } else {
            showSpectrum();
        }
    }
    ScaleChange();
}

void TGraphForm::ToolButtonTimeDomainClick() { showView(0); }
void TGraphForm::ToolButtonTableClick() { showView(1); }
void TGraphForm::ToolButtonHistogramClick() { showView(2); }

void TGraphForm::ScrollBar1Change(int position) { painter_->SetFirstVisibleTableRow(position); }

// --- channels and statistics

void TGraphForm::ToolButtonChannelClick(int n) {
    TZorTape* tape = painter_->DisplayZorTape();
    if (tape) tape->Channels[n].Enabled = ToolButtonChannel[n]->isChecked();
    painter_->Redraw();
    ScaleChange();
}

void TGraphForm::MenuOptionsShowAllChannelButtonsClick() {
    const int channels = painter_->GetNumChannels();
    SetChannelButtonVisible(0, true);
    for (int n = 1; n < NumChannelButtons; ++n) SetChannelButtonVisible(n, channels > n);
}

void TGraphForm::MenuOptionsHideUnusedChannelButtonsClick() {
    for (int n = 0; n < NumChannelButtons; ++n) SetChannelButtonVisible(n, ToolButtonChannel[n]->isChecked());
}

void TGraphForm::MenuOptionsClearDataClick() {
    painter_->ClearData();
    for (QToolButton* b : ToolButtonChannel) b->setChecked(false);
}

void TGraphForm::StatisticsToggleClick() {
    painter_->ShowMin = ToolButtonMin->isChecked();
    painter_->ShowMax = ToolButtonMax->isChecked();
    painter_->ShowSpan = ToolButtonSpan->isChecked();
    painter_->ShowN = ToolButtonN->isChecked();
    painter_->ShowSum = ToolButtonSx->isChecked();
    painter_->ShowSumSq = ToolButtonSxx->isChecked();
    painter_->ShowMean = ToolButtonMean->isChecked();
    painter_->ShowStdDev = ToolButtonStdDev->isChecked();
    painter_->ShowRms = ToolButtonRms->isChecked();
    painter_->update();  // the table's rows follow the flags
    ScaleChange();
}

// --- menus

void TGraphForm::MenuOptionsClick() {
    MenuOptionsAutoScale->setChecked(painter_->AutoScale());
    MenuOptionsShowMinMax->setChecked(painter_->ShowMinMax);
}

void TGraphForm::MenuOptionsAutoScaleClick() {
    painter_->SetAutoScale(!painter_->AutoScale());
    MenuOptionsAutoScale->setChecked(painter_->AutoScale());
}

// The check mark and the painter agree, so inverting the painter's flag
// inverts the check whether or not the menu has already flipped it.
void TGraphForm::MenuOptionsShowMinMaxClick() {
    painter_->ShowMinMax = !painter_->ShowMinMax;
    MenuOptionsShowMinMax->setChecked(painter_->ShowMinMax);
    painter_->update();
}

void TGraphForm::MenuOptionsResetMinMaxClick() { painter_->ComputeOverallMinMax(); }

// The grid's size is part of every scale label.
void TGraphForm::MenuOptionsLargerGridSquaresClick() {
    painter_->SetGridSize(view::LargerGridSize(painter_->GridSize()));
    ScaleChange();
}

void TGraphForm::MenuOptionsSmallerGridSquaresClick() {
    painter_->SetGridSize(view::SmallerGridSize(painter_->GridSize()));
    ScaleChange();
}

double TGraphForm::AxisVref() const {
    if (loadedTape_) return 0;
    return this == host_.feed.GraphForm && host_.vref ? host_.vref() : axisVref_;
}

void TGraphForm::menuSubLsbsClick() {
    for (int n = 0; n <= MaxSubLsbs; ++n) menuSubLsbsItem[n]->setChecked(n == subLsbs_);
}

void TGraphForm::menuSubLsbsItemClick(int n) {
    SetSubLsbs(n);
    painter_->DoAutoScale();
    ScaleChange();
}

void TGraphForm::menuLengthClick() {
    for (std::size_t i = 0; i < LengthChoices.size(); ++i)
        menuLengthItem[i]->setChecked(LengthChoices[i] == painter_->NumRecords());
}

void TGraphForm::menuLengthItemClick(std::uint32_t records) {
    painter_->SetNumRecords(records);
    painter_->SetThisRecord(0);
    painter_->SetXRight(int(records));
    MenuOptionsClearDataClick();
    ScaleChange();  // the scale texts and axis labels follow the new span
}

// --- read-outs

void TGraphForm::PaintBox1MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
    if (painter_->ViewMode() == ZrGraphPainter::SpectrumViewMode)
        return LabelTopRight->setText(painter_->SpectrumReadout(x));
    const auto readout = view::ReadoutAt(x, y, painter_->GridSize(), painter_->XScale(), painter_->YScale(),
                                         painter_->XLeft(), painter_->YTop());
    LabelTopRight->setText(qs(readout.Text()));
}

void TGraphForm::ScaleChange() {
    LabelTopLeft->setText(qs(view::TopLeftText(painter_->YTop(), painter_->YScale())));
    LabelTopRight->clear();
    LabelBottomLeft->setText(qs(view::BottomLeftText(painter_->YBottom(), painter_->XLeft())));
    LabelBottomRight->setText(qs(view::BottomRightText(painter_->XScale(), painter_->XRight())));
    RulerY->update();
    RulerX->update();
    btnMinCodeClick();
    btnMeanCodeClick();
}

void TGraphForm::btnMinCodeClick() {
    painter_->ComputeOverallMinMax();
    showText(EditMinCode, view::CodeText(painter_->OverallMin));
    showText(EditMaxCode, view::CodeText(painter_->OverallMax));
}

void TGraphForm::btnMeanCodeClick() {
    painter_->ComputeOverallStats();
    showText(EditMeanCode, view::StatText(painter_->OverallMean));
    showText(EditStdDevCode, view::StatText(painter_->OverallStdDev));
}

// --- printing

void TGraphForm::PrintTo(QPrinter& printer) {
    const QSize plot = painter_->size();
    printer.setPageOrientation(plot.width() > plot.height() ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPainter p(&printer);
    const QRect page = p.viewport();
    QFont font = p.font();
    font.setPointSizeF(9);
    p.setFont(font);
    const QString date = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm"));
    const QString scales = QStringLiteral("%1, %2, %3")
                               .arg(qs(view::TopLeftText(painter_->YTop(), painter_->YScale())),
                                    qs(view::BottomLeftText(painter_->YBottom(), painter_->XLeft())),
                                    qs(view::BottomRightText(painter_->XScale(), painter_->XRight())));
    const QString caption = windowTitle() + QStringLiteral("    ") + date + QLatin1Char('\n') + scales;
    const QRect captionArea(page.left(), page.top(), page.width(), 3 * QFontMetrics(font, &printer).height());
    p.drawText(captionArea, Qt::AlignLeft | Qt::AlignTop, caption);
    const QRect area = page.adjusted(0, captionArea.height(), 0, 0);
    if (plot.isEmpty() || area.isEmpty()) return;
    const QSizeF fitted = QSizeF(plot).scaled(QSizeF(area.size()), Qt::KeepAspectRatio);
    painter_->Print(p, QRectF(QPointF(area.topLeft()), fitted));
}

// --- the data feed

void GraphFeed::forget(const TGraphForm* window) {
    if (GraphForm == window) GraphForm = nullptr;
    if (UploadGraphForm == window) UploadGraphForm = nullptr;
}

void GraphFeed::Graph_Data_Point(int channel, std::int32_t code) {
    TGraphForm* target = this->target();
    if (!target) throw PlainTextError("null Target graph in Graph_Data_Point");
    if (channel < 0) return;  // no such channel; the tape would grow to the left
    ZrGraphPainter& painter = *target->Painter();
    painter.DataPointCh(std::uint32_t(channel), code);
    if (channel < TGraphForm::NumChannelButtons) target->markChannelInUse(channel);
    TZorTape* tape = painter.DisplayZorTape();
    if (!tape) return;
    painter.ComputeChannelMinMax(std::uint32_t(channel));
    const GraphChannel& ch = std::as_const(tape->Channels)[channel];
    if (painter.OverallMin > ch.Min) painter.OverallMin = ch.Min;
    if (painter.OverallMax < ch.Max) painter.OverallMax = ch.Max;
    target->ShowPointReadouts(painter.OverallMin, painter.OverallMax);
}

void TGraphForm::ShowPointReadouts(double overallMin, double overallMax) {
    pointMin_ = overallMin;
    pointMax_ = overallMax;
    readoutPacer_->Request();
}

}  // namespace vx
