#include "common/SystemLibraries.h"

#include "common/ModuleFunction.h"

#include <string>

bool RestrictDllSearch() {
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const auto setDefaultDllDirectories = ModuleFunction<SetDefaultDllDirectoriesFunction>(
        GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (setDefaultDllDirectories != nullptr &&
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return true;
    }
    SetDllDirectoryW(L"");
    return false;
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    return LoadLibraryW(path.c_str());
}

bool CommonControlFunctions::Complete() const {
    return initCommonControlsEx != nullptr && imageListCreate != nullptr &&
           imageListDestroy != nullptr && imageListAdd != nullptr && imageListReplace != nullptr &&
           imageListGetIconSize != nullptr && imageListSetOverlayImage != nullptr &&
           setWindowTheme != nullptr;
}

namespace {

// Sets function to what module exports under name (null when it does not).
template <class Function> void Find(Function& function, HMODULE module, const char* name) {
    function = ModuleFunction<Function>(module, name);
}

CommonControlFunctions LoadCommonControls() {
    CommonControlFunctions functions;
    const HMODULE uxtheme = LoadSystemLibrary(L"uxtheme.dll");
    const HMODULE comctl32 = LoadLibraryW(L"comctl32.dll");
    Find(functions.initCommonControlsEx, comctl32, "InitCommonControlsEx");
    Find(functions.imageListCreate, comctl32, "ImageList_Create");
    Find(functions.imageListDestroy, comctl32, "ImageList_Destroy");
    Find(functions.imageListAdd, comctl32, "ImageList_Add");
    Find(functions.imageListReplace, comctl32, "ImageList_Replace");
    Find(functions.imageListGetIconSize, comctl32, "ImageList_GetIconSize");
    Find(functions.imageListSetOverlayImage, comctl32, "ImageList_SetOverlayImage");
    Find(functions.setWindowTheme, uxtheme, "SetWindowTheme");
    return functions;
}

} // namespace

const CommonControlFunctions& CommonControls() {
    // Loaded on first use and kept, as an import table would be.
    static const CommonControlFunctions functions = LoadCommonControls();
    return functions;
}

BOOL DestroyImageList(HIMAGELIST list) {
    const auto destroy = CommonControls().imageListDestroy;
    return destroy != nullptr && destroy(list);
}
