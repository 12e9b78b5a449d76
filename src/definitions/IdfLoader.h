// Extension definition files (IDF): text files of AddExt(...) statements, each of which adds an
// extension to the catalogue or replaces the entry stored under it.
//
// A statement is «AddExt(field,field,field)» anywhere in a line, with the fields «ext=TEXT»,
// «file=TEXT» and «index=DIGITS» in any order (ASCII letters in any case). The extension is
// stored lower-cased (ASCII letters only), a relative icon file is taken relative to the IDF
// file's directory, and the index is stored with a leading "-": it names an icon resource.
#pragma once

#include "catalogue/ExtensionCatalogue.h"
#include "catalogue/IconLocationGate.h"
#include "definitions/FileChooser.h"
#include "pattern/MatchContext.h"
#include "pattern/PatternProgram.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Size of the file-name buffer handed to the open-file dialog, in characters.
constexpr DWORD IdfFileNameChars = 260;
// A line longer than this many characters is shown cut in the parse-error box.
constexpr std::size_t ShownLineChars = 200;

// Loads the IDF file at `path` into the catalogue; with a null path the user chooses the file in
// the open-file dialog first. Every statement takes effect as its line is read, unless
// StatementRefusal refuses it: then the user is told why, and goes on or stops as at a line that
// is not a statement. The main window
// owns the dialog and every message box. Where the load cannot go on (the file cannot be opened,
// or the user cancels at a line that is not a statement) WM_CLOSE is posted to the main window,
// so it closes once the caller is back in the message loop. A read that fails in the middle of
// the file is reported, and the statements read before it stay. The list is left to the caller,
// which rebuilds it from the catalogue afterwards: entries it refers to may have been replaced.
// The file is chosen with `chooser`; without one, in the system's open-file dialog.
void LoadIdfFile(const wchar_t* path, HWND mainWindow, ExtensionCatalogue& catalogue,
                 FileChooser& chooser);
void LoadIdfFile(const wchar_t* path, HWND mainWindow, ExtensionCatalogue& catalogue);

// The path made absolute: a relative path is appended to the current directory and "." and ".."
// parts are resolved. An absolute path, and one that does not fit into MAX_PATH characters
// together with the current directory, is returned as it is.
std::wstring AbsoluteIdfPath(const wchar_t* path);

// The directory part of the path up to and including its last "\" (or "/"); empty when it has
// none.
std::wstring IdfDirectoryOf(const std::wstring& path);

// The text of the box for a line that holds no statement. A line longer than ShownLineChars is
// shown cut there, followed by " […]".
std::wstring ParseErrorText(const wchar_t* line);
// The text of the box for a statement that is not taken, with the sentence that says why; the
// line is shown as in ParseErrorText.
std::wstring RefusedLineText(const wchar_t* line, const wchar_t* reason);

// Why the entry of a statement is not taken into the catalogue, as one sentence for the user;
// nullptr when it is. One leading full stop of the extension is dropped first. A statement must
// name an extension that may be registered (ExtensionRefusal) and an icon file on this computer
// (IconFileRefusal), or none.
const wchar_t* StatementRefusal(ExtensionEntry& entry, IconLocationGate& iconFiles);

// Recognises the statements of one load: the statement pattern, compiled once, and the match
// context that every line reuses.
class IdfStatementReader {
public:
    // `idfDirectory` is where relative icon files lie (IdfDirectoryOf the IDF file's path).
    explicit IdfStatementReader(std::wstring idfDirectory);

    // True when the line holds a statement (the first one counts); `entry` then holds what its
    // three fields give, each field left empty that the statement does not name. False for a
    // line without a statement, and for one so hostile that the matcher would need more than a
    // million steps and 32 steps per character (a real statement line needs fewer than twenty).
    bool Read(const wchar_t* line, ExtensionEntry& entry);

private:
    void ApplyField(std::wstring_view field, ExtensionEntry& entry) const;

    std::wstring idfDirectory;
    PatternProgram program;
    MatchContext context;
};
