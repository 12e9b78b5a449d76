#include "registration/AssociationState.h"
#include "registration/RegisterExtension.h"
#include "registration/RemoveExtension.h"
#include "registry/RegistryTestSupport.h"

#include <gtest/gtest.h>

#include <set>

// RegisterExtension writes into the real HKCU\Software\Classes and Explorer\FileExts of the Wine
// prefix. Every test removes the file type and the FileExts key of the extensions it registers,
// before and after, and checks that nothing else in HKEY_CURRENT_USER changed.

namespace {

const std::wstring kPlayer = L"C:\\Program Files\\Tools\\vtplayer.exe";
const std::wstring kClients = L"Software\\Clients";
const std::wstring kRegisteredApplications = L"Software\\RegisteredApplications";

const TypeNames kMkv(L"MKV");

// A REG_SZ line as DumpTree shows it: the byte count includes the terminating zero.
std::wstring Sz(const std::wstring& key, const std::wstring& name, const std::wstring& text) {
    return L"V " + key + L" [" + name + L"] 1 " + std::to_wstring((text.size() + 1) * 2) + L" " +
           text + L"|NUL";
}

// The lines in the order DumpTree gives them.
std::wstring Lines(const std::vector<std::wstring>& lines) {
    const std::set<std::wstring> sorted(lines.begin(), lines.end());
    std::wstring text;
    for (const std::wstring& line : sorted) {
        text += line + L"\n";
    }
    return text;
}

// The file type as it must be after a registration with the player's own icon.
std::wstring ExpectedProgId(const std::wstring& description, bool shellExtension) {
    std::vector<std::wstring> lines = {
        L"K ",
        Sz(L"", L"", description),
        L"K CLSID",
        L"V CLSID [] 1 78 {4B3D9E21-7C55-4A08-9F6E-2D1B8C0A5E73}|NUL",
        L"K DefaultIcon",
        L"V DefaultIcon [] 1 76 C:\\Program Files\\Tools\\vtplayer.exe,0|NUL",
        L"K shell",
        L"V shell [] 1 10 open|NUL",
        L"K shell\\open",
        L"K shell\\open\\command",
        L"V shell\\open\\command [] 1 86 \"C:\\Program Files\\Tools\\vtplayer.exe\" \"%L\"|NUL",
    };
    if (shellExtension) {
        lines.insert(lines.end(), {L"K ShellEx", L"K ShellEx\\ContextMenuHandlers",
                                   L"K ShellEx\\ContextMenuHandlers\\VTShellExt",
                                   L"V ShellEx\\ContextMenuHandlers\\VTShellExt [] 1 78 "
                                   L"{9C61E0B4-35A2-4F7D-B08E-61C4D2F3A917}|NUL"});
    }
    return Lines(lines);
}

std::wstring ExpectedUserChoice(const std::wstring& progId) {
    return Lines({L"K ", L"K UserChoice", Sz(L"UserChoice", L"Progid", progId)});
}

// Software\Clients holding Veltrano's capabilities with the given values and file associations
// (extension as the list shows it, ProgID).
std::wstring ExpectedClients(std::vector<std::wstring> capabilityValues,
                             const std::vector<std::pair<std::wstring, std::wstring>>& types) {
    const std::wstring capabilities = L"Media\\Veltrano\\Capabilities";
    std::vector<std::wstring> lines = {L"K ", L"K Media", L"K Media\\Veltrano",
                                       L"K " + capabilities,
                                       L"K " + capabilities + L"\\FileAssociations"};
    for (const std::wstring& value : capabilityValues) {
        lines.push_back(value);
    }
    for (const auto& type : types) {
        lines.push_back(Sz(capabilities + L"\\FileAssociations", L"." + type.first, type.second));
    }
    return Lines(lines);
}

// Software\Classes\.ext as registering leaves it when it held nothing before.
std::wstring ExpectedOpenWith(const std::wstring& progId) {
    return Lines({L"K ", L"K OpenWithProgids", L"V OpenWithProgids [" + progId + L"] 0 0 "});
}

class RegisterExtensionTest : public testing::Test {
protected:
    // The extensions (upper case) whose file type and FileExts key the test writes from now on;
    // the keys of the ones before are removed.
    void Own(std::initializer_list<std::wstring> upperExtensions) {
        RemoveOwned();
        owned.clear();
        for (const std::wstring& ext : upperExtensions) {
            owned.push_back(TypeNames(ext).fileType);
            owned.push_back(TypeNames(ext).fileExts);
            owned.push_back(kClasses + L"\\." + ext);
        }
        // Veltrano's entry for Default apps, shared by every extension.
        owned.push_back(kClients);
        owned.push_back(kRegisteredApplications);
        RemoveOwned();
        hiveBefore = DumpTree(HKEY_CURRENT_USER, L"", owned);
    }

