#include "app/IdfLoadBoxes.h"

#include "definitions/IdfLoader.h"

#include <memory>
#include <new>
#include <string_view>

namespace {

constexpr wchar_t OpenFileFilter[] = L".idf Files\0*.idf\0All Files\0*.*\0";

void ShowBufferError(HWND mainWindow) {
    MessageBoxW(mainWindow, L"Error allocating buffer", L"Buffer error", MB_ICONERROR);
}

// The boxes of a load, owned by the main window.
class IdfLoadBoxes : public IdfLoadReporter {
public:
    explicit IdfLoadBoxes(HWND mainWindow) : mainWindow(mainWindow) {}

    void FileError(const std::wstring& text) override {
        MessageBoxW(mainWindow, text.c_str(), L"Error", MB_ICONERROR);
    }

    bool LineProblem(std::size_t, const wchar_t* line, const wchar_t* refusal) override {
        const std::wstring text =
            refusal != nullptr ? RefusedLineText(line, refusal) : ParseErrorText(line);
        return MessageBoxW(mainWindow, text.c_str(),
                           refusal != nullptr ? L"Line Refused" : L"Parse Error",
                           MB_OKCANCEL | MB_ICONWARNING) != IDCANCEL;
    }

    void OutOfMemory() override { ShowBufferError(mainWindow); }

private:
    HWND mainWindow;
};

// Asks the user for the file; false when there is none to load.
bool ChooseIdfFile(HWND mainWindow, FileChooser& chooser, std::wstring& chosen) {
    const std::unique_ptr<wchar_t[]> fileName(new (std::nothrow) wchar_t[IdfFileNameChars]);
    if (!fileName) {
        ShowBufferError(mainWindow);
        return false;
    }
    fileName[0] = L'\0';
    OPENFILENAMEW dialog = {};
    // The size of the structure as this program is built: a 64-bit dialog refuses the 88 bytes
    // of the 32-bit structure and does not open.
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = mainWindow;
    dialog.lpstrFilter = OpenFileFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = fileName.get();
    dialog.nMaxFile = IdfFileNameChars;
    dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING;
    if (!chooser.ChooseFile(dialog)) {
        return false;
    }
    fileName[IdfFileNameChars - 1] = L'\0';
    chosen = fileName.get();
    return true;
}

} // namespace

void LoadIdfFile(const wchar_t* path, HWND mainWindow, ExtensionCatalogue& catalogue) {
    SystemFileChooser chooser;
    LoadIdfFile(path, mainWindow, catalogue, chooser);
}

void LoadIdfFile(const wchar_t* path, HWND mainWindow, ExtensionCatalogue& catalogue,
                 FileChooser& chooser) {
    std::wstring chosen;
    try {
        if (path == nullptr) {
            if (!ChooseIdfFile(mainWindow, chooser, chosen)) {
                return;
            }
            path = chosen.c_str();
        }
    } catch (const std::bad_alloc&) {
        ShowBufferError(mainWindow);
        return;
    }
    IdfLoadBoxes boxes(mainWindow);
    if (LoadIdfFile(path, catalogue, boxes) != IdfLoadEnd::Read) {
        // Posted, never sent: the callers still use the window object after the load.
        PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    }
}

std::wstring ShownLine(const wchar_t* line) {
    std::wstring_view text(line);
    std::wstring shown;
    if (text.size() > ShownLineChars) {
        std::size_t cut = ShownLineChars;
        // Never half a character: a surrogate pair stays whole or goes.
        if (IS_HIGH_SURROGATE(text[cut - 1])) {
            --cut;
        }
        shown.assign(text.substr(0, cut));
        shown += L" [\u2026]";
    } else {
        shown.assign(text);
    }
    return shown;
}

std::wstring ParseErrorText(const wchar_t* line) {
    return L"Error while Parsing Line:\n" + ShownLine(line) + L"\nLine will be ignored";
}

std::wstring RefusedLineText(const wchar_t* line, const wchar_t* reason) {
    return L"Line refused:\n" + ShownLine(line) + L"\n" + reason + L"\nLine will be ignored";
}
