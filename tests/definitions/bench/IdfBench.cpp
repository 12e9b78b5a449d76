// Speed of loading an IDF file of 10,000 statements into the catalogue against reading the same
// file with the text file readers alone, for each of the four encodings, in the same run. Prints
// both times (best of the rounds) and their ratio.
//   idf_bench [ROUNDS]   (default 5)
#include "definitions/IdfLoader.h"
#include "definitions/TextFile.h"
#include "definitions/TestFiles.h"
#include "definitions/bench/BenchSupport.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr int Statements = 10000;

struct Encoding {
    const char* name;
    const char* mark;
    int markSize;
    int unitSize; // 1, or 2 for UTF-16
    bool bigEndian;
};

bool WriteStatements(const std::wstring& path, const Encoding& encoding) {
    std::string bytes(encoding.mark, encoding.markSize);
    char line[128];
    for (int n = 0; n < Statements; ++n) {
        const int length = std::snprintf(line, sizeof(line),
                                         "AddExt(ext=Bench%d,file=icons\\bench%d.dll,index=%d)\r\n",
                                         n, n, 100 + n);
        for (int i = 0; i < length; ++i) {
            if (encoding.unitSize == 2 && encoding.bigEndian) {
                bytes += '\0';
            }
            bytes += line[i];
            if (encoding.unitSize == 2 && !encoding.bigEndian) {
                bytes += '\0';
            }
        }
    }
    return WriteBytes(path, bytes);
}

std::size_t LoadedEntries(const std::wstring& path) {
    ExtensionCatalogue catalogue;
    // No box is shown for a file of statements, so no main window is needed.
    LoadIdfFile(path.c_str(), nullptr, catalogue);
    return catalogue.Size();
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"vt-idf-bench.idf";
    const Encoding encodings[] = {{"ANSI", "", 0, 1, false},
                                  {"UTF-8", "\xEF\xBB\xBF", 3, 1, false},
                                  {"UTF-16LE", "\xFF\xFE", 2, 2, false},
                                  {"UTF-16BE", "\xFE\xFF", 2, 2, true}};
    int status = 0;
    for (const Encoding& encoding : encodings) {
        if (!WriteStatements(path, encoding)) {
            std::printf("%s: cannot write the file\n", encoding.name);
            status = 1;
            continue;
        }
        double readBest = 1e9, loadBest = 1e9;
        std::size_t lines = 0, entries = 0;
        for (int round = 0; round < rounds; ++round) {
            double start = Seconds();
            lines = ReaderLines(path);
            readBest = std::min(readBest, Seconds() - start);
            start = Seconds();
            entries = LoadedEntries(path);
            loadBest = std::min(loadBest, Seconds() - start);
        }
        if (lines != Statements || entries != Statements) {
            std::printf("%s: expected %d lines and entries, got %zu lines and %zu entries\n",
                        encoding.name, Statements, lines, entries);
            status = 1;
            continue;
        }
        std::printf("%-8s %d statements: readers alone %.2f ms, load into the catalogue %.2f ms, "
                    "ratio %.1f\n",
                    encoding.name, Statements, readBest * 1000, loadBest * 1000,
                    loadBest / readBest);
    }
    DeleteFileW(path.c_str());
    return status;
}
