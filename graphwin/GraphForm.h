#pragma once
// The graph window: one record tape shown through one painter, with tool bars
// to pan and zoom, switch views, choose channels and read statistics, and the
// data feed by which live readings reach it.
#include <QMainWindow>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QString>
#include <QWidget>

#include "analysis/SpectrumAnalysis.h"
#include "graphwin/MeasurementFormat.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPrinter;
class QPushButton;
class QScrollBar;
class QToolBar;
class QToolButton;
class QWidget;

namespace vx {

class Clock;
class Dialogs;
class FramePacer;
class TZorTape;
class ZrGraphPainter;

class TGraphForm;

// Where readings go: the real-time graph, or while a sampling run uploads,
// the run's graph.
class GraphFeed {
public:
    TGraphForm* GraphForm = nullptr;
    TGraphForm* UploadGraphForm = nullptr;
    // While true, readings go to UploadGraphForm instead of GraphForm.
    bool UseUploadGraph = false;

    TGraphForm* target() const { return UseUploadGraph ? UploadGraphForm : GraphForm; }
    // Hands one reading to the target graph and refreshes its read-outs.
    // Throws "null Target graph in Graph_Data_Point" when there is none.
    void Graph_Data_Point(int channel, std::int32_t code);
    // A window going away is no target any more.
    void forget(const TGraphForm* window);
};

// What every graph window borrows from the rest of the program. The program
// fills it before it creates the first window and hands it to each; it
// outlives them all. Dialogs, limits and clock must be set; tests fill it
// with fakes.
struct GraphWindowHost {
    Dialogs* dialogs = nullptr;
    // The main window's MaxCode and MinCode: the home scale of every graph
    // but a loaded one, which homes on the limits its file names.
    const CodeLimits* limits = nullptr;
    // Paces the painter's long loops and the loader's progress caption.
    Clock* clock = nullptr;
    // The main window's reading timer: views, the close question, saving and
    // loading stop it while they run and restore it afterwards.
    std::function<bool()> readingTimerEnabled;
    std::function<void(bool)> setReadingTimerEnabled;
    // The reference voltage in use and the reading interval, for the axis
    // labels; unset, the axes show codes and records only.
    std::function<double()> vref;
    std::function<int()> readingIntervalMs;
    // Save options shared by every graph window.
    bool SaveHeaderLine = false;
    bool SaveLineNumbers = false;
    GraphFeed feed;
};

// Labels beside the plot's grid lines: codes and volts beside the horizontal
// ones (vertical ruler), records and time under the vertical ones.
class GraphAxisRuler : public QWidget {
public:
    struct Tick {
        int pos;  // pixel of the plot
        QString text;
    };
    // Volts per code and seconds per record: 0 where not known.
    GraphAxisRuler(Qt::Orientation orientation, const ZrGraphPainter& plot, std::function<double()> voltsPerCode,
                   std::function<double()> secondsPerRecord, QWidget* parent);
    std::vector<Tick> Ticks() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    Qt::Orientation orientation_;
    const ZrGraphPainter& plot_;
    std::function<double()> voltsPerCode_;
    std::function<double()> secondsPerRecord_;
};

class TGraphForm : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int NumChannelButtons = 20;
    static constexpr std::array<std::uint32_t, 10> LengthChoices{16, 32, 64, 128, 256, 512, 1024, 2048, 4096, 8192};
    static constexpr int MaxSubLsbs = 16;

    explicit TGraphForm(GraphWindowHost& host, QWidget* parent = nullptr);
    ~TGraphForm() override;

    ZrGraphPainter* Painter() const { return painter_; }
    GraphWindowHost& host() const { return host_; }

    // Closing asks "Do you want to save this Graph?" while this is set.
    bool DataUnsaved = false;
    int SubLsbs() const { return subLsbs_; }
    // Window and painter; no redraw.
    void SetSubLsbs(int n);

