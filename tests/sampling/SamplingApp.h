#pragma once
// The one QApplication of the sampling window tests, on the offscreen
// platform unless the environment names another. It is deleted when the
// tests end, before the program's statics that still hold toolkit objects.
#include <QApplication>
#include <gtest/gtest.h>

inline QApplication* samplingApp = nullptr;

inline QApplication& widgetApp() {
    static int argc = 1;
    static char name[] = "sampling_window_tests";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!samplingApp) samplingApp = new QApplication(argc, argv);
    return *samplingApp;
}

class SamplingAppEnvironment : public ::testing::Environment {
public:
    void TearDown() override {
        delete samplingApp;
        samplingApp = nullptr;
    }
};
inline const auto* const samplingAppEnvironment = ::testing::AddGlobalTestEnvironment(new SamplingAppEnvironment);
