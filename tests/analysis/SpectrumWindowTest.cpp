// The spectrum view in a graph window on the offscreen platform: the view
// button, the window choice, home after zooming, the mouse read-out, the
// table's noise rows, and the saved file as pandas reads it.
#include <QAction>
#include <QToolButton>
#include <cmath>
#include <numbers>

#include "graph/SpectrumView.h"
#include "graph/ZrGraphPainter.h"
#include "graphwin/TempFolder.h"
#include "platform/ProcessOutput.h"
#include "support/Controls.h"
#include "support/FakeGraphHost.h"
#include "support/OffscreenApp.h"

TEST(SpectrumWindow, ShowsChoosesHomesAndSavesTheSpectrum)
{
    // A coherent sine on channel 2 (127 cycles in 1024 records at 6 ksps) with a
    // third harmonic at -60 dBc.
    constexpr int Records = 1024, Cycles = 127;
    FakeGraphHost host;
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
    ASSERT_TRUE(s.valid);
    EXPECT_NEAR(s.thd, -60, 0.3);

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
    EXPECT_EQ(painter.XLeft(), 0);
    EXPECT_GE(painter.XRight(), Records / 2);
    EXPECT_LE(painter.YBottom(), -100);

    TempFolder folder;
    EXPECT_FALSE(form.SaveSpectrum()) << "the file dialog cancelled";
    host.dialogs.fileAnswers = {FileChoice{folder / "sine.csv", 0}};
    ASSERT_TRUE(form.SaveSpectrum());
    const ProcessOutput read = RunForOutput(
        {"/usr/bin/python3", "-c",
         "import sys, pandas\n"
         "f = pandas.read_csv(sys.argv[1])\n"
         "v = f.dropna(subset=['value']).set_index('figure')['value']\n"
         "print(len(f), list(f.columns), f['dbfs'].idxmax(), round(float(v['thd_db'])), v['sample_rate_hz'])\n",
         folder / "sine.csv"},
        true);
    EXPECT_EQ(read.output, "513 ['frequency_hz', 'dbfs', 'figure', 'value'] 127 -60 6000.0\n");

    control<QAction>(form, "MenuOptionsNoiseFigures")->trigger();
    control<QToolButton>(form, "ToolButtonTable")->click();
    int noiseCells = 0;
    for (const TableCell& c : painter.LayOutTable().cells) noiseCells += c.text == "Noise rms" || c.text == "Eff. bits";
    EXPECT_EQ(noiseCells, 2);

    // Nothing to analyse: a message, and no file asked for.
    painter.ClearData();
    host.dialogs.fileAnswers = {FileChoice{folder / "empty.csv", 0}};
    EXPECT_FALSE(form.SaveSpectrum());
    EXPECT_EQ(host.dialogs.messages.size(), 1u);
    EXPECT_EQ(host.dialogs.fileAnswers.size(), 1u);
    form.DataUnsaved = false;
}
