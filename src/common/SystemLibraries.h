// Where the program takes its DLLs from. A program started from a Downloads folder must not load
// a DLL that happens to lie beside it: the search is restricted to System32 before anything else
// runs, and the DLLs that are not among the system's KnownDLLs (the common controls and the
// visual styles) are loaded at run time instead of being imported.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

// Restricts the DLL search of the process to System32 (SetDefaultDllDirectories, which Windows 7
// has only with update KB2533623). Where that is missing, takes the current directory out of the
// search and returns false: every DLL must then be loaded by its full path.
bool RestrictDllSearch();

// A DLL of System32 (name such as L"uxtheme.dll"), loaded by its full path; null on failure.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The functions of the common controls and of the visual styles that the program uses.
struct CommonControlFunctions {
    decltype(&::InitCommonControlsEx) initCommonControlsEx = nullptr;
    decltype(&::ImageList_Create) imageListCreate = nullptr;
    decltype(&::ImageList_Destroy) imageListDestroy = nullptr;
    decltype(&::ImageList_Add) imageListAdd = nullptr;
    decltype(&::ImageList_Replace) imageListReplace = nullptr;
    decltype(&::ImageList_GetIconSize) imageListGetIconSize = nullptr;
    decltype(&::ImageList_SetOverlayImage) imageListSetOverlayImage = nullptr;
    decltype(&::SetWindowTheme) setWindowTheme = nullptr;

    // True when every function was found.
    bool Complete() const;
};

// The functions, looked up once: uxtheme.dll from System32 first, so that the common controls bind
// to that copy, then comctl32.dll by its plain name, which the manifest's activation context
// resolves to version 6 in WinSxS. Both stay loaded until the process ends.
const CommonControlFunctions& CommonControls();

// ImageList_Destroy through CommonControls(), for owning handles.
BOOL DestroyImageList(HIMAGELIST list);
