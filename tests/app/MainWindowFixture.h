// The program's real main window, created in the test process, with its real list view, menu
// and controls. The modal dialogs can be answered by a script instead of a person.
#pragma once

#include "app/ModalPickers.h"
#include "MainWindowAccess.h"
#include "app/RootWindow.h"
#include "support/ThisProgram.h" // the test program carries the program's icon (group 20005)

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

// Answers the popup menu, the icon picker and the open-file dialog as told, and records how they
// were asked.
class ScriptedPickers : public ModalPickers {
public:
    UINT TrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner) override;
    bool PickIcon(HWND owner, wchar_t* path, UINT pathSize, int* index) override;
    bool ChooseFile(OPENFILENAMEW& dialog) override;

    UINT menuAnswer = 0;
    int menuCalls = 0;
    HMENU menuShown = nullptr;
    UINT menuFlags = 0;
    POINT menuPoint = {};
    HWND menuOwner = nullptr;

    bool confirmIcon = false;
    std::wstring chosenFile;
    int chosenIndex = 0;
    int pickCalls = 0;
    HWND pickOwner = nullptr;
    std::wstring offeredFile;
    UINT offeredSize = 0;
    int offeredIndex = 0;

    // The open-file dialog is cancelled unless a file is given here.
    std::wstring fileToChoose;
    int fileDialogCalls = 0;
    HWND fileDialogOwner = nullptr;
};

// The program's icon extractions (PrivateExtractIconsW) while the object lives: file, first
// index, count of each, in the order asked.
class IconExtractions {
public:
    using Call = std::tuple<std::wstring, int, UINT>;
    IconExtractions();
    ~IconExtractions();
    IconExtractions(const IconExtractions&) = delete;
    IconExtractions& operator=(const IconExtractions&) = delete;

    std::vector<Call> calls;
};

// The player that the window's tests register; every test finds a file there.
inline const std::wstring kPlayer = L"C:\\Program Files\\VT Player\\vtplayer.exe";

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Replaces the window's dialogs by a script; the window owns it, the test keeps a view.
    ScriptedPickers& UseScriptedPickers();
    // Adds the entries to the catalogue, then fills the list as start-up does.
    void Fill(std::initializer_list<ExtensionEntry> entries);
    void AddEntry(const std::wstring& extension, const std::wstring& iconFile,
                  const std::wstring& iconIndex);

    // A click in the list as the list view reports it (NM_RCLICK, NM_DBLCLK) to the window, at the
    // point of the list's client area; returns the window's answer.
    LRESULT ClickInList(UINT code, int item, POINT point = {});

    int Rows() const;
    std::wstring RowText(int row) const;
    // The row's image index in the image list; -1: no image.
    int RowImage(int row) const;
    // The row's overlay image (0 for none).
    UINT RowOverlay(int row) const;
    UINT RowStateImage(int row) const;
    std::vector<UINT> StateImages() const;
    void SetRowState(int row, UINT stateImage);
    void SelectRow(int row, bool selected);
    // The images of the rows: the image list without the badge after them.
    int ImageCount() const;
    // The pixels of one row image, drawn as the list draws it (with the overlay, if given, and
    // over black, so that transparent pixels show as black).
    std::vector<COLORREF> ImagePixels(int image, UINT overlay = 0) const;
    // The pixels of the icon at the location as a row should show it: drawn by the system at the
    // images' size on the window colour.
    std::vector<COLORREF> IconPixels(const std::wstring& file, int index) const;
    // What the function draws into a size x size bitmap (size: the images'), pixel by pixel.
    std::vector<COLORREF> DrawnPixels(const std::function<void(HDC, int)>& draw) const;
    RECT WindowBounds() const;
    // Position and size of a control in the main window's client coordinates.
    RECT ControlRect(HWND control) const;

    // A system library with icons of its own, other than the program's.
    static std::wstring SystemIconLibrary();

    // The window's parts and steps; the window object itself belongs to its window.
    std::unique_ptr<MainWindowAccess> window;
    HWND hwnd = nullptr;
};
