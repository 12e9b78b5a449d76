// "Set Associations" of three extensions cut short: this program runs itself as a child that
// presses the button in the real window and ends itself (TerminateProcess, no clean-up) right
// after its k-th registry write, for every k, on Windows 7 and on Windows 10 settings. The writes
// are counted in the child's import table (RegCreateKeyExW, RegSetValueExW, RegDeleteKeyW): the
// product is not changed for it. After each cut Explorer must not be pointed at an incomplete
// file type and nothing else may have changed; one more run must give the registry of an
// uninterrupted run, byte for byte.
#include "MainWindowFixture.h"
#include "registry/RegistryTestSupport.h"

#include "app/ListRows.h"
#include "support/ImportHook.h"
#include "support/MessageBoxWatcher.h"
#include "support/e2e/AppDriver.h"

#include <cwctype>
#include <iostream>
#include <string>
#include <vector>

namespace {

const wchar_t kCutVariable[] = L"VT_CUT_AFTER_WRITE"; // set for the child: 0 runs to the end
constexpr DWORD kCutExitCode = 4000;       // a full run ends with its number of writes instead,
constexpr DWORD kFailedRunExitCode = 4001; // or this when any box but its report of success showed
const wchar_t* const kExtensions[] = {L"AVI", L"MKV", L"MP3"};

// The child's write counter, which its registry functions reach through the import table.
struct WriteCounter {
    DWORD writes = 0;
    DWORD cutAfter = 0;
    decltype(&RegCreateKeyExW) createKey = nullptr;
    decltype(&RegSetValueExW) setValue = nullptr;
    decltype(&RegDeleteKeyW) deleteKey = nullptr;

