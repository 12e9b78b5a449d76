// The marks of the list in the real window: which rows carry the badge overlay and what their
// info tips say, read from the real registry of the current user at the fill, after "Set
// Associations" and when the window is activated again.
#include "MainWindowFixture.h"
#include "registry/RegistryTestSupport.h"

#include "app/ListRows.h"
#include "common/AsciiCase.h"
#include "support/ImportHook.h"
#include "support/MessageBoxWatcher.h"

#include <commctrl.h>

namespace {

const std::wstring kCommand = L"\"" + kPlayer + L"\" \"%L\"";

const wchar_t kOpens[] = L"Opens with Veltrano.";
const wchar_t kElsewhere[] = L"Registered for Veltrano, but Windows opens it with another "
                             L"program. To choose Veltrano for it, use Default apps.";
const wchar_t kNotRegistered[] = L"Not registered for Veltrano.";

// The keys that this program opens, counted while a test has the hook in place.
int keyOpens = 0;
decltype(&RegOpenKeyExW) systemOpenKey = nullptr;

LONG WINAPI CountedOpenKey(HKEY parent, LPCWSTR subkey, DWORD options, REGSAM access,
                           PHKEY opened) {
    ++keyOpens;
    return systemOpenKey(parent, subkey, options, access, opened);
}

class AssociationMarksTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        window->playerPath = kPlayer;
    }

    // The rows show this program's icon.
    void Fill() {
        const std::wstring icon = ThisProgram();
        MainWindowTest::Fill({{L"avi", icon, L"0"},
                              {L"flac", icon, L"0"},
                              {L"mkv", icon, L"0"},
                              {L"mp3", icon, L"0"},
                              {L"ogg", icon, L"0"},
                              {L"wav", icon, L"0"},
                              {L"wm", icon, L"0"},
                              {L"wma", icon, L"0"},
                              {L"wmv", icon, L"0"},
                              {L"zz1", icon, L"0"},
                              {L"zz2", icon, L"0"}});
    }

    // The info tip the list would show for the row, as the window answers LVN_GETINFOTIPW.
    std::wstring InfoTip(int row) const {
        wchar_t text[INFOTIPSIZE] = L".ext";
        NMLVGETINFOTIPW tip = {};
        tip.hdr.hwndFrom = window->listView;
        tip.hdr.idFrom = kListViewId;
        tip.hdr.code = LVN_GETINFOTIPW;
        tip.pszText = text;
        tip.cchTextMax = INFOTIPSIZE;
        tip.iItem = row;
        SendMessageW(hwnd, WM_NOTIFY, kListViewId, reinterpret_cast<LPARAM>(&tip));
        return text;
    }

    static void SetCommand(const std::wstring& upperExtension, const std::wstring& command) {
        SetRawString(TypeNames(upperExtension).fileType + L"\\shell\\open\\command", nullptr,
                     command);
    }
    static void SetChoice(const std::wstring& upperExtension, const wchar_t* name,
                          const std::wstring& progId) {
        SetRawString(kFileExts + L"\\." + upperExtension + L"\\UserChoice", name, progId);
    }

    CleanRegistrations clean{L"AVI", L"FLAC", L"MKV", L"MP3", L"OGG", L"WAV",
                             L"WM",  L"WMA",  L"WMV", L"ZZ1", L"ZZ2"};
    CleanRegistrations cleanMachine{HKEY_LOCAL_MACHINE, {L"ZZ1", L"ZZ2"}};
};