    void SetUp() override {
        // A fresh Wine prefix lacks the user's own Classes key, which Windows always has.
        if (!RawKeyExists(kClasses)) {
            CreateRawKey(kClasses);
            createdClasses = true;
        }
        if (!RawKeyExists(kFileExts)) {
            CreateRawKey(kFileExts);
            createdFileExts = true;
        }
    }

    void RemoveOwned() {
        for (const std::wstring& path : owned) {
            DeleteRawTree(path);
        }
    }

    void TearDown() override {
        RemoveOwned();
        if (createdFileExts) {
            RegDeleteKeyW(HKEY_CURRENT_USER, kFileExts.c_str());
        }
        if (createdClasses) {
            RegDeleteKeyW(HKEY_CURRENT_USER, kClasses.c_str());
        }
    }

    // Registers with the player's own icon, recording a failure.
    bool Register(const std::wstring& extension, bool shellExtension) {
        return Record(RegisterExtension(extension, kPlayer, L"0", kPlayer, shellExtension));
    }

    bool Record(const RegistryOutcome& outcome) {
        if (outcome.Failure()) {
            failures.push_back(*outcome.Failure());
        }
        return static_cast<bool>(outcome);
    }

    // Nothing in HKEY_CURRENT_USER changed apart from the owned keys.
    void ExpectNothingElseChanged() const {
        EXPECT_EQ(L"", DiffLines(hiveBefore, DumpTree(HKEY_CURRENT_USER, L"", owned)));
    }

    std::vector<std::wstring> owned;
    std::wstring hiveBefore;
    std::vector<CRegistryKey::Exception> failures;
    bool createdClasses = false;
    bool createdFileExts = false;
};

} // namespace

TEST_F(RegisterExtensionTest, MkvGetsTheWholeLayoutWithOrWithoutTheShellExtensionAndNothingElse) {
    for (bool shellExtension : {true, false}) {
        SCOPED_TRACE(shellExtension ? "with the shell extension" : "without it");
        Own({L"MKV"});
        EXPECT_TRUE(Register(L"mkv", shellExtension));
        EXPECT_EQ(ExpectedProgId(L"Matroska Audio/Video File", shellExtension),
                  DumpTree(HKEY_CURRENT_USER, kMkv.fileType));
        EXPECT_EQ(ExpectedUserChoice(L"VTMKVFile"), DumpTree(HKEY_CURRENT_USER, kMkv.fileExts));
        EXPECT_EQ(ExpectedOpenWith(L"VTMKVFile"),
                  DumpTree(HKEY_CURRENT_USER, kClasses + L"\\.mkv"));
        EXPECT_EQ(ExpectedClients({}, {{L"mkv", L"VTMKVFile"}}),
                  DumpTree(HKEY_CURRENT_USER, kClients));
        EXPECT_EQ(L"(absent)\n", DumpTree(HKEY_CURRENT_USER, kRegisteredApplications));
        ExpectNothingElseChanged();
    }
    EXPECT_TRUE(failures.empty());
}

