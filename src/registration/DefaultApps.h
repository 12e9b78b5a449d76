// Since Windows 8 the system accepts a default program for a file type only when the user
// confirms it in Default apps. After registering, the program offers to open that page, in the
// form the running Windows supports.
#pragma once

#include <windows.h>

// The Windows version as the system itself reports it, whatever the program's manifest says.
struct WindowsVersion {
    DWORD major = 0;
    DWORD minor = 0;
    DWORD build = 0;
};

WindowsVersion RunningWindowsVersion();

// How Default apps is reached on a Windows version.
enum class DefaultAppsPage {
    None,                   // Vista and 7: the user choice written by the program counts
    AssociationDialog,      // 8 and 8.1: the system's association dialog for the application
    Settings,               // 10: Settings > Default apps
    SettingsForApplication, // 11 (build 22000 and later): Default apps opened on Veltrano
};

DefaultAppsPage DefaultAppsPageFor(const WindowsVersion& version);

// Whether the program writes the Explorer user choice itself. On Vista and 7 that choice makes
// Veltrano the handler. From Windows 8 on a user choice carries a hash that only Windows computes:
// one written by a program counts as tampered with (and Windows resets the type), and deleting one
// throws away what the user chose. There only Windows writes it, when the user chooses in Default
// apps.
bool ProgramWritesUserChoice(const WindowsVersion& version);

// Opens the page for the application registered as kApplicationName; `owner` is the window that
// the system's own dialogs belong to. Returns ERROR_SUCCESS, or the system's error code (a Win32
// code or an HRESULT) when the page could not be opened.
DWORD OpenDefaultApps(DefaultAppsPage page, HWND owner);
