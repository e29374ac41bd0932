#pragma once
// A painter on the offscreen platform, with a virtual clock, for the view tests.
#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>

#include "graph/ZrGraphPainter.h"
#include "platform/Clock.h"

inline QApplication& testApp()
{
    static int argc = 1;
    static char name[] = "graph_painter_tests";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

class PainterFixture : public ::testing::Test {
protected:
    PainterFixture() { testApp(); }

    // The composed view, as the paint handler produces it.
    static QImage composed(ZrGraphPainter& p)
    {
        return p.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    static QRgb rgb(TColor c) { return toQColor(c).rgb(); }

    VirtualClock clock;
};
