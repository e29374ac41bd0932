#pragma once
// The drawing surface of a graph window. It owns a record tape and shows it as
// a time-domain plot (view 0), a table with statistics (view 1) or a histogram
// (view 2). Plot and histogram are composed from three off-screen images: the
// grid background, the coloured traces on black, and a mask that is black
// under the traces and white elsewhere.
#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "graph/PainterScale.h"
#include "graph/Statistics.h"
#include "graph/ZorTape.h"

class QPainter;

namespace vx {

class Clock;
class SpectrumView;
class TraceRaster;

// One text of the table view, with its top-left corner.
struct TableCell {
    int x;
    int y;
    QString text;
    TColor color;
};

struct TableLayout {
    int columnWidth = 0;
    int rowHeight = 0;
    int labelWidth = 0;
    std::vector<TableCell> cells;
    std::vector<int> separatorYs;  // rows are underlined across the whole table
};

QColor toQColor(TColor c);

// Shows something at most once a frame of the widget's screen, however often
// it is asked: at once when a frame has passed since it last showed, else
// when the next frame is due. Time is the clock's, so that tests decide when
// a frame has passed; the timer only wakes the program up.
class FramePacer : public QObject {
public:
    FramePacer(QWidget& widget, Clock& clock, std::function<void()> show);
    // True when it showed at once.
    bool Request();
    // Shows what is pending now.
    void Flush();

private:
    std::uint32_t frameMs() const;

    QWidget& widget_;
    Clock& clock_;
    std::function<void()> show_;
    bool pending_ = false;
    std::uint32_t last_;
    QTimer timer_;
};

class ZrGraphPainter : public QWidget, public OverallStatistics {
    Q_OBJECT
public:
    // Fixed stand-ins for the desktop's button face and grey-text colours.
    static constexpr TColor clBtnFace = 0xF0F0F0;
    static constexpr TColor clGrayText = 0x6D6D6D;

    // The tape is created with (a, b): b records long. The clock paces the
    // yields of long drawing loops and the histogram's progress texts.
    ZrGraphPainter(QWidget* parent, int a, std::uint32_t b);
    ZrGraphPainter(QWidget* parent, int a, std::uint32_t b, Clock& clock);
    ~ZrGraphPainter() override;

    // --- view
    int ViewMode() const { return viewMode_; }
    void ShowTimeDomain();
    void ShowTable();
    void ShowHistogram();
    void Redraw();

    // --- spectrum view (SpectrumView.cpp): one channel's spectrum in dBFS,
    // x in bins and y in dB on the scale
    static constexpr int SpectrumViewMode = 3;
    void ShowSpectrum();
    // Every bin in view, from above full scale to below the lowest bin.
    void HomeSpectrum();
    SpectrumView& Spectrum();
    // Frequency and level of the bin under pixel column x; empty outside the spectrum.
    QString SpectrumReadout(int x) const;

    // --- tape
    TZorTape* DisplayZorTape() const { return tape_; }
    // The painter deletes only the tape it created itself.
    void SetDisplayZorTape(TZorTape* tape);
    int GetNumChannels() const;
    void SetNumChannels(int n);
    std::uint32_t NumRecords() const;
    void SetNumRecords(std::uint32_t n);
    std::uint32_t ThisChannel() const;
    void SetThisChannel(std::uint32_t n);
    std::uint32_t ThisRecord() const;
    void SetThisRecord(std::uint32_t n);
    TColor GetThisPlotColor() const;
    void SetThisPlotColor(TColor c);
    void ResetPlotColors();
    void ClearData();
    // Stores a reading. A channel's first value gives it its standard colour.
    // The screen follows at most once a frame: the strips of the records
    // written since are drawn then (time domain), or the table repaints.
    void DataPointCh(std::uint32_t channel, std::int32_t code);
    // Draws the strips of readings not yet drawn; returns the area they cover.
    QRect DrawLiveStrips();

    // Kept up to date reading by reading: cost independent of the tape length.
    void ComputeOverallMinMax();
    void ComputeOverallStats();
    void ComputeChannelMinMax(std::uint32_t channel);

    // --- scales
    int GridSize() const { return scale().GridSize(); }
    int XScale() const { return scale().XScale(); }
    int YScale() const { return scale().YScale(); }
    int XLeft() const { return scale().XLeft(); }
    int YBottom() const { return scale().YBottom(); }
    int XRight() const { return scale().XRight(); }
    int YTop() const { return scale().YTop(); }
    double XPixelsPerUnit() const { return scale().XPixelsPerUnit(); }
    double YPixelsPerUnit() const { return scale().YPixelsPerUnit(); }
    bool AutoScale() const { return scale_.AutoScale; }
    bool AutoScaled() const { return scale_.AutoScaled; }
    int RescaleThresholdYTop() const { return scale_.RescaleThresholdYTop; }
    int RescaleThresholdYBottom() const { return scale_.RescaleThresholdYBottom; }
    void SetRescaleThresholdYTop(int v) { scale_.RescaleThresholdYTop = v; }
    void SetRescaleThresholdYBottom(int v) { scale_.RescaleThresholdYBottom = v; }
    void SetGridSize(int v);
    void SetXScale(int v);
    void SetYScale(int v);
    void SetXLeft(int v);
    void SetYBottom(int v);
    void SetXRight(int v);
    void SetYTop(int v);
    void SetAutoScale(bool on);
    void DoAutoScale();
    // Raised by Redraw after an automatic rescale.
    std::function<void(ZrGraphPainter*)> OnScaleChange;

