// The game's frame onto the window surface, at the window's scale.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform.h"
#include "sdl_shared.h"

using namespace sdl;

namespace {

bool frameStale = true;  // the window surface is new: paint it all
std::vector<std::uint32_t> scratch;

}  // namespace

void sdl::repaintWholeFrame() {
    frameStale = true;
}

namespace platform {

void present(const std::uint32_t* pixels, int width, int height, int firstRow, int lastRow) {
    if (window == nullptr || pixels == nullptr || width <= 0 || height <= 0) return;
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface == nullptr) return;
    const Frame f = frameIn(surface->w, surface->h);
    const int k = f.scale;
    const bool whole = frameStale;
    if (whole) {
        firstRow = 0;
        lastRow = height - 1;
    }
    // Never write past either buffer, whatever size the caller thinks the window has.
    const int columns = std::min(width, (surface->w - f.left) / k);
    if (firstRow < 0) firstRow = 0;
    if (lastRow > height - 1) lastRow = height - 1;
    if (lastRow > (surface->h - f.top) / k - 1) lastRow = (surface->h - f.top) / k - 1;
    if (columns <= 0 || firstRow > lastRow) return;
    const int rows = lastRow - firstRow + 1;

    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
    if (whole && (f.left > 0 || f.top > 0 || width * k < surface->w || height * k < surface->h)) {
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    }
    frameStale = false;
    auto* dst = static_cast<Uint8*>(surface->pixels) + static_cast<std::size_t>(f.top + firstRow * k) * surface->pitch +
                static_cast<std::size_t>(f.left) * surface->format->BytesPerPixel;
    const std::uint32_t* src = pixels + static_cast<std::size_t>(firstRow) * static_cast<std::size_t>(width);
    const std::size_t rowBytes = static_cast<std::size_t>(columns) * static_cast<std::size_t>(k) * 4;
    if (surface->format->format == SDL_PIXELFORMAT_RGB888) {
        // The usual X11 surface: the same layout, top byte unused.
        for (int y = 0; y < rows; y++) {
            const std::uint32_t* line = src + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
            Uint8* out = dst + static_cast<std::size_t>(y) * static_cast<std::size_t>(k) * surface->pitch;
            if (k == 1) {
                std::memcpy(out, line, rowBytes);
                continue;
            }
            // Every game pixel a k x k square: one widened row, copied k times.
            auto* wide = reinterpret_cast<std::uint32_t*>(out);
            for (int x = 0; x < columns; x++) {
                for (int i = 0; i < k; i++) wide[x * k + i] = line[x];
            }
            for (int i = 1; i < k; i++) std::memcpy(out + static_cast<std::size_t>(i) * surface->pitch, out, rowBytes);
        }
    } else {
        // The top byte of a game pixel is not alpha: show every pixel opaque.
        const int wideColumns = columns * k;
        scratch.resize(static_cast<std::size_t>(wideColumns) * static_cast<std::size_t>(rows) * k);
        for (int y = 0; y < rows * k; y++) {
            const std::uint32_t* line = src + static_cast<std::size_t>(y / k) * static_cast<std::size_t>(width);
            for (int x = 0; x < wideColumns; x++) {
                scratch[static_cast<std::size_t>(y) * wideColumns + x] = line[x / k] | 0xFF000000u;
            }
        }
        SDL_ConvertPixels(wideColumns, rows * k, SDL_PIXELFORMAT_ARGB8888, scratch.data(), wideColumns * 4,
                          surface->format->format, dst, surface->pitch);
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    if (whole) {
        SDL_UpdateWindowSurface(window);
    } else {
        const SDL_Rect band{f.left, f.top + firstRow * k, columns * k, rows * k};
        SDL_UpdateWindowSurfaceRects(window, &band, 1);
    }
}

}  // namespace platform
