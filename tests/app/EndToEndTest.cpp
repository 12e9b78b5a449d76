// vtassoc.exe as a user meets it: started as its own process, its window driven from outside,
// the registry of the current user checked afterwards.
#include "registry/RegistryTestSupport.h"

#include "definitions/TestFiles.h"
#include "support/FileDialogDriver.h"
#include "support/MessageBoxWatcher.h"
#include "support/ThisProgram.h"
#include "support/TestFolder.h"
#include "support/e2e/AppDriver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::wstring Program() {
    return WindowsPathOfHostFile(VTASSOC_EXE);
}

// The name of this test program's copy that loads a planted DLL as the control of the test below.
constexpr wchar_t kPlantedControl[] = L"planted-control.exe";

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

class EndToEndTest : public ::testing::Test {
protected:
    CleanRegistrations clean{L"MKV", L"MP3", L"AVI"};
};

TEST_F(EndToEndTest, TicksRowsSetsAssociationsAndEndsWithExitCodeZero) {
    // On Windows 7 the user choice counts as written: the report asks nothing.
    const ProgramCopy copy(Program(), L"vtassoc-win7.exe", L"win7");
    ASSERT_TRUE(copy.Ready());
    AppDriver app;
    ASSERT_TRUE(app.Start(copy.Path())) << "cannot start " << testing::PrintToString(copy.Path());
    ASSERT_NE(app.WaitForWindow(), nullptr);
    ASSERT_TRUE(app.WaitForRowCount(82));

    const std::vector<std::wstring> rows = app.RowTexts();
    EXPECT_EQ(rows.front(), L".3g2");
    EXPECT_EQ(rows[1], L".3gp");
    EXPECT_EQ(rows.back(), L".xvid");
    for (int row = 0; row < 82; ++row) {
        EXPECT_FALSE(app.IsRowChecked(row)) << "row " << row;
    }

    const int mkv = app.FindRow(L".mkv");
    const int mp3 = app.FindRow(L".mp3");
    ASSERT_GE(mkv, 0);
    ASSERT_GE(mp3, 0);
    ASSERT_TRUE(app.SetRowChecked(mkv, true));
    ASSERT_TRUE(app.SetRowChecked(mp3, true));
    EXPECT_TRUE(app.IsRowChecked(mkv));
    app.ClickButton(3); // "Play / Enqueue Shell Extension"

    {
        MessageBoxWatcher watcher(MessageBoxWatcher::PressFirstButton, app.ProcessId());
        app.ClickButton(1);
        ASSERT_TRUE(watcher.WaitForCount(1));
        const MessageBoxInfo box = watcher.Seen().front();
        EXPECT_EQ(box.caption, L"Success");
        EXPECT_EQ(box.text, L"2 selected extensions have been registered.");
        EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
        EXPECT_EQ(box.owner, app.MainWindow());
    }
    EXPECT_TRUE(app.IsButtonChecked(3));

    app.Close();
    DWORD exitCode = 99;
    ASSERT_TRUE(app.WaitForExit(20000, exitCode));
    EXPECT_EQ(exitCode, 0u);

    const std::wstring player = FolderOf(copy.Path()) + L"vtplayer.exe";
    const std::wstring progId = kClasses + L"\\VTMKVFile";
    EXPECT_EQ(ReadRawString(progId), L"Matroska Audio/Video File");
    EXPECT_EQ(ReadRawString(progId + L"\\DefaultIcon"), player + L",0");
    EXPECT_EQ(ReadRawString(progId + L"\\shell\\open\\command"), L"\"" + player + L"\" \"%L\"");
    EXPECT_TRUE(RawKeyExists(progId + L"\\ShellEx\\ContextMenuHandlers\\VTShellExt"));
    EXPECT_EQ(ReadRawString(kFileExts + L"\\.MKV\\UserChoice", L"Progid"), L"VTMKVFile");
    EXPECT_EQ(ReadRawString(kClasses + L"\\VTMP3File"), L"MPEG Layer 3 Audio");
    EXPECT_EQ(ReadRawString(kFileExts + L"\\.MP3\\UserChoice", L"Progid"), L"VTMP3File");
    EXPECT_FALSE(RawKeyExists(kClasses + L"\\VTAVIFile"));
}

