#pragma once
// The one QApplication of the sampling window tests (support/OffscreenApp.h).
// Unless the environment names another platform, it runs offscreen on a
// 1600 x 1000 screen with window frames, like a desktop, so that where
// windows open can be checked.
#include <gtest/gtest.h>
#include <unistd.h>
#include <QApplication>
#include <cstdio>
#include <fstream>
#include <string>

namespace vx {

// Registered before the application's set-up, so that it describes the
// screen the application is made on.
class SamplingScreen : public ::testing::Environment {
public:
    void SetUp() override {
        if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qgetenv("QT_QPA_PLATFORM") != "offscreen") return;
        std::ofstream(file_) << R"({"screens": [{"name": "desk", "width": 1600, "height": 1000}],
                                    "windowFrameMargins": true})";
        qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + file_).c_str());
    }
    void TearDown() override { std::remove(file_.c_str()); }

private:
    const std::string file_ = "/tmp/vx-sampling-screen-" + std::to_string(getpid()) + ".json";
};
inline const auto* const samplingScreen = ::testing::AddGlobalTestEnvironment(new SamplingScreen);

}  // namespace vx

#include "support/OffscreenApp.h"

namespace vx {

inline QApplication& widgetApp() { return *qApp; }

}  // namespace vx
