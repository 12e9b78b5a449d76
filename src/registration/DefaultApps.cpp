#include "registration/DefaultApps.h"

#include "common/ModuleFunction.h"
#include "registration/RegisterExtension.h"

#include <shellapi.h>
#include <shobjidl.h>

#include <string>

namespace {

// The system's association dialog of Windows 8 and 8.1.
const CLSID kAssociationDialogClass = {
    0x1968106d, 0xf3b5, 0x44cf, {0x89, 0x0e, 0x11, 0x6f, 0xcb, 0x9e, 0xce, 0xf1}};
const IID kAssociationDialogInterface = {
    0x1f76a169, 0xf994, 0x40ac, {0x8f, 0xc8, 0x09, 0x59, 0xe8, 0x87, 0x47, 0x10}};

// Windows 11 opens Default apps directly on an application from this build on.
const DWORD kFirstWindows11Build = 22000;

// An error code of the system (a Win32 code or an HRESULT); ERROR_SUCCESS when it worked.
DWORD ShowAssociationDialog() {
    IApplicationAssociationRegistrationUI* dialog = nullptr;
    HRESULT result =
        CoCreateInstance(kAssociationDialogClass, nullptr, CLSCTX_INPROC_SERVER,
                         kAssociationDialogInterface, reinterpret_cast<void**>(&dialog));
    if (SUCCEEDED(result)) {
        result = dialog->LaunchAdvancedAssociationUI(kApplicationName);
        dialog->Release();
    }
    return SUCCEEDED(result) ? ERROR_SUCCESS : static_cast<DWORD>(result);
}

DWORD OpenSettingsPage(const std::wstring& uri, HWND owner) {
    SHELLEXECUTEINFOW execute = {};
    execute.cbSize = sizeof(execute);
    execute.fMask = SEE_MASK_FLAG_NO_UI; // the failure is reported below, once
    execute.hwnd = owner;
    execute.lpVerb = L"open";
    execute.lpFile = uri.c_str();
    execute.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&execute)) {
        return ERROR_SUCCESS;
    }
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_NO_ASSOCIATION;
}

} // namespace

WindowsVersion RunningWindowsVersion() {
    // RtlGetVersion answers with the real version; GetVersionExW stops at 6.2 for a program whose
    // manifest does not list the later versions.
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    const auto rtlGetVersion =
        ModuleFunction<RtlGetVersionFunction>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
    WindowsVersion version;
    if (rtlGetVersion != nullptr && rtlGetVersion(&info) == 0) {
        version.major = info.dwMajorVersion;
        version.minor = info.dwMinorVersion;
        version.build = info.dwBuildNumber;
    }
    return version;
}

DefaultAppsPage DefaultAppsPageFor(const WindowsVersion& version) {
    if (version.major < 6 || (version.major == 6 && version.minor < 2)) {
        return DefaultAppsPage::None;
    }
    if (version.major == 6) {
        return DefaultAppsPage::AssociationDialog;
    }
    if (version.major == 10 && version.build < kFirstWindows11Build) {
        return DefaultAppsPage::Settings;
    }
    return DefaultAppsPage::SettingsForApplication;
}

bool ProgramWritesUserChoice(const WindowsVersion& version) {
    return DefaultAppsPageFor(version) == DefaultAppsPage::None;
}

DWORD OpenDefaultApps(DefaultAppsPage page, HWND owner) {
    switch (page) {
    case DefaultAppsPage::None:
        break;
    case DefaultAppsPage::AssociationDialog:
        return ShowAssociationDialog();
    case DefaultAppsPage::Settings:
        return OpenSettingsPage(L"ms-settings:defaultapps", owner);
    case DefaultAppsPage::SettingsForApplication:
        return OpenSettingsPage(
            std::wstring(L"ms-settings:defaultapps?registeredAppUser=") + kApplicationName, owner);
    }
    return ERROR_SUCCESS;
}
