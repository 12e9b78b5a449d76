#include "MainWindowFixture.h"

#include "app/ListRows.h"
#include "app/StartUp.h"
#include "support/ImportHook.h"
#include "support/MessageQueue.h"

#include <commctrl.h>

namespace {

// The image list holds the rows' icons, then the badge.
constexpr int kBadgeImages = 1;

IconExtractions* recording = nullptr;
decltype(&PrivateExtractIconsW) systemExtract = nullptr;

UINT WINAPI RecordedExtract(LPCWSTR file, int first, int cx, int cy, HICON* icons, UINT* ids,
                            UINT count, UINT flags) {
    recording->calls.emplace_back(file, first, count);
    return systemExtract(file, first, cx, cy, icons, ids, count, flags);
}

} // namespace

IconExtractions::IconExtractions() {
    recording = this;
    systemExtract = reinterpret_cast<decltype(systemExtract)>(ReplaceImport(
        "user32.dll", "PrivateExtractIconsW", reinterpret_cast<void*>(&RecordedExtract)));
    EXPECT_NE(systemExtract, nullptr) << "the program extracts its icons through user32";
}

IconExtractions::~IconExtractions() {
    ReplaceImport("user32.dll", "PrivateExtractIconsW", reinterpret_cast<void*>(systemExtract));
    recording = nullptr;
}

UINT ScriptedPickers::TrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner) {
    ++menuCalls;
    menuShown = menu;
    menuFlags = flags;
    menuPoint = {x, y};
    menuOwner = owner;
    return menuAnswer;
}

bool ScriptedPickers::PickIcon(HWND owner, wchar_t* path, UINT pathSize, int* index) {
    ++pickCalls;
    pickOwner = owner;
    offeredFile = path;
    offeredSize = pathSize;
    offeredIndex = *index;
    if (!confirmIcon) {
        return false;
    }
    path[chosenFile.copy(path, pathSize - 1)] = L'\0';
    *index = chosenIndex;
    return true;
}

bool ScriptedPickers::ChooseFile(OPENFILENAMEW& dialog) {
    ++fileDialogCalls;
    fileDialogOwner = dialog.hwndOwner;
    if (fileToChoose.empty()) {
        return false;
    }
    dialog.lpstrFile[fileToChoose.copy(dialog.lpstrFile, dialog.nMaxFile - 1)] = L'\0';
    return true;
}

void MainWindowTest::SetUp() {
    CreateDirectoryW(kPlayer.substr(0, kPlayer.rfind(L'\\')).c_str(), nullptr);
    CloseHandle(CreateFileW(kPlayer.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
    instanceHandle = GetModuleHandleW(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    RootWindow* const root = RootWindow::Create();
    ASSERT_NE(root, nullptr);
    window = std::make_unique<MainWindowAccess>(*root);
    // Left hidden: under Xvfb without a window manager, Wine waits two seconds for the
    // withdrawal of every visible top-level window that is destroyed.
    hwnd = root->hwnd;
}

void MainWindowTest::TearDown() {
    if (hwnd != nullptr && IsWindow(hwnd)) {
        DestroyWindow(hwnd);
    }
    window.reset();  // the window object went with its window
    DrainMessages(); // the destroyed window's quit message would end the next modal loop
}

ScriptedPickers& MainWindowTest::UseScriptedPickers() {
    auto pickers = std::make_unique<ScriptedPickers>();
    ScriptedPickers& view = *pickers;
    window->SetPickers(std::move(pickers));
    return view;
}

void MainWindowTest::Fill(std::initializer_list<ExtensionEntry> entries) {
    for (const ExtensionEntry& entry : entries) {
        window->catalogue.AddEntry(entry);
    }
    window->FillExtensionList();
}

void MainWindowTest::AddEntry(const std::wstring& extension, const std::wstring& iconFile,
                              const std::wstring& iconIndex) {
    window->catalogue.AddEntry(ExtensionEntry{extension, iconFile, iconIndex});
}

LRESULT MainWindowTest::ClickInList(UINT code, int item, POINT point) {
    NMITEMACTIVATE click = {};
    click.hdr.hwndFrom = window->listView;
    click.hdr.idFrom = kListViewId;
    click.hdr.code = code;
    click.iItem = item;
    click.ptAction = point;
    return SendMessageW(hwnd, WM_NOTIFY, kListViewId, reinterpret_cast<LPARAM>(&click));
}

int MainWindowTest::Rows() const {
    return ListView_GetItemCount(window->listView);
}

std::wstring MainWindowTest::RowText(int row) const {
    wchar_t text[256] = {};
    ListView_GetItemText(window->listView, row, 0, text, 256);
    return text;
}

int MainWindowTest::RowImage(int row) const {
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    ListView_GetItem(window->listView, &item);
    return item.iImage;
}

UINT MainWindowTest::RowOverlay(int row) const {
    return (ListView_GetItemState(window->listView, row, LVIS_OVERLAYMASK) & LVIS_OVERLAYMASK) >> 8;
}

UINT MainWindowTest::RowStateImage(int row) const {
    return (ListView_GetItemState(window->listView, row, LVIS_STATEIMAGEMASK) &
            LVIS_STATEIMAGEMASK) >>
           12;
}

std::vector<UINT> MainWindowTest::StateImages() const {
    std::vector<UINT> states;
    for (int row = 0; row < Rows(); ++row) {
        states.push_back(RowStateImage(row));
    }
    return states;
}

void MainWindowTest::SetRowState(int row, UINT stateImage) {
    ListView_SetItemState(window->listView, row, INDEXTOSTATEIMAGEMASK(stateImage),
                          LVIS_STATEIMAGEMASK);
}

void MainWindowTest::SelectRow(int row, bool selected) {
    ListView_SetItemState(window->listView, row, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

int MainWindowTest::ImageCount() const {
    return ImageList_GetImageCount(window->imageList.Handle()) - kBadgeImages;
}

std::vector<COLORREF> MainWindowTest::ImagePixels(int image, UINT overlay) const {
    return DrawnPixels([&](HDC memory, int) {
        ImageList_Draw(window->imageList.Handle(), image, memory, 0, 0,
                       ILD_NORMAL | INDEXTOOVERLAYMASK(overlay));
    });
}

std::vector<COLORREF> MainWindowTest::IconPixels(const std::wstring& file, int index) const {
    return DrawnPixels([&](HDC memory, int size) {
        HICON icon = nullptr;
        PrivateExtractIconsW(file.c_str(), index, size, size, &icon, nullptr, 1, 0);
        const RECT all = {0, 0, size, size};
        FillRect(memory, &all, GetSysColorBrush(COLOR_WINDOW));
        DrawIconEx(memory, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        DestroyIcon(icon);
    });
}

std::vector<COLORREF> MainWindowTest::DrawnPixels(const std::function<void(HDC, int)>& draw) const {
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const int size = window->imageList.IconSize();
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    draw(memory, size);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            pixels.push_back(GetPixel(memory, x, y));
        }
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

RECT MainWindowTest::WindowBounds() const {
    RECT bounds = {};
    GetWindowRect(hwnd, &bounds);
    return bounds;
}

RECT MainWindowTest::ControlRect(HWND control) const {
    RECT bounds = {};
    GetWindowRect(control, &bounds);
    MapWindowPoints(HWND_DESKTOP, hwnd, reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

std::wstring MainWindowTest::SystemIconLibrary() {
    wchar_t directory[MAX_PATH] = {};
    GetSystemDirectoryW(directory, MAX_PATH);
    return std::wstring(directory) + L"\\shell32.dll";
}