    // Tool bars show and hide their buttons through these, not the buttons.
    bool ChannelButtonVisible(int n) const;
    void SetChannelButtonVisible(int n, bool visible);
    // Presses channel n's button and shows it, as a reading on it does.
    void markChannelInUse(int n);
    // Volts on the code axis: the real-time graph follows the Vref in use,
    // other windows keep the one of their making; a loaded file has none.
    double AxisVref() const;

    // --- handlers
    void ToolButtonXpanLClick();
    void ToolButtonXpanRClick();
    void ToolButtonXexpandClick();
    void ToolButtonXcontractClick();
    void ToolButtonYpanUClick();
    void ToolButtonYpanDClick();
    void ToolButtonYexpandClick();
    void ToolButtonYcontractClick();
    void ToolButtonHomeClick();
    void ToolButtonXYexpandClick();
    void ToolButtonLoadClick();
    void ToolButtonSaveClick();
    void ToolButtonHeaderLineClick();
    void ToolButtonLineNumbersClick();
    void ToolButtonTimeDomainClick();
    void ToolButtonHistogramClick();
    void ToolButtonTableClick();
    void ToolButtonChannelClick(int n);
    void StatisticsToggleClick();
    void ScrollBar1Change(int position);
    void MenuOptionsClearDataClick();
    void menuFileLoadClick();
    void menuFileSaveClick();
    void menuFilePrintClick();
    void MenuOptionsClick();
    void MenuOptionsAutoScaleClick();
    void MenuOptionsShowMinMaxClick();
    void MenuOptionsResetMinMaxClick();
    void MenuOptionsShowAllChannelButtonsClick();
    void MenuOptionsHideUnusedChannelButtonsClick();
    void MenuOptionsLargerGridSquaresClick();
    void MenuOptionsSmallerGridSquaresClick();
    void menuSubLsbsClick();
    void menuSubLsbsItemClick(int n);
    void menuLengthClick();
    void menuLengthItemClick(std::uint32_t records);
    void PaintBox1MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // True when the window may close.
    bool FormCloseQuery();

    // Scale labels, then the min/max and mean refreshes.
    void ScaleChange();
    // Makes ScaleChange the painter's OnScaleChange, so that automatic rescales
    // show in the labels (loaded and uploaded graphs; not the real-time one).
    void ReportAutomaticRescales();
    void btnMinCodeClick();   // min/max refresh
    void btnMeanCodeClick();  // mean refresh
    // The read-outs after a reading: the overall range as widened by it, and
    // the mean refresh. Shown at most once a frame, so that fast readings do
    // not spend their time laying out texts nobody can read.
    void ShowPointReadouts(double overallMin, double overallMax);

    // Asks for a file and writes the tape to it; false when cancelled or failed.
    bool SaveMeasurements();
    // Writes the tape to path with the separator of the chosen file type.
    bool WriteMeasurements(const std::string& path, int filterIndex);
    // Reads a measurement file into a new graph window (owned by this one);
    // nullptr when the file could not be read.
    TGraphForm* LoadMeasurements(const std::string& path);

    // The plot drawn at the printer's resolution, filling the page (turned to
    // landscape when the plot is wider than high), under a caption with the
    // window's title, the date and the scales.
    void PrintTo(QPrinter& printer);