TEST_F(EndToEndTest, NoDllBesideTheProgramIsLoaded) {
    const std::wstring self = ThisProgram();
    if (self.substr(self.rfind(L'\\') + 1) == kPlantedControl) {
        FreeLibrary(LoadLibraryW(L"comdlg32.dll")); // run as the control below
        return;
    }
    // DLLs beside the program, as a Downloads folder may hold them, which Wine prefers to its own
    // as Windows would: uxtheme.dll, and comdlg32.dll, which the program loads by its name for
    // "Open IDF File" (only the restricted DLL search keeps that one from the program's folder).
    // Loaded, each leaves its marker file beside itself.
    const ProgramCopy copy(Program(), L"vtassoc-downloads.exe", L"win7");
    ASSERT_TRUE(copy.Ready());
    const std::wstring folder = FolderOf(copy.Path());
    const std::wstring idf = folder + L"empty.idf";
    ASSERT_TRUE(WriteBytes(idf, {}));
    std::vector<std::wstring> planted, markers;
    for (const wchar_t* dll : {L"uxtheme", L"comdlg32"}) {
        ASSERT_TRUE(copy.PreferNativeDll(dll));
        planted.push_back(folder + dll + L".dll");
        markers.push_back(folder + dll + L"-was-loaded");
        DeleteFileW(markers.back().c_str());
        ASSERT_TRUE(
            CopyFileW(WindowsPathOfHostFile(PLANTED_DLL).c_str(), planted.back().c_str(), FALSE));
    }
    DWORD exitCode = 99;
    {
        AppDriver app;
        ASSERT_TRUE(app.Start(copy.Path()));
        EXPECT_NE(app.WaitForWindow(), nullptr);
        EXPECT_TRUE(app.WaitForRowCount(82));
        app.ClickButton(2); // "Open IDF File": the system's open-file dialog, answered
        EXPECT_TRUE(AnswerOpenFileDialog(app.ProcessId(), idf));
        EXPECT_TRUE(app.WaitForRowCount(82));
        app.Close();
        EXPECT_TRUE(app.WaitForExit(20000, exitCode));
    }
    EXPECT_EQ(exitCode, 0u);
    for (const std::wstring& marker : markers) {
        EXPECT_EQ(GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES)
            << testing::PrintToString(marker);
    }
    // The control: this test program's copy beside them, for which Wine prefers the planted
    // comdlg32.dll too, loads it by its name without restricting the search, and so loads the
    // planted one, which leaves its marker.
    const ProgramCopy control(ThisProgram(), kPlantedControl, L"win7");
    ASSERT_TRUE(control.Ready() && control.PreferNativeDll(L"comdlg32"));
    EXPECT_EQ(RunTests(control.Path(), L"EndToEndTest.NoDllBesideTheProgramIsLoaded", 60000, false),
              0u);
    EXPECT_NE(GetFileAttributesW(markers[1].c_str()), INVALID_FILE_ATTRIBUTES) << "control";
    for (const std::wstring& file : {planted[0], planted[1], markers[0], markers[1], idf}) {
        DeleteFileW(file.c_str());
    }
}

TEST_F(EndToEndTest, AnOlderWindowsIsRefusedWithExitCodeOne) {
    const ProgramCopy copy(Program(), L"vtassoc-versiongate.exe", L"winxp");
    ASSERT_TRUE(copy.Ready());

    DWORD exitCode = 99;
    std::vector<MessageBoxInfo> boxes;
    {
        AppDriver app;
        ASSERT_TRUE(app.Start(copy.Path()));
        MessageBoxWatcher watcher(MessageBoxWatcher::PressFirstButton, app.ProcessId());
        EXPECT_TRUE(watcher.WaitForCount(1));
        EXPECT_TRUE(app.WaitForExit(20000, exitCode));
        EXPECT_EQ(FindProcessWindow(L"VTFileAssocRootWnd", app.ProcessId()), nullptr);
        boxes = watcher.Seen();
    }

    EXPECT_EQ(exitCode, 1u);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Wrong Windows Version");
    EXPECT_EQ(boxes[0].text, L"VT File Associations only runs on Windows Vista");
    EXPECT_EQ(boxes[0].buttons, std::vector<int>{IDOK});
    EXPECT_EQ(boxes[0].owner, nullptr);
}

