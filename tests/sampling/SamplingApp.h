#pragma once
// The one QApplication of the sampling window tests. Unless the environment
// names another platform, it runs offscreen on a 1600 x 1000 screen with
// window frames, like a desktop, so that where windows open can be checked.
// It is deleted when the tests end, before the program's statics that still
// hold toolkit objects.
#include <gtest/gtest.h>
#include <unistd.h>
#include <QApplication>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

inline std::unique_ptr<QApplication> samplingApp;

inline QApplication& widgetApp() {
    if (samplingApp) return *samplingApp;
    static const std::string screen = "/tmp/vx-sampling-screen-" + std::to_string(getpid()) + ".json";
    std::ofstream(screen) << R"({"screens": [{"name": "desk", "width": 1600, "height": 1000}],
                                "windowFrameMargins": true})";
    static std::string platform = "offscreen:configfile=" + screen;
    static char name[] = "sampling_window_tests", flag[] = "-platform";
    static char* argv[] = {name, flag, platform.data(), nullptr};
    static int argc =
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || qgetenv("QT_QPA_PLATFORM") == "offscreen" ? 3 : 1;
    samplingApp = std::make_unique<QApplication>(argc, argv);
    std::remove(screen.c_str());  // the platform has read it
    return *samplingApp;
}

struct SamplingAppEnvironment : ::testing::Environment {
    void TearDown() override { samplingApp.reset(); }
};
inline const auto* const samplingAppEnvironment = ::testing::AddGlobalTestEnvironment(new SamplingAppEnvironment);
