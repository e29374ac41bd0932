// The graph window driven through its controls on the offscreen platform,
// with scripted dialogs and a virtual clock.
#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QPrinter>
#include <QScrollBar>
#include <QToolButton>
#include <cmath>
#include <numbers>

#include "graph/SpectrumView.h"
#include "graph/ZrGraphPainter.h"
#include "graphwin/TempFolder.h"
#include "platform/ProcessOutput.h"
#include "support/Controls.h"
#include "support/Exceptions.h"
#include "support/FakeGraphHost.h"
#include "support/OffscreenApp.h"

namespace vx {

namespace {

class GraphFormTest : public ::testing::Test, protected FakeGraphHost {
protected:
    GraphFeed& feed = host.feed;
};

}  // namespace

TEST_F(GraphFormTest, NewWindowHomesToItsSizeAndFollowsScaleButtonsAndTheMouse) {
    TGraphForm form{host};
    control<QToolButton>(form, "ToolButtonHeaderLine")->click();
    TGraphForm later{host};  // shows the shared options as they are now
    EXPECT_TRUE(control<QToolButton>(later, "ToolButtonHeaderLine")->isChecked() &&
                !control<QToolButton>(later, "ToolButtonLineNumbers")->isChecked());

    // Laid out after it was built, the window still spans the codes 0..4095
    // from bottom to top of the plot as shown.
    ZrGraphPainter& p = *form.Painter();
    form.resize(1200, 800);
    form.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(p.YBottom(), -81);
    EXPECT_TRUE(p.YTop() >= limits.HomeYTop() && p.YTop() < 2 * limits.HomeYTop()) << "home spans the codes once";
    const int homeStep = p.YScale();

    // Once readings have arrived, a resize keeps the scale the data are seen in.
    feed.GraphForm = &form;
    for (int code : {1000, 1001}) feed.Graph_Data_Point(0, code);
    form.resize(1200, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(p.YScale(), homeStep);
    const std::string right = "XScale=" + std::to_string(p.XScale()) + ", XRight=" + std::to_string(p.XRight());
    EXPECT_EQ(textOf(form, "LabelBottomRight"), right) << "a new size shows in the labels at once";

    // Scale buttons move the plot and show in the labels.
    const int width = p.XRight() - p.XLeft();
    control<QToolButton>(form, "ToolButtonXpanL")->click();
    EXPECT_EQ(textOf(form, "LabelBottomLeft"), "YBottom=-81, XLeft=" + std::to_string(-width / 3));

    // Home shows the codes of the limits as they are now (for example after a
    // bipolar file) with 2 % to spare, and the whole tape; 2 % more than the
    // widest limits stops at the plot's edge instead of wrapping.
    limits = {2047, -2048};
    control<QToolButton>(form, "ToolButtonHome")->click();
    EXPECT_EQ(textOf(form, "LabelBottomLeft"), "YBottom=-2129, XLeft=0");
    EXPECT_TRUE(p.YTop() >= 2128 && p.XRight() >= int(p.NumRecords()));
    limits = {INT_MAX, INT_MIN};
    control<QToolButton>(form, "ToolButtonHome")->click();
    EXPECT_EQ(std::pair(p.YBottom(), p.YTop()), std::pair(-kMaxEdge, kMaxEdge));
    EXPECT_TRUE(timerChanges.empty()) << "pan and zoom leave the reading timer alone";

    // The mouse readout stays until the next scale change.
    p.SetXScale(2);
    p.SetYScale(2);
    p.SetYBottom(0);
    p.SetYBottom(100 - p.YTop());  // the top edge at 100
    // A device of the test's own: Qt's default one outlives the application at exit.
    QPointingDevice mouse("test mouse", 1, QInputDevice::DeviceType::Mouse, QPointingDevice::PointerType::Generic,
                          QInputDevice::Capability::Position, 1, 3);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(0, 0), QPointF(0, 0), QPointF(0, 0), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier, &mouse);
    QCoreApplication::sendEvent(&p, &release);
    EXPECT_EQ(textOf(form, "LabelTopRight"), "(X=0,Y=99) 5.00000pix/X, 5.00000pix/Y");
    form.ScaleChange();
    EXPECT_EQ(textOf(form, "LabelTopRight"), "");
}

TEST_F(GraphFormTest, DataFeedPressesChannelButtonsAndPacesTheReadouts) {
    EXPECT_THROW(feed.Graph_Data_Point(0, 1), PlainTextError) << "no graph, no error";
    // (Readings routed to an upload window: the sampling tool's run.)
    TGraphForm live{host};
    feed.GraphForm = &live;
    feed.Graph_Data_Point(20, 7);
    EXPECT_EQ(live.Painter()->DisplayZorTape()->Channels[20].Data[0], 7) << "stored without a button";
    for (int n = 1; n < TGraphForm::NumChannelButtons; ++n) EXPECT_FALSE(live.ChannelButtonVisible(n)) << n;
    feed.Graph_Data_Point(-1, 7);
    EXPECT_EQ(live.Painter()->GetNumChannels(), 1) << "a negative channel is no channel";

    // The read-outs widen on every reading and show once a frame; the overall
    // range starts at 0 and narrows only on a refresh.
    clock.advance(20);
    for (int code : {10, 6}) feed.Graph_Data_Point(0, code);
    EXPECT_EQ(textOf(live, "EditMeanCode"), "8.500000") << "the next frame is not due yet";
    clock.advance(20);
    feed.Graph_Data_Point(0, 12);
    EXPECT_EQ(textOf(live, "EditMinCode") + " " + textOf(live, "EditMaxCode") + " " + textOf(live, "EditStdDevCode"),
              "0 12 2.753785");
    live.ScaleChange();
    EXPECT_EQ(textOf(live, "EditMinCode"), "6");
    // A sub-LSB display can give a fractional minimum: shown truncated toward zero.
    live.Painter()->OverallMin = -3.75;
    clock.advance(20);
    feed.Graph_Data_Point(0, 12);
    EXPECT_EQ(textOf(live, "EditMinCode"), "-3");
}

TEST_F(GraphFormTest, ViewAndChannelButtonsAndMenus) {
    TGraphForm form{host};
    feed.GraphForm = &form;
    for (int i = 0; i < 30; ++i) feed.Graph_Data_Point(0, i);
    control<QToolButton>(form, "ToolButtonTable")->click();
    EXPECT_EQ(std::tuple(form.Painter()->ViewMode(), control<QScrollBar>(form, "ScrollBar1")->maximum(),
                         control<QToolButton>(form, "ToolButtonXpanL")->isEnabled()),
              std::tuple(1, 63, false));
    control<QScrollBar>(form, "ScrollBar1")->setValue(12);
    EXPECT_EQ(form.Painter()->FirstVisibleTableRow(), 12);
    EXPECT_EQ(timerChanges, (std::vector<bool>{false, true}));

    control<QToolButton>(form, "ToolButtonTimeDomain")->click();
    EXPECT_FALSE(control<QScrollBar>(form, "ScrollBar1")->isVisibleTo(&form));
    EXPECT_TRUE(control<QToolButton>(form, "ToolButtonXpanL")->isEnabled() && form.Painter()->AutoScaled());

    timerOn = false;
    timerChanges.clear();
    control<QToolButton>(form, "ToolButtonHistogram")->click();
    EXPECT_EQ(form.Painter()->ViewMode(), 2);
    EXPECT_TRUE(timerChanges.empty()) << "a stopped timer stays stopped";

    // Channel buttons switch channels, hide the unused ones and show all in use.
    for (int ch : {1, 2, 9}) feed.Graph_Data_Point(ch, 100 * ch);
    TZorTape& tape = *form.Painter()->DisplayZorTape();
    control<QToolButton>(form, "ToolButtonChannel2")->click();
    EXPECT_FALSE(tape.Channels[2].Enabled);
    control<QAction>(form, "MenuOptionsHideUnusedChannelButtons")->trigger();
    for (int n = 0; n < 10; ++n) EXPECT_EQ(form.ChannelButtonVisible(n), n < 2 || n == 9) << n;
    control<QAction>(form, "MenuOptionsShowAllChannelButtons")->trigger();
    for (int n = 0; n < 11; ++n) EXPECT_EQ(form.ChannelButtonVisible(n), n < 10) << n;

    // Clearing releases the buttons.
    control<QAction>(form, "MenuOptionsClearData")->trigger();
    EXPECT_FALSE(control<QToolButton>(form, "ToolButtonChannel9")->isChecked() || tape.RecordsUsed());

    // Menus switch options, sub-LSB display and tape length.
    ZrGraphPainter& p = *form.Painter();
    control<QAction>(form, "MenuOptionsAutoScale")->trigger();
    control<QAction>(form, "MenuOptionsShowMinMax")->trigger();
    EXPECT_TRUE(p.AutoScale() && !p.ShowMinMax);

    control<QAction>(form, "menuSubLsbs3")->trigger();
    EXPECT_EQ(p.SubLsbDivisor(), 8.0);
    form.SetSubLsbs(0);  // as a loaded file does: the menu shows it when it opens
    control<QMenu>(form, "menuSubLsbs")->aboutToShow();
    EXPECT_TRUE(control<QAction>(form, "menuSubLsbs0")->isChecked());

    // A shorter tape empties the graph and starts at record zero, all of it in view.
    for (int i = 0; i < 64; ++i) feed.Graph_Data_Point(0, i);
    control<QAction>(form, "menuLength16")->trigger();
    EXPECT_TRUE(p.NumRecords() == 16 && p.XRight() < 64);
    EXPECT_FALSE(control<QToolButton>(form, "ToolButtonChannel0")->isChecked());
    feed.Graph_Data_Point(0, 555);
    EXPECT_EQ(p.DisplayZorTape()->Channels[0].Data[0], 555);
}

// Closing asks only for unsaved data and honours the answer; a saved graph
// loads into a new window with its own title, coding and channels, while the
// saving window and the live coding keep theirs; failures say why.
TEST_F(GraphFormTest, CloseSaveAndLoad) {
    TempFolder folder;
    TGraphForm form{host};
    feed.GraphForm = &form;
    form.setWindowTitle("Bench run");
    form.SetSubLsbs(2);
    for (int i = 0; i < 3; ++i)
        for (int ch : {0, 2}) feed.Graph_Data_Point(ch, 100 * ch + i);
    limits = {2047, -2048};
    form.show();
    EXPECT_TRUE(form.close()) << "saved: no question";

    // Cancel, and Yes with the file dialog cancelled: still open, still unsaved.
    form.show();
    form.DataUnsaved = true;
    dialogs.messageAnswers = {MsgAnswer::Cancel, MsgAnswer::Yes, MsgAnswer::Yes, MsgAnswer::No};
    EXPECT_FALSE(form.close() || form.close() || !form.DataUnsaved);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text + "|" + dialogs.messages[0].caption,
              "Do you want to save this Graph?|Bench run");
    EXPECT_EQ(timerChanges, (std::vector<bool>{false, true, false, true}));

