// Test support for IDF files: files in the Wine prefix, the four encodings, and a
// real top-level window that stands in for the main window.
#pragma once

#include "app/FileChooser.h"
#include "definitions/TestFiles.h"
#include "support/MessageBoxWatcher.h"
#include "support/MessageQueue.h"
#include "support/TestFolder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

// Answers the open-file dialog with a function of the test.
class ScriptedFileChooser : public FileChooser {
public:
    explicit ScriptedFileChooser(std::function<bool(OPENFILENAMEW&)> answer)
        : answer(std::move(answer)) {}
    bool ChooseFile(OPENFILENAMEW& dialog) override { return answer(dialog); }

private:
    std::function<bool(OPENFILENAMEW&)> answer;
};

enum class IdfEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

inline const char* EncodingName(IdfEncoding encoding) {
    switch (encoding) {
    case IdfEncoding::Ansi:
        return "ANSI";
    case IdfEncoding::Utf8:
        return "UTF8";
    case IdfEncoding::Utf16LE:
        return "UTF16LE";
    case IdfEncoding::Utf16BE:
        return "UTF16BE";
    }
    return "?";
}

// The bytes of the text in the encoding, with its byte-order mark (none for ANSI, which is the
// system's code page).
inline std::string EncodeIdfText(const std::wstring& text, IdfEncoding encoding) {
    std::string bytes;
    switch (encoding) {
    case IdfEncoding::Ansi:
    case IdfEncoding::Utf8: {
        const UINT codePage = encoding == IdfEncoding::Ansi ? CP_ACP : CP_UTF8;
        if (encoding == IdfEncoding::Utf8) {
            bytes = "\xEF\xBB\xBF";
        }
        if (!text.empty()) {
            const int size = WideCharToMultiByte(codePage, 0, text.data(), int(text.size()),
                                                 nullptr, 0, nullptr, nullptr);
            std::string converted(size, '\0');
            WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), converted.data(), size,
                                nullptr, nullptr);
            bytes += converted;
        }
        break;
    }
    case IdfEncoding::Utf16LE:
    case IdfEncoding::Utf16BE: {
        const bool big = encoding == IdfEncoding::Utf16BE;
        bytes = big ? "\xFE\xFF" : "\xFF\xFE";
        for (wchar_t c : text) {
            const char low = static_cast<char>(c & 0xFF);
            const char high = static_cast<char>((c >> 8) & 0xFF);
            bytes += big ? high : low;
            bytes += big ? low : high;
        }
        break;
    }
    }
    return bytes;
}

// A real, hidden top-level window in the place of the program's main window: it owns the boxes
// and receives the close request.
class StandInMainWindow {
public:
    StandInMainWindow()
        : hwnd(CreateWindowExW(0, L"STATIC", L"VT File Associations", WS_OVERLAPPEDWINDOW, 0, 0,
                               400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)) {}
    ~StandInMainWindow() {
        if (IsWindow(hwnd)) {
            DestroyWindow(hwnd);
        }
        DrainMessages();
    }
    StandInMainWindow(const StandInMainWindow&) = delete;
    StandInMainWindow& operator=(const StandInMainWindow&) = delete;

    // Whether a WM_CLOSE waits in the window's queue; takes it off.
    bool TakeCloseRequest() { return TakeMessage(hwnd, WM_CLOSE); }

    HWND hwnd;
};

inline std::wstring ParseErrorBoxText(const std::wstring& line) {
    return L"Error while Parsing Line:\n" + line + L"\nLine will be ignored";
}

// Checks that the box is the parse-error box for the line or, with a reason, the box of a refused
// statement, owned by the window.
inline void ExpectParseErrorBox(const MessageBoxInfo& box, const std::wstring& shownLine,
                                HWND owner, const wchar_t* refusal = nullptr) {
    EXPECT_EQ(box.caption, refusal ? L"Line Refused" : L"Parse Error");
    EXPECT_EQ(box.text,
              refusal ? L"Line refused:\n" + shownLine + L"\n" + refusal + L"\nLine will be ignored"
                      : ParseErrorBoxText(shownLine));
    EXPECT_TRUE(box.iconKnown);
    EXPECT_EQ(box.Style(), UINT(MB_OKCANCEL | MB_ICONWARNING));
    EXPECT_EQ(box.owner, owner);
}
