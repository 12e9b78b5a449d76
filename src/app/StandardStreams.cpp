#include "app/StandardStreams.h"

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
    // Written in pieces that the system takes in one call each.
    constexpr std::size_t kPiece = 8192;
    for (std::size_t start = 0; start < text.size(); start += kPiece) {
        std::wstring_view piece = text.substr(start, kPiece);
        DWORD written = 0;
        if (kind == Kind::Console) {
            WriteConsoleW(handle, piece.data(), static_cast<DWORD>(piece.size()), &written,
                          nullptr);
        } else if (kind == Kind::Bytes) {
            // A surrogate pair cut by the piece would be no character: both halves go together.
            if (IS_HIGH_SURROGATE(piece.back()) && start + piece.size() < text.size()) {
                piece = text.substr(start, piece.size() + 1);
                ++start;
            }
            const int size =
                WideCharToMultiByte(CP_UTF8, 0, piece.data(), static_cast<int>(piece.size()),
                                    nullptr, 0, nullptr, nullptr);
            std::string bytes(static_cast<std::size_t>(size), '\0');
            WideCharToMultiByte(CP_UTF8, 0, piece.data(), static_cast<int>(piece.size()),
                                bytes.data(), size, nullptr, nullptr);
            WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
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
