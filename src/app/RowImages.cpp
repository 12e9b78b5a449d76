#include "app/RowImages.h"

#include "app/BadgeImage.h"
#include "app/DisplayScale.h"
#include "app/ListRows.h"

#include <climits>
#include <cwchar>
#include <map>
#include <utility>

namespace {

// An image list that is no longer a control's.
using UniqueImageList = UniqueHandle<HIMAGELIST, DestroyImageList>;

// The width (and height) of the image list's images.
int ImageSize(HIMAGELIST list) {
    int width = 0, height = 0;
    CommonControls().imageListGetIconSize(list, &width, &height);
    return width;
}

// Puts the icon into the image list at the image index, or appends it for index -1, drawn on the
// window colour as an opaque image (so that an overlay can be drawn over it). Returns the image's
// index, -1 when it could not be put there.
int PutIconImage(HIMAGELIST list, int index, HICON icon) {
    const int width = ImageSize(list), height = width;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const UniqueDeviceContext context(CreateCompatibleDC(nullptr));
    const UniqueBitmap image(
        CreateDIBSection(context.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    // Every pixel opaque: monochrome rows are whole 16-bit words, all zero.
    const std::vector<BYTE> opaque(static_cast<std::size_t>((width + 15) / 16 * 2) * height, 0);
    const UniqueBitmap mask(CreateBitmap(width, height, 1, 1, opaque.data()));
    if (!context || !image || !mask) {
        return -1;
    }
    {
        const SelectedObject selected(context.get(), image.get());
        const RECT all = {0, 0, width, height};
        FillRect(context.get(), &all, GetSysColorBrush(COLOR_WINDOW));
        DrawIconEx(context.get(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    }
    if (index < 0) {
        return CommonControls().imageListAdd(list, image.get(), mask.get());
    }
    return CommonControls().imageListReplace(list, index, image.get(), mask.get()) ? index : -1;
}

} // namespace

void RowImages::Make(HWND list, int dpi) {
    // With a mask, the badge can be drawn over a row's icon: the rows' icons are opaque images
    // on the window colour, as a list without a mask shows them.
    const int size = SystemMetricForDpi(SM_CXSMICON, dpi);
    imageList = CommonControls().imageListCreate(size, size, ILC_COLOR24 | ILC_MASK, 10, 1);
    const UniqueImageList replaced(AttachRowImages(list, imageList));
}

std::vector<int> RowImages::AddRowImages(const ExtensionCatalogue& catalogue) {
    // Each row keeps an image of its own, which a chosen icon replaces; but the icon of a location
    // is extracted only once (the built-in rows all show the player's first icon).
    std::map<std::pair<std::wstring, int>, UniqueIcon> icons;
    const int size = IconSize();
    IconLocationGate gate;
    std::vector<int> images;
    images.reserve(catalogue.Size());
    for (const auto& keyAndEntry : catalogue) {
        const ExtensionEntry& entry = keyAndEntry.second;
        const int index = ParseIconIndex(entry.iconIndex);
        auto found = icons.find({entry.iconFile, index});
        if (found == icons.end()) {
            found = icons
                        .emplace(std::make_pair(entry.iconFile, index),
                                 ExtractSmallIcon(gate, entry.iconFile, index, size))
                        .first;
        }
        images.push_back(found->second ? PutIconImage(imageList, -1, found->second.get()) : -1);
    }
    // After the rows' images, so that it shifts none of them.
    const Badge badge = DrawBadge(size);
    if (badge.image && badge.mask) {
        const CommonControlFunctions& controls = CommonControls();
        const int image = controls.imageListAdd(imageList, badge.image.get(), badge.mask.get());
        controls.imageListSetOverlayImage(imageList, image, kOpensWithVeltranoOverlay);
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
    HICON icon = nullptr;
    const UINT count = PrivateExtractIconsW(file.c_str(), index, size, size, &icon, nullptr, 1, 0);
    if (count == 0 || count == UINT_MAX) {
        return nullptr;
    }
    return UniqueIcon(icon);
}

int ParseIconIndex(const std::wstring& text) {
    return static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
}
