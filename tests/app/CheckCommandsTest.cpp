// The list's popup menu and its six check commands, with the scripted menu and with the real one
// driven from the keyboard.
#include "MainWindowFixture.h"

#include "app/ListRows.h"
#include "support/MessageBoxWatcher.h"

#include <commctrl.h>

#include <atomic>
#include <thread>

namespace {

class CheckCommandsTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        const std::wstring program = ThisProgram();
        // Rows: .MP4 .aac .avi .mkv .mp3 .vtl .zzz
        Fill({{L"aac", program, L"0"},
              {L"avi", program, L"0"},
              {L"mkv", program, L"0"},
              {L"MP4", program, L"0"},
              {L"mp3", program, L"0"},
              {L"vtl", program, L"0"},
              {L"zzz", program, L"0"}});
        for (const wchar_t* video : {L"avi", L"mkv", L"mp4", L"vtl", L"wmv"}) {
            window->knownVideoExtensions.Insert(video);
        }
        for (const wchar_t* audio : {L"aac", L"mp3", L"vtl", L"wma"}) {
            window->knownAudioExtensions.Insert(audio);
        }
    }

    // Runs a command the way the user does: right click, choose it in the menu.
    void Choose(UINT command) {
        scripted->menuAnswer = command;
        window->ShowContextMenu(100, 100);
    }
    void SetStates(const std::vector<UINT>& states) {
        for (int row = 0; row < static_cast<int>(states.size()); ++row) {
            SetRowState(row, states[row]);
        }
    }

    ScriptedPickers* scripted = nullptr;
};

using States = std::vector<UINT>;

TEST_F(CheckCommandsTest, MenuReadsAsTheUserSeesIt) {
    const HMENU menu = window->contextMenu;
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 10);
    const struct {
        UINT id;
        const wchar_t* text;
    } lines[] = {{50, L"Check All"},
                 {51, L"Uncheck All"},
                 {0, nullptr},
                 {52, L"Check Selected"},
                 {53, L"Uncheck Selected"},
                 {0, nullptr},
                 {54, L"Check All (known) Video Extensions"},
                 {55, L"Check All (known) Audio Extensions"},
                 {0, nullptr},
                 {56, L"Remove Associations of Checked Extensions..."}};
    for (int position = 0; position < 10; ++position) {
        const UINT state = GetMenuState(menu, position, MF_BYPOSITION);
        if (lines[position].text == nullptr) {
            EXPECT_TRUE(state & MF_SEPARATOR) << "position " << position;
            continue;
        }
        EXPECT_FALSE(state & MF_SEPARATOR) << "position " << position;
        EXPECT_EQ(GetMenuItemID(menu, position), lines[position].id);
        wchar_t text[64] = {};
        GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
        EXPECT_STREQ(text, lines[position].text);
    }
}

