// The game's look: a bevelled panel, and the longest gradient text of the
// game (52 characters, a task title) printed and recoloured.
#include <benchmark/benchmark.h>

#include <cstring>

#include "drawing.h"
#include "panels.h"
#include "screen.h"
#include "scripted.h"
#include "tasks.h"

namespace {

void openStatisticsScreen() {
    scripted::reset();
    svc::resetScreen();
    svc::setScreenMode(640, 420, 32);
}

void printGradient52(benchmark::State& state) {
    openStatisticsScreen();
    const char* title = game::taskTitle(game::trioTask);  // the longest text: 52 characters
    for (auto _ : state) {
        game::printGradient(title, {17, 2}, game::cyanScheme);
        benchmark::DoNotOptimize(svc::readPixel(8, 128));
    }
    state.counters["characters"] = static_cast<double>(std::strlen(title));
    svc::resetScreen();
}
BENCHMARK(printGradient52)->Unit(benchmark::kMicrosecond);

void statisticsPanel(benchmark::State& state) {
    openStatisticsScreen();
    for (auto _ : state) game::drawPanel(game::playButton);
    svc::resetScreen();
}
BENCHMARK(statisticsPanel)->Unit(benchmark::kMicrosecond);

}  // namespace
