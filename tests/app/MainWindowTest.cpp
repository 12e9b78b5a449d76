// The main window: its controls, font, layout, minimum size, the filled list and the fitting of
// the window to the rows.
#include "MainWindowFixture.h"

#include "app/DisplayScale.h"
#include "app/ListRows.h"
#include "support/TestFolder.h"
#include "support/e2e/AppDriver.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::wstring TextOf(HWND control) {
    wchar_t text[128] = {};
    GetWindowTextW(control, text, 128);
    return text;
}

std::wstring Describe(const RECT& r) {
    return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L" " +
           std::to_wstring(r.right - r.left) + L"x" + std::to_wstring(r.bottom - r.top);
}

TEST(DialogFont, HeightFollowsTheDisplayResolution) {
    EXPECT_EQ(DialogFontHeight(96), -11);
    EXPECT_EQ(DialogFontHeight(120), -13);
    EXPECT_EQ(DialogFontHeight(144), -16);
    EXPECT_EQ(DialogFontHeight(192), -21);
    EXPECT_EQ(DialogFontHeight(72), -8);
}

TEST_F(MainWindowTest, ShowsTheControlsWithTheirTextsInTheDialogFont) {
    EXPECT_EQ(GetDlgItem(hwnd, kListViewId), window->listView);
    EXPECT_EQ(TextOf(GetDlgItem(hwnd, kSetAssociationsId)), L"Set Associations");
    EXPECT_EQ(TextOf(GetDlgItem(hwnd, kOpenIdfFileId)), L"Open IDF File");
    EXPECT_EQ(TextOf(GetDlgItem(hwnd, kShellExtensionId)), L"Play / Enqueue Shell Extension");
    EXPECT_EQ(SendMessageW(window->shellExtensionCheckBox, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_TRUE(ListView_GetExtendedListViewStyle(window->listView) & LVS_EX_CHECKBOXES);

    const auto font = reinterpret_cast<HFONT>(SendMessageW(window->listView, WM_GETFONT, 0, 0));
    for (HWND control :
         {window->setAssociationsButton, window->openIdfButton, window->shellExtensionCheckBox}) {
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), font);
    }
    LOGFONTW description = {};
    ASSERT_EQ(GetObjectW(font, sizeof(description), &description), int(sizeof(description)));
    const HDC display = CreateICW(L"DISPLAY", nullptr, nullptr, nullptr);
    EXPECT_EQ(description.lfHeight, DialogFontHeight(GetDeviceCaps(display, LOGPIXELSY)));
    DeleteDC(display);
    EXPECT_STREQ(description.lfFaceName, L"MS Shell Dlg 2");
    EXPECT_GT(window->font.charWidth, 0);
    EXPECT_GT(window->font.charHeight, 0);
    EXPECT_EQ(window->imageList.IconSize(), GetSystemMetrics(SM_CXSMICON))
        << "the icons are of the display's small-icon size";
}

TEST(MainWindowLayout, PlacesTheControlsForTheClientSizeFontAndScale) {
    struct Case {
        int width, height;
        LayoutMeasures measures; // dpi, charWidth, charHeight, checkBoxWidth
        ControlBox list, setButton, openButton, checkBox;
    };
    const Case cases[] = {
        // Margins 8, 6 below the check box; b = 13 * 19 / 10 = 24.
        {600,
         400,
         {96, 6, 13, 0},
         {8, 8, 584, 352},
         {442, 368, 150, 24},
         {314, 368, 120, 24},
         {8, 381, 198, 13}},
        {800,
         500,
         {96, 7, 16, 0},
         {8, 8, 784, 446},
         {617, 462, 175, 30},
         {469, 462, 140, 30},
         {8, 478, 231, 16}},
        // Too narrow for the check box beside the buttons: it goes above them.
        {392,
         273,
         {96, 6, 13, 0},
         {8, 8, 376, 204},
         {234, 241, 150, 24},
         {106, 241, 120, 24},
         {8, 220, 198, 13}},
        // The margins scale: 10 and 8 at 120 dpi, 12 and 9 at 144, 16 and 12 at 192.
        {750,
         500,
         {120, 7, 16, 0},
         {10, 10, 730, 440},
         {565, 460, 175, 30},
         {415, 460, 140, 30},
         {10, 476, 231, 16}},
        // A label wider than 33 characters widens the check box, and where it no longer fits
        // beside the buttons it goes above them.
        {600,
         400,
         {96, 6, 13, 310},
         {8, 8, 584, 331},
         {442, 368, 150, 24},
         {314, 368, 120, 24},
         {8, 347, 310, 13}},
        {900,
         600,
         {144, 9, 19, 320},
         {12, 12, 876, 528},
         {663, 552, 225, 36},
         {471, 552, 180, 36},
         {12, 572, 320, 19}},
        {1200,
         800,
         {192, 12, 26, 0},
         {16, 16, 1168, 703},
         {884, 735, 300, 49},
         {628, 735, 240, 49},
         {16, 762, 396, 26}},
        {784,
         546,
         {192, 12, 26, 0},
         {16, 16, 752, 407},
         {468, 481, 300, 49},
         {212, 481, 240, 49},
         {16, 439, 396, 26}},
    };
    const auto text = [](const ControlBox& b) {
        return std::to_string(b.x) + "," + std::to_string(b.y) + " " + std::to_string(b.width) +
               "x" + std::to_string(b.height);
    };
    for (const Case& c : cases) {
        const ControlLayout got = LayOutControls(c.width, c.height, c.measures);
        EXPECT_EQ(text(got.listView) + " | " + text(got.setAssociationsButton) + " | " +
                      text(got.openIdfButton) + " | " + text(got.shellExtensionCheckBox),
                  text(c.list) + " | " + text(c.setButton) + " | " + text(c.openButton) + " | " +
                      text(c.checkBox))
            << c.width << "x" << c.height << " at " << c.measures.dpi << " dpi";
    }
}