TEST_F(AssociationMarksTest, OnlyTypesWhoseUserChoiceNamesTheCompleteFileTypeAreMarked) {
    struct Case {
        const wchar_t* upper;
        const wchar_t* command; // null: none
        const wchar_t* choiceName;
        const wchar_t* choice; // null: none
        UINT overlay;
        std::wstring tip;
        const wchar_t* latest = nullptr; // UserChoiceLatest's file type ("": no ProgId subkey)
        const wchar_t* machineCommand = nullptr; // the machine's file type's, if any
    };
    const Case cases[] = {
        // Windows' own spelling of the value, as Default apps writes it.
        {L"AVI", kCommand.c_str(), L"ProgId", L"VTAVIFile", 1, L"Audio Video File\n"},
        // Chosen elsewhere: another program's user choice.
        {L"FLAC", kCommand.c_str(), L"ProgId", L"Other.flac", 0, L"FLAC Audio\n"},
        // A user choice that names the file type, whose open command is missing.
        {L"MKV", nullptr, L"Progid", L"VTMKVFile", 0, L"Matroska Audio/Video File\n"},
        // Registered once for a player in another folder.
        {L"MP3", L"\"C:\\Old\\vtplayer.exe\" \"%L\"", L"Progid", L"VTMP3File", 0,
         L"MPEG Layer 3 Audio\n"},
        // Nothing at all.
        {L"OGG", nullptr, nullptr, nullptr, 0, L"Ogg Audio\n"},
        // Names and texts in any letter case.
        {L"WAV", L"\"C:\\PROGRAM FILES\\VT Player\\VTPLAYER.EXE\" \"%l\"", L"PROGID", L"vtwavfile",
         1, L"Windows Audio\n"},
        // UserChoiceLatest decides over a stale UserChoice, either way, unless it has no ProgId.
        {L"WM", kCommand.c_str(), L"ProgId", L"Other.wm", 1, L"Windows Media\n", L"VTWMFile"},
        {L"WMA", kCommand.c_str(), L"ProgId", L"VTWMAFile", 0, L"Windows Media Audio\n",
         L"Other.wma"},
        {L"WMV", kCommand.c_str(), L"ProgId", L"VTWMVFile", 1, L"Windows Media Video\n", L""},
        // Registered for every user of the machine only; the user's own file type hides the
        // machine's, as Windows merges them.
        {L"ZZ1", nullptr, L"ProgId", L"VTZZ1File", 1, L"ZZ1 File (Veltrano)\n", nullptr,
         kCommand.c_str()},
        {L"ZZ2", L"\"C:\\Old\\vtplayer.exe\" \"%L\"", L"ProgId", L"VTZZ2File", 0,
         L"ZZ2 File (Veltrano)\n", nullptr, kCommand.c_str()},
    };
    const std::wstring lines[] = {kOpens,         kElsewhere, kNotRegistered, kNotRegistered,
                                  kNotRegistered, kOpens,     kOpens,         kElsewhere,
                                  kOpens,         kOpens,     kNotRegistered};
    for (const Case& c : cases) {
        if (c.command != nullptr) {
            SetCommand(c.upper, c.command);
        }
        if (c.choice != nullptr) {
            SetChoice(c.upper, c.choiceName, c.choice);
        }
        if (c.latest != nullptr) {
            SetRawUserChoiceLatest(c.upper, c.latest);
        }
        if (c.machineCommand != nullptr) { // with the entry that points at it, as registered
            SetRawString(TypeNames(c.upper).fileType + L"\\shell\\open\\command", nullptr,
                         c.machineCommand, HKEY_LOCAL_MACHINE);
            SetRawString(L"Software\\Clients\\Media\\Veltrano\\Capabilities\\FileAssociations",
                         (L"." + LowerAscii(c.upper)).c_str(), TypeNames(c.upper).progId,
                         HKEY_LOCAL_MACHINE);
        }
    }
    const std::wstring before = DumpTree(HKEY_CURRENT_USER, L"");

    Fill();
    for (int row = 0; row < static_cast<int>(std::size(cases)); ++row) {
        SCOPED_TRACE(testing::PrintToString(RowText(row)));
        EXPECT_EQ(RowOverlay(row), cases[row].overlay);
        EXPECT_EQ(InfoTip(row), cases[row].tip + lines[row]);
    }
    EXPECT_EQ(L"", DiffLines(before, DumpTree(HKEY_CURRENT_USER, L""))) << "reading writes nothing";
}

