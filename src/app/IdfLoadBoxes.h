// An IDF file loaded as the main window loads it: the file chosen in the open-file dialog when no
// path is given, every problem of the load shown in a box that the main window owns, and the
// window asked to close when the load could not go on.
#pragma once

#include "app/FileChooser.h"
#include "catalogue/ExtensionCatalogue.h"

#include <windows.h>

#include <cstddef>
#include <string>

// Size of the file-name buffer handed to the open-file dialog, in characters.
constexpr DWORD IdfFileNameChars = 260;
// A line longer than this many characters is shown cut in the boxes.
constexpr std::size_t ShownLineChars = 200;

// Loads the IDF file at `path` into the catalogue; with a null path the user chooses the file
// with `chooser` (the system's open-file dialog without one) first. A line that is not a
// statement, or a refused one, is shown in a box whose OK goes on and whose Cancel stops the
// load; a file that cannot be read is shown too. Where the load cannot go on (the file cannot be
// opened, or the user cancels at a line) WM_CLOSE is posted to the main window, so it closes once
// the caller is back in the message loop. The caller rebuilds the list from the catalogue
// afterwards.
void LoadIdfFile(const wchar_t* path, HWND mainWindow, ExtensionCatalogue& catalogue,
                 FileChooser& chooser);
void LoadIdfFile(const wchar_t* path, HWND mainWindow, ExtensionCatalogue& catalogue);

// The text of the box for a line that holds no statement. A line longer than ShownLineChars is
// shown cut there, followed by " […]".
std::wstring ParseErrorText(const wchar_t* line);
// The text of the box for a statement that is not taken, with the sentence that says why; the
// line is shown as in ParseErrorText.
std::wstring RefusedLineText(const wchar_t* line, const wchar_t* reason);
// The line as the boxes show it: cut after ShownLineChars characters, never inside a surrogate
// pair.
std::wstring ShownLine(const wchar_t* line);
