// One step of the ball animation: the old ball painted over in grey, the new
// one drawn and filled in white, on the table's screen.
#include <benchmark/benchmark.h>

#include "screen.h"
#include "scripted.h"

namespace {

void ballStep(benchmark::State& state) {
    scripted::reset();
    svc::resetScreen();
    svc::setScreenMode(930, 647, 32);
    int x = 600;
    for (auto _ : state) {
        svc::drawCircle(x, 300, 5, 0xAAAAAA);
        svc::floodFill(x, 300, 0xAAAAAA, 0xAAAAAA);
        x = x == 600 ? 612 : 600;
        svc::drawCircle(x, 300, 5, 0xFFFFFF);
        svc::floodFill(x, 300, 0xFFFFFF, 0xFFFFFF);
        benchmark::DoNotOptimize(svc::readPixel(x, 300));
    }
    svc::resetScreen();
}
BENCHMARK(ballStep);

}  // namespace
