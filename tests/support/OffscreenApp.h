#pragma once
// One application for all cases of a test program, on the offscreen platform
// unless told otherwise. It is deleted when the tests end, before the
// program's statics: a widget once shown leaves Qt objects that must go first.
#include <gtest/gtest.h>
#include <QApplication>

namespace vx {

class OffscreenApp : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "vx_tests";
        static char* argv[] = {name, nullptr};
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = new QApplication(argc, argv);
    }
    void TearDown() override { delete app_; }

private:
    QApplication* app_ = nullptr;
};
inline const auto* const offscreenApp = ::testing::AddGlobalTestEnvironment(new OffscreenApp);

}  // namespace vx
