// Pixels, lines, circles and flood fills, all confined to the view and given
// in coordinates counted from the view's top-left corner.
#include "drawing.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "screen.h"

namespace svc {

namespace {

// The view in screen coordinates, inclusive.
struct Clip {
    std::uint32_t* pixels;
    int stride;
    int left, top, right, bottom;

    std::uint32_t& at(long long x, long long y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(stride) + static_cast<std::size_t>(x)];
    }
    bool inside(long long x, long long y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

bool currentClip(Clip& clip) {
    if (!screenOpen()) return false;
    const View v = currentView();
    if (v.width <= 0 || v.height <= 0) return false;
    clip = Clip{screenPixels(), screenWidth(), v.left, v.top, v.left + v.width - 1, v.top + v.height - 1};
    return true;
}

// Line clipping -------------------------------------------------------------

enum : int { outLeft = 1, outRight = 2, outTop = 4, outBottom = 8 };

int outcode(long long x, long long y, const Clip& c) {
    int code = 0;
    if (x < c.left)
        code |= outLeft;
    else if (x > c.right)
        code |= outRight;
    if (y < c.top)
        code |= outTop;
    else if (y > c.bottom)
        code |= outBottom;
    return code;
}

// a + (b - a) * num / den rounded to nearest; the product can exceed 64 bits.
long long along(long long a, long long b, long long num, long long den) {
    const __int128 p = static_cast<__int128>(b - a) * num;
    __int128 q = p / den;
    const __int128 r = p % den;
    // Round half away from zero.
    const __int128 twice = 2 * (r < 0 ? -r : r);
    const __int128 absDen = den < 0 ? -den : den;
    if (twice >= absDen) q += ((p < 0) != (den < 0)) ? -1 : 1;
    return a + static_cast<long long>(q);
}

// Moves end points outside the clip along the line onto its edge; false when
// nothing of the line is inside.
bool clipLine(long long& x1, long long& y1, long long& x2, long long& y2, const Clip& c) {
    int code1 = outcode(x1, y1, c);
    int code2 = outcode(x2, y2, c);
    // Each pass puts one coordinate of one end on an edge; rounding can at
    // most cost a few more passes.
    for (int pass = 0; pass < 16; pass++) {
        if ((code1 | code2) == 0) return true;
        if (code1 & code2) return false;
        const int code = code1 ? code1 : code2;
        long long x, y;
        if (code & outTop) {
            y = c.top;
            x = along(x1, x2, y - y1, y2 - y1);
        } else if (code & outBottom) {
            y = c.bottom;
            x = along(x1, x2, y - y1, y2 - y1);
        } else if (code & outLeft) {
            x = c.left;
            y = along(y1, y2, x - x1, x2 - x1);
        } else {
            x = c.right;
            y = along(y1, y2, x - x1, x2 - x1);
        }
        if (code == code1) {
            x1 = x;
            y1 = y;
            code1 = outcode(x1, y1, c);
        } else {
            x2 = x;
            y2 = y;
            code2 = outcode(x2, y2, c);
        }
    }
    return false;
}

// Circles ---------------------------------------------------------------------

void plotPair(const Clip& c, long long xa, long long xb, long long y, std::uint32_t colour) {
    if (y < c.top || y > c.bottom) return;
    if (xa >= c.left && xa <= c.right) c.at(xa, y) = colour;
    if (xb >= c.left && xb <= c.right) c.at(xb, y) = colour;
}

// Integer circle walk with a = b = r. I is wide enough for 2 r^3.
template <typename I>
void circleWalk(const Clip& c, long long x, long long y, long long r, std::uint32_t colour) {
    long long x1 = x - r, x2 = x + r, y1 = y, y2 = y;
    plotPair(c, x1, x2, y, colour);
    const I a = r;
    const I aq = a * a, bq = a * a;
    const I dx = 2 * aq, dy = 2 * bq;
    I t = a * bq, tx = 2 * t, ty = 0;
    long long d = r;
    while (d > 0) {
        if (t > 0) {
            y1++;
            y2--;
            ty += dx;
            t -= ty;
        }
        if (t <= 0) {
            d--;
            x1++;
            x2--;
            tx -= dy;
            t += tx;
        }
        plotPair(c, x1, x2, y1, colour);
        plotPair(c, x1, x2, y2, colour);
    }
}

// Flood fill ------------------------------------------------------------------

struct Span {
    int y, x1, x2;
};

std::vector<Span> spans;
// Pixels already in a recorded span carry the current fill's stamp, so no
// buffer has to be cleared between fills.
std::vector<std::uint32_t> stamps;
std::uint32_t stamp = 0;

void nextStamp(std::size_t pixelCount) {
    if (stamps.size() != pixelCount) {
        stamps.assign(pixelCount, 0);
        stamp = 0;
    }
    if (++stamp == 0) {
        std::fill(stamps.begin(), stamps.end(), 0);
        stamp = 1;
    }
}

// Records the run of non-border pixels through (x, y) and returns its last x.
int recordSpan(const Clip& c, int x, int y, std::uint32_t border) {
    const std::uint32_t* line = &c.at(0, y);
    int first = x, last = x;
    while (first > c.left && line[first - 1] != border) first--;
    while (last < c.right && line[last + 1] != border) last++;
    std::uint32_t* marks = &stamps[static_cast<std::size_t>(y) * static_cast<std::size_t>(c.stride)];
    std::fill(marks + first, marks + last + 1, stamp);
    spans.push_back(Span{y, first, last});
    return last;
}

}  // namespace

std::uint32_t readPixel(int x, int y) {
    Clip c;
    if (!currentClip(c)) return 0xFFFFFFFF;
    const long long sx = static_cast<long long>(c.left) + x, sy = static_cast<long long>(c.top) + y;
    return c.inside(sx, sy) ? c.at(sx, sy) : 0xFFFFFFFF;
}

void drawPixel(int x, int y, std::uint32_t colour) {
    Clip c;
    if (!currentClip(c)) return;
    const long long sx = static_cast<long long>(c.left) + x, sy = static_cast<long long>(c.top) + y;
    if (!c.inside(sx, sy)) return;
    c.at(sx, sy) = colour;
    markRowsChanged(static_cast<int>(sy), static_cast<int>(sy));
}

void drawLine(int x1, int y1, int x2, int y2, std::uint32_t colour) {
    Clip c;
    if (!currentClip(c)) return;
    long long ax = static_cast<long long>(c.left) + x1, ay = static_cast<long long>(c.top) + y1;
    long long bx = static_cast<long long>(c.left) + x2, by = static_cast<long long>(c.top) + y2;
    if (!clipLine(ax, ay, bx, by, c)) return;
    if (ay == by) {
        if (ax > bx) std::swap(ax, bx);
        std::fill(&c.at(ax, ay), &c.at(bx, ay) + 1, colour);
    } else if (ax == bx) {
        if (ay > by) std::swap(ay, by);
        for (long long y = ay; y <= by; y++) c.at(ax, y) = colour;
    } else {
        const long long dx = bx > ax ? bx - ax : ax - bx;
        const long long dy = by > ay ? by - ay : ay - by;
        const long long sx = bx > ax ? 1 : -1, sy = by > ay ? 1 : -1;
        long long x = ax, y = ay;
        if (dx >= dy) {
            long long err = dx / 2;
            for (long long i = 0; i <= dx; i++) {
                c.at(x, y) = colour;
                x += sx;
                err -= dy;
                if (err < 0) {
                    y += sy;
                    err += dx;
                }
            }
        } else {
            long long err = dy / 2;
            for (long long i = 0; i <= dy; i++) {
                c.at(x, y) = colour;
                y += sy;
                err -= dx;
                if (err < 0) {
                    x += sx;
                    err += dy;
                }
            }
        }
    }
    markRowsChanged(static_cast<int>(std::min(ay, by)), static_cast<int>(std::max(ay, by)));
}

void drawCircle(int x, int y, int radius, std::uint32_t colour) {
    if (radius <= 0) return;
    Clip c;
    if (!currentClip(c)) return;
    const long long cx = static_cast<long long>(c.left) + x, cy = static_cast<long long>(c.top) + y;
    const long long r = radius;
    if (cx + r < c.left || cx - r > c.right || cy + r < c.top || cy - r > c.bottom) return;
    // The outline stays within a pixel of the radius: when the whole view lies
    // well inside the circle there is nothing to walk.
    const auto far = [](long long a, long long lo, long long hi) -> __int128 {
        return std::max(a - lo >= 0 ? a - lo : lo - a, a - hi >= 0 ? a - hi : hi - a);
    };
    const __int128 fx = far(cx, c.left, c.right), fy = far(cy, c.top, c.bottom);
    if (r > 2 && fx * fx + fy * fy < static_cast<__int128>(r - 2) * (r - 2)) return;
    // 2 r^3 fits 64 bits up to r = 2^20.
    if (r <= (1LL << 20)) {
        circleWalk<long long>(c, cx, cy, r, colour);
    } else {
        circleWalk<__int128>(c, cx, cy, r, colour);
    }
    markRowsChanged(static_cast<int>(std::max<long long>(cy - r, c.top)),
                    static_cast<int>(std::min<long long>(cy + r, c.bottom)));
}

void floodFill(int x, int y, std::uint32_t fill, std::uint32_t border) {
    Clip c;
    if (!currentClip(c)) return;
    const long long sx = static_cast<long long>(c.left) + x, sy = static_cast<long long>(c.top) + y;
    if (!c.inside(sx, sy) || c.at(sx, sy) == border) return;

    nextStamp(static_cast<std::size_t>(c.stride) * static_cast<std::size_t>(screenHeight()));
    spans.clear();
    recordSpan(c, static_cast<int>(sx), static_cast<int>(sy), border);
    // Nothing is painted until every span is known, so the fill colour may
    // equal the border colour or already occur inside the region.
    for (std::size_t i = 0; i < spans.size(); i++) {
        const Span s = spans[i];
        for (int ny : {s.y - 1, s.y + 1}) {
            if (ny < c.top || ny > c.bottom) continue;
            const std::uint32_t* line = &c.at(0, ny);
            const std::uint32_t* marks = &stamps[static_cast<std::size_t>(ny) * static_cast<std::size_t>(c.stride)];
            int px = s.x1;
            while (px <= s.x2) {
                if (line[px] == border || marks[px] == stamp) {
                    px++;
                } else {
                    px = recordSpan(c, px, ny, border) + 1;
                }
            }
        }
    }
    int firstRow = INT_MAX, lastRow = -1;
    for (const Span& s : spans) {
        std::fill(&c.at(s.x1, s.y), &c.at(s.x2, s.y) + 1, fill);
        firstRow = std::min(firstRow, s.y);
        lastRow = std::max(lastRow, s.y);
    }
    markRowsChanged(firstRow, lastRow);
}

}  // namespace svc
