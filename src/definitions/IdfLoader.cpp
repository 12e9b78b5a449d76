#include "definitions/IdfLoader.h"

#include "catalogue/ExtensionGate.h"
#include "common/AsciiCase.h"
#include "definitions/ErrorText.h"
#include "definitions/LineBuffer.h"
#include "definitions/TextFile.h"
#include "pattern/StatementPattern.h"

#include <shlwapi.h>

#include <cwchar>
#include <memory>
#include <new>
#include <utility>

namespace {

// What matching one line may cost. The matcher backtracks without memory, and a line built to
// defeat it (such as many thousands of "AddExt(ext=a,file=b," in a row) would keep it busy for
// hours. Lines of ordinary length stay far below the base; a long line, statement or not, needs
// fewer than twenty steps per character. The limit keeps a hostile line of ten megabytes to about
// a second.
constexpr std::uint64_t MatchBaseSteps = 1000000;
constexpr std::uint64_t MatchStepsPerChar = 32;

constexpr wchar_t OpenFileFilter[] = L".idf Files\0*.idf\0All Files\0*.*\0";

void ShowBufferError(HWND mainWindow) {
    MessageBoxW(mainWindow, L"Error allocating buffer", L"Buffer error", MB_ICONERROR);
}

// Shows the text of the last file error, which the readers left in lastErrorText.
void ShowFileError(HWND mainWindow) {
    MessageBoxW(mainWindow, lastErrorText ? lastErrorText.get() : L"", L"Error", MB_ICONERROR);
}

// Asks the main window to close once its caller is back in the message loop: posted, never sent,
// since the callers still use the window object after the load.
void RequestClose(HWND mainWindow) {
    PostMessageW(mainWindow, WM_CLOSE, 0, 0);
}

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

void LoadStatements(const std::wstring& path, HWND mainWindow, ExtensionCatalogue& catalogue) {
    IdfStatementReader statements(IdfDirectoryOf(path));
    TextFile file; // closes the file on every way out
    if (file.Open(path.c_str()) != TextFileOk) {
        ShowFileError(mainWindow);
        file.Close();
        RequestClose(mainWindow);
        return;
    }
    // The readers report a failed read like the end of the file, and leave its text behind: with
    // no text to begin with, a text after a read tells the two apart. (This loader is the only
    // one that shows these texts.)
    lastErrorText.reset();
    LineBuffer<wchar_t> line;
    IconLocationGate iconFiles;
    for (;;) {
        const int read = file.reader->ReadLine(line.Pointer(), file.codePage);
        if (lastErrorText) {
            // What the read delivered may be cut anywhere: it is not taken as a line.
            ShowFileError(mainWindow);
            break;
        }
        if (read != TextFileOk) {
            break;
        }
        ExtensionEntry entry;
        const wchar_t* caption = L"Parse Error";
        std::wstring text;
        if (!statements.Read(line.Text(), entry)) {
            text = ParseErrorText(line.Text());
        } else if (const wchar_t* reason = StatementRefusal(entry, iconFiles)) {
            caption = L"Line Refused";
            text = RefusedLineText(line.Text(), reason);
        } else {
            catalogue.AddOrReplaceEntry(std::move(entry));
            continue;
        }
        if (MessageBoxW(mainWindow, text.c_str(), caption, MB_OKCANCEL | MB_ICONWARNING) ==
            IDCANCEL) {
            RequestClose(mainWindow);
            break;
        }
    }
    file.Close();
}

} // namespace

void LoadIdfFile(const wchar_t* path, HWND mainWindow, ExtensionCatalogue& catalogue) {
    SystemFileChooser chooser;
    LoadIdfFile(path, mainWindow, catalogue, chooser);
}

void LoadIdfFile(const wchar_t* path, HWND mainWindow, ExtensionCatalogue& catalogue,
                 FileChooser& chooser) {
    try {
        std::wstring chosen;
        if (path == nullptr) {
            if (!ChooseIdfFile(mainWindow, chooser, chosen)) {
                return;
            }
            path = chosen.c_str();
        }
        LoadStatements(AbsoluteIdfPath(path), mainWindow, catalogue);
    } catch (const std::bad_alloc&) {
        // A line or an entry too large for the memory left: what was read so far stays.
        ShowBufferError(mainWindow);
    }
}

std::wstring AbsoluteIdfPath(const wchar_t* path) {
    if (!PathIsRelativeW(path)) {
        return path;
    }
    wchar_t combined[MAX_PATH] = {};
    const DWORD length = GetCurrentDirectoryW(MAX_PATH, combined);
    if (length == 0 || length >= MAX_PATH || !PathAppendW(combined, path)) {
        // Too long for the path functions: the file system resolves the path as it is.
        return path;
    }
    wchar_t canonical[MAX_PATH] = {};
    if (!PathCanonicalizeW(canonical, combined)) {
        return path;
    }
    return canonical;
}

std::wstring IdfDirectoryOf(const std::wstring& path) {
    const std::size_t last = path.find_last_of(L"\\/");
    return last == std::wstring::npos ? std::wstring() : path.substr(0, last + 1);
}

namespace {

// The line as a box shows it: cut after ShownLineChars characters.
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

} // namespace

std::wstring ParseErrorText(const wchar_t* line) {
    return L"Error while Parsing Line:\n" + ShownLine(line) + L"\nLine will be ignored";
}

std::wstring RefusedLineText(const wchar_t* line, const wchar_t* reason) {
    return L"Line refused:\n" + ShownLine(line) + L"\n" + reason + L"\nLine will be ignored";
}

const wchar_t* StatementRefusal(ExtensionEntry& entry, IconLocationGate& iconFiles) {
    entry.extension = WithoutLeadingFullStop(std::move(entry.extension));
    if (const wchar_t* reason = ExtensionRefusal(entry.extension)) {
        return reason;
    }
    return iconFiles.Refusal(entry.iconFile);
}

IdfStatementReader::IdfStatementReader(std::wstring directory)
    : idfDirectory(std::move(directory)) {
    // The pattern is a constant that compiles; its result needs no check.
    program.Compile(idfStatementPattern, false);
}

bool IdfStatementReader::Read(const wchar_t* line, ExtensionEntry& entry) {
    context.stepLimit = MatchBaseSteps + MatchStepsPerChar * std::wcslen(line);
    if (!program.Match(line, &context)) {
        return false;
    }
    entry = ExtensionEntry{};
    for (std::uint32_t group = 0; group < context.groupCount; ++group) {
        ApplyField(context.CapturedWideText(group), entry);
    }
    return true;
}

// One field of a statement; a later field of the same kind overwrites an earlier one.
void IdfStatementReader::ApplyField(std::wstring_view field, ExtensionEntry& entry) const {
    if (StartsWithIgnoringAsciiCase(field, L"ext=")) {
        entry.extension = LowerAscii(field.substr(4));
    } else if (StartsWithIgnoringAsciiCase(field, L"file=")) {
        // Built in place, with room for the directory in front of a relative file.
        std::wstring& file = entry.iconFile;
        file.clear();
        file.reserve(idfDirectory.size() + field.size() - 5);
        file.assign(field.substr(5));
        if (PathIsRelativeW(file.c_str())) {
            file.insert(0, idfDirectory);
        }
    } else if (StartsWithIgnoringAsciiCase(field, L"index=")) {
        entry.iconIndex.assign(1, L'-').append(field.substr(6));
    }
}