    void Wrote() {
        if (++writes == cutAfter) {
            TerminateProcess(GetCurrentProcess(), kCutExitCode);
        }
    }
} counter;

LSTATUS WINAPI CountedCreateKey(HKEY key, LPCWSTR subkey, DWORD reserved, LPWSTR className,
                                DWORD options, REGSAM access, LPSECURITY_ATTRIBUTES security,
                                PHKEY result, LPDWORD disposition) {
    const LSTATUS status = counter.createKey(key, subkey, reserved, className, options, access,
                                             security, result, disposition);
    counter.Wrote();
    return status;
}
LSTATUS WINAPI CountedSetValue(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data,
                               DWORD bytes) {
    const LSTATUS status = counter.setValue(key, name, reserved, type, data, bytes);
    counter.Wrote();
    return status;
}
LSTATUS WINAPI CountedDeleteKey(HKEY key, LPCWSTR subkey) {
    const LSTATUS status = counter.deleteKey(key, subkey);
    counter.Wrote();
    return status;
}

class InterruptedRunChild : public MainWindowTest {};

TEST_F(InterruptedRunChild, SetAssociationsOfThreeExtensions) {
    wchar_t cut[16] = {};
    if (GetEnvironmentVariableW(kCutVariable, cut, 16) == 0) {
        GTEST_SKIP() << "run by InterruptedRunTest as its child";
    }
    counter.cutAfter = static_cast<DWORD>(_wtoi(cut));
    counter.createKey = reinterpret_cast<decltype(&RegCreateKeyExW)>(ReplaceImport(
        "advapi32.dll", "RegCreateKeyExW", reinterpret_cast<void*>(&CountedCreateKey)));
    counter.setValue = reinterpret_cast<decltype(&RegSetValueExW)>(
        ReplaceImport("advapi32.dll", "RegSetValueExW", reinterpret_cast<void*>(&CountedSetValue)));
    counter.deleteKey = reinterpret_cast<decltype(&RegDeleteKeyW)>(
        ReplaceImport("advapi32.dll", "RegDeleteKeyW", reinterpret_cast<void*>(&CountedDeleteKey)));
    ASSERT_TRUE(counter.createKey && counter.setValue && counter.deleteKey);

    window->playerPath = kPlayer;
    Fill({{L"avi", kPlayer, L"0"}, {L"mkv", kPlayer, L"0"}, {L"mp3", kPlayer, L"0"}});
    for (int row = 0; row < 3; ++row) {
        SetRowState(row, kCheckedStateImage);
    }
    const MessageBoxWatcher watcher([](const MessageBoxInfo& box) {
        return box.buttons == std::vector<int>{IDYES, IDNO} ? IDNO : box.buttons.front();
    });
    SendMessageW(window->setAssociationsButton, BM_CLICK, 0, 0);
    const std::vector<MessageBoxInfo> boxes = watcher.Seen();
    const bool succeeded =
        boxes.size() == 1 && boxes[0].caption == L"Success" &&
        boxes[0].text.rfind(L"3 selected extensions have been registered.", 0) == 0;
    TerminateProcess(GetCurrentProcess(), succeeded ? counter.writes : kFailedRunExitCode);
}

// Runs the child to its k-th write (0: to the end) and returns its exit code.
DWORD RunChild(const std::wstring& program, DWORD cutAfter) {
    SetEnvironmentVariableW(kCutVariable, std::to_wstring(cutAfter).c_str());
    const DWORD exitCode = RunTests(program, L"InterruptedRunChild.*", 60000, false);
    SetEnvironmentVariableW(kCutVariable, nullptr);
    return exitCode;
}

// What other programs and an earlier registration left: a foreign user choice and "Open with"
// entries for mkv, an earlier mp3 registration with the shell extension and a play verb (both
// removed by this run), another application in Default apps.
void Seed() {
    CleanRegistrations{L"AVI", L"MKV", L"MP3"};
    CreateRawKey(kClasses);
    const std::wstring mkvExts = kFileExts + L"\\.MKV";
    SetRawString(mkvExts + L"\\UserChoice", L"Progid", L"Other.File");
    SetRawString(mkvExts + L"\\OpenWithList", L"a", L"other.exe");
    SetRawString(kClasses + L"\\.mkv", nullptr, L"Other.File");
    SetRawString(kClasses + L"\\.mkv\\OpenWithProgids", L"Other.File", L"");
    const std::wstring mp3 = kClasses + L"\\VTMP3File";
    SetRawString(mp3, nullptr, L"MP3 (old)");
    SetRawString(mp3 + L"\\DefaultIcon", nullptr, L"C:\\Old\\icons.dll,2");
    SetRawString(mp3 + L"\\shell", nullptr, L"open");
    SetRawString(mp3 + L"\\shell\\open\\command", nullptr, L"\"C:\\Old\\vtplayer.exe\" \"%L\"");
    SetRawString(mp3 + L"\\shell\\play\\command", nullptr, L"\"C:\\Old\\vtplayer.exe\" /play");
    SetRawString(mp3 + L"\\ShellEx\\ContextMenuHandlers\\VTShellExt", nullptr, L"{old}");
    SetRawString(kFileExts + L"\\.MP3\\UserChoice", L"Progid", L"VTMP3File");
    SetRawString(L"Software\\RegisteredApplications", L"Other", L"Software\\Other\\Capabilities");
}

std::wstring Dump() {
    return DumpTree(HKEY_CURRENT_USER, L"Software", {L"Software\\Wine"});
}

// Every way Explorer and Default apps are pointed at one of the program's file types must lead to
// a complete one: the default verb open with its command, and an icon. Returns what misleads.
std::wstring Misleading() {
    std::wstring wrong;
    const std::wstring associations = L"Software\\Clients\\Media\\Veltrano\\Capabilities";
    for (const wchar_t* ext : kExtensions) {
        const std::wstring progId = TypeNames(ext).progId;
        std::wstring lower = ext;
        for (wchar_t& c : lower) {
            c = static_cast<wchar_t>(towlower(c));
        }
        const bool named =
            ReadRawString(TypeNames(ext).fileExts + L"\\UserChoice", L"Progid") == progId ||
            ReadRawValue(kClasses + L"\\." + lower + L"\\OpenWithProgids", progId.c_str()).result ==
                ERROR_SUCCESS ||
            ReadRawString(associations + L"\\FileAssociations", (L"." + lower).c_str()) == progId;
        const std::wstring type = kClasses + L"\\" + progId;
        if (named && (ReadRawString(type + L"\\shell") != L"open" ||
                      ReadRawString(type + L"\\shell\\open\\command") == L"<missing>" ||
                      ReadRawString(type + L"\\DefaultIcon") == L"<missing>")) {
            wrong += progId + L" is named but incomplete\n";
        }
    }
    if (ReadRawString(L"Software\\RegisteredApplications", L"Veltrano") != L"<missing>" &&
        ReadRawString(associations, L"ApplicationName") == L"<missing>") {
        wrong += L"Veltrano is in Default apps without its capabilities\n";
    }
    return wrong;
}

TEST(InterruptedRunTest, ACutAfterAnyWriteMisleadsNothingAndTheNextRunRepairsEverything) {
    for (const wchar_t* version : {L"win7", L"win10"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(version)));
        const ProgramCopy copy(ThisProgram(),
                               L"app_interrupted_run-" + std::wstring(version) + L".exe", version);
        ASSERT_TRUE(copy.Ready());
        Seed();
        const std::wstring before = Dump();
        const DWORD writes = RunChild(copy.Path(), 0);
        ASSERT_GT(writes, 10u);
        ASSERT_LT(writes, kCutExitCode)
            << kFailedRunExitCode << ": a box but the report of success";
        const std::wstring reference = Dump();
        EXPECT_EQ(ForeignChanges(before, reference, {L"AVI", L"MKV", L"MP3"}), L"");
        ASSERT_EQ(Misleading(), L"");
        // The reference itself: every type complete, the user choice as the version has it (only
        // Windows 7 takes one from a program), the old mp3 verb and shell extension gone.
        for (const wchar_t* ext : kExtensions) {
            EXPECT_EQ(ReadRawString(TypeNames(ext).fileType + L"\\shell\\open\\command"),
                      L"\"" + kPlayer + L"\" \"%L\"");
        }
        const bool win7 = std::wstring(version) == L"win7";
        EXPECT_EQ(ReadRawString(kFileExts + L"\\.AVI\\UserChoice", L"Progid"),
                  win7 ? L"VTAVIFile" : L"<missing>");
        EXPECT_EQ(ReadRawString(kFileExts + L"\\.MKV\\UserChoice", L"Progid"),
                  win7 ? L"VTMKVFile" : L"Other.File");
        EXPECT_FALSE(RawKeyExists(kClasses + L"\\VTMP3File\\shell\\play"));
        EXPECT_FALSE(RawKeyExists(kClasses + L"\\VTMP3File\\ShellEx"));
        ASSERT_FALSE(HasFailure()) << "no reference to compare the cuts with";

        int misled = 0;
        int unrepaired = 0;
        for (DWORD cut = 1; cut <= writes; ++cut) {
            SCOPED_TRACE("cut after write " + std::to_string(cut));
            Seed();
            ASSERT_EQ(RunChild(copy.Path(), cut), kCutExitCode);
            const std::wstring wrong = Misleading();
            misled += wrong.empty() ? 0 : 1;
            EXPECT_EQ(wrong, L"");
            EXPECT_EQ(ForeignChanges(before, Dump(), {L"AVI", L"MKV", L"MP3"}), L"");
            const DWORD repairWrites = RunChild(copy.Path(), 0);
            ASSERT_TRUE(repairWrites > 10 && repairWrites < kCutExitCode) << repairWrites;
            const std::wstring repaired = Dump();
            unrepaired += repaired == reference ? 0 : 1;
            EXPECT_EQ(DiffLines(reference, repaired), L"");
        }
        std::wcout << version << L": " << writes << L" cut points, " << misled
                   << L" left Explorer misled, " << unrepaired << L" not repaired by the next run"
                   << std::endl;
    }
    CleanRegistrations{L"AVI", L"MKV", L"MP3"};
}

} // namespace