TEST(MainWindowLayout, FitsTwentyRowsToAListColumnWithScaledSpace) {
    struct Case {
        int rows;
        RECT row;
        LayoutMeasures measures;
        SIZE frame; // of the window; the list keeps 21 pixels beside its rows
        SIZE fitted;
    };
    const Case cases[] = {
        // Width: columns x row width + 40. Height: 21, 20.5 rows (348), what the layout puts
        // beside the list at the window's width (at least 528) and the frame.
        {20, {0, 0, 60, 17}, {96, 6, 13, 0}, {16, 39}, {100, 21 + 348 + 48 + 39}},
        {21, {0, 0, 60, 17}, {96, 6, 13, 0}, {16, 39}, {160, 456}},
        {40, {5, 2, 65, 19}, {96, 6, 13, 0}, {16, 39}, {160, 456}},
        {41, {0, 0, 60, 17}, {96, 6, 13, 0}, {8, 20}, {220, 437}},
        // A check box label too wide to go beside the buttons: it goes above them.
        {21, {0, 0, 60, 17}, {96, 7, 16, 300}, {16, 39}, {160, 21 + 348 + 78 + 39}},
        // At 192 dpi: 80 beside the columns, margins of 16.
        {21, {0, 0, 120, 34}, {192, 12, 26, 0}, {32, 78}, {320, 21 + 697 + 97 + 78}},
    };
    for (const Case& c : cases) {
        const SIZE got = FittedWindowSize(c.rows, c.row, c.measures, c.frame, 21);
        EXPECT_EQ(std::make_pair(got.cx, got.cy), std::make_pair(c.fitted.cx, c.fitted.cy))
            << c.rows << " rows at " << c.measures.dpi << " dpi";
    }
    const SIZE minimum = MinimumWindowSize({96, 6, 13, 0});
    EXPECT_EQ(std::make_pair(minimum.cx, minimum.cy), std::make_pair(528L, 195L));
}