TEST_F(EndToEndTest, OnWindows10TheReportOffersDefaultAppsAndAFailedLaunchIsShown) {
    const ProgramCopy copy(Program(), L"vtassoc-win10.exe", L"win10");
    ASSERT_TRUE(copy.Ready());
    // The user's own choice for .mkv, which only Windows can write (its hash): it must stay.
    SetRawString(kFileExts + L"\\.MKV\\UserChoice", L"ProgId", L"Other.mkv");
    SetRawString(kFileExts + L"\\.MKV\\UserChoice", L"Hash", L"q1Fh5w9Yg2E=");
    const std::wstring fileExtsBefore = DumpTree(HKEY_CURRENT_USER, kFileExts);
    AppDriver app;
    ASSERT_TRUE(app.Start(copy.Path()));
    ASSERT_NE(app.WaitForWindow(), nullptr);
    ASSERT_TRUE(app.WaitForRowCount(82));
    ASSERT_TRUE(app.SetRowChecked(app.FindRow(L".mkv"), true));

    // The first report is answered No, the second Yes; any other box with OK.
    std::atomic<int> questions{0};
    MessageBoxWatcher watcher(
        [&questions](const MessageBoxInfo& box) {
            if (box.buttons != std::vector<int>{IDYES, IDNO}) {
                return IDOK;
            }
            return ++questions == 1 ? IDNO : IDYES;
        },
        app.ProcessId());
    app.ClickButton(1);
    ASSERT_TRUE(watcher.WaitForCount(1));
    app.ClickButton(1);
    ASSERT_TRUE(watcher.WaitForCount(3));

    const std::vector<MessageBoxInfo> boxes = watcher.Seen();
    ASSERT_EQ(boxes.size(), 3u);
    const std::wstring report =
        L"1 selected extensions have been registered.\n\nWindows asks you to confirm default "
        L"apps yourself. Veltrano is now offered for these file types in Default apps, where you "
        L"can choose it.\n\nDo you want to open Default apps now?";
    for (int i : {0, 1}) {
        EXPECT_EQ(boxes[i].caption, L"Success");
        EXPECT_EQ(boxes[i].text, report);
        EXPECT_EQ(boxes[i].buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(boxes[i].owner, app.MainWindow());
    }
    // Wine has no handler for ms-settings: addresses, as a system without Settings would not.
    EXPECT_EQ(boxes[2].caption, L"Default apps");
    EXPECT_EQ(boxes[2].text, L"Default apps could not be opened.\n\nFile not found.\r\n");
    EXPECT_EQ(boxes[2].buttons, std::vector<int>{IDOK});
    EXPECT_EQ(boxes[2].owner, app.MainWindow());

    // The program goes on as before.
    EXPECT_EQ(app.RowCount(), 82);
    EXPECT_TRUE(app.IsRowChecked(app.FindRow(L".mkv")));
    app.Close();
    DWORD exitCode = 99;
    ASSERT_TRUE(app.WaitForExit(20000, exitCode));
    EXPECT_EQ(exitCode, 0u);

    const std::wstring capabilities = L"Software\\Clients\\Media\\Veltrano\\Capabilities";
    EXPECT_EQ(ReadRawString(L"Software\\RegisteredApplications", L"Veltrano"), capabilities);
    EXPECT_EQ(ReadRawString(capabilities, L"ApplicationName"), L"Veltrano");
    EXPECT_EQ(ReadRawString(capabilities, L"ApplicationIcon"),
              L"\"" + FolderOf(copy.Path()) + L"vtplayer.exe\",0");
    EXPECT_EQ(ReadRawString(capabilities + L"\\FileAssociations", L".mkv"), L"VTMKVFile");
    EXPECT_EQ(ReadRawValue(kClasses + L"\\.mkv\\OpenWithProgids", L"VTMKVFile").result,
              ERROR_SUCCESS)
        << "Veltrano offered for mkv";
    EXPECT_EQ(ReadRawString(kClasses + L"\\VTMKVFile"), L"Matroska Audio/Video File");
    EXPECT_EQ(L"", DiffLines(fileExtsBefore, DumpTree(HKEY_CURRENT_USER, kFileExts)))
        << "Explorer's FileExts is not touched on Windows 10";
}

// While a command waits in one of its boxes, the window still gets messages: the registry error
// boxes of "Set Associations" have no owner, and a close request can come from anywhere. Each
// row acts once, at the first box, and answers every box with OK (or Cancel where it says so).
TEST_F(EndToEndTest, WhileACommandWaitsInABoxNoOtherStartsAndACloseWaitsForItsEnd) {
    enum class Action { Close, SystemClose, PressSetAssociations, PressOpenIdfFile };
    struct Case {
        const char* name;
        bool idfAtStartUp; // else: the registry error box of "Set Associations"
        Action action;
        int parseErrorAnswer;
        bool closes; // by itself, once the command is done
        std::vector<std::wstring> captions;
    };
    const std::wstring registryError = L"CRegistryKey::CreateOrOpenKey()";
    const std::vector<Case> cases = {
        {"close box", false, Action::Close, IDOK, true, {registryError, L"Set Associations"}},
        {"system close",
         false,
         Action::SystemClose,
         IDOK,
         true,
         {registryError, L"Set Associations"}},
        {"Open IDF File",
         false,
         Action::PressOpenIdfFile,
         IDOK,
         false,
         {registryError, L"Set Associations"}},
        {"Set Associations",
         false,
         Action::PressSetAssociations,
         IDOK,
         false,
         {registryError, L"Set Associations"}},
        {"Set Associations at start-up",
         true,
         Action::PressSetAssociations,
         IDOK,
         false,
         {L"Parse Error", L"Parse Error"}},
        {"Open IDF File at start-up",
         true,
         Action::PressOpenIdfFile,
         IDOK,
         false,
         {L"Parse Error", L"Parse Error"}},
        {"close at start-up", true, Action::Close, IDOK, true, {L"Parse Error", L"Parse Error"}},
        {"Set Associations, then Cancel",
         true,
         Action::PressSetAssociations,
         IDCANCEL,
         true,
         {L"Parse Error"}},
    };
    const ProgramCopy copy(Program(), L"vtassoc-busy.exe", L"win7");
    ASSERT_TRUE(copy.Ready());
    const TestFolder folder(L"vt-busy");
    const std::wstring idf = folder.Path() + L"defs.idf";
    ASSERT_TRUE(WriteBytes(idf, "no statement\r\nAddExt(ext=busy,file=a.dll,index=1)\r\nnone\r\n"));

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CleanRegistrations clean{L"AVI", L"MKV", L"MP3"};
        CreateRawKey(kClasses + L"\\VTMKVFile", REG_OPTION_VOLATILE); // mkv cannot be registered
        AppDriver app;
        ASSERT_TRUE(app.Start(copy.Path(), c.idfAtStartUp ? std::vector<std::wstring>{idf}
                                                          : std::vector<std::wstring>{}));
        ASSERT_NE(app.WaitForWindow(), nullptr);
        std::atomic<bool> acted{false};
        std::atomic<bool> delivered{false};
        MessageBoxWatcher watcher(
            [&](const MessageBoxInfo& box) {
                if (!acted.exchange(true)) {
                    switch (c.action) {
                    case Action::Close:
                    case Action::SystemClose:
                        delivered = app.RequestClose(c.action == Action::SystemClose);
                        break;
                    case Action::PressSetAssociations:
                        delivered = app.PressButton(1);
                        break;
                    case Action::PressOpenIdfFile:
                        delivered = app.PressButton(2);
                        break;
                    }
                }
                return box.caption == L"Parse Error" ? c.parseErrorAnswer : IDOK;
            },
            app.ProcessId());
        if (!c.idfAtStartUp) {
            ASSERT_TRUE(app.WaitForRowCount(82));
            for (const wchar_t* row : {L".avi", L".mkv", L".mp3"}) {
                ASSERT_TRUE(app.SetRowChecked(app.FindRow(row), true));
            }
            app.ClickButton(1);
        }
        ASSERT_TRUE(watcher.WaitForCount(c.captions.size()));
        EXPECT_TRUE(delivered) << "the window handled the request at once";
        if (!c.closes) {
            ASSERT_TRUE(app.WaitForRowCount(c.idfAtStartUp ? 83 : 82));
            app.Close();
        }
        DWORD exitCode = 99;
        ASSERT_TRUE(app.WaitForExit(20000, exitCode));
        EXPECT_EQ(exitCode, 0u);

        std::vector<std::wstring> captions;
        for (const MessageBoxInfo& box : watcher.Seen()) {
            captions.push_back(box.caption);
        }
        EXPECT_EQ(captions, c.captions) << "no other command ran";
        if (!c.idfAtStartUp) {
            EXPECT_EQ(watcher.Seen().back().text, L"2 selected extensions have been registered.\n"
                                                  L"1 extensions could not be registered.");
            for (const wchar_t* ext : {L"AVI", L"MP3"}) {
                const TypeNames names(ext);
                EXPECT_EQ(ReadRawString(names.fileType + L"\\shell\\open\\command"),
                          L"\"" + FolderOf(copy.Path()) + L"vtplayer.exe\" \"%L\"");
                EXPECT_EQ(ReadRawString(names.fileExts + L"\\UserChoice", L"Progid"), names.progId);
            }
        }
    }
}

