#include "app/FileChooser.h"

#include "common/ModuleFunction.h"
#include "common/UniqueHandle.h"

bool SystemFileChooser::ChooseFile(OPENFILENAMEW& dialog) {
    // The common dialog library is loaded only while its dialog is shown: imported, it would be
    // loaded (with everything it needs) at every start of the program, before the window shows.
    const UniqueModule library(LoadLibraryW(L"comdlg32.dll"));
    using GetOpenFileNameFunction = BOOL(WINAPI*)(LPOPENFILENAMEW);
    const auto getOpenFileName =
        ModuleFunction<GetOpenFileNameFunction>(library.get(), "GetOpenFileNameW");
    return getOpenFileName != nullptr && getOpenFileName(&dialog) != FALSE;
}