TEST_F(MainWindowTest, NoTwoControlsOverlapAtAnySizeTheWindowShows) {
    struct Step {
        const char* size;
        std::function<void()> apply;
    };
    const Step steps[] = {
        // Shown, the window gets its first WM_SIZE and lays its controls out.
        {"first size (400 x 300 at 96 dpi)", [this] { ShowWindow(hwnd, SW_SHOWNOACTIVATE); }},
        {"fitted to the built-in rows",
         [this] {
             window->BuildCatalogue();
             window->FillExtensionList();
         }},
        {"minimum tracking size",
         [this] { SetWindowPos(hwnd, nullptr, 0, 0, 20, 20, SWP_NOZORDER | SWP_NOMOVE); }},
    };
    for (const Step& step : steps) {
        step.apply();
        RECT client = {};
        GetClientRect(hwnd, &client);
        const HWND controls[] = {window->listView, window->setAssociationsButton,
                                 window->openIdfButton, window->shellExtensionCheckBox};
        for (std::size_t i = 0; i < std::size(controls); ++i) {
            const RECT rect = ControlRect(controls[i]);
            RECT inside = {};
            IntersectRect(&inside, &rect, &client);
            EXPECT_TRUE(!IsRectEmpty(&rect) && EqualRect(&inside, &rect))
                << step.size << ": control " << GetDlgCtrlID(controls[i]) << " at "
                << testing::PrintToString(Describe(rect)) << " is not whole in the client area";
            for (std::size_t j = i + 1; j < std::size(controls); ++j) {
                const RECT other = ControlRect(controls[j]);
                RECT common = {};
                EXPECT_FALSE(IntersectRect(&common, &rect, &other))
                    << step.size << ": controls " << GetDlgCtrlID(controls[i]) << " and "
                    << GetDlgCtrlID(controls[j]) << " overlap at "
                    << testing::PrintToString(Describe(common));
            }
        }
        // What the check box itself needs to show its label in its font.
        SIZE ideal = {};
        ASSERT_TRUE(SendMessageW(window->shellExtensionCheckBox, BCM_GETIDEALSIZE, 0,
                                 reinterpret_cast<LPARAM>(&ideal)));
        const RECT box = ControlRect(window->shellExtensionCheckBox);
        EXPECT_GE(box.right - box.left, ideal.cx) << step.size;
    }
}

TEST_F(MainWindowTest, DraggingSmallerStopsAtTheMinimumSize) {
    MINMAXINFO limits = {};
    limits.ptMaxTrackSize = {1234, 987};
    EXPECT_EQ(SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits)), 0);
    EXPECT_EQ(limits.ptMinTrackSize.x, 88 * window->font.charWidth);
    EXPECT_EQ(limits.ptMinTrackSize.y, 15 * window->font.charHeight);
    EXPECT_EQ(limits.ptMaxTrackSize.x, 1234) << "nothing else is changed";
    EXPECT_EQ(limits.ptMaxTrackSize.y, 987);

    SetWindowPos(hwnd, nullptr, 0, 0, 20, 20, SWP_NOZORDER | SWP_NOMOVE);
    const RECT bounds = WindowBounds();
    EXPECT_EQ(bounds.right - bounds.left, 88 * window->font.charWidth);
    EXPECT_EQ(bounds.bottom - bounds.top, 15 * window->font.charHeight);
}

TEST_F(MainWindowTest, FillsOneRowPerEntryInCatalogueOrderWithItsIconAndUnchecked) {
    const std::wstring program = ThisProgram();
    const std::wstring shell = SystemIconLibrary();
    const std::wstring missing = L"C:\\no such folder\\none.dll";
    // The player run from a share (N:): the list shows its own icon from there, and opens no
    // other file there.
    window->playerPath = L"N:\\vtplayer.exe";
    ASSERT_TRUE(CopyFileW(shell.c_str(), window->playerPath.c_str(), FALSE));
    std::vector<IconExtractions::Call> extracted;
    {
        const IconExtractions extractions;
        Fill({{L"mkv", program, L"0"},
              {L"avi", program, L"-20005"}, // a resource identifier
              {L"zzz", missing, L"0"},
              {L"aac", program, L"  +0 and more"},
              {L"x3", shell, L"3"},
              {L"x4", shell, L"4"},
              {L"xnet", L"N:\\icons.dll", L"0"},
              {L"xply", window->playerPath, L"0"}});
        extracted = extractions.calls;
    }
    EXPECT_TRUE(DeleteFileW(window->playerPath.c_str()));

    ASSERT_EQ(Rows(), 8);
    EXPECT_EQ(RowText(0), L".aac");
    EXPECT_EQ(RowText(1), L".avi");
    EXPECT_EQ(RowText(2), L".mkv");
    EXPECT_EQ(RowText(7), L".zzz");
    EXPECT_EQ(ImageCount(), 6) << "one image per icon found";
    const std::vector<int> images = {0, 1, 2, 3, 4, -1, 5, -1};
    for (int row = 0; row < 8; ++row) {
        EXPECT_EQ(RowImage(row), images[row]) << "row " << row << ": a missing or refused file "
                                              << "leaves the row without icon";
    }
    EXPECT_EQ(ImagePixels(0), ImagePixels(2)) << "rows of one icon location show the same icon";
    EXPECT_NE(ImagePixels(3), ImagePixels(4)) << "two icons of one file, read as one range";
    std::sort(extracted.begin(), extracted.end());
    std::vector<IconExtractions::Call> expected = {{missing, 0, 1},
                                                   {program, -20005, 1},
                                                   {program, 0, 1},
                                                   {shell, 3, 2},
                                                   {window->playerPath, 0, 1}};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(extracted, expected) << "each icon location extracted once, none refused";
    EXPECT_EQ(StateImages(), (std::vector<UINT>(8, 1)));
    for (int row = 0; row < 8; ++row) {
        const ExtensionEntry* entry = RowEntry(window->listView, row);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry, window->catalogue.Find(RowText(row).substr(1)))
            << "rows refer to the catalogue's own entries";
    }

    // More rows than the images that one strip adds: .s1000 to .s1299 after .mkv, every third
    // naming another file's icon, still each have their own image of their own icon.
    const std::wstring other = L"C:\\windows\\system32\\shell32.dll";
    for (int i = 0; i < 300; ++i) {
        const bool third = i % 3 == 0;
        AddEntry(L"s" + std::to_wstring(1000 + i), third ? other : program, third ? L"3" : L"0");
    }
    window->RebuildExtensionList();
    ASSERT_EQ(RowText(302), L".s1299");
    ASSERT_NE(ImagePixels(3), ImagePixels(4)) << "two different icons";
    for (const int row : {258, 259, 260, 301, 302}) {
        EXPECT_EQ(RowImage(row), row);
        EXPECT_EQ(ImagePixels(row), ImagePixels(row % 3 == 0 ? 3 : 4)) << row;
    }
}

