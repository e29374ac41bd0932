#pragma once
// A painter on the offscreen platform, with a virtual clock, for the view tests.
#include <QImage>

#include "graph/ZrGraphPainter.h"
#include "platform/Clock.h"
#include "support/OffscreenApp.h"

class PainterFixture : public ::testing::Test {
protected:
    // The composed view, as the paint handler produces it.
    static QImage composed(ZrGraphPainter& p) { return p.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    VirtualClock clock;
};
