#pragma once
// A painter on the offscreen platform, with a virtual clock, for the view tests.
#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>

#include "graph/ZrGraphPainter.h"
#include "platform/Clock.h"

// One application for all cases, deleted when the tests end, before the
// program's statics: a widget once shown leaves Qt objects that must go first.
class PainterApp : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "graph_painter_tests";
        static char* argv[] = {name, nullptr};
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = new QApplication(argc, argv);
    }
    void TearDown() override { delete app_; }

private:
    QApplication* app_ = nullptr;
};
inline const auto* const painterApp = ::testing::AddGlobalTestEnvironment(new PainterApp);

class PainterFixture : public ::testing::Test {
protected:
    // The composed view, as the paint handler produces it.
    static QImage composed(ZrGraphPainter& p)
    {
        return p.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    static QRgb rgb(TColor c) { return toQColor(c).rgb(); }

    VirtualClock clock;
};