    // --- colours, pen, sub-LSB display
    TColor ForeColor() const { return foreColor_; }
    TColor BackColor() const { return backColor_; }
    TColor MinMaxColor() const { return minMaxColor_; }
    long PenWidth() const { return penWidth_; }
    void SetForeColor(TColor c);
    void SetBackColor(TColor c);
    void SetMinMaxColor(TColor c);
    void SetPenWidth(long w);
    int SubLsbs() const { return subLsbs_; }
    double SubLsbDivisor() const { return subLsbDivisor_; }
    // Applies to every channel too; callers rescale afterwards.
    void SetSubLsbs(int n);

    bool ShowAutoScaleThreshold = false;
    bool ShowMinMax = true;

    // --- table view
    bool ShowMin = false, ShowMax = false, ShowSpan = true, ShowSum = false, ShowSumSq = false, ShowN = true,
         ShowMean = true, ShowStdDev = true, ShowRms = false;
    // Steady-input noise rows: RMS and peak-to-peak noise (LSB), effective and noise-free bits.
    bool ShowNoise = false;
    int FirstVisibleTableRow() const { return firstVisibleTableRow_; }
    void SetFirstVisibleTableRow(int row);
    // Texts and row lines of the table for the current font and size.
    TableLayout LayOutTable();

    QImage BackgroundBitmap;
    QImage TraceBitmap;
    QImage TraceMask;

    // The grid background and the traces, rebuilt from the current state.
    void BuildBackground();
    void DrawTraces();
    // The plot or histogram as the paint handler lays it out, within area.
    void Compose(QPainter& p, const QRect& area);
    // The view drawn into target at the device's own resolution: the time
    // domain as lines, the other views as their screen picture.
    void Print(QPainter& p, const QRectF& target);

signals:
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    // A click on the plot; the window treats it as a click on the panel behind.
    void clicked();
    // Each progress text the histogram build shows.
    void progress(const QString& text);
    // A scale or the grid changed, by a command or an automatic rescale.
    void scaleChanged();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    PainterScale& scale() const;
    void apply(unsigned effects);
    void redrawTraces();

    // One pass of the trace drawing; false when it was cut short.
    bool drawTracePass();
    // Lets pending events run once a second; false to stop drawing.
    bool yieldIfDue(std::uint32_t& since, TraceRaster& raster);
    int yOf(std::int32_t code) const;
    void drawSegment(TraceRaster& raster, const GraphChannel& ch, int r, int x2) const;
    // The columns that segment r (record r joined to r + 1) sets, pen included.
    std::pair<int, int> segmentColumns(int r) const;
    void redrawColumns(TraceRaster& raster, int x0, int x1);
    void markWritten(std::uint32_t record);
    bool isFirstData(std::uint32_t channel) const;
    void showFrame();
    bool drawChannelTrace(TraceRaster& raster, const GraphChannel& ch, std::uint32_t& since);
    bool drawChannelBars(TraceRaster& raster, const GraphChannel& ch, std::uint32_t& since);
    void paintTimeDomainLines(QPainter& p, const QRect& area);
    void paintTable(QPainter& p);
    // Shows a build step's text at most every 50 ms; false when the program is closing.
    bool histogramProgress(std::uint32_t& since, const std::function<QString()>& text);
    int spectrumChannel() const;
    void analyseSpectrum();
    void refreshSpectrumIfDue();
    double spectrumXOf(double bin) const;
    void buildSpectrumBackground();
    bool drawSpectrumTrace(TraceRaster& raster);
    void paintSpectrumOverlay(QPainter& p);
    void spectrumMouseMoved(const QPoint& at);

    Clock& clock_;
    std::unique_ptr<TZorTape> ownTape_;
    TZorTape* tape_;
    mutable PainterScale scale_;
    int viewMode_ = 0;
    TColor foreColor_ = clGrayText;
    TColor backColor_ = clBtnFace;
    TColor minMaxColor_ = 0xFFFFFF;
    long penWidth_ = 2;
    int firstVisibleTableRow_ = 0;
    int subLsbs_ = 0;
    double subLsbDivisor_ = 1.0;
    QString progressText_;
    std::unique_ptr<SpectrumView> spectrum_;
    std::uint32_t spectrumRefreshedAt_ = 0;
    QPoint mouseAt_{-1, -1};
    bool spectrumBackground_ = false;  // the background holds the spectrum's labelled grid
    TapeStatistics stats_;

    // Runs of records written since their strips were last drawn.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pendingRecords_;
    FramePacer frame_;

    unsigned viewCommands_ = 0;    // view commands given so far; a histogram build yields to a newer one
    bool drawing_ = false;         // a trace pass is under way (it may yield)
    bool restartDrawing_ = false;  // something changed during a yield
};

// True once the application has been asked to quit.
bool AppTerminating();

}  // namespace vx