TEST_F(RegisterExtensionTest, TheExtensionIsUpperCasedInEveryNameAndValue) {
    struct Case {
        std::wstring extension, upper, description;
    };
    const Case cases[] = {
        {L"dvr-ms", L"DVR-MS", L"Microsoft DVR"},
        {L"midi", L"MIDI", L"MIDI File (Veltrano)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.upper.begin(), c.upper.end()));
        Own({c.upper});
        const TypeNames names(c.upper);
        EXPECT_TRUE(Register(c.extension, true));
        EXPECT_EQ(ExpectedProgId(c.description, true), DumpTree(HKEY_CURRENT_USER, names.fileType));
        EXPECT_EQ(ExpectedUserChoice(names.progId), DumpTree(HKEY_CURRENT_USER, names.fileExts));
        ExpectNothingElseChanged();
    }
    EXPECT_TRUE(failures.empty());
}

TEST_F(RegisterExtensionTest, RegisteringTwiceGivesTheSameStateAsOnce) {
    Own({L"MKV"});
    ASSERT_TRUE(Register(L"mkv", true));
    const std::wstring once = DumpTree(HKEY_CURRENT_USER, L"");
    ASSERT_TRUE(Register(L"mkv", true));
    EXPECT_EQ(L"", DiffLines(once, DumpTree(HKEY_CURRENT_USER, L"")));
    EXPECT_TRUE(failures.empty());
}

TEST_F(RegisterExtensionTest, UntickingTheShellExtensionRemovesShellExWithForeignHandlers) {
    Own({L"MKV"});
    ASSERT_TRUE(Register(L"mkv", true));
    const std::wstring progId = kMkv.fileType;
    SetRawString(progId + L"\\ShellEx\\ContextMenuHandlers\\Foreign", nullptr, L"{0000}");
    SetRawString(progId + L"\\ShellEx\\PropertySheetHandlers\\Other\\Deeper", L"x", L"y");
    SetRawString(progId + L"\\Foreign", L"kept", L"untouched");

    EXPECT_TRUE(Register(L"mkv", false));
    EXPECT_EQ(ExpectedProgId(L"Matroska Audio/Video File", false),
              DumpTree(HKEY_CURRENT_USER, progId, {progId + L"\\Foreign"}));
    EXPECT_EQ(L"untouched", ReadRawValue(progId + L"\\Foreign", L"kept").String());
    EXPECT_TRUE(failures.empty());
    ExpectNothingElseChanged();
}

TEST_F(RegisterExtensionTest, ForeignPlayAndEnqueueVerbsDisappearOtherVerbsStay) {
    Own({L"MKV"});
    const std::wstring shell = kMkv.fileType + L"\\shell";
    SetRawString(shell + L"\\play\\command", nullptr, L"other.exe \"%1\"");
    SetRawString(shell + L"\\play\\ddeexec\\application", nullptr, L"other");
    SetRawString(shell + L"\\enqueue\\command", nullptr, L"other.exe /add \"%1\"");
    SetRawString(shell + L"\\edit\\command", nullptr, L"editor.exe \"%1\"");

    EXPECT_TRUE(Register(L"mkv", true));
    EXPECT_FALSE(RawKeyExists(shell + L"\\play"));
    EXPECT_FALSE(RawKeyExists(shell + L"\\enqueue"));
    EXPECT_EQ(L"editor.exe \"%1\"", ReadRawValue(shell + L"\\edit\\command", nullptr).String());
    EXPECT_EQ(ExpectedProgId(L"Matroska Audio/Video File", true),
              DumpTree(HKEY_CURRENT_USER, kMkv.fileType, {shell + L"\\edit"}));
    EXPECT_TRUE(failures.empty());
}

TEST_F(RegisterExtensionTest, AnExistingUserChoiceIsReplacedByOneWithOnlyTheProgid) {
    Own({L"MKV"});
    const std::wstring choice = kMkv.fileExts + L"\\UserChoice";
    SetRawString(choice, L"Progid", L"Applications\\other.exe");
    SetRawString(choice, L"Hash", L"abcdef");
    SetRawString(kMkv.fileExts + L"\\OpenWithList", L"a", L"other.exe");
    SetRawUserChoiceLatest(L"MKV", L"Other.mkv"); // only Windows writes it
    const std::wstring latest = kMkv.fileExts + L"\\UserChoiceLatest";
    const std::wstring latestBefore = DumpTree(HKEY_CURRENT_USER, latest);

    EXPECT_TRUE(Register(L"mkv", false));
    EXPECT_EQ(Lines({L"K ", L"K OpenWithList", Sz(L"OpenWithList", L"a", L"other.exe"),
                     L"K UserChoice", Sz(L"UserChoice", L"Progid", L"VTMKVFile")}),
              DumpTree(HKEY_CURRENT_USER, kMkv.fileExts, {latest}));
    EXPECT_EQ(latestBefore, DumpTree(HKEY_CURRENT_USER, latest));
    EXPECT_TRUE(failures.empty());
}

TEST_F(RegisterExtensionTest, FromWindows8OnExplorersFileExtsIsNotTouchedAtAll) {
    // What Windows 8 and later wrote when the user chose another program for .mkv.
    Own({L"MKV", L"MP3"});
    const std::wstring choice = kMkv.fileExts + L"\\UserChoice";
    SetRawString(choice, L"ProgId", L"Other.mkv");
    SetRawString(choice, L"Hash", L"q1Fh5w9Yg2E=");
    const BYTE stamp[] = {0x00, 0xA1, 0x7F, 0xFF, 0x10};
    SetRawValue(kMkv.fileExts + L"\\OpenWithList", L"MRUList", REG_BINARY, stamp, 5);
    SetRawUserChoiceLatest(L"MP3", L"VTMP3File");
    const std::wstring fileExtsBefore = DumpTree(HKEY_CURRENT_USER, kFileExts);

    RegistrationKeys keys(false);
    EXPECT_TRUE(Record(RegisterExtension(keys, L"mkv", kPlayer, L"0", kPlayer, true)));
    EXPECT_TRUE(Record(RegisterExtension(keys, L"mp3", kPlayer, L"0", kPlayer, false)));
    EXPECT_TRUE(failures.empty());
    EXPECT_EQ(L"", DiffLines(fileExtsBefore, DumpTree(HKEY_CURRENT_USER, kFileExts)))
        << "the user's choice comes through byte for byte, and none is created";
    EXPECT_EQ(ExpectedProgId(L"Matroska Audio/Video File", true),
              DumpTree(HKEY_CURRENT_USER, kMkv.fileType));
    EXPECT_EQ(ExpectedOpenWith(L"VTMP3File"), DumpTree(HKEY_CURRENT_USER, kClasses + L"\\.mp3"));
    EXPECT_EQ(ExpectedClients({}, {{L"mkv", L"VTMKVFile"}, {L"mp3", L"VTMP3File"}}),
              DumpTree(HKEY_CURRENT_USER, kClients));
    ExpectNothingElseChanged();
}

TEST_F(RegisterExtensionTest, AUserChoiceThatCannotBeDeletedIsReportedAndTheFileTypeStays) {
    Own({L"MKV"});
    const std::wstring choice = kMkv.fileExts + L"\\UserChoice";
    SetRawString(choice, L"Progid", L"Applications\\other.exe");
    CreateRawKey(choice + L"\\Sub");
    const std::wstring choiceBefore = DumpTree(HKEY_CURRENT_USER, kMkv.fileExts);

    EXPECT_FALSE(Register(L"mkv", true));
    ASSERT_EQ(1u, failures.size());
    EXPECT_EQ(std::wstring(L"CRegistryKey::CreateKey()"), failures[0].GetWhere());
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), failures[0].GetError());
    EXPECT_EQ(ExpectedProgId(L"Matroska Audio/Video File", true),
              DumpTree(HKEY_CURRENT_USER, kMkv.fileType));
    EXPECT_EQ(choiceBefore, DumpTree(HKEY_CURRENT_USER, kMkv.fileExts));
    ExpectNothingElseChanged();
}

