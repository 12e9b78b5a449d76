#include "app/StartUp.h"
#include "common/ModuleFunction.h"
#include "common/UniqueHandle.h"

#include <gtest/gtest.h>

TEST(VersionGate, AcceptsTheNtSixFamilyThatWineReports) {
    EXPECT_TRUE(CheckWindowsVersion());
}

// The functions the program looks up instead of importing them are found where it looks; a null
// module or a missing name gives null.
TEST(ModuleFunction, FindsTheFunctionsTheProgramLooksUp) {
    const UniqueModule shell32(LoadLibraryW(L"shell32.dll"));
    const UniqueModule comdlg32(LoadLibraryW(L"comdlg32.dll"));
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    EXPECT_NE(ModuleFunction<FARPROC>(shell32.get(), MAKEINTRESOURCEA(62)), nullptr); // PickIconDlg
    EXPECT_NE(ModuleFunction<FARPROC>(comdlg32.get(), "GetOpenFileNameW"), nullptr);
    EXPECT_NE(ModuleFunction<FARPROC>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion"), nullptr);
    const auto processId = ModuleFunction<DWORD(WINAPI*)()>(kernel32, "GetCurrentProcessId");
    ASSERT_NE(processId, nullptr);
    EXPECT_EQ(processId(), GetCurrentProcessId());
    EXPECT_EQ(ModuleFunction<FARPROC>(nullptr, "GetCurrentProcessId"), nullptr);
    EXPECT_EQ(ModuleFunction<FARPROC>(kernel32, "NoSuchFunction"), nullptr);
}