    // Yes and a file: saved with the chosen type's extension, then closed; No closes without a file.
    dialogs.fileAnswers = {FileChoice{folder / "m", 1}, FileChoice{folder / "m.CSV", 0}};
    EXPECT_TRUE(form.close() && !form.DataUnsaved);
    const std::string file = ReadWholeFile(folder / "m.CSV");
    EXPECT_TRUE(
        file.starts_with("; Bench run\r\n"
                         ";~ SubLsbs=2 MaxPossibleCode=2047 MinPossibleCode=-2048 Channels=0,2\r\n0,200\r\n"))
        << file;
    form.show();
    form.DataUnsaved = true;
    EXPECT_TRUE(form.close() && form.DataUnsaved);

    limits = {};
    control<QAction>(form, "menuFileLoad")->trigger();
    const auto loaded = form.findChildren<TGraphForm*>();
    ASSERT_EQ(loaded.size(), 1);
    TGraphForm& window = *loaded[0];
    EXPECT_EQ(window.pos(), form.pos() + QPoint(20, 20));
    EXPECT_EQ(
        std::tuple(window.windowTitle(), window.Painter()->DisplayZorTape()->Channels[2].Data[1], window.SubLsbs()),
        std::tuple(QString("Bench run"), 201, 2));
    control<QToolButton>(window, "ToolButtonHome")->click();
    EXPECT_EQ(window.Painter()->YBottom(), -2129) << "the file's limits, not the live ones";
    for (int n = 0; n < 4; ++n) EXPECT_EQ(window.ChannelButtonVisible(n), n < 3) << n;
    EXPECT_TRUE(control<QToolButton>(window, "ToolButtonChannel2")->isChecked() &&
                !control<QToolButton>(window, "ToolButtonChannel1")->isChecked());
    EXPECT_FALSE(control<GraphAxisRuler>(window, "RulerY")->Ticks().at(0).text.contains('V')) << "a file tells no Vref";