TEST_F(RegisterExtensionTest, AnExtensionThatNoFileHasOrOfAProgramIsRefusedBeforeAnyWrite) {
    // "mkv\UserChoice" would otherwise give .MKV's real user choice a subkey (so that it could
    // never be replaced again) and create VTMKV\USERCHOICEFile. Another program's VTEXEFile with
    // the tool's command is neither taken for the tool's nor removed.
    Own({L"MKV", L"EXE"});
    SetRawString(kMkv.fileExts + L"\\UserChoice", L"Progid", L"VTMKVFile");
    SetRawString(TypeNames(L"EXE").fileType + L"\\shell\\open\\command", nullptr,
                 L"\"" + kPlayer + L"\" \"%L\"");
    const std::wstring before = DumpTree(HKEY_CURRENT_USER, L"");

    // No file has these, and a program's type would start the player instead of the program.
    for (const std::wstring& extension :
         {std::wstring(L"mkv\\UserChoice"), std::wstring(L"mkv\0x", 5), std::wstring(),
          std::wstring(L".mkv"), std::wstring(L"EXE"), std::wstring(L"lnk")}) {
        EXPECT_FALSE(Register(extension, true));
        EXPECT_FALSE(Record(RemoveExtension(extension)));
        EXPECT_EQ(AssociationState::NotRegistered, ReadAssociationState(extension, kPlayer));
    }
    ASSERT_EQ(12u, failures.size());
    for (const CRegistryKey::Exception& failure : failures) {
        EXPECT_EQ(std::wstring(L"CRegistryKey::CreateOrOpenKey()"), failure.GetWhere());
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), failure.GetError());
    }
    EXPECT_EQ(L"", DiffLines(before, DumpTree(HKEY_CURRENT_USER, L"")));
}