TEST_F(MainWindowTest, TheShownListPaintsEachRowsCheckBoxAndIconOnTheWindowColour) {
    Fill({{L"mkv", ThisProgram(), L"0"}, {L"mp3", SystemIconLibrary(), L"3"}});
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(window->listView);
    RECT client = {};
    GetClientRect(window->listView, &client);
    const HDC shown = GetDC(window->listView);
    const int size = window->imageList.IconSize();
    const auto iconOnScreen = [&](int row) {
        RECT icon = {};
        ListView_GetItemRect(window->listView, row, &icon, LVIR_ICON);
        std::vector<COLORREF> pixels;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                pixels.push_back(GetPixel(shown, icon.right - size + x, icon.top + y));
            }
        }
        return pixels;
    };
    const std::vector<COLORREF> first = iconOnScreen(0);
    RECT icon = {};
    ListView_GetItemRect(window->listView, 0, &icon, LVIR_ICON);
    int checkBox = 0; // the pixels left of the icon that are not the window colour
    for (int y = icon.top; y < icon.bottom; ++y) {
        for (int x = 0; x < icon.right - size; ++x) {
            checkBox += GetPixel(shown, x, y) != GetSysColor(COLOR_WINDOW);
        }
    }
    const COLORREF empty = GetPixel(shown, client.right - 2, client.bottom - 2);
    // The second row blacked out on the screen, then painted again on its own: the buffer of
    // that area must show that row, not the list's top left corner.
    RECT second = {};
    ListView_GetItemRect(window->listView, 1, &second, LVIR_BOUNDS);
    FillRect(shown, &second, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InvalidateRect(window->listView, &second, FALSE);
    UpdateWindow(window->listView);
    const std::vector<COLORREF> repainted = iconOnScreen(1);
    ReleaseDC(window->listView, shown);
    ShowWindow(hwnd, SW_HIDE);
    EXPECT_EQ(first, ImagePixels(0));
    EXPECT_EQ(repainted, ImagePixels(1));
    ASSERT_NE(ImagePixels(0), ImagePixels(1));
    EXPECT_GE(checkBox, 4 * 8) << "the check box's four sides";
    EXPECT_EQ(empty, GetSysColor(COLOR_WINDOW)) << "beyond the rows";
}

class FittingTest : public MainWindowTest {
protected:
    // Rows of labels of one length, so every row is equally wide, and enough rows that the list
    // columns are wider than the window's minimum size. The list is rebuilt and fitted.
    void AddRows(int from, int to) {
        for (int i = from; i < to; ++i) {
            const std::wstring name = (i < 10 ? L"e0" : L"e") + std::to_wstring(i);
            AddEntry(name + L"-a-label-wide-enough-for-the-test", ThisProgram(), L"0");
        }
        window->RebuildExtensionList();
    }
    RECT Row(int index) const {
        RECT row = {};
        ListView_GetItemRect(window->listView, index, &row, LVIR_BOUNDS);
        return row;
    }
    int Width() const { return WindowBounds().right - WindowBounds().left; }
    int Height() const { return WindowBounds().bottom - WindowBounds().top; }
};