    // --- spectrum (GraphFormSpectrum.cpp)
    // The rate the records were taken at, for frequencies in Hz (0: unknown).
    void SetSampleRate(double hz);
    void SetSpectrumWindow(SpectrumWindow window);
    // Asks for a file and writes the spectrum and its figures as CSV; false when
    // cancelled, failed or there is no spectrum.
    bool SaveSpectrum();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // --- controls, each named after its member (arrays: with the channel,
    // the sub-LSBs, the records or the spectrum window's index)
    QToolBar* ToolBarTopScale;
    QToolBar* ToolBarActions;
    QToolBar* ToolBarChannels;
    QToolBar* ToolBarEnableStats;
    QToolBar* ToolBarLeft;
    QWidget* Panel4;
    QToolButton* ToolButtonXpanL;
    QToolButton* ToolButtonXexpand;
    QToolButton* ToolButtonXcontract;
    QToolButton* ToolButtonXpanR;
    QToolButton* ToolButtonHome;
    QToolButton* ToolButtonXYexpand;
    QToolButton* ToolButtonLoad;
    QToolButton* ToolButtonSave;
    QToolButton* ToolButtonHeaderLine;
    QToolButton* ToolButtonLineNumbers;
    QToolButton* ToolButtonTimeDomain;
    QToolButton* ToolButtonHistogram;
    QToolButton* ToolButtonTable;
    QToolButton* ToolButtonYpanU;
    QToolButton* ToolButtonYexpand;
    QToolButton* ToolButtonYcontract;
    QToolButton* ToolButtonYpanD;
    std::array<QToolButton*, NumChannelButtons> ToolButtonChannel{};
    QToolButton* ToolButtonMin;
    QToolButton* ToolButtonMax;
    QToolButton* ToolButtonSpan;
    QToolButton* ToolButtonN;
    QToolButton* ToolButtonSx;
    QToolButton* ToolButtonSxx;
    QToolButton* ToolButtonMean;
    QToolButton* ToolButtonStdDev;
    QToolButton* ToolButtonRms;
    QPushButton* btnMinCode;
    QPushButton* btnMaxCode;
    QPushButton* btnMeanCode;
    QPushButton* btnStdDevCode;
    QLineEdit* EditMinCode;
    QLineEdit* EditMaxCode;
    QLineEdit* EditMeanCode;
    QLineEdit* EditStdDevCode;
    QLabel* LabelTopLeft;
    QLabel* LabelTopRight;
    QLabel* LabelBottomLeft;
    QLabel* LabelBottomRight;
    QWidget* Panel1;
    QScrollBar* ScrollBar1;
    GraphAxisRuler* RulerY;
    GraphAxisRuler* RulerX;
    QMenu* menuFile;
    QMenu* MenuOptions;
    QMenu* menuSubLsbs;
    QMenu* menuLength;
    QAction* MenuOptionsClearData;
    QAction* menuFileLoad;
    QAction* menuFileSave;
    QAction* menuFilePrint;
    QAction* MenuOptionsAutoScale;
    QAction* MenuOptionsShowMinMax;
    QAction* MenuOptionsResetMinMax;
    QAction* MenuOptionsShowAllChannelButtons;
    QAction* MenuOptionsHideUnusedChannelButtons;
    QAction* MenuOptionsLargerGridSquares;
    QAction* MenuOptionsSmallerGridSquares;
    std::array<QAction*, MaxSubLsbs + 1> menuSubLsbsItem{};
    std::array<QAction*, LengthChoices.size()> menuLengthItem{};

    QToolButton* ToolButtonSpectrum;
    QAction* menuFileSaveSpectrum;
    QMenu* menuSpectrumWindow;
    std::array<QAction*, 3> menuSpectrumWindowItem{};  // Blackman-Harris, Hann, None
    QAction* MenuOptionsNoiseFigures;

    void buildToolBars();
    void buildMenus();
    void buildCentre();
    void buildSpectrumControls();
    void showSpectrum();
    void afterScaleCommand(QToolButton* button);
    void showView(int view);
    void updateChannelSeparators();
    void setCaption(const QString& text);
    void homeAgainWhileUntouched();

    GraphWindowHost& host_;
    ZrGraphPainter* painter_ = nullptr;
    // The scale the window was built with: until something else sets a scale
    // or data arrives, the home scale follows the plot's laid-out size.
    std::array<int, 4> builtScale_{};
    std::array<QAction*, NumChannelButtons> channelActions_{};
    std::array<QAction*, 4> channelSeparators_{};
    std::unique_ptr<TZorTape> loadedTape_;  // a loaded window's tape, shown by the painter
    std::optional<CodeLimits> fileLimits_;  // the code limits a loaded file names
    // The limits the home scale spans and a save writes.
    CodeLimits homeLimits() const { return fileLimits_.value_or(*host_.limits); }
    std::unique_ptr<FramePacer> readoutPacer_;
    double pointMin_ = 0;
    double pointMax_ = 0;
    double axisVref_ = 0;
    int subLsbs_ = 0;
};

}  // namespace vx