TEST_F(CheckCommandsTest, RightClickInTheListOpensTheMenuAtTheClickPoint) {
    scripted = &UseScriptedPickers();
    // Beside the rows: the menu opens all the same.
    EXPECT_EQ(ClickInList(NM_RCLICK, -1, {30, 40}), 0);
    ASSERT_EQ(scripted->menuCalls, 1);
    POINT expected = {30, 40};
    ClientToScreen(window->listView, &expected);
    EXPECT_EQ(scripted->menuPoint.x, expected.x);
    EXPECT_EQ(scripted->menuPoint.y, expected.y);
    EXPECT_EQ(scripted->menuShown, window->contextMenu);
    EXPECT_EQ(scripted->menuOwner, window->listView);
    EXPECT_EQ(scripted->menuFlags, static_cast<UINT>(TPM_RETURNCMD | TPM_NONOTIFY));

    // The same notification from another control only gets the default handling.
    NMITEMACTIVATE click = {};
    click.hdr.hwndFrom = window->setAssociationsButton;
    click.hdr.idFrom = kSetAssociationsId;
    click.hdr.code = NM_RCLICK;
    SendMessageW(hwnd, WM_NOTIFY, kSetAssociationsId, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(scripted->menuCalls, 1);

    // WM_CONTEXTMENU with a point follows a right click: that click has had its menu.
    const auto listWParam = reinterpret_cast<WPARAM>(window->listView);
    SendMessageW(hwnd, WM_CONTEXTMENU, listWParam, MAKELPARAM(30, 40));
    EXPECT_EQ(scripted->menuCalls, 1);
    // From the keyboard (-1, -1) with no focused row: at the list's top left corner.
    ListView_SetItemState(window->listView, -1, 0, LVIS_FOCUSED);
    SendMessageW(hwnd, WM_CONTEXTMENU, listWParam, -1);
    ASSERT_EQ(scripted->menuCalls, 2);
    expected = {0, 0};
    ClientToScreen(window->listView, &expected);
    EXPECT_EQ(scripted->menuPoint.x, expected.x);
    EXPECT_EQ(scripted->menuPoint.y, expected.y);
}

TEST_F(CheckCommandsTest, CheckAndUncheckAllTouchEveryRow) {
    scripted = &UseScriptedPickers();
    SetStates({1, 2, 1, 2, 1, 1, 2});
    Choose(kCheckAllCommand);
    EXPECT_EQ(StateImages(), States(7, 2));
    Choose(kUncheckAllCommand);
    EXPECT_EQ(StateImages(), States(7, 1));
}

TEST_F(CheckCommandsTest, SelectedCommandsTouchOnlyTheSelectedRows) {
    scripted = &UseScriptedPickers();
    // Nothing selected: nothing changes.
    SetStates({1, 2, 1, 2, 1, 2, 1});
    Choose(kCheckSelectedCommand);
    EXPECT_EQ(StateImages(), (States{1, 2, 1, 2, 1, 2, 1}));
    Choose(kUncheckSelectedCommand);
    EXPECT_EQ(StateImages(), (States{1, 2, 1, 2, 1, 2, 1}));

    // A selection of partly checked rows.
    for (int row : {1, 2, 5}) {
        SelectRow(row, true);
    }
    Choose(kUncheckSelectedCommand);
    EXPECT_EQ(StateImages(), (States{1, 1, 1, 2, 1, 1, 1}));
    Choose(kCheckSelectedCommand);
    EXPECT_EQ(StateImages(), (States{1, 2, 2, 2, 1, 2, 1}));
    EXPECT_EQ(ListView_GetSelectedCount(window->listView), 3u) << "the selection stays";
}

TEST_F(CheckCommandsTest, KnownVideoAndAudioCommandsOnlyAddCheckMarks) {
    scripted = &UseScriptedPickers();
    // .MP4 differs from the set's "mp4" in letter case only and is not ticked.
    Choose(kCheckKnownVideoCommand);
    EXPECT_EQ(StateImages(), (States{1, 1, 2, 2, 1, 2, 1}));
    Choose(kCheckKnownAudioCommand);
    EXPECT_EQ(StateImages(), (States{1, 2, 2, 2, 2, 2, 1}));

    // Rows ticked by hand stay ticked; audio alone ticks vtl, which is in both sets.
    Choose(kUncheckAllCommand);
    SetRowState(6, kCheckedStateImage);
    Choose(kCheckKnownAudioCommand);
    EXPECT_EQ(StateImages(), (States{1, 2, 1, 1, 2, 2, 2}));
}

TEST_F(CheckCommandsTest, DismissedMenuUnknownCommandsAndEmptyListChangeNothing) {
    scripted = &UseScriptedPickers();
    SetStates({2, 1, 2, 1, 2, 1, 2});
    for (UINT command : {0u, 49u, 57u, 1u}) {
        Choose(command);
        EXPECT_EQ(StateImages(), (States{2, 1, 2, 1, 2, 1, 2})) << "command " << command;
    }
    // On an empty list every command is a no-op.
    ListView_DeleteAllItems(window->listView);
    for (UINT command = 50; command <= 55; ++command) {
        Choose(command);
    }
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(scripted->menuCalls, 10) << "the menu was shown for every choice";
}

// Presses keys in the real popup menu of this process once it is on the screen.
class MenuKeyboard {
public:
    explicit MenuKeyboard(std::vector<WPARAM> keys)
        : worker([this, keys] {
              const ULONGLONG deadline = GetTickCount64() + 20000;
              HWND menu = nullptr;
              while (!menu && GetTickCount64() < deadline) {
                  menu = FindProcessWindow(L"#32768", GetCurrentProcessId());
                  Sleep(20);
              }
              if (!menu) {
                  EndMenu(); // do not leave the test hanging in a menu nobody can see
                  return;
              }
              found = true;
              for (WPARAM key : keys) {
                  PostMessageW(menu, WM_KEYDOWN, key, 0);
                  PostMessageW(menu, WM_KEYUP, key, 0xC0000001);
                  Sleep(50);
              }
          }) {}
    ~MenuKeyboard() { worker.join(); }
    std::atomic<bool> found{false};

private:
    std::thread worker;
};

TEST_F(CheckCommandsTest, TheRealMenuRunsTheChosenCommand) {
    // The first line of the real menu, chosen with the keyboard: "Check All".
    MenuKeyboard keyboard({VK_DOWN, VK_RETURN});
    window->ShowContextMenu(200, 200);
    EXPECT_TRUE(keyboard.found);
    EXPECT_EQ(StateImages(), States(7, 2));
}

} // namespace
