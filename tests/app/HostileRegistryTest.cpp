// The registry as other programs, older Windows versions and registry cleaners leave it: seeded
// before start-up's probe of earlier icons and before "Set Associations" in the real window.
// Each row: the probe's result for mkv, the error boxes, the honest count, and nothing lost that
// is not the program's own.
#include "MainWindowFixture.h"
#include "registry/RegistryTestSupport.h"

#include "app/ListRows.h"
#include "registry/RegistryKey.h"
#include "support/MessageBoxWatcher.h"

#include <functional>

namespace {

const std::wstring kMkv = kClasses + L"\\VTMKVFile";
const std::wstring kMkvIcon = kMkv + L"\\DefaultIcon";
const std::wstring kMkvChoice = kFileExts + L"\\.MKV\\UserChoice";
const std::wstring kOpenWith = kClasses + L"\\.mkv\\OpenWithProgids";
const std::wstring kAssociations = L"Software\\Clients\\Media\\Veltrano\\Capabilities\\"
                                   L"FileAssociations";

void SetBytes(const std::wstring& path, DWORD type, const std::wstring& bytesAsText, DWORD bytes) {
    SetRawValue(path, nullptr, type, bytesAsText.data(), bytes);
}
void SetText(const std::wstring& path, DWORD type, const std::wstring& text) {
    SetBytes(path, type, text, static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

DWORD CountOf(const std::wstring& path, bool values) {
    HKEY key = nullptr;
    DWORD count = 0;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, values ? nullptr : &count, nullptr,
                         nullptr, values ? &count : nullptr, nullptr, nullptr, nullptr, nullptr);
        RegCloseKey(key);
    }
    return count;
}

// Whole texts compared; a failure tells where they part instead of printing megabytes.
testing::AssertionResult Same(const std::wstring& got, const std::wstring& expected) {
    if (got == expected) {
        return testing::AssertionSuccess();
    }
    std::size_t same = 0;
    while (same < got.size() && same < expected.size() && got[same] == expected[same]) {
        ++same;
    }
    return testing::AssertionFailure()
           << got.size() << " characters instead of " << expected.size() << ", parting at " << same;
}

class HostileRegistryTest : public MainWindowTest {
protected:
    CleanRegistrations clean{L"MKV", L"MP3"};
};

TEST_F(HostileRegistryTest, ForeignStateIsReadSafelyKeptAndEveryFailedWriteShown) {
    struct Case {
        const char* name;
        std::function<void()> seed;
        // mkv's icon after the probe; "=" for the built-in icon (the entry unchanged)
        std::wstring iconFile, iconIndex;
        std::vector<std::wstring> errorCaptions;
        int registered; // of the two ticked rows, mkv and mp3
        std::function<void()> check;
    };
    const std::wstring longPath = L"C:\\" + std::wstring(32764, L'p'); // 32,767 characters
    const std::wstring kib64(32767, L'k'), mib1(512 * 1024 - 1, L'm');
    const std::wstring createKey = RegistryOperation::kCreateKey;
    const std::wstring createOrOpen = RegistryOperation::kCreateOrOpenKey;
    const std::wstring constructor = RegistryOperation::kConstructor;
    const std::vector<Case> cases = {
        {"icon as REG_DWORD",
         [] { SetBytes(kMkvIcon, REG_DWORD, L"\x5\x0", 4); },
         L"=",
         L"",
         {},
         2,
         nullptr},
        {"icon as REG_BINARY",
         [] { SetBytes(kMkvIcon, REG_BINARY, L"a,1", 6); },
         L"=",
         L"",
         {},
         2,
         nullptr},
        {"icon as REG_MULTI_SZ",
         [] { SetBytes(kMkvIcon, REG_MULTI_SZ, std::wstring(L"a.dll,1\0b\0", 11), 22); },
         L"=",
         L"",
         {},
         2,
         nullptr},
        {"icon as REG_EXPAND_SZ",
         [] { SetText(kMkvIcon, REG_EXPAND_SZ, L"C:\\%SystemRoot%\\shell32.dll,3"); },
         L"C:\\%SystemRoot%\\shell32.dll",
         L"3",
         {},
         2,
         nullptr},
        {"icon without its NUL",
         [] { SetBytes(kMkvIcon, REG_SZ, L"C:\\x.dll,4", 20); },
         L"C:\\x.dll",
         L"4",
         {},
         2,
         nullptr},
        {"icon of an odd size",
         [] { SetBytes(kMkvIcon, REG_SZ, L"C:\\x.dll,4", 19); },
         L"C:\\x.dll",
         L"4",
         {},
         2,
         nullptr},
        {"empty icon", [] { SetBytes(kMkvIcon, REG_SZ, L"", 0); }, L"", L"", {}, 2, nullptr},
        {"icon of 64 KiB", [&] { SetText(kMkvIcon, REG_SZ, kib64); }, L"", kib64, {}, 2, nullptr},
        {"icon of 1 MiB", [&] { SetText(kMkvIcon, REG_SZ, mib1); }, L"", mib1, {}, 2, nullptr},
        {"icon without a comma",
         [] { SetText(kMkvIcon, REG_SZ, L"C:\\x.dll"); },
         L"",
         L"C:\\x.dll",
         {},
         2,
         nullptr},
        {"icon of only a comma", [] { SetText(kMkvIcon, REG_SZ, L","); }, L"", L"", {}, 2, nullptr},
        {"negative icon index",
         [] { SetText(kMkvIcon, REG_SZ, L"C:\\x.dll,-102"); },
         L"C:\\x.dll",
         L"-102",
         {},
         2,
         nullptr},
        // Longer than any path that opens: not carried over.
        {"icon path of 32,767 characters",
         [&] { SetText(kMkvIcon, REG_SZ, longPath + L",0"); },
         L"=",
         L"",
         {},
         2,
         nullptr},
        // Read for the list's marks at the fill, then replaced by the registration.
        {"open command as REG_DWORD",
         [] {
             SetBytes(kMkv + L"\\shell\\open\\command", REG_DWORD, L"\x5\x0", 4);
             SetRawString(kMkvChoice, L"Progid", L"VTMKVFile"); // only the command is wrong
         },
         L"=",
         L"",
         {},
         2,
         nullptr},
        {"user choice as REG_BINARY",
         [] { SetRawValue(kMkvChoice, L"ProgId", REG_BINARY, "VTMKVFile", 9); },
         L"=",
         L"",
         {},
         2,
         nullptr},
        {"user choice of 1 MiB",
         [&] { SetRawString(kMkvChoice, L"ProgId", mib1); },
         L"=",
         L"",
         {},
         2,
         nullptr},
        {"keys where values are expected",
         [] {
             CreateRawKey(kMkvIcon + L"\\0");
             CreateRawKey(kOpenWith + L"\\VTMKVFile");
             CreateRawKey(kAssociations + L"\\.mkv");
             CreateRawKey(L"Software\\RegisteredApplications\\Veltrano");
         },
         L"=",
         L"",
         {},
         2,
         [] {
             EXPECT_EQ(ReadRawString(kAssociations, L".mkv"), L"VTMKVFile");
             EXPECT_EQ(ReadRawValue(kOpenWith, L"VTMKVFile").result, ERROR_SUCCESS);
             EXPECT_EQ(ReadRawString(L"Software\\RegisteredApplications", L"Veltrano"),
                       L"Software\\Clients\\Media\\Veltrano\\Capabilities");
         }},
        {"values where keys are expected",
         [] {
             SetRawString(kClasses, L"VTMKVFile", L"x");
             SetRawString(kFileExts + L"\\.MKV", L"UserChoice", L"x");
             SetRawString(L"Software\\Clients", L"Media", L"x");
             SetRawString(kMkv, L"shell", L"x");
         },
         L"=",
         L"",
         {},
         2,
         [] { RegDeleteKeyValueW(HKEY_CURRENT_USER, kClasses.c_str(), L"VTMKVFile"); }},
        {"user choice with subkeys",
         [] { CreateRawKey(kMkvChoice + L"\\Sub"); },
         L"=",
         L"",
         {createKey},
         1,
         [] { EXPECT_TRUE(RawKeyExists(kMkvChoice + L"\\Sub")); }},
        {"user choice denying KEY_SET_VALUE",
         [] {
             SetRawString(kMkvChoice, L"Progid", L"Other.File");
             SetRawKeyDenied(kMkvChoice, KEY_SET_VALUE);
         },
         L"=",
         L"",
         {},
         2,
         [] { EXPECT_EQ(ReadRawString(kMkvChoice, L"Progid"), L"VTMKVFile"); }},
        {"icon key denying KEY_SET_VALUE", // read by the probe, not written by the registration
         [] {
             SetText(kMkvIcon, REG_SZ, L"C:\\x.dll,1");
             SetRawKeyDenied(kMkvIcon, KEY_SET_VALUE);
         },
         L"C:\\x.dll",
         L"1",
         {createOrOpen},
         1,
         [] {
             EXPECT_EQ(ReadRawString(kMkvIcon), L"C:\\x.dll,1");
             SetRawKeyDenied(kMkvIcon, 0); // for the clean-up
         }},
        {"play verb denying DELETE", // there, so its removal is a failure, not an absence
         [] {
             CreateRawKey(kMkv + L"\\shell\\play\\command");
             SetRawKeyDenied(kMkv + L"\\shell\\play", DELETE);
         },
         L"=",
         L"",
         {constructor},
         1,
         [] {
             EXPECT_TRUE(RawKeyExists(kMkv + L"\\shell\\play\\command"));
             SetRawKeyDenied(kMkv + L"\\shell\\play", 0); // for the clean-up
         }},
        {"volatile file type",
         [] { CreateRawKey(kMkv, REG_OPTION_VOLATILE); },
         L"=",
         L"",
         {createOrOpen},
         1,
         nullptr},
        {"volatile FileExts\\.MKV",
         [] { CreateRawKey(kFileExts + L"\\.MKV", REG_OPTION_VOLATILE); },
         L"=",
         L"",
         {createKey},
         1,
         nullptr},
        {"OpenWithProgids with 10,000 values",
         [] {
             for (int n = 0; n < 10000; ++n) {
                 SetRawString(kOpenWith, (L"Other" + std::to_wstring(n)).c_str(), L"");
             }
         },
         L"=",
         L"",
         {},
         2,
         [] { EXPECT_EQ(CountOf(kOpenWith, true), 10001u); }},
        {"file type with 10,000 verbs",
         [] {
             for (int n = 0; n < 10000; ++n) {
                 CreateRawKey(kMkv + L"\\shell\\verb" + std::to_wstring(n));
             }
             CreateRawKey(kMkv + L"\\shell\\play\\command\\deeper");
         },
         L"=",
         L"",
         {},
         2,
         [] {
             EXPECT_EQ(CountOf(kMkv + L"\\shell", false), 10001u); // the verbs and open
             EXPECT_FALSE(RawKeyExists(kMkv + L"\\shell\\play"));
         }},
    };

    window->playerPath = kPlayer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CleanRegistrations{L"MKV", L"MP3"}; // what the row before left
        DeleteRawTree(kClasses + L"\\.mkv");
        DeleteAllRows(window->listView); // before the entries they refer to are replaced
        window->catalogue.AddOrReplaceEntry({L"mkv", kPlayer, L"0"});
        window->catalogue.AddOrReplaceEntry({L"mp3", kPlayer, L"0"});
        c.seed();
        const std::wstring before = DumpTree(HKEY_CURRENT_USER, L"Software", {L"Software\\Wine"});

        window->ProbeRegisteredIcons();
        const ExtensionEntry& mkv = *window->catalogue.Find(L"mkv");
        EXPECT_TRUE(Same(mkv.iconFile, c.iconFile == L"=" ? kPlayer : c.iconFile));
        EXPECT_EQ(mkv.iconIndex, c.iconFile == L"=" ? L"0" : c.iconIndex);
        const std::wstring location = mkv.iconFile + L"," + mkv.iconIndex;
        window->RebuildExtensionList();
        EXPECT_EQ(RowOverlay(0), 0u) << "no seed makes mkv open with Veltrano";
        SetRowState(0, kCheckedStateImage);
        SetRowState(1, kCheckedStateImage);

        MessageBoxWatcher watcher;
        SendMessageW(window->setAssociationsButton, BM_CLICK, 0, 0);
        const std::vector<MessageBoxInfo> boxes = watcher.Seen();
        ASSERT_EQ(boxes.size(), c.errorCaptions.size() + 1);
        for (std::size_t n = 0; n < c.errorCaptions.size(); ++n) {
            EXPECT_EQ(boxes[n].caption, c.errorCaptions[n]);
            EXPECT_EQ(boxes[n].Style(), static_cast<UINT>(MB_OK | MB_ICONERROR));
            EXPECT_NE(boxes[n].text, L"");
        }
        std::wstring report =
            std::to_wstring(c.registered) + L" selected extensions have been registered.";
        if (c.registered != 2) {
            report +=
                L"\n" + std::to_wstring(2 - c.registered) + L" extensions could not be registered.";
        }
        EXPECT_EQ(boxes.back().text, report);

        // What could be written is complete; nothing that others wrote is gone.
        EXPECT_EQ(ReadRawString(kClasses + L"\\VTMP3File\\shell\\open\\command"),
                  L"\"" + kPlayer + L"\" \"%L\"");
        if (c.errorCaptions.empty()) {
            EXPECT_TRUE(Same(ReadRawString(kMkvIcon), location));
            EXPECT_EQ(ReadRawString(kMkv + L"\\shell\\open\\command"),
                      L"\"" + kPlayer + L"\" \"%L\"");
            EXPECT_EQ(ReadRawString(kMkvChoice, L"Progid"), L"VTMKVFile");
            EXPECT_EQ(RowOverlay(0), 1u) << "mkv opens with Veltrano now";
        }
        EXPECT_EQ(ForeignChanges(before,
                                 DumpTree(HKEY_CURRENT_USER, L"Software", {L"Software\\Wine"}),
                                 {L"MKV", L"MP3"}),
                  L"");
        if (c.check) {
            c.check();
        }
    }
}

} // namespace
