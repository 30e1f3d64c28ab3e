// The table's two large pictures (612 x 520 and 593 x 645, 24-bit): created,
// loaded from files, drawn and released, as the table set-up does. The
// budget for both together is 10 ms.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "../tests/bitmap_writer.h"
#include "drawing.h"
#include "image.h"
#include "screen.h"
#include "scripted.h"

namespace {

namespace fs = std::filesystem;

struct Picture {
    std::string path;
    int width, height, x, y;
};

fs::path writeTestPictures() {
    std::string templ = (fs::temp_directory_path() / "rotandor-bench-XXXXXX").string();
    if (mkdtemp(templ.data()) == nullptr) return {};
    for (const auto& [name, width, height] :
         {std::tuple{"Tisch.roulette", 612, 520}, std::tuple{"RK.roulette", 593, 645}}) {
        bmptest::Layout l;
        l.width = width;
        l.height = height;
        const std::vector<std::uint8_t> bytes = bmptest::makeBitmap(l, bmptest::gradient);
        std::ofstream(fs::path(templ) / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    return templ;
}

void run(benchmark::State& state, const fs::path& dir) {
    const Picture pictures[] = {{(dir / "Tisch.roulette").string(), 612, 520, 1, 1},
                                {(dir / "RK.roulette").string(), 593, 645, 335, 1}};
    for (const Picture& p : pictures) {
        if (!fs::exists(p.path)) {
            state.SkipWithError(("missing " + p.path).c_str());
            return;
        }
    }
    scripted::reset();
    svc::resetScreen();
    svc::setScreenMode(930, 647, 32);
    for (auto _ : state) {
        for (const Picture& p : pictures) {
            svc::Image* image = svc::createImage(p.width, p.height);
            if (svc::loadBitmap(p.path, image) != 0) state.SkipWithError("picture not loaded");
            svc::drawImage(p.x, p.y, image);
            svc::destroyImage(image);
        }
        benchmark::DoNotOptimize(svc::readPixel(400, 300));
    }
    svc::resetScreen();
}

void bothPicturesGenerated(benchmark::State& state) {
    const fs::path dir = writeTestPictures();
    run(state, dir);
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}
BENCHMARK(bothPicturesGenerated)->Unit(benchmark::kMillisecond);

// The pictures shipped with the game, when they are there.
void bothPicturesShipped(benchmark::State& state) {
    run(state, fs::path(ROTANDOR_SOURCE_DIR) / "data");
}
BENCHMARK(bothPicturesShipped)->Unit(benchmark::kMillisecond);

}  // namespace