TEST_F(FittingTest, TwentyRowsMakeOneListColumnAndEachFurtherTwentyAnother) {
    AddRows(0, 61);
    const RECT row = Row(0);
    const int rowWidth = row.right - row.left;
    ASSERT_GT(4 * rowWidth + 40, MinimumWindowSize(window->Measures()).cx);
    EXPECT_EQ(Width(), 4 * rowWidth + 40);
    // The fitted height shows twenty rows in one column, each whole.
    RECT list = {};
    GetClientRect(window->listView, &list);
    EXPECT_EQ(Row(19).left, row.left);
    EXPECT_LE(Row(19).bottom, list.bottom);
    EXPECT_EQ(Row(20).left, row.left + rowWidth) << "the twenty-first row starts a column";
    EXPECT_EQ(Row(20).top, row.top);
    const int height = Height();

    AddRows(61, 81);
    EXPECT_EQ(Width(), 5 * rowWidth + 40);
    EXPECT_EQ(Height(), height);
}

TEST_F(FittingTest, AnEmptyListLeavesTheWindowAsItIs) {
    const RECT before = WindowBounds();
    window->FillExtensionList();
    const RECT after = WindowBounds();
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_EQ(Rows(), 0);
}

TEST_F(MainWindowTest, OpenIdfFileRebuildsTheListUncheckedWithIconsFromTheEntries) {
    const std::wstring program = ThisProgram();
    Fill({{L"aac", program, L"0"}, {L"mkv", program, L"0"}, {L"mp3", program, L"0"}});
    SetRowState(0, kCheckedStateImage);
    SetRowState(2, kCheckedStateImage);
    SelectRow(1, true);
    // An entry whose icon went away since the list was filled.
    window->catalogue.Find(L"mkv")->iconFile = L"C:\\no such folder\\none.dll";
    UseScriptedPickers(); // the open-file dialog is cancelled

    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kOpenIdfFileId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(window->openIdfButton));

    ASSERT_EQ(Rows(), 3);
    EXPECT_EQ(RowText(0), L".aac");
    EXPECT_EQ(RowText(1), L".mkv");
    EXPECT_EQ(RowText(2), L".mp3");
    EXPECT_EQ(StateImages(), (std::vector<UINT>{1, 1, 1}));
    EXPECT_EQ(ListView_GetSelectedCount(window->listView), 0u);
    EXPECT_EQ(ImageCount(), 2) << "the image list is rebuilt with the rows";
    EXPECT_EQ(RowImage(0), 0);
    EXPECT_EQ(RowImage(1), -1);
    EXPECT_EQ(RowImage(2), 1);
}

// The window at the display scales of today's screens: each a child run of this program with
// Wine's dpi set (it reads LogPixels when a program starts), running the tests of the font, the
// icons and the sizes there and writing down its layout, which a WM_DPICHANGED to that dpi must
// give too.
class DisplayScaleTest : public MainWindowTest {
protected:
    // What the dpi decides in the filled window: the font and its measures, the icons, the first
    // row, the fitted and the minimum size, and the controls laid out in one client size.
    std::string Layout() {
        std::ostringstream text;
        LOGFONTW font = {};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window->listView, WM_GETFONT, 0, 0)),
                   sizeof(font), &font);
        text << "font " << font.lfHeight << " " << window->font.charWidth << "x"
             << window->font.charHeight << ", icons " << window->imageList.IconSize() << " ("
             << ImageCount() << ")";
        unsigned long long pixelSum = 0; // of the first row's icon, as the list draws it
        for (const COLORREF pixel : ImagePixels(RowImage(0))) {
            pixelSum = pixelSum * 31 + pixel;
        }
        text << " " << pixelSum;
        RECT row = {};
        ListView_GetItemRect(window->listView, 0, &row, LVIR_BOUNDS);
        window->FitWindowToList();
        MINMAXINFO limits = {};
        SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        // The outer width and the client area's height: the window's frame is the system's, and
        // Wine keeps it as it was made when the dpi changes.
        const RECT bounds = WindowBounds();
        RECT client = {};
        GetClientRect(hwnd, &client);
        text << ", row " << row.right - row.left << "x" << row.bottom - row.top << ", fitted "
             << bounds.right - bounds.left << "x" << client.bottom << ", minimum "
             << limits.ptMinTrackSize.x << "x" << limits.ptMinTrackSize.y << ", controls";
        window->LayoutControls(1000, 700);
        for (const HWND control : {window->listView, window->setAssociationsButton,
                                   window->openIdfButton, window->shellExtensionCheckBox}) {
            const RECT r = ControlRect(control);
            text << " " << r.left << "," << r.top << " " << r.right - r.left << "x"
                 << r.bottom - r.top;
        }
        return text.str();
    }
    void ChangeDpi(int dpi) {
        const RECT suggested = WindowBounds();
        SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
    }
};

