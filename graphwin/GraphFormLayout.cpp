// The graph window's controls: tool bars, read-outs, labels, plot and menus.
#include <QActionGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

#include "graph/ZrGraphPainter.h"
#include "graphwin/GraphForm.h"

namespace vx {

namespace {

QToolBar* makeBar(QMainWindow* window, const char* name, Qt::ToolBarArea area) {
    auto* bar = new QToolBar(QString::fromLatin1(name), window);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setIconSize(QSize(16, 16));
    window->addToolBar(area, bar);
    return bar;
}

// Every tool button is a two-state button; command buttons release themselves.
QToolButton* addButton(QToolBar* bar, const QString& caption, const QString& hint, QAction** action = nullptr) {
    auto* button = new QToolButton(bar);
    button->setCheckable(true);
    button->setText(caption);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QAction* a = bar->addWidget(button);
    if (action) *action = a;
    return button;
}

QLabel* makeLabel(QWidget* parent, Qt::Alignment alignment) {
    auto* label = new QLabel(parent);
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

// A strip 15 pixels high with one label at each end.
QWidget* labelStrip(QWidget* parent, QLabel*& left, QLabel*& right) {
    auto* strip = new QWidget(parent);
    strip->setFixedHeight(15);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(2, 0, 2, 0);
    left = makeLabel(strip, Qt::AlignLeft);
    right = makeLabel(strip, Qt::AlignRight);
    row->addWidget(left);
    row->addStretch();
    row->addWidget(right);
    return strip;
}

// A label every so many grid lines, so that labels never crowd each other.
int linesPerLabel(int gridSize, int labelExtent) {
    return gridSize >= labelExtent ? 1 : (labelExtent + gridSize - 1) / gridSize;
}

QString number(double v) { return QString::number(v, 'g', 4); }  // the same in every locale

}  // namespace

GraphAxisRuler::GraphAxisRuler(Qt::Orientation orientation, const ZrGraphPainter& plot,
                               std::function<double()> voltsPerCode, std::function<double()> secondsPerRecord,
                               QWidget* parent)
    : QWidget(parent),
      orientation_(orientation),
      plot_(plot),
      voltsPerCode_(std::move(voltsPerCode)),
      secondsPerRecord_(std::move(secondsPerRecord)) {
    const QFontMetrics fm(font());
    if (orientation_ == Qt::Vertical)
        setFixedWidth(fm.horizontalAdvance(QStringLiteral("-20480 -2.048 V")) + 6);
    else
        setFixedHeight(2 * fm.height() + 2);
}

// The grid is anchored at the plot's bottom-left corner; line i from there
// stands for YBottom + i * YScale codes and XLeft + i * XScale records.
std::vector<GraphAxisRuler::Tick> GraphAxisRuler::Ticks() const {
    std::vector<Tick> ticks;
    const QFontMetrics fm(font());
    const int grid = plot_.GridSize();
    if (grid <= 0) return ticks;
    if (orientation_ == Qt::Vertical) {
        const double vpc = voltsPerCode_();
        const int every = linesPerLabel(grid, 2 * fm.height());
        for (int i = 0; plot_.height() - i * grid >= 0; i += every) {
            const double code = double(plot_.YBottom()) + double(i) * plot_.YScale();
            QString text = number(code);
            if (vpc > 0) text += QStringLiteral("  %1 V").arg(number(code * vpc));
            ticks.push_back({plot_.height() - i * grid, text});
        }
    } else {
        const double spr = secondsPerRecord_();
        const int every = linesPerLabel(grid, fm.horizontalAdvance(QStringLiteral("-000000")) + 8);
        for (int i = 0; i * grid < plot_.width(); i += every) {
            const double record = double(plot_.XLeft()) + double(i) * plot_.XScale();
            QString text = number(record);
            if (spr > 0) text += QStringLiteral("\n%1 s").arg(number(record * spr));
            ticks.push_back({i * grid, text});
        }
    }
    return ticks;
}

void GraphAxisRuler::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    const int lineHeight = QFontMetrics(font()).height();
    int lastRight = -1;
    for (const Tick& t : Ticks()) {
        if (orientation_ == Qt::Vertical) {
            const int top = std::clamp(t.pos - lineHeight / 2, 0, std::max(0, height() - lineHeight));
            p.drawText(QRect(0, top, width() - 4, lineHeight), Qt::AlignRight | Qt::AlignVCenter, t.text);
        } else {
            const int w = 80;
            const QFontMetrics fm(font());
            const int textWidth = fm.boundingRect(QRect(0, 0, w, height()), Qt::AlignLeft, t.text).width();
            // Centred under its line, but kept inside and clear of the label before.
            const int left = std::clamp(t.pos - textWidth / 2, 0, std::max(0, width() - textWidth));
            if (left <= lastRight) continue;
            p.drawText(QRect(left, 1, textWidth + 1, height() - 1), Qt::AlignHCenter | Qt::AlignTop, t.text);
            lastRight = left + textWidth + 4;
        }
    }
}

void TGraphForm::buildToolBars() {
    ToolBarTopScale = makeBar(this, "ToolBarTopScale", Qt::TopToolBarArea);
    ToolButtonXpanL = addButton(ToolBarTopScale, QStringLiteral("\u25C0"), QStringLiteral("Pan Left"));
    ToolButtonXexpand = addButton(ToolBarTopScale, QStringLiteral("X+"), QStringLiteral("Expand X"));
    ToolButtonXcontract = addButton(ToolBarTopScale, QStringLiteral("X\u2212"), QStringLiteral("Contract X"));
    ToolButtonXpanR = addButton(ToolBarTopScale, QStringLiteral("\u25B6"), QStringLiteral("Pan Right"));
    ToolButtonHome =
        addButton(ToolBarTopScale, QStringLiteral("Home"), QStringLiteral("Set X and Y scales to \"home\" position"));
    ToolButtonXYexpand = addButton(ToolBarTopScale, QStringLiteral("Fill"), QStringLiteral("Expand to fill window"));

    ToolBarActions = makeBar(this, "ToolBarActions", Qt::TopToolBarArea);
    ToolButtonLoad = addButton(ToolBarActions, QStringLiteral("Load"), QStringLiteral("Load"));
    ToolButtonSave = addButton(ToolBarActions, QStringLiteral("Save"), QStringLiteral("Save"));
    ToolButtonHeaderLine =
        addButton(ToolBarActions, QStringLiteral("Hdr"), QStringLiteral("When saving, include a header line"));
    ToolButtonLineNumbers =
        addButton(ToolBarActions, QStringLiteral("#"), QStringLiteral("When saving, include line numbers"));
    ToolBarActions->addSeparator();
    ToolButtonTimeDomain =
        addButton(ToolBarActions, QStringLiteral("Time"), QStringLiteral("View plot of code vs time"));
    ToolButtonHistogram = addButton(ToolBarActions, QStringLiteral("Hist"),
                                    QStringLiteral("View Histogram plot, cumulative frequency of each code"));
    ToolButtonTable = addButton(ToolBarActions, QStringLiteral("Table"), QStringLiteral("View data as a table"));

    ToolBarChannels = makeBar(this, "ToolBarChannels", Qt::TopToolBarArea);
    for (int n = 0; n < NumChannelButtons; ++n) {
        ToolButtonChannel[n] = addButton(ToolBarChannels, QString::number(n),
                                         QStringLiteral("Enable data channel %1").arg(n), &channelActions_[n]);
        ToolButtonChannel[n]->setObjectName(QStringLiteral("ToolButtonChannel%1").arg(n));
        channelActions_[n]->setVisible(n == 0);
        if (n % 4 == 3 && n / 4 < int(channelSeparators_.size())) {
            channelSeparators_[n / 4] = ToolBarChannels->addSeparator();
            channelSeparators_[n / 4]->setVisible(false);
        }
    }

    addToolBarBreak(Qt::TopToolBarArea);
    auto* readouts = makeBar(this, "ToolBarReadouts", Qt::TopToolBarArea);
    Panel4 = new QWidget(readouts);
    auto* row = new QHBoxLayout(Panel4);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(1);
    auto readout = [&](QPushButton*& button, QLineEdit*& edit, const char* caption) {
        button = new QPushButton(QString::fromLatin1(caption), Panel4);
        button->setFlat(true);
        button->setFixedWidth(button->fontMetrics().horizontalAdvance(button->text()) + 14);
        edit = new QLineEdit(QStringLiteral("channel?"), Panel4);
        edit->setReadOnly(true);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000.000000")) + 6);
        row->addWidget(button);
        row->addWidget(edit);
    };
    readout(btnMinCode, EditMinCode, "Min");
    readout(btnMaxCode, EditMaxCode, "Max");
    readout(btnMeanCode, EditMeanCode, "Mean");
    readout(btnStdDevCode, EditStdDevCode, "StdDev");
    readouts->addWidget(Panel4);

    ToolBarEnableStats = makeBar(this, "ToolBarEnableStats", Qt::TopToolBarArea);
    auto toggle = [&](const char* caption) {
        const QString text = QString::fromLatin1(caption);
        return addButton(ToolBarEnableStats, text, QStringLiteral("Show %1 in the table").arg(text));
    };
    ToolButtonMin = toggle("Min");
    ToolButtonMax = toggle("Max");
    ToolButtonSpan = toggle("Span");
    ToolButtonN = toggle("N");
    ToolButtonSx = toggle("Sum(x)");
    ToolButtonSxx = toggle("Sum(x*x)");
    ToolButtonMean = toggle("Mean");
    ToolButtonStdDev = toggle("StdDev");
    ToolButtonRms = toggle("Rms");

    ToolBarLeft = makeBar(this, "ToolBarLeft", Qt::LeftToolBarArea);
    ToolBarLeft->setFixedWidth(32);
    ToolButtonYpanU = addButton(ToolBarLeft, QStringLiteral("\u25B2"), QStringLiteral("Pan Up"));
    ToolButtonYexpand = addButton(ToolBarLeft, QStringLiteral("Y+"), QStringLiteral("Expand Y"));
    ToolButtonYcontract = addButton(ToolBarLeft, QStringLiteral("Y\u2212"), QStringLiteral("Contract Y"));
    ToolButtonYpanD = addButton(ToolBarLeft, QStringLiteral("\u25BC"), QStringLiteral("Pan Down"));

    // Each control is found by its member's name.
    const std::pair<QObject*, const char*> controls[] = {{Panel4, "Panel4"},
                                                         {ToolButtonXpanL, "ToolButtonXpanL"},
                                                         {ToolButtonXexpand, "ToolButtonXexpand"},
                                                         {ToolButtonXcontract, "ToolButtonXcontract"},
                                                         {ToolButtonXpanR, "ToolButtonXpanR"},
                                                         {ToolButtonHome, "ToolButtonHome"},
                                                         {ToolButtonXYexpand, "ToolButtonXYexpand"},
                                                         {ToolButtonLoad, "ToolButtonLoad"},
                                                         {ToolButtonSave, "ToolButtonSave"},
                                                         {ToolButtonHeaderLine, "ToolButtonHeaderLine"},
                                                         {ToolButtonLineNumbers, "ToolButtonLineNumbers"},
                                                         {ToolButtonTimeDomain, "ToolButtonTimeDomain"},
                                                         {ToolButtonHistogram, "ToolButtonHistogram"},
                                                         {ToolButtonTable, "ToolButtonTable"},
                                                         {ToolButtonYpanU, "ToolButtonYpanU"},
                                                         {ToolButtonYexpand, "ToolButtonYexpand"},
                                                         {ToolButtonYcontract, "ToolButtonYcontract"},
                                                         {ToolButtonYpanD, "ToolButtonYpanD"},
                                                         {ToolButtonMin, "ToolButtonMin"},
                                                         {ToolButtonMax, "ToolButtonMax"},
                                                         {ToolButtonSpan, "ToolButtonSpan"},
                                                         {ToolButtonN, "ToolButtonN"},
                                                         {ToolButtonSx, "ToolButtonSx"},
                                                         {ToolButtonSxx, "ToolButtonSxx"},
                                                         {ToolButtonMean, "ToolButtonMean"},
                                                         {ToolButtonStdDev, "ToolButtonStdDev"},
                                                         {ToolButtonRms, "ToolButtonRms"},
                                                         {btnMinCode, "btnMinCode"},
                                                         {btnMaxCode, "btnMaxCode"},
                                                         {btnMeanCode, "btnMeanCode"},
                                                         {btnStdDevCode, "btnStdDevCode"},
                                                         {EditMinCode, "EditMinCode"},
                                                         {EditMaxCode, "EditMaxCode"},
                                                         {EditMeanCode, "EditMeanCode"},
                                                         {EditStdDevCode, "EditStdDevCode"}};
    for (const auto& [control, name] : controls) control->setObjectName(name);
}

void TGraphForm::buildCentre() {
    auto* centre = new QWidget(this);
    auto* column = new QVBoxLayout(centre);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(labelStrip(centre, LabelTopLeft, LabelTopRight));

    Panel1 = new QWidget(centre);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* plotGrid = new QGridLayout(Panel1);
    plotGrid->setContentsMargins(0, 0, 0, 0);
    plotGrid->setSpacing(0);
    painter_ = new ZrGraphPainter(Panel1, 1, 64, *host_.clock);
    ScrollBar1 = new QScrollBar(Qt::Vertical, Panel1);
    ScrollBar1->hide();
    auto voltsPerCode = [this] { return AxisVref() / 4096.0; };
    auto secondsPerRecord = [this] {
        return this == host_.feed.GraphForm && host_.readingIntervalMs ? host_.readingIntervalMs() / 1000.0 : 0.0;
    };
    RulerY = new GraphAxisRuler(Qt::Vertical, *painter_, voltsPerCode, secondsPerRecord, Panel1);
    RulerX = new GraphAxisRuler(Qt::Horizontal, *painter_, voltsPerCode, secondsPerRecord, Panel1);
    for (GraphAxisRuler* ruler : {RulerY, RulerX})
        connect(painter_, &ZrGraphPainter::scaleChanged, ruler, qOverload<>(&QWidget::update));
    plotGrid->addWidget(RulerY, 0, 0);
    plotGrid->addWidget(painter_, 0, 1);
    plotGrid->addWidget(ScrollBar1, 0, 2);
    plotGrid->addWidget(RulerX, 1, 1);
    plotGrid->setColumnStretch(1, 1);
    plotGrid->setRowStretch(0, 1);
    column->addWidget(Panel1, 1);

    column->addWidget(labelStrip(centre, LabelBottomLeft, LabelBottomRight));
    setCentralWidget(centre);

    // Each control is found by its member's name.
    const std::pair<QObject*, const char*> controls[] = {{LabelTopLeft, "LabelTopLeft"},
                                                         {LabelTopRight, "LabelTopRight"},
                                                         {LabelBottomLeft, "LabelBottomLeft"},
                                                         {LabelBottomRight, "LabelBottomRight"},
                                                         {ScrollBar1, "ScrollBar1"},
                                                         {RulerY, "RulerY"},
                                                         {RulerX, "RulerX"}};
    for (const auto& [control, name] : controls) control->setObjectName(name);
}

void TGraphForm::buildMenus() {
    menuFile = menuBar()->addMenu(QStringLiteral("File"));
    MenuOptionsClearData = menuFile->addAction(QStringLiteral("&Clear Data"));
    menuFileLoad = menuFile->addAction(QStringLiteral("Load data from file"));
    menuFileSave = menuFile->addAction(QStringLiteral("Save data to file"));
    menuFilePrint = menuFile->addAction(QStringLiteral("Print"));

    MenuOptions = menuBar()->addMenu(QStringLiteral("&Options"));
    MenuOptionsAutoScale = MenuOptions->addAction(QStringLiteral("&Auto Scale"));
    MenuOptionsAutoScale->setCheckable(true);
    QMenu* statistics = MenuOptions->addMenu(QStringLiteral("Statistics"));
    MenuOptionsShowMinMax = statistics->addAction(QStringLiteral("Show Min/Max"));
    MenuOptionsShowMinMax->setCheckable(true);
    MenuOptionsShowMinMax->setChecked(true);
    MenuOptionsResetMinMax = statistics->addAction(QStringLiteral("&Reset Min/Max"));
    QMenu* buttons = MenuOptions->addMenu(QStringLiteral("Channel buttons"));
    MenuOptionsShowAllChannelButtons = buttons->addAction(QStringLiteral("Show all channel buttons"));
    MenuOptionsHideUnusedChannelButtons = buttons->addAction(QStringLiteral("Hide unused channel buttons"));
    QMenu* grid = MenuOptions->addMenu(QStringLiteral("Grid Squares"));
    MenuOptionsLargerGridSquares = grid->addAction(QStringLiteral("Larger Grid Squares"));
    MenuOptionsSmallerGridSquares = grid->addAction(QStringLiteral("Smaller Grid Squares"));
    menuSubLsbs = MenuOptions->addMenu(QStringLiteral("Sub-LSBs"));
    auto* subLsbGroup = new QActionGroup(this);
    for (int n = 0; n <= MaxSubLsbs; ++n) {
        menuSubLsbsItem[n] = menuSubLsbs->addAction(QString::number(n));
        menuSubLsbsItem[n]->setCheckable(true);
        menuSubLsbsItem[n]->setObjectName(QStringLiteral("menuSubLsbs%1").arg(n));
        subLsbGroup->addAction(menuSubLsbsItem[n]);
    }

    menuLength = menuBar()->addMenu(QStringLiteral("&Length"));
    auto* lengthGroup = new QActionGroup(this);
    for (std::size_t i = 0; i < LengthChoices.size(); ++i) {
        menuLengthItem[i] = menuLength->addAction(QStringLiteral("%1 records").arg(LengthChoices[i]));
        menuLengthItem[i]->setCheckable(true);
        menuLengthItem[i]->setObjectName(QStringLiteral("menuLength%1").arg(LengthChoices[i]));
        lengthGroup->addAction(menuLengthItem[i]);
    }

    // Each control is found by its member's name.
    const std::pair<QObject*, const char*> controls[] = {
        {menuFile, "menuFile"},
        {MenuOptions, "MenuOptions"},
        {menuSubLsbs, "menuSubLsbs"},
        {menuLength, "menuLength"},
        {MenuOptionsClearData, "MenuOptionsClearData"},
        {menuFileLoad, "menuFileLoad"},
        {menuFileSave, "menuFileSave"},
        {menuFilePrint, "menuFilePrint"},
        {MenuOptionsAutoScale, "MenuOptionsAutoScale"},
        {MenuOptionsShowMinMax, "MenuOptionsShowMinMax"},
        {MenuOptionsResetMinMax, "MenuOptionsResetMinMax"},
        {MenuOptionsShowAllChannelButtons, "MenuOptionsShowAllChannelButtons"},
        {MenuOptionsHideUnusedChannelButtons, "MenuOptionsHideUnusedChannelButtons"},
        {MenuOptionsLargerGridSquares, "MenuOptionsLargerGridSquares"},
        {MenuOptionsSmallerGridSquares, "MenuOptionsSmallerGridSquares"}};
    for (const auto& [control, name] : controls) control->setObjectName(name);
}

}  // namespace vx
