// The cost of the ball's steps on the scripted screen: one step's erase and
// redraw inside its lock, and whole spins of the game with their (virtual)
// waits, counted per step.
#include <benchmark/benchmark.h>

#include <string>

#include "drawing.h"
#include "image.h"
#include "input.h"
#include "paths.h"
#include "random.h"
#include "screen.h"
#include "scripted.h"
#include "wheel.h"

namespace {

constexpr std::uint32_t ballColour = 0xFFFFFF;
constexpr std::uint32_t trackColour = 0xAAAAAA;

// The table screen with the wheel picture, so the fills meet the real track.
void openWheel() {
    scripted::reset();
    svc::resetScreen();
    svc::resetInput();
    svc::resetRandom();
    scripted::setProgramDirectory(ROTANDOR_SOURCE_DIR "/data");
    svc::setScreenMode(930, 647, 32);
    svc::Image* wheel = svc::createImage(593, 645);
    svc::loadBitmap(svc::exeDirectory() + "\\RK.roulette", wheel);
    svc::drawImage(335, 1, wheel);
    svc::destroyImage(wheel);
}

// One step as the spin draws it: the old ball erased, the next one drawn.
void BM_BallStep(benchmark::State& state) {
    openWheel();
    int pocket = 0, x = 0, y = 0;
    for (auto _ : state) {
        pocket = pocket == 36 ? 0 : pocket + 1;
        svc::lockScreen();
        if (x > 0 && y > 0) {
            svc::drawCircle(x, y, 5, trackColour);
            svc::floodFill(x, y, trackColour, trackColour);
        }
        x = game::pocketX(pocket);
        y = game::pocketY(pocket);
        svc::drawCircle(x, y, 5, ballColour);
        svc::floodFill(x, y, ballColour, ballColour);
        svc::unlockScreen();
    }
}
BENCHMARK(BM_BallStep);

// The game's whole spin; this seed gives 148 steps. The waits cost no real
// time here, but the input polls and window refreshes within them do.
void BM_SpinPerStep(benchmark::State& state) {
    openWheel();
    constexpr double seed = 244519;
    constexpr int steps = 148;
    game::resetWheel();
    for (auto _ : state) {
        scripted::advance(seed + 0.25 - scripted::now());
        game::startBall();
    }
    state.SetItemsProcessed(state.iterations() * steps);
    state.counters["per_step"] =
        benchmark::Counter(static_cast<double>(state.iterations() * steps),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}
BENCHMARK(BM_SpinPerStep)->Unit(benchmark::kMillisecond);

}  // namespace