TEST_F(DisplayScaleTest, RowIHasImageIAfterAFillARebuildAndAChangeOfDpi) {
    // Three icons, the rows in another order than their locations.
    const std::pair<std::wstring, int> icons[] = {
        {ThisProgram(), 0}, {SystemIconLibrary(), 4}, {SystemIconLibrary(), 3}};
    Fill({{L"aac", icons[0].first, L"0"},
          {L"avi", icons[1].first, L"4"},
          {L"mkv", icons[2].first, L"3"}});
    const auto expectImages = [&](const char* when) {
        for (int row = 0; row < 3; ++row) {
            EXPECT_EQ(RowImage(row), row) << when;
            EXPECT_EQ(ImagePixels(row), IconPixels(icons[row].first, icons[row].second))
                << when << ": row " << row;
        }
    };
    expectImages("filled");
    window->RebuildExtensionList();
    expectImages("rebuilt");
    ChangeDpi(192);
    expectImages("at 192 dpi");
    EXPECT_EQ(window->imageList.IconSize(), 32);
    EXPECT_EQ(ImageCount(), 3) << "the rows' images and the badge after them";
}

constexpr char kLayoutFileVariable[] = "VT_SCALE_LAYOUT_FILE";

// Runs the scale tests of this program (its path) at the dpi; the child writes its layout to the
// file.
DWORD RunAtDpi(const std::wstring& program, int dpi, const std::string& layoutFile) {
    HKEY desktop = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &desktop, nullptr);
    DWORD before = 0, size = sizeof(before);
    const bool hadValue = RegQueryValueExW(desktop, L"LogPixels", nullptr, nullptr,
                                           reinterpret_cast<BYTE*>(&before), &size) == 0;
    const DWORD value = static_cast<DWORD>(dpi);
    RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof(value));
    SetEnvironmentVariableA(kLayoutFileVariable, layoutFile.c_str());
    const DWORD exitCode = RunTests(program,
                                    L"MainWindowTest.ShowsThe*:MainWindowTest.NoTwoControls*:"
                                    L"MainWindowTest.Dragging*:DisplayScaleTest.*",
                                    120000, true);
    SetEnvironmentVariableA(kLayoutFileVariable, nullptr);
    if (hadValue) {
        RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&before),
                       sizeof(before));
    } else {
        RegDeleteValueW(desktop, L"LogPixels");
    }
    RegCloseKey(desktop);
    return exitCode;
}

TEST_F(DisplayScaleTest, AtEveryScaleTheWindowIsMadeForTheDpiAndAChangeOfDpiRemakesIt) {
    for (int i = 10; i < 35; ++i) { // two list columns of rows with the program's icon
        AddEntry(L"e" + std::to_wstring(i), ThisProgram(), L"0");
    }
    window->FillExtensionList();
    const std::string start = Layout();
    if (const char* layoutFile = std::getenv(kLayoutFileVariable)) {
        // A child run: the dpi that it ran at and its start, for the parent.
        std::ofstream(layoutFile) << WindowDpi(hwnd) << "\n" << start;
        return;
    }
    const int startDpi = WindowDpi(hwnd);
    const std::string layoutFile = std::filesystem::path(TempPath(L"vt-scale-layout.txt")).string();
    for (const int dpi : {120, 144, 192}) {
        EXPECT_EQ(RunAtDpi(ThisProgram(), dpi, layoutFile), 0u) << "the tests at " << dpi << " dpi";
        std::string dpiThere, startThere;
        std::ifstream written(layoutFile);
        std::getline(written, dpiThere);
        std::getline(written, startThere);
        written.close();
        EXPECT_EQ(dpiThere, std::to_string(dpi)) << "the dpi that the child ran at";
        EXPECT_NE(startThere, start) << "the child's layout is not the one at " << startDpi;
        DeleteFileA(layoutFile.c_str());
        ChangeDpi(dpi);
        EXPECT_EQ(Layout(), startThere) << "moved to " << dpi << " dpi, as started there";
        ChangeDpi(startDpi);
        EXPECT_EQ(Layout(), start) << "back from " << dpi << " dpi";
    }
}

} // namespace