TEST_F(RegisterExtensionTest, DefaultAppsEntriesKeepWhatOthersWroteAndRepeatingChangesNothing) {
    Own({L"MKV", L"MP3"});
    // Another program's file type offered for .mkv, the extension's own default value, and an
    // earlier run's association for an extension not registered now.
    SetRawValue(kClasses + L"\\.mkv\\OpenWithProgids", L"Other.File", REG_NONE, nullptr, 0);
    SetRawString(kClasses + L"\\.mkv", nullptr, L"Other.File");
    const std::wstring associations =
        kClients + L"\\Media\\Veltrano\\Capabilities\\FileAssociations";
    SetRawString(associations, L".avi", L"VTAVIFile");

    ASSERT_TRUE(Register(L"mkv", true));
    ASSERT_TRUE(Register(L"mp3", false));
    ASSERT_TRUE(RegisterApplication(kPlayer));
    const std::wstring once = DumpTree(HKEY_CURRENT_USER, L"");
    EXPECT_EQ(
        Lines({L"K ", Sz(L"", L"", L"Other.File"), L"K OpenWithProgids",
               L"V OpenWithProgids [Other.File] 0 0 ", L"V OpenWithProgids [VTMKVFile] 0 0 "}),
        DumpTree(HKEY_CURRENT_USER, kClasses + L"\\.mkv"));
    EXPECT_EQ(ExpectedOpenWith(L"VTMP3File"), DumpTree(HKEY_CURRENT_USER, kClasses + L"\\.mp3"));
    const std::wstring capabilities = L"Media\\Veltrano\\Capabilities";
    EXPECT_EQ(
        ExpectedClients({Sz(capabilities, L"ApplicationName", L"Veltrano"),
                         Sz(capabilities, L"ApplicationDescription", L"Veltrano media player"),
                         Sz(capabilities, L"ApplicationIcon", L"\"" + kPlayer + L"\",0")},
                        {{L"avi", L"VTAVIFile"}, {L"mkv", L"VTMKVFile"}, {L"mp3", L"VTMP3File"}}),
        DumpTree(HKEY_CURRENT_USER, kClients));
    EXPECT_EQ(
        Lines({L"K ", Sz(L"", L"Veltrano", L"Software\\Clients\\Media\\Veltrano\\Capabilities")}),
        DumpTree(HKEY_CURRENT_USER, kRegisteredApplications));
    ExpectNothingElseChanged();

    ASSERT_TRUE(Register(L"mkv", true));
    ASSERT_TRUE(Register(L"mp3", false));
    ASSERT_TRUE(RegisterApplication(kPlayer));
    EXPECT_EQ(L"", DiffLines(once, DumpTree(HKEY_CURRENT_USER, L"")));
    EXPECT_TRUE(failures.empty());
}

TEST_F(RegisterExtensionTest, ADefaultAppsKeyThatCannotBeWrittenIsReportedAfterTheAssociation) {
    // Below a volatile key no lasting key can be made, so Veltrano's capabilities cannot be.
    Own({L"MKV"});
    CreateRawKey(kClients, REG_OPTION_VOLATILE);

    EXPECT_FALSE(Register(L"mkv", true));
    EXPECT_FALSE(Record(RegisterApplication(kPlayer)));
    ASSERT_EQ(2u, failures.size());
    for (const CRegistryKey::Exception& failure : failures) {
        EXPECT_EQ(std::wstring(L"CRegistryKey::CreateOrOpenKey()"), failure.GetWhere());
        EXPECT_EQ(static_cast<DWORD>(ERROR_CHILD_MUST_BE_VOLATILE), failure.GetError());
    }
    // Everything before the failing step stays written.
    EXPECT_EQ(ExpectedProgId(L"Matroska Audio/Video File", true),
              DumpTree(HKEY_CURRENT_USER, kMkv.fileType));
    EXPECT_EQ(ExpectedUserChoice(L"VTMKVFile"), DumpTree(HKEY_CURRENT_USER, kMkv.fileExts));
    EXPECT_EQ(ExpectedOpenWith(L"VTMKVFile"), DumpTree(HKEY_CURRENT_USER, kClasses + L"\\.mkv"));
    EXPECT_EQ(L"K \n", DumpTree(HKEY_CURRENT_USER, kClients));
    EXPECT_EQ(L"(absent)\n", DumpTree(HKEY_CURRENT_USER, kRegisteredApplications));
}
