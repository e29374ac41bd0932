#pragma once
// main() of the benchmarks that need a QApplication (offscreen unless the
// caller chose a platform).
#include <benchmark/benchmark.h>
#include <QApplication>

#define VX_QT_BENCHMARK_MAIN()                                                                       \
    int main(int argc, char** argv) {                                                                \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen"); \
        QApplication app(argc, argv);                                                                \
        benchmark::Initialize(&argc, argv);                                                          \
        benchmark::RunSpecifiedBenchmarks();                                                         \
        benchmark::Shutdown();                                                                       \
        return 0;                                                                                    \
    }
