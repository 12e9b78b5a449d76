#include "app/RowImages.h"

#include "app/BadgeImage.h"
#include "app/DibSection.h"
#include "app/DisplayScale.h"
#include "app/ListRows.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <map>
#include <set>
#include <utility>

namespace {

// The images that Make leaves room for (the built-in rows' and the badge), and the badge's.
constexpr int kMadeCapacity = 128;
constexpr int kBadgeImages = 1;

// An image list that is no longer a control's.
using UniqueImageList = UniqueHandle<HIMAGELIST, DestroyImageList>;

// The width (and height) of the image list's images.
int ImageSize(HIMAGELIST list) {
    int width = 0, height = 0;
    CommonControls().imageListGetIconSize(list, &width, &height);
    return width;
}

// The bytes of one row of pixels of a 24-bit DIB of the width: whole DWORDs.
std::size_t DibStride(int width) {
    return static_cast<std::size_t>((width * 3 + 3) / 4 * 4);
}

// A mask of width x height in which every pixel is opaque: monochrome rows are whole 16-bit
// words, all zero.
UniqueBitmap MakeOpaqueMask(int width, int height) {
    const std::vector<BYTE> opaque(static_cast<std::size_t>((width + 15) / 16 * 2) * height, 0);
    return UniqueBitmap(CreateBitmap(width, height, 1, 1, opaque.data()));
}

// An icon as the image list keeps it: drawn on the window colour as an opaque image (so that an
// overlay can be drawn over it), with a mask in which every pixel is opaque. The image is a DIB
// section whose pixels are at bits.
struct IconImage {
    UniqueBitmap image, mask;
    const BYTE* bits = nullptr;
};

IconImage DrawIconImage(HICON icon, int size) {
    void* bits = nullptr;
    const UniqueDeviceContext context(CreateCompatibleDC(nullptr));
    IconImage drawn{MakeDib(size, size, 24, bits), MakeOpaqueMask(size, size),
                    static_cast<const BYTE*>(bits)};
    if (!context || !drawn.image || !drawn.mask) {
        return {};
    }
    const SelectedObject selected(context.get(), drawn.image.get());
    const RECT all = {0, 0, size, size};
    FillRect(context.get(), &all, GetSysColorBrush(COLOR_WINDOW));
    DrawIconEx(context.get(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    return drawn;
}

// The images that one call appends at most: side by side in one bitmap, a strip.
constexpr int kStripImages = 256;

// Appends the images in order, a strip at a time: the list takes a strip in one call, where a
// call per image would select and blit its bitmaps for each. Returns how many were appended; the
// first that could not be and all after it are not.
int AppendImages(HIMAGELIST list, const std::vector<const IconImage*>& images, int size) {
    GdiFlush(); // every drawing is in its bits
    const int total = static_cast<int>(images.size());
    const std::size_t rowBytes = static_cast<std::size_t>(size) * 3;
    int appended = 0;
    while (appended < total) {
        const int count = std::min(kStripImages, total - appended);
        void* bits = nullptr;
        const UniqueBitmap strip = MakeDib(count * size, size, 24, bits);
        const UniqueBitmap mask = MakeOpaqueMask(count * size, size);
        if (!strip || !mask) {
            break;
        }
        const std::size_t stripStride = DibStride(count * size);
        for (int i = 0; i < count; ++i) {
            const BYTE* from = images[static_cast<std::size_t>(appended + i)]->bits;
            BYTE* to = static_cast<BYTE*>(bits) + static_cast<std::size_t>(i) * rowBytes;
            for (int y = 0; y < size; ++y) {
                std::memcpy(to + y * stripStride, from + y * DibStride(size), rowBytes);
            }
        }
        if (CommonControls().imageListAdd(list, strip.get(), mask.get()) < 0) {
            break;
        }
        appended += count;
    }
    return appended;
}

// Puts the icon into the image list at the image index, or appends it for index -1. Returns the
// image's index, -1 when it could not be put there.
int PutIconImage(HIMAGELIST list, int index, HICON icon) {
    const IconImage drawn = DrawIconImage(icon, ImageSize(list));
    if (!drawn.image) {
        return -1;
    }
    if (index < 0) {
        return CommonControls().imageListAdd(list, drawn.image.get(), drawn.mask.get());
    }
    return CommonControls().imageListReplace(list, index, drawn.image.get(), drawn.mask.get())
               ? index
               : -1;
}

// Where an icon is: its file and its index as read (a negative one names a resource identifier).
using IconLocation = std::pair<std::wstring, int>;

// Icons first to first + count - 1 of a file, size x size pixels, read with one opening of it; an
// empty one where the file has none.
std::vector<UniqueIcon> ExtractIconRange(const std::wstring& file, int first, int count, int size) {
    std::vector<HICON> icons(static_cast<std::size_t>(count), nullptr);
    // Asked for their resource identifiers too: without them, Wine gives only the first icon.
    std::vector<UINT> identifiers(static_cast<std::size_t>(count), 0);
    PrivateExtractIconsW(file.c_str(), first, size, size, icons.data(), identifiers.data(),
                         static_cast<UINT>(count), 0);
    return std::vector<UniqueIcon>(icons.begin(), icons.end());
}

// Indices of one file this close to the one before are read in one range, up to this many in all.
constexpr int kRangeGap = 4;
constexpr int kLongestRange = 32;

// The icon of each location, each extracted once: the non-negative indices of one file in ranges
// where they lie close together (a resource identifier cannot be ranged). A location whose icon
// a range did not bring, although the file gave others, is asked for on its own.
std::map<IconLocation, UniqueIcon> ExtractIcons(const std::set<IconLocation>& locations, int size,
                                                const std::wstring& playerPath) {
    std::map<IconLocation, UniqueIcon> icons;
    IconLocationGate gate(playerPath);
    for (auto at = locations.begin(); at != locations.end();) {
        const std::wstring& file = at->first;
        if (at->second < 0 || gate.Refusal(file) != nullptr) {
            icons[*at] = ExtractSmallIcon(gate, file, at->second, size);
            ++at;
            continue;
        }
        const int first = at->second;
        auto end = std::next(at);
        int last = first;
        while (end != locations.end() && end->first == file && end->second - last <= kRangeGap &&
               end->second - first < kLongestRange) {
            last = (end++)->second;
        }
        std::vector<UniqueIcon> range = ExtractIconRange(file, first, last - first + 1, size);
        const bool fileRead = std::any_of(range.begin(), range.end(),
                                          [](const UniqueIcon& icon) { return bool(icon); });
        for (; at != end; ++at) {
            UniqueIcon& icon = range[static_cast<std::size_t>(at->second - first)];
            icons[*at] = icon || !fileRead ? std::move(icon)
                                           : ExtractSmallIcon(gate, file, at->second, size);
        }
    }
    return icons;
}

} // namespace

void RowImages::Make(HWND list, int dpi) {
    owner = list;
    Create(SystemMetricForDpi(SM_CXSMICON, dpi), kMadeCapacity);
}

void RowImages::Create(int size, int capacity) {
    // With a mask, the badge can be drawn over a row's icon: the rows' icons are opaque images
    // on the window colour, as a list without a mask shows them.
    if (const HIMAGELIST made =
            CommonControls().imageListCreate(size, size, ILC_COLOR24 | ILC_MASK, capacity, 1)) {
        imageList = made;
        const UniqueImageList replaced(AttachRowImages(owner, imageList));
    }
}

std::vector<int> RowImages::AddRowImages(const ExtensionCatalogue& catalogue,
                                         const std::wstring& playerPath) {
    const int size = IconSize();
    std::vector<IconLocation> rowLocations;
    rowLocations.reserve(catalogue.Size());
    for (const auto& keyAndEntry : catalogue) {
        const ExtensionEntry& entry = keyAndEntry.second;
        rowLocations.emplace_back(entry.iconFile, ParseIconIndex(entry.iconIndex));
    }
    // Each distinct icon is extracted and drawn once (the built-in rows all show the player's
    // first icon); each row still gets an image of its own, which a chosen icon replaces.
    std::map<IconLocation, IconImage> drawn;
    for (const auto& [location, icon] : ExtractIcons(
             std::set<IconLocation>(rowLocations.begin(), rowLocations.end()), size, playerPath)) {
        if (icon) {
            IconImage image = DrawIconImage(icon.get(), size);
            if (image.image) {
                drawn.emplace(location, std::move(image));
            }
        }
    }
    std::vector<const IconImage*> appended;
    std::vector<int> images;
    images.reserve(rowLocations.size());
    for (const IconLocation& location : rowLocations) {
        const auto found = drawn.find(location);
        images.push_back(found != drawn.end() ? static_cast<int>(appended.size()) : -1);
        if (found != drawn.end()) {
            appended.push_back(&found->second);
        }
    }
    // Room for all of them from the start: a list that grows copies all it holds each time.
    const int needed = static_cast<int>(appended.size()) + kBadgeImages;
    if (needed > kMadeCapacity) {
        Create(size, needed);
    }
    const int count = AppendImages(imageList, appended, size);
    for (int& image : images) {
        if (image >= count) {
            image = -1; // its strip could not be appended
        }
    }
    // After the rows' images, so that it shifts none of them.
    const Badge badge = DrawBadge(size);
    if (badge.image && badge.mask) {
        const CommonControlFunctions& controls = CommonControls();
        const int image = controls.imageListAdd(imageList, badge.image.get(), badge.mask.get());
        if (image >= 0) {
            controls.imageListSetOverlayImage(imageList, image, kOpensWithVeltranoOverlay);
        }
    }
    return images;
}

int RowImages::PutRowIcon(int image, HICON icon) {
    if (image < 0) {
        return PutIconImage(imageList, -1, icon);
    }
    PutIconImage(imageList, image, icon);
    return image; // a failed replacement leaves the image the row had
}

int RowImages::IconSize() const {
    return ImageSize(imageList);
}

UniqueIcon ExtractSmallIcon(IconLocationGate& gate, const std::wstring& file, int index, int size) {
    // Whatever the catalogue holds: a refused location is never opened.
    if (gate.Refusal(file) != nullptr) {
        return nullptr;
    }
    return std::move(ExtractIconRange(file, index, 1, size).front());
}

int ParseIconIndex(const std::wstring& text) {
    return static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
}