    dialogs.fileAnswers = {FileChoice{folder / "missing/m.txt", 0}};
    form.DataUnsaved = true;
    control<QAction>(form, "menuFileSave")->trigger();
    EXPECT_TRUE(form.DataUnsaved);
    EXPECT_EQ(form.LoadMeasurements(folder / "absent.txt"), nullptr);
    EXPECT_EQ(form.findChildren<TGraphForm*>().size(), 1) << "no empty window is left behind";
    ASSERT_EQ(dialogs.messages.size(), 6u);
    EXPECT_NE(dialogs.messages[4].text.find("No such file or directory"), std::string::npos);
    EXPECT_NE(dialogs.messages[5].text.find("absent.txt"), std::string::npos);
}

// Beside the grid lines: codes and volts (Vref in use) up the side, records
// and time (reading interval) along the bottom; other windows keep the Vref
// of their making and know no time. The print shows the plot as a whole.
TEST_F(GraphFormTest, AxesAreLabelledInCodesVoltsRecordsAndTimeAndPrinted) {
    TGraphForm form{host};
    feed.GraphForm = &form;
    form.resize(900, 600);
    form.show();
    QCoreApplication::processEvents();
    ZrGraphPainter& p = *form.Painter();
    p.SetYScale(100);
    p.SetYBottom(-500);
    p.SetXLeft(10);
    p.SetXScale(4);
    vref = 2.048;
    auto tick = [](const TGraphForm& w, const char* ruler, int n) {
        return control<GraphAxisRuler>(w, ruler)->Ticks().at(n);
    };
    EXPECT_EQ(tick(form, "RulerY", 0).text + "|" + tick(form, "RulerX", 0).text, "-500  -0.25 V|10\n1 s");

    form.MenuOptionsLargerGridSquaresClick();
    EXPECT_EQ(tick(form, "RulerY", 1).pos, p.height() - 40);
    EXPECT_EQ(textOf(form, "LabelTopLeft"), "YTop=" + std::to_string(p.YTop()) + ", YScale=100") << "follows the grid";

    vref = 5.0;
    TGraphForm upload{host};
    vref = 1.0;
    EXPECT_EQ(tick(upload, "RulerY", 0).text, "-81  -0.09888 V") << "its own Vref, not the one in use now";
    EXPECT_EQ(tick(upload, "RulerX", 0).text, "0");

    // Printed on a page turned to the plot's shape.
    TempFolder folder;
    for (int i = 0; i < 40; ++i) feed.Graph_Data_Point(0, 2000 + 50 * (i % 7));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(folder / "graph.pdf"));
    form.PrintTo(printer);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_GT(std::filesystem::file_size(folder / "graph.pdf"), 1000u);
}

