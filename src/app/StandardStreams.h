// Where the command line's text goes: the standard output and error that the program was started
// with when they are files or pipes (as UTF-8), otherwise the console of the prompt that started
// it (as UTF-16: the program attaches to its parent's console; control characters other than tabs
// and line ends are shown there as U+FFFD), otherwise nowhere. Lines end with CR LF.
#pragma once

#include "common/UniqueHandle.h"

#include <windows.h>

#include <string_view>

class StandardStreams {
public:
    StandardStreams();
    // The given handles of files, pipes or consoles, and nothing else.
    StandardStreams(HANDLE output, HANDLE error) : output(output), error(error) {}
    StandardStreams(const StandardStreams&) = delete;
    StandardStreams& operator=(const StandardStreams&) = delete;

    // Writes the text as it is, or followed by a line end.
    void Out(std::wstring_view text) { output.Write(text); }
    void OutLine(std::wstring_view line);
    void ErrorLine(std::wstring_view line);

private:
    class Stream {
    public:
        enum class Kind { None, Console, Bytes };
        // What the handle is; Kind::None for no handle, or one that is neither a file, a pipe
        // nor a console.
        explicit Stream(HANDLE handle);
        Kind GetKind() const { return kind; }
        void UseConsole(HANDLE console);
        void Write(std::wstring_view text) const;

    private:
        HANDLE handle;
        Kind kind;
    };

    Stream output;
    Stream error;
    // The parent's console, opened when a stream has nowhere else to go.
    UniqueHandle<HANDLE, CloseHandle> console;
};
