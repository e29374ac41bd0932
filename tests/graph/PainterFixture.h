#pragma once
// A painter on the offscreen platform, with a virtual clock, for the view tests.
#include <QImage>

#include "graph/ZrGraphPainter.h"
#include "platform/Clock.h"
#include "support/OffscreenApp.h"

namespace vx {

class PainterFixture : public ::testing::Test {
protected:
    // The composed view, as the paint handler produces it.
    static QImage composed(ZrGraphPainter& p) { return p.grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // Codes into a channel's records from first on, the channel enabled.
    static void feed(ZrGraphPainter& p, int channel, std::initializer_list<int> codes, int first = 0) {
        auto& ch = p.DisplayZorTape()->Channels[channel];
        for (int c : codes) ch.Data[first++] = c;
        ch.Enabled = true;
    }

    VirtualClock clock;
};

}  // namespace vx
