// Speed of the text file readers against a plain loop of 4096-byte ReadFile calls over the same
// 50 MB file of short lines, for ANSI, UTF-8 and UTF-16LE. Prints both times and their ratio.
//   readers_bench [ENCODING [ROUNDS]]: only the one encoding (ANSI, UTF-8, UTF-16LE), and the
//   best of ROUNDS runs (default 3), e.g. to profile the readers.
#include "definitions/TextFile.h"
#include "definitions/bench/BenchSupport.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr std::size_t FileBytes = 50u << 20;

// Writes the file: a byte-order mark, then numbered short lines up to about 50 MB.
std::size_t WriteLines(const std::wstring& path, const std::string& mark, bool utf16) {
    std::string bytes = mark;
    std::size_t lines = 0;
    char text[64];
    while (bytes.size() < FileBytes) {
        const int length =
            std::snprintf(text, sizeof(text), "%07u short line\r\n", unsigned(lines));
        for (int i = 0; i < length; ++i) {
            bytes += text[i];
            if (utf16) {
                bytes += '\0';
            }
        }
        ++lines;
    }
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    return ok ? lines : 0;
}

// The bytes that plain block reads get from the file.
std::size_t PlainReads(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    static char block[ReaderBlockSize];
    std::size_t total = 0;
    DWORD got = 0;
    while (ReadFile(file, block, sizeof(block), &got, nullptr) && got > 0) {
        total += got;
    }
    CloseHandle(file);
    return total;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring only = argc > 1 ? argv[1] : L"";
    const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 3;
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"vt-readers-bench.txt";
    struct Kind {
        const char* name;
        std::string mark;
        bool utf16;
    };
    const Kind kinds[] = {
        {"ANSI", "", false}, {"UTF-8", "\xEF\xBB\xBF", false}, {"UTF-16LE", "\xFF\xFE", true}};
    int status = 0;
    for (const Kind& kind : kinds) {
        if (!only.empty() && only != std::wstring(kind.name, kind.name + std::strlen(kind.name))) {
            continue;
        }
        const std::size_t expected = WriteLines(path, kind.mark, kind.utf16);
        double plainBest = 1e9, readerBest = 1e9;
        std::size_t lines = 0;
        for (int round = 0; round < rounds; ++round) {
            double start = Seconds();
            PlainReads(path);
            plainBest = std::min(plainBest, Seconds() - start);
            start = Seconds();
            lines = ReaderLines(path);
            readerBest = std::min(readerBest, Seconds() - start);
        }
        if (expected == 0 || lines != expected) {
            std::printf("%s: expected %zu lines, the readers gave %zu\n", kind.name, expected,
                        lines);
            status = 1;
            continue;
        }
        std::printf("%-8s %zu lines of 50 MB: plain ReadFile %.1f ms, readers %.1f ms, ratio %.2f "
                    "(target at most 3)\n",
                    kind.name, lines, plainBest * 1000, readerBest * 1000, readerBest / plainBest);
    }
    DeleteFileW(path.c_str());
    return status;
}