// The last line of the list's menu, reached with the keyboard, takes back the checked rows'
// associations; a close request during its error box waits for its end.
TEST_F(EndToEndTest, TheMenusLastCommandRemovesTheCheckedRowsAndACloseWaitsForItsEnd) {
    const ProgramCopy copy(Program(), L"vtassoc-remove.exe", L"win7");
    ASSERT_TRUE(copy.Ready());
    AppDriver app;
    ASSERT_TRUE(app.Start(copy.Path()));
    ASSERT_NE(app.WaitForWindow(), nullptr);
    ASSERT_TRUE(app.WaitForRowCount(82));
    for (const wchar_t* row : {L".mkv", L".mp3"}) {
        ASSERT_TRUE(app.SetRowChecked(app.FindRow(row), true));
    }
    {
        MessageBoxWatcher watcher(MessageBoxWatcher::PressFirstButton, app.ProcessId());
        app.ClickButton(1);
        ASSERT_TRUE(watcher.WaitForCount(1));
    }
    // A subkey keeps mp3's user choice from being deleted.
    CreateRawKey(kFileExts + L"\\.MP3\\UserChoice\\Blocker");

    std::atomic<bool> delivered{false};
    MessageBoxWatcher watcher(
        [&](const MessageBoxInfo& box) {
            if (box.caption == L"CRegistryKey::DeleteKey()") {
                delivered = app.RequestClose(false);
            }
            return box.buttons.front(); // Yes to the question
        },
        app.ProcessId());
    ASSERT_TRUE(app.ChooseFromListMenu(7)) << "no menu"; // the seventh command: Down 7 times
    ASSERT_TRUE(watcher.WaitForCount(3));
    DWORD exitCode = 99;
    ASSERT_TRUE(app.WaitForExit(20000, exitCode)) << "the kept close request closes the window";
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(delivered);

    const std::vector<MessageBoxInfo> boxes = watcher.Seen();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text,
              L"Do you want to remove Veltrano's associations of the 2 checked extensions?");
    EXPECT_EQ(boxes[0].buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(boxes[0].owner, app.MainWindow());
    EXPECT_EQ(boxes[1].owner, nullptr);
    EXPECT_EQ(boxes[2].caption, L"Remove Associations");
    EXPECT_EQ(boxes[2].text,
              L"1 extensions have been removed.\n1 extensions could not be removed.");
    EXPECT_FALSE(RawKeyExists(kClasses + L"\\VTMKVFile"));
    EXPECT_FALSE(RawKeyExists(kFileExts + L"\\.MKV"));
    EXPECT_FALSE(RawKeyExists(kClasses + L"\\.mkv"));
    EXPECT_EQ(ReadRawString(kFileExts + L"\\.MP3\\UserChoice", L"Progid"), L"VTMP3File");
    EXPECT_TRUE(RawKeyExists(kClasses + L"\\VTMP3File\\shell\\open\\command"));
}

