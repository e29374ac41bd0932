#pragma once
// The one QApplication of the sampling window tests. Unless the environment
// names another platform, it runs offscreen on a 1600 x 1000 screen with
// window frames, like a desktop, so that where windows open can be checked.
// It is deleted when the tests end, before the program's statics that still
// hold toolkit objects.
#include <QApplication>
#include <gtest/gtest.h>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <utility>

inline QApplication* samplingApp = nullptr;
inline const std::string samplingScreenFile = "/tmp/vx-sampling-screen-" + std::to_string(getpid()) + ".json";

inline QApplication& widgetApp() {
    if (samplingApp) return *samplingApp;
    static char name[] = "sampling_window_tests", flag[] = "-platform";
    static std::string platform = "offscreen:configfile=" + samplingScreenFile;
    static char* argv[] = {name, flag, platform.data(), nullptr};
    static int argc = qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || qgetenv("QT_QPA_PLATFORM") == "offscreen" ? 3 : 1;
    std::ofstream(samplingScreenFile) << R"({"screens": [{"name": "desk", "width": 1600, "height": 1000}],
                                            "windowFrameMargins": true})";
    samplingApp = new QApplication(argc, argv);
    return *samplingApp;
}

struct SamplingAppEnvironment : ::testing::Environment {
    void TearDown() override {
        delete std::exchange(samplingApp, nullptr);
        std::remove(samplingScreenFile.c_str());
    }
};
inline const auto* const samplingAppEnvironment = ::testing::AddGlobalTestEnvironment(new SamplingAppEnvironment);
