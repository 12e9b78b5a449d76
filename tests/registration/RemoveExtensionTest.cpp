// Taking a registration back on the real registry of the current user: whole trees compared
// before and after, what other programs wrote left in place.
#include "registration/RegisterExtension.h"
#include "registration/RemoveExtension.h"
#include "registry/RegistryTestSupport.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kPlayer = L"C:\\Program Files\\Tools\\vtplayer.exe";
const std::wstring kCapabilities = L"Software\\Clients\\Media\\Veltrano\\Capabilities";
const std::wstring kRegisteredApplications = L"Software\\RegisteredApplications";

class RemoveExtensionTest : public testing::Test {
protected:
    void SetUp() override {
        if (!RawKeyExists(kClasses)) {
            CreateRawKey(kClasses);
        }
    }

    // The whole hive but the two keys that every Windows profile has, which a removal leaves.
    static std::wstring Hive() {
        return DumpTree(HKEY_CURRENT_USER, L"", {kFileExts, kRegisteredApplications});
    }

    static void Register(const wchar_t* extension) {
        ASSERT_TRUE(RegisterExtension(extension, kPlayer, L"0", kPlayer, true));
        ASSERT_TRUE(RegisterApplication(kPlayer));
    }
    static void Remove(const wchar_t* extension) {
        ASSERT_TRUE(RemoveExtension(extension));
        ASSERT_TRUE(RemoveApplicationIfUnused());
    }

    CleanRegistrations clean{L"MKV", L"MP3"};
};

TEST_F(RemoveExtensionTest, RemovingOneKeepsTheOtherAndRemovingTheLastLeavesTheHiveAsBefore) {
    const std::wstring before = Hive();
    const std::wstring fileExtsBefore = DumpTree(HKEY_CURRENT_USER, kFileExts);
    Register(L"mp3");
    const std::wstring onlyMp3 = DumpTree(HKEY_CURRENT_USER, L"");

    Register(L"mkv");
    Remove(L"mkv");
    EXPECT_EQ(L"", DiffLines(onlyMp3, DumpTree(HKEY_CURRENT_USER, L"")))
        << "mp3 and Veltrano's registration with Default apps stay";

    Remove(L"mp3");
    EXPECT_EQ(L"", DiffLines(before, Hive()));
    EXPECT_EQ(L"K \n", DumpTree(HKEY_CURRENT_USER, kRegisteredApplications));
    if (fileExtsBefore != L"(absent)\n") {
        EXPECT_EQ(fileExtsBefore, DumpTree(HKEY_CURRENT_USER, kFileExts));
    } else {
        EXPECT_EQ(L"K \n", DumpTree(HKEY_CURRENT_USER, kFileExts));
    }
    Remove(L"mp3"); // nothing left to remove is no failure
}

TEST_F(RemoveExtensionTest, WhatOtherProgramsWroteStays) {
    // Another program's file type offered for .mkv, the extension's own default value, a user
    // choice the user made for .mp3 after the registration (in both its keys), a foreign value
    // among Veltrano's capabilities. A UserChoiceLatest naming VTMKVFile goes.
    SetRawString(kClasses + L"\\.mkv", nullptr, L"Other.File");
    SetRawValue(kClasses + L"\\.mkv\\OpenWithProgids", L"Other.File", REG_NONE, nullptr, 0);
    Register(L"mkv");
    Register(L"mp3");
    const std::wstring choice = TypeNames(L"MP3").fileExts + L"\\UserChoice";
    DeleteRawTree(choice);
    SetRawString(choice, L"ProgId", L"Other.mp3");
    SetRawString(choice, L"Hash", L"q1Fh5w9Yg2E=");
    SetRawUserChoiceLatest(L"MP3", L"Other.mp3");
    SetRawUserChoiceLatest(L"MKV", L"VTMKVFile");
    SetRawString(kCapabilities, L"Foreign", L"kept");
    const std::wstring choiceBefore = DumpTree(HKEY_CURRENT_USER, TypeNames(L"MP3").fileExts);

    Remove(L"mkv");
    Remove(L"mp3");
    EXPECT_EQ(
        L"K \nK OpenWithProgids\nV  [] 1 22 Other.File|NUL\nV OpenWithProgids [Other.File] 0 0 \n",
        DumpTree(HKEY_CURRENT_USER, kClasses + L"\\.mkv"));
    EXPECT_EQ(choiceBefore, DumpTree(HKEY_CURRENT_USER, TypeNames(L"MP3").fileExts));
    EXPECT_EQ(L"K \nV  [Foreign] 1 10 kept|NUL\n", DumpTree(HKEY_CURRENT_USER, kCapabilities));
    EXPECT_EQ(L"(absent)\n", DumpTree(HKEY_CURRENT_USER, TypeNames(L"MP3").fileType));
    EXPECT_EQ(L"(absent)\n", DumpTree(HKEY_CURRENT_USER, TypeNames(L"MKV").fileExts));
    EXPECT_EQ(L"K \n", DumpTree(HKEY_CURRENT_USER, kRegisteredApplications));
}

TEST_F(RemoveExtensionTest, AFailureIsReturnedStopsTheExtensionAndASecondRemovalFinishes) {
    Register(L"mkv");
    const std::wstring registered = DumpTree(HKEY_CURRENT_USER, L"");
    const std::wstring blocker = TypeNames(L"MKV").fileExts + L"\\UserChoice\\Blocker";
    CreateRawKey(blocker);

    const RegistryOutcome outcome = RemoveExtension(L"mkv");
    ASSERT_TRUE(outcome.Failure());
    EXPECT_EQ(std::wstring(L"CRegistryKey::DeleteKey()"), outcome.Failure()->GetWhere());
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), outcome.Failure()->GetError());
    DeleteRawTree(blocker);
    EXPECT_EQ(L"", DiffLines(registered, DumpTree(HKEY_CURRENT_USER, L"")))
        << "Explorer still points at the complete file type";

    Remove(L"mkv");
    EXPECT_EQ(L"(absent)\n", DumpTree(HKEY_CURRENT_USER, TypeNames(L"MKV").fileType));
    EXPECT_EQ(L"(absent)\n", DumpTree(HKEY_CURRENT_USER, TypeNames(L"MKV").fileExts));
    EXPECT_EQ(L"(absent)\n", DumpTree(HKEY_CURRENT_USER, L"Software\\Clients"));
}

} // namespace
