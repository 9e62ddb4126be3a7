#pragma once
// The main of a benchmark whose code needs widgets: a headless QApplication
// (unless a platform was chosen) around the benchmark run.
#include <benchmark/benchmark.h>

#include <QApplication>

inline int RunWidgetBenchmarks(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