TEST_F(AssociationMarksTest, TheBadgeIsDrawnOverTheIconOfMarkedRowsOnly) {
    SetCommand(L"AVI", kCommand);
    SetChoice(L"AVI", L"Progid", L"VTAVIFile");
    Fill();
    ASSERT_EQ(RowOverlay(0), 1u);
    ASSERT_GE(RowImage(0), 0);
    const auto plain = ImagePixels(0);
    const auto badged = ImagePixels(0, 1);
    int changed = 0;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        changed += plain[i] != badged[i] ? 1 : 0;
        const int x = static_cast<int>(i % 16), y = static_cast<int>(i / 16);
        if (x < 5 || y < 5) {
            EXPECT_EQ(plain[i], badged[i]) << "the icon shows unchanged outside the badge";
        }
    }
    EXPECT_GT(changed, 40) << "the badge covers the bottom right corner";
    EXPECT_EQ(ImageCount(), 11) << "the badge is an overlay, not another image";
}

TEST_F(AssociationMarksTest, MarksFollowSetAssociationsOnWindows7AndTheRegistryOnActivation) {
    Fill();
    ASSERT_EQ(RowOverlay(3), 0u);
    // The test program runs with the Windows 7 answer of Wine: the tool writes the user choice.
    SetRowState(3, kCheckedStateImage);
    {
        MessageBoxWatcher watcher;
        SendMessageW(window->setAssociationsButton, BM_CLICK, 0, 0);
        ASSERT_EQ(watcher.Seen().size(), 1u);
    }
    EXPECT_EQ(RowOverlay(3), 1u) << ".mp3 opens with Veltrano now";
    EXPECT_EQ(InfoTip(3), std::wstring(L"MPEG Layer 3 Audio\n") + kOpens);

    // Another window is active while the user picks other programs (as in Default apps).
    const HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                                       nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    SetActiveWindow(other);
    ASSERT_EQ(GetActiveWindow(), other);
    SetChoice(L"MP3", L"Progid", L"Other.mp3");
    SetCommand(L"AVI", kCommand);
    SetChoice(L"AVI", L"ProgId", L"VTAVIFile");
    EXPECT_EQ(RowOverlay(3), 1u) << "nothing is read while the window is inactive";

    SetActiveWindow(hwnd);
    EXPECT_EQ(GetActiveWindow(), hwnd);
    EXPECT_EQ(RowOverlay(0), 1u);
    EXPECT_EQ(RowOverlay(3), 0u);
    EXPECT_EQ(InfoTip(3), std::wstring(L"MPEG Layer 3 Audio\n") + kElsewhere);
    EXPECT_EQ(StateImages(), (std::vector<UINT>{1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1}))
        << "the ticks stay";

    // Away and back with nothing changed meanwhile: the marks are not read again.
    systemOpenKey = reinterpret_cast<decltype(&RegOpenKeyExW)>(
        ReplaceImport("advapi32.dll", "RegOpenKeyExW", reinterpret_cast<void*>(&CountedOpenKey)));
    ASSERT_NE(systemOpenKey, nullptr);
    keyOpens = 0;
    SetActiveWindow(other);
    SetActiveWindow(hwnd);
    EXPECT_EQ(keyOpens, 0) << "nothing changed, nothing read";
    SetActiveWindow(other);
    SetChoice(L"MP3", L"Progid", L"VTMP3File"); // the user picks Veltrano again
    SetActiveWindow(hwnd);
    EXPECT_GT(keyOpens, 0);
    EXPECT_EQ(RowOverlay(3), 1u) << "changed while inactive: read again";
    SetActiveWindow(other);
    SetCommand(L"MP3", L"\"C:\\Other\\player.exe\" \"%1\""); // only below Software\Classes
    SetActiveWindow(hwnd);
    EXPECT_EQ(RowOverlay(3), 0u) << "its file type no longer opens Veltrano";
    ReplaceImport("advapi32.dll", "RegOpenKeyExW", reinterpret_cast<void*>(systemOpenKey));
    DestroyWindow(other);
}

} // namespace
