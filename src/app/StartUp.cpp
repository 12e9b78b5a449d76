#include "app/StartUp.h"

#include "app/CommandLineRun.h"
#include "app/RootWindow.h"
#include "app/StandardStreams.h"
#include "common/SystemLibraries.h"

#include <commctrl.h>
#include <objbase.h>

HINSTANCE instanceHandle = nullptr;

namespace {

// COM for this thread as a single-threaded apartment, for as long as the object lives.
class ComApartment {
public:
    ComApartment() : result(CoInitialize(nullptr)) {}
    ~ComApartment() {
        if (Succeeded()) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool Succeeded() const { return SUCCEEDED(result); }

private:
    HRESULT result;
};

// The keys of a dialog for the main window: Tab and Shift+Tab move the focus, Space presses the
// focused button, Enter goes to the focused control (DM_GETDEFID). Escape is kept from the dialog
// manager, which would send it as command 2 (IDCANCEL), "Open IDF File".
bool IsDialogKey(HWND window, MSG& message) {
    const bool escape = (message.message == WM_KEYDOWN || message.message == WM_KEYUP) &&
                        (message.wParam == VK_ESCAPE || message.wParam == VK_CANCEL);
    return !escape && IsDialogMessageW(window, &message);
}

} // namespace

bool CheckWindowsVersion() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#if defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4996) // GetVersionExW is deprecated, but it is what the gate asks.
#endif
    const BOOL ok = GetVersionExW(&info);
#if defined(_MSC_VER)
#pragma warning(pop)
#endif
    return ok != 0 && info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion >= 6;
}

int RunProgram(HINSTANCE hInstance, int nCmdShow) {
    instanceHandle = hInstance;
    // Before anything can load a DLL: none is taken from the program's folder.
    RestrictDllSearch();
    const CommandLineRequest request = ParseCommandLine(ProgramArguments());
    if (request.verb != Verb::None || !request.usageError.empty()) {
        StandardStreams streams;
        return RunCommandLine(request, streams);
    }
    if (!CheckWindowsVersion()) {
        MessageBoxW(nullptr, L"VT File Associations only runs on Windows Vista",
                    L"Wrong Windows Version", MB_OK | MB_ICONERROR);
        return 1;
    }

    const ComApartment com;
    if (!com.Succeeded()) {
        return 0;
    }

    // Without the common controls there is no list to show: a silent end, as without COM.
    const CommonControlFunctions& commonControls = CommonControls();
    if (!commonControls.Complete()) {
        return 0;
    }
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_LISTVIEW_CLASSES;
    commonControls.initCommonControlsEx(&controls);

    // The window object belongs to its window; this pointer is only used until the loop runs.
    RootWindow* window = RootWindow::Create();
    if (window == nullptr) {
        return 0;
    }
    {
        const CommandGuard::Running startingUp = window->StartUpCommand();
        ShowWindow(window->hwnd, nCmdShow);

        window->BuildCatalogue();
        window->BuildKnownVideoSet();
        window->BuildKnownAudioSet();
        window->ProbeRegisteredIcons();
        // The first command-line argument, if any, is an IDF file to load before the list is
        // filled.
        if (request.idfFile) {
            window->LoadIdfFile(request.idfFile->c_str());
        }
        window->FillExtensionList();
    } // a close request kept until now is posted again and closes the window in the loop
    const HWND mainWindow = window->hwnd;
    window = nullptr;

    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogKey(mainWindow, message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return 0;
}