// The spectrum view: the view button, the window choice, home after zooming,
// the mouse read-out, the table's noise rows, and the saved file as pandas
// reads it.
TEST_F(GraphFormTest, SpectrumViewShowsChoosesHomesAndSavesTheSpectrum) {
    // A coherent sine on channel 2 (127 cycles in 1024 records at 6 ksps) with a
    // third harmonic at -60 dBc.
    constexpr int Records = 1024, Cycles = 127;
    TGraphForm form{host};
    form.resize(1200, 700);
    form.show();
    ZrGraphPainter& painter = *form.Painter();
    painter.SetNumRecords(Records);
    for (int r = 0; r < Records; ++r) {
        const double phase = 2 * std::numbers::pi * Cycles * r / Records;
        painter.DataPointCh(2, std::int32_t(std::lround(2048 + 2000 * std::sin(phase) + 2 * std::sin(3 * phase))));
    }
    form.SetSampleRate(6000);
    control<QToolButton>(form, "ToolButtonSpectrum")->click();
    ASSERT_EQ(painter.ViewMode(), ZrGraphPainter::SpectrumViewMode);
    EXPECT_TRUE(control<QToolButton>(form, "ToolButtonSpectrum")->isChecked());
    control<QAction>(form, "menuSpectrumWindowItem2")->trigger();  // no window: the sine is coherent
    EXPECT_EQ(painter.Spectrum().window, SpectrumWindow::None);
    const SpectrumResult& s = painter.Spectrum().result();
    ASSERT_TRUE(s.valid);  // its THD: in the saved file below

    // The read-out at the fundamental's column gives its frequency and level.
    const int x = int((Cycles - painter.XLeft()) * painter.XPixelsPerUnit());
    EXPECT_EQ(painter.SpectrumReadout(x).toStdString(),
              "Cursor 744.1 Hz, " + QString::asprintf("%.2f", s.dbfs[std::size_t(Cycles)]).toStdString() + " dBFS");
    EXPECT_TRUE(painter.SpectrumReadout(-1).isEmpty());
    form.PaintBox1MouseUp(Qt::LeftButton, {}, x, 10);  // a click keeps it in the label
    EXPECT_EQ(textOf(form, "LabelTopRight"), painter.SpectrumReadout(x).toStdString());

    // Zoomed in, then home: every bin from 0 to rate/2 in view again.
    control<QToolButton>(form, "ToolButtonXexpand")->click();
    EXPECT_GT(painter.XLeft(), 0);
    control<QToolButton>(form, "ToolButtonHome")->click();
    EXPECT_TRUE(painter.XLeft() == 0 && painter.XRight() >= Records / 2 && painter.YBottom() <= -100 &&
                painter.YTop() == 10);

    TempFolder folder;
    EXPECT_FALSE(form.SaveSpectrum()) << "the file dialog cancelled";
    dialogs.fileAnswers = {FileChoice{folder / "sine.csv", 0}};
    ASSERT_TRUE(form.SaveSpectrum());
    dialogs.fileAnswers = {FileChoice{"/dev/full", 0}};  // a full disk shows when the file is closed
    EXPECT_FALSE(form.SaveSpectrum());
    EXPECT_EQ(dialogs.messages.back().text, "Could not write /dev/full.");
    dialogs.messages.clear();
    const ProcessOutput read = RunForOutput(
        {"/usr/bin/python3", "-c",
         "import sys, pandas\n"
         "f = pandas.read_csv(sys.argv[1])\n"
         "v = f.dropna(subset=['value']).set_index('figure')['value']\n"
         "print(len(f), list(f.columns), f['dbfs'].idxmax(), round(float(v['thd_db'])), v['sample_rate_hz'],\n"
         "      round(float(v['snr_db'])))\n",
         folder / "sine.csv"},
        true);
    EXPECT_EQ(read.output, "513 ['frequency_hz', 'dbfs', 'figure', 'value'] 127 -60 6000.0 73\n");

    control<QAction>(form, "MenuOptionsNoiseFigures")->trigger();
    control<QToolButton>(form, "ToolButtonTable")->click();
    const auto noiseRow = [](const TableCell& c) { return c.text == "Noise rms" || c.text == "Eff. bits"; };
    EXPECT_EQ(std::ranges::count_if(painter.LayOutTable().cells, noiseRow), 2);

    // Nothing to analyse: a message, and no file asked for.
    painter.ClearData();
    dialogs.fileAnswers = {FileChoice{folder / "empty.csv", 0}};
    EXPECT_FALSE(form.SaveSpectrum());
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.fileAnswers.size(), 1u);
    form.DataUnsaved = false;
}

}  // namespace vx
