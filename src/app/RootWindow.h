// The program's main window: the extension list with its check boxes and icons, the buttons
// "Set Associations" and "Open IDF File", the check box "Play / Enqueue Shell Extension", and the
// extension catalogue that the list shows. The window wires together the rooms that do the work:
// the display scale, the dialog font, the layout, the row images and the list rows.
#pragma once

#include "app/CommandGuard.h"
#include "app/DialogFont.h"
#include "app/MainWindowLayout.h"
#include "app/ModalPickers.h"
#include "app/RowImages.h"
#include "app/Window.h"
#include "catalogue/ExtensionCatalogue.h"
#include "common/UniqueHandle.h"
#include "registration/AssociationState.h"
#include "registry/RegistryWatch.h"

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

// Control identifiers of the main window.
enum : int {
    kListViewId = 0,
    kSetAssociationsId = 1,
    kOpenIdfFileId = 2,
    kShellExtensionId = 3,
};

// Commands of the list's popup menu.
enum : UINT {
    kCheckAllCommand = 50,
    kUncheckAllCommand = 51,
    kCheckSelectedCommand = 52,
    kUncheckSelectedCommand = 53,
    kCheckKnownVideoCommand = 54,
    kCheckKnownAudioCommand = 55,
    kRemoveAssociationsCommand = 56,
};

// Ticks every row of the list whose catalogue entry's extension is in the set; other rows are
// left as they are.
void CheckKnownExtensions(const ExtensionSet& set, HWND list);

class RootWindow : public Window {
public:
    // Creates the main window ("VT File Associations", 400 x 300) with its controls. Returns the
    // object, which belongs to its window from then on, or nullptr when no window resulted.
    static RootWindow* Create();

    RootWindow();

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    std::wstring WindowClassName() const override;

    // Start-up, in this order, once the window shows. The catalogue: player path and built-in
    // entries, the known sets, earlier registrations.
    void BuildCatalogue();
    void BuildKnownVideoSet();
    void BuildKnownAudioSet();
    void ProbeRegisteredIcons();
    // Loads an IDF file into the catalogue; without a path the user is asked for one. The
    // caller rebuilds the list afterwards.
    void LoadIdfFile(const wchar_t* path);
    // One row per catalogue entry, in catalogue order, with the marks of what each type opens
    // with now, then the window is fitted to the rows: the row images, AddExtensionRows,
    // ShowAssociationMarks, FitWindowToList.
    void FillExtensionList();
    // Start-up is a command until the list is first filled: start-up holds the object from
    // showing the window to then, so that the window starts no other command (an IDF file's
    // boxes let clicks through) and keeps a close request for then.
    CommandGuard::Running StartUpCommand();

    // Replaces the modal dialogs (popup menu, icon picker, open-file dialog) the window uses.
    void SetPickers(std::unique_ptr<ModalPickers> replacement);

protected:
    // The creation step of Create, for a main-window object made by the caller.
    static RootWindow* CreateMainWindow(RootWindow* object);

private:
    // The tests and the benchmarks reach the window's parts and steps through this one class.
    friend class MainWindowAccess;

    // Builds the controls, the dialog font, the image list and the popup menu (WM_CREATE).
    // Returns 0.
    LRESULT CreateControls();
    // The dialog font for the window's dpi, and the controls set in it; the old font goes.
    void MakeDialogFont();
    // What the layout is made from: the dpi and the font's measures.
    LayoutMeasures Measures() const;
    // The window moved to a screen of another dpi: the font, the icons, the suggested rectangle
    // and the layout for it (WM_DPICHANGED).
    void ChangeDpi(int newDpi, const RECT& suggested);
    // Places the four controls for a client area of the given size (LayOutControls).
    void LayoutControls(int width, int height);
    // Appends the rows of all entries in catalogue order, each with its image of
    // RowImages::AddRowImages.
    void AddExtensionRows(const std::vector<int>& images);
    // Sizes the window to show the rows, 20 rows to a list column.
    void FitWindowToList();
    // Reads what each row's type opens with now and marks the rows of the types that Veltrano
    // opens with the badge overlay; the others carry none. From then on the keys that the marks
    // are read from are watched.
    void ShowAssociationMarks();
    // The marks again when the window becomes active, if anything they are read from has changed
    // since they were last read.
    void RefreshAssociationMarks();
    // The info tip of a row: the type's description and what it opens with.
    void FillInfoTip(NMLVGETINFOTIPW& tip) const;
    // "Open IDF File": loads a file chosen by the user and rebuilds the list whatever happened.
    void OpenIdfFile();
    void RebuildExtensionList();

    // The messages, each handed to its handler by OnMessage.
    // The list's notifications; true when handled in full (no default handling follows).
    bool OnListNotify(const NMHDR& header, LPARAM lParam);
    void OnCommand(int id, HWND control);
    bool OnActivate(WPARAM state);
    void OnSetFocus();
    // The keyboard's menu in the list; true when handled.
    bool OnContextMenu(HWND control, LPARAM point);
    // Enter, as the dialog manager passes it on (DM_GETDEFID).
    LRESULT DefaultCommand() const;

    void BuildContextMenu();
    // Shows the list's popup menu at the screen point and carries out the chosen check command.
    void ShowContextMenu(int x, int y);
    // The keyboard's menu key or Shift+F10 in the list: the menu at the focused row, or at the
    // list's top left corner when no row has the focus.
    void ShowContextMenuAtFocusedRow();
    void RunCheckCommand(UINT command);
    void SetCheckOfRows(bool checked, bool selectedOnly);
    // Lets the user pick the icon of the row's extension (double-click on a row).
    void ChooseIcon(int item);
    // "Set Associations": registers every ticked row, tells the shell, reports the outcome. With
    // rows ticked, a player path that holds "%" is refused, and a player that is not there is
    // registered only when the user says so; otherwise nothing is written and no report follows.
    void SetAssociations(HWND list);
    // Removes, after asking, Veltrano's associations of the checked rows, tells the shell and
    // reports the outcome.
    void RemoveAssociations();

    std::wstring playerPath;
    ExtensionCatalogue catalogue;
    ExtensionSet knownVideoExtensions;
    ExtensionSet knownAudioExtensions;
    // The dots per inch that the font, the icons and the layout are made for.
    int dpi = USER_DEFAULT_SCREEN_DPI;
    // The controls' font with its measures (charWidth, charHeight).
    DialogFont font;
    // Width that the check box needs to show its whole label in the dialog font.
    int shellExtensionWidth = 0;
    HWND listView = nullptr;
    HWND setAssociationsButton = nullptr;
    HWND openIdfButton = nullptr;
    HWND shellExtensionCheckBox = nullptr;
    RowImages imageList;
    // What each row's type opened with when the marks were last read, in row order.
    std::vector<AssociationState> rowStates;
    // The keys the marks are read from (the file types and Explorer's user choices), watched since
    // the marks were last read.
    CRegistryWatch marksWatch;
    UniqueMenu contextMenu;
    // The control that had the keyboard focus when the window was last deactivated.
    HWND focusedControl = nullptr;
    std::unique_ptr<ModalPickers> pickers;
    // Busy while a command runs: the rows may then refer to entries that the loader is replacing,
    // and a refresh on activation waits for the command's own.
    CommandGuard commands;
};
