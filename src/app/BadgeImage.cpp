#include "app/BadgeImage.h"

#include "app/DibSection.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

struct Point {
    double x, y;
};

double DistanceToSegment(Point p, Point a, Point b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double along =
        std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(p.x - (a.x + along * dx), p.y - (a.y + along * dy));
}

// Blue, green and red weighted by the coverage alpha.
struct Pixel {
    double b = 0, g = 0, r = 0, a = 0;
};

// The colour of one point of the badge: a green disc with a white tick and a white rim, in the
// bottom right corner of an icon of the given size; transparent elsewhere.
Pixel BadgeColour(Point p, double size) {
    const double rim = 0.32 * size;
    const double disc = rim - size / 16.0;
    const Point centre = {size - rim, size - rim};
    const double distance = std::hypot(p.x - centre.x, p.y - centre.y);
    const Pixel white = {1, 1, 1, 1};
    if (distance > rim) {
        return {};
    }
    if (distance > disc) {
        return white;
    }
    const Point start = {centre.x - 0.5 * disc, centre.y + 0.02 * disc};
    const Point corner = {centre.x - 0.12 * disc, centre.y + 0.42 * disc};
    const Point end = {centre.x + 0.52 * disc, centre.y - 0.4 * disc};
    const double halfStroke = 0.045 * size;
    if (DistanceToSegment(p, start, corner) <= halfStroke ||
        DistanceToSegment(p, corner, end) <= halfStroke) {
        return white;
    }
    return {0x3A / 255.0, 0x9C / 255.0, 0x1E / 255.0, 1};
}

} // namespace

Badge DrawBadge(int size) {
    void* bits = nullptr;
    Badge badge;
    badge.image = MakeDib(size, size, 32, bits);
    if (!badge.image || bits == nullptr) {
        return {};
    }
    const int maskRowBytes = (size + 15) / 16 * 2; // monochrome rows are whole 16-bit words
    std::vector<BYTE> maskBits(static_cast<std::size_t>(maskRowBytes) * size, 0);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    constexpr int kSamples = 4;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Pixel sum;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const Pixel sample =
                        BadgeColour({x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples}, size);
                    sum.b += sample.b;
                    sum.g += sample.g;
                    sum.r += sample.r;
                    sum.a += sample.a;
                }
            }
            std::uint32_t& pixel = pixels[y * size + x];
            if (sum.a * 2 < kSamples * kSamples) {
                pixel = 0;
                maskBits[y * maskRowBytes + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
                continue;
            }
            const auto channel = [&sum](double value) {
                return static_cast<std::uint32_t>(std::lround(value * 255.0 / sum.a));
            };
            pixel = channel(sum.r) << 16 | channel(sum.g) << 8 | channel(sum.b);
        }
    }
    badge.mask.reset(CreateBitmap(size, size, 1, 1, maskBits.data()));
    return badge;
}
