// What the reader and loader benchmarks share: the clock and reading a file through the readers.
#pragma once

#include "definitions/TextFile.h"

#include <windows.h>

#include <cstddef>
#include <string>

inline double Seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

// The number of lines that the readers deliver.
inline std::size_t ReaderLines(const std::wstring& path) {
    TextFile file;
    if (file.Open(path.c_str()) != TextFileOk) {
        return 0;
    }
    LineBuffer<wchar_t> line;
    std::size_t lines = 0;
    while (file.reader->ReadLine(line.Pointer(), file.codePage) == TextFileOk) {
        ++lines;
    }
    file.Close();
    return lines;
}
