// The marks of the list: a badge over the icon of every type that Veltrano opens now, and an
// info tip that says what each type opens with.
#include "app/ListRows.h"
#include "app/RootWindow.h"
#include "catalogue/BuiltInExtensions.h"
#include "common/AsciiCase.h"
#include "common/SystemLibraries.h"
#include "common/UniqueHandle.h"

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

// The badge as an image of size x size pixels and its mask, its edges found with 4 x 4 samples
// per pixel. A pixel that is mostly covered shows the badge's colour there (green, white or a mix
// of the two); the others are transparent (black in the image, as drawing through the mask
// needs).
struct Badge {
    UniqueBitmap image, mask;
};

Badge DrawBadge(int size) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Badge badge;
    badge.image.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
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

const wchar_t* StateLine(AssociationState state) {
    switch (state) {
    case AssociationState::OpensWithVeltrano:
        return L"Opens with Veltrano.";
    case AssociationState::RegisteredElsewhere:
        return L"Registered for Veltrano, but Windows opens it with another program. To choose "
               L"Veltrano for it, use Default apps.";
    case AssociationState::NotRegistered:
        break;
    }
    return L"Not registered for Veltrano.";
}

} // namespace

void RootWindow::AddBadgeImage() {
    const Badge badge = DrawBadge(ImageSize(imageList));
    if (badge.image && badge.mask) {
        const CommonControlFunctions& controls = CommonControls();
        const int image = controls.imageListAdd(imageList, badge.image.get(), badge.mask.get());
        controls.imageListSetOverlayImage(imageList, image, kOpensWithVeltranoOverlay);
    }
}

void RootWindow::ShowAssociationMarks() {
    const int rows = RowCount(listView);
    rowStates.assign(static_cast<std::size_t>(std::max(rows, 0)), AssociationState::NotRegistered);
    for (int row = 0; row < rows; ++row) {
        const ExtensionEntry* entry = RowEntry(listView, row);
        if (entry != nullptr) {
            rowStates[row] = ReadAssociationState(entry->extension, playerPath);
        }
        const UINT overlay =
            rowStates[row] == AssociationState::OpensWithVeltrano ? kOpensWithVeltranoOverlay : 0;
        if (RowOverlay(listView, row) != overlay) {
            SetRowOverlay(listView, row, overlay);
        }
    }
}

void RootWindow::FillInfoTip(NMLVGETINFOTIPW& tip) const {
    if (commands.Busy() || tip.pszText == nullptr || tip.cchTextMax <= 0 || tip.iItem < 0 ||
        static_cast<std::size_t>(tip.iItem) >= rowStates.size()) {
        return;
    }
    const ExtensionEntry* entry = RowEntry(listView, tip.iItem);
    if (entry == nullptr) {
        return;
    }
    const std::wstring text =
        DescribeExtension(UpperAscii(entry->extension)) + L"\n" + StateLine(rowStates[tip.iItem]);
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(tip.cchTextMax - 1));
    text.copy(tip.pszText, length);
    tip.pszText[length] = L'\0';
}
