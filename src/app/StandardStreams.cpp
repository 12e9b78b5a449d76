#include "app/StandardStreams.h"

#include "common/Utf8.h"

#include <algorithm>
#include <string>

StandardStreams::Stream::Stream(HANDLE handle) : handle(handle), kind(Kind::None) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD mode = 0;
    switch (GetFileType(handle)) {
    case FILE_TYPE_DISK:
    case FILE_TYPE_PIPE:
        kind = Kind::Bytes;
        break;
    case FILE_TYPE_CHAR: // a console, or a device such as NUL
        kind = GetConsoleMode(handle, &mode) ? Kind::Console : Kind::Bytes;
        break;
    default:
        break;
    }
}

void StandardStreams::Stream::UseConsole(HANDLE console) {
    handle = console;
    kind = Kind::Console;
}

void StandardStreams::Stream::Write(std::wstring_view text) const {
    if (kind == Kind::Bytes) {
        const std::string bytes = Utf8(text);
        for (std::size_t done = 0; done < bytes.size();) {
            DWORD written = 0;
            const DWORD size =
                static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
            if (!WriteFile(handle, bytes.data() + done, size, &written, nullptr) || written == 0) {
                return; // the reader has gone: nothing more can be said
            }
            done += written;
        }
    } else if (kind == Kind::Console) {
        // What other programs wrote into the registry reaches the console too: a control
        // character there could be the start of a terminal's command sequence (set the title,
        // write the clipboard), so each is shown as U+FFFD; tabs and line ends stay.
        std::wstring shown(text);
        for (wchar_t& c : shown) {
            if ((c < L' ' && c != L'\t' && c != L'\r' && c != L'\n') || (c >= 0x7F && c < 0xA0)) {
                c = L'\uFFFD';
            }
        }
        // In pieces that the console takes in one call each, never splitting a surrogate pair.
        constexpr std::size_t kPiece = 8192;
        for (std::size_t start = 0; start < shown.size();) {
            std::size_t size = std::min(kPiece, shown.size() - start);
            if (start + size < shown.size() && IS_HIGH_SURROGATE(shown[start + size - 1])) {
                ++size;
            }
            DWORD written = 0;
            WriteConsoleW(handle, shown.data() + start, static_cast<DWORD>(size), &written,
                          nullptr);
            start += size;
        }
    }
}

StandardStreams::StandardStreams()
    : output(GetStdHandle(STD_OUTPUT_HANDLE)), error(GetStdHandle(STD_ERROR_HANDLE)) {
    if (output.GetKind() != Stream::Kind::None && error.GetKind() != Stream::Kind::None) {
        return;
    }
    // Started from a prompt without redirection: a program for the window has no standard
    // handles, but the prompt's console can be written to.
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    const HANDLE opened =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        return;
    }
    console.reset(opened);
    for (Stream* stream : {&output, &error}) {
        if (stream->GetKind() == Stream::Kind::None) {
            stream->UseConsole(opened);
        }
    }
}

void StandardStreams::OutLine(std::wstring_view line) {
    output.Write(std::wstring(line) + L"\r\n");
}

void StandardStreams::ErrorLine(std::wstring_view line) {
    error.Write(std::wstring(line) + L"\r\n");
}
