// Speed of the text file readers against a plain loop of 4096-byte ReadFile calls over the same
// 50 MB file of short lines, for ANSI, UTF-8, UTF-16LE and UTF-16BE. Both run in turn, ROUNDS
// times; prints the minimum and the median of each and the ratio of the medians (the target is at
// most 1.5) and of the minimums.
//   readers_bench [ENCODING [ROUNDS]]: only the one encoding (ANSI, UTF-8, UTF-16LE, UTF-16BE),
//   and ROUNDS runs (default 7), e.g. to profile the readers.
#include "definitions/TextFile.h"
#include "definitions/BenchSupport.h"
#include "support/TestFolder.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::size_t FileBytes = 50u << 20;
constexpr DWORD PlainBlockBytes = 4096;
constexpr double Target = 1.5;

// Writes the file: a byte-order mark, then numbered short lines up to about 50 MB.
std::size_t WriteLines(const std::wstring& path, const std::string& mark, bool utf16,
                       bool bigEndian) {
    std::string bytes = mark;
    std::size_t lines = 0;
    char text[64];
    while (bytes.size() < FileBytes) {
        const int length =
            std::snprintf(text, sizeof(text), "%07u short line\r\n", unsigned(lines));
        for (int i = 0; i < length; ++i) {
            if (utf16 && bigEndian) {
                bytes += '\0';
            }
            bytes += text[i];
            if (utf16 && !bigEndian) {
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

double Minimum(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}
double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The bytes that plain block reads get from the file.
std::size_t PlainReads(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    static char block[PlainBlockBytes];
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
    const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 7;
    const std::wstring path = TempPath(L"vt-readers-bench.txt");
    struct Kind {
        const char* name;
        std::string mark;
        bool utf16;
        bool bigEndian;
    };
    const Kind kinds[] = {{"ANSI", "", false, false},
                          {"UTF-8", "\xEF\xBB\xBF", false, false},
                          {"UTF-16LE", "\xFF\xFE", true, false},
                          {"UTF-16BE", "\xFE\xFF", true, true}};
    int status = 0;
    std::printf("50 MB of short lines, %d rounds; ms: minimum / median\n", rounds);
    for (const Kind& kind : kinds) {
        if (!only.empty() && only != std::wstring(kind.name, kind.name + std::strlen(kind.name))) {
            continue;
        }
        const std::size_t expected = WriteLines(path, kind.mark, kind.utf16, kind.bigEndian);
        std::vector<double> plain, readers;
        std::size_t lines = 0;
        for (int round = 0; round < rounds; ++round) {
            double start = Seconds();
            PlainReads(path);
            plain.push_back(Seconds() - start);
            start = Seconds();
            lines = ReaderLines(path);
            readers.push_back(Seconds() - start);
        }
        if (expected == 0 || lines != expected) {
            std::printf("%s: expected %zu lines, the readers gave %zu\n", kind.name, expected,
                        lines);
            status = 1;
            continue;
        }
        const double ratio = Median(readers) / Median(plain);
        std::printf("%-8s %zu lines: plain 4 KiB ReadFile %.1f / %.1f, readers %.1f / %.1f\n",
                    kind.name, lines, Minimum(plain) * 1000, Median(plain) * 1000,
                    Minimum(readers) * 1000, Median(readers) * 1000);
        std::printf("=> readers / plain ReadFile loop, %s: %.2f (of the minimums %.2f) (target: at "
                    "most %.1f) %s\n",
                    kind.name, ratio, Minimum(readers) / Minimum(plain), Target,
                    ratio <= Target ? "met" : "MISSED");
        if (ratio > Target) {
            status = 1;
        }
    }
    DeleteFileW(path.c_str());
    return status;
}