TEST_F(EndToEndTest, TheKeyboardReachesEveryControlAndTheListsCommandsAsInADialog) {
    const ProgramCopy copy(Program(), L"vtassoc-keys.exe", L"win7");
    ASSERT_TRUE(copy.Ready());
    AppDriver app;
    ASSERT_TRUE(app.Start(copy.Path()));
    ASSERT_NE(app.WaitForWindow(), nullptr);
    ASSERT_TRUE(app.WaitForRowCount(82));
    const HWND list = app.Control(0), check = app.Control(3), open = app.Control(2),
               set = app.Control(1);
    const auto focusOn = [&app](HWND control) {
        return WaitUntil([&] { return app.FocusedControl() == control; });
    };
    EXPECT_TRUE(focusOn(list)) << "at start-up";
    EXPECT_EQ(app.FocusedRow(), 0);

    struct Step {
        std::initializer_list<WORD> keys;
        HWND focus;
    };
    const Step tabOrder[] = {
        {{VK_TAB}, check},
        {{VK_TAB}, open},
        {{VK_TAB}, set},
        {{VK_TAB}, list},
        {{VK_SHIFT, VK_TAB}, set},
        {{VK_SHIFT, VK_TAB}, open},
        {{VK_SHIFT, VK_TAB}, check},
        {{VK_SPACE}, check},
        {{VK_SHIFT, VK_TAB}, list},
    };
    for (std::size_t i = 0; i < std::size(tabOrder); ++i) {
        ASSERT_TRUE(app.PressKeys(tabOrder[i].keys));
        EXPECT_TRUE(focusOn(tabOrder[i].focus)) << "step " << i;
    }
    EXPECT_TRUE(app.IsButtonChecked(3)) << "Space toggles the focused check box";

    ASSERT_TRUE(app.PressKeys({VK_DOWN}));
    EXPECT_TRUE(WaitUntil([&] { return app.FocusedRow() == 1; }));
    ASSERT_TRUE(app.PressKeys({VK_SPACE}));
    EXPECT_TRUE(WaitUntil([&] { return app.IsRowChecked(1); }));
    EXPECT_FALSE(app.IsRowChecked(0));
    ASSERT_TRUE(app.PressKeys({VK_CONTROL, 'A'}));
    EXPECT_TRUE(WaitUntil([&] { return app.SelectedRowCount() == 82; }));

    // Escape starts no command (the dialog manager would make it command 2, "Open IDF File"): the
    // menu key after it opens the menu, which it would not while the file dialog waited. (Enter,
    // the icon choice, is tried in the window tests: Wine's picker here sometimes does not
    // return.)
    MessageBoxWatcher watcher(MessageBoxWatcher::PressFirstButton, app.ProcessId());
    const RECT row = app.RowBounds(1);
    POINT below = {row.left, row.bottom};
    ClientToScreen(list, &below);
    struct MenuKeys {
        std::initializer_list<WORD> before, open;
    };
    const MenuKeys menuKeys[] = {{{}, {VK_SHIFT, VK_F10}}, {{VK_ESCAPE}, {VK_APPS}}};
    for (const MenuKeys& keys : menuKeys) {
        for (const WORD key : keys.before) {
            ASSERT_TRUE(app.PressKeys({key}));
        }
        ASSERT_TRUE(app.PressKeys(keys.open));
        HWND menu = nullptr;
        ASSERT_TRUE(WaitUntil([&] { // shown, and so in its place
            menu = FindProcessWindow(L"#32768", app.ProcessId());
            return menu != nullptr && IsWindowVisible(menu);
        })) << "menu keys "
            << &keys - menuKeys;
        RECT shown = {};
        GetWindowRect(menu, &shown);
        EXPECT_EQ(shown.left, below.x) << "the menu opens just below the focused row";
        EXPECT_EQ(shown.top, below.y);
        PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
    }
    EXPECT_TRUE(watcher.Seen().empty());

    // Another window active, then this one again: the focus goes back where it was.
    ASSERT_TRUE(app.PressKeys({VK_TAB}));
    ASSERT_TRUE(focusOn(check));
    const HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                       nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    EXPECT_TRUE(WaitUntil([&] { return app.FocusedControl() == nullptr; }));
    SetForegroundWindow(app.MainWindow());
    EXPECT_TRUE(focusOn(check));
    DestroyWindow(other);
}

} // namespace
