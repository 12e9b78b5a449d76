// Speed of loading an IDF file of 10,000 statements into the catalogue against reading the same
// file with the text file readers alone, for each of the four encodings, in the same run. Every
// round runs, in turn: the readers alone; the readers and the statement pattern's match of every
// line; the readers and the statement reader (match and the entry built from its fields); the
// whole load. The differences of their medians tell where the time goes. Prints the minimum and
// the median of each and the ratio of the medians of the load and of the readers, for
// information: what a user waits for is the load itself, which the app benchmark's start-up steps
// time with the rest of the start-up.
//   idf_bench [ROUNDS]   (default 9)
#include "definitions/IdfLoader.h"
#include "definitions/TextFile.h"
#include "definitions/TestFiles.h"
#include "definitions/BenchSupport.h"
#include "support/TestFolder.h"

#include <windows.h>

#include "pattern/StatementPattern.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

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

// The catalogue outlives the timed load: freeing it is no part of loading.
ExtensionCatalogue* loadedCatalogue = nullptr;

// A file of statements has nothing to report; anything else ends the load.
class NothingToReport : public IdfLoadReporter {
public:
    void FileError(const std::wstring&) override {}
    bool LineProblem(std::size_t, const wchar_t*, const wchar_t*) override { return false; }
    void OutOfMemory() override {}
};

std::size_t LoadedEntries(const std::wstring& path) {
    NothingToReport reporter;
    LoadIdfFile(path, *loadedCatalogue, reporter);
    return loadedCatalogue->Size();
}

// The lines the readers deliver, each matched by the statement pattern as the loader matches it;
// returns the lines that hold a statement.
std::size_t MatchedLines(const std::wstring& path) {
    TextFile file;
    if (file.Open(path.c_str()) != TextFileOk) {
        return 0;
    }
    PatternProgram program;
    program.Compile(idfStatementPattern, false);
    MatchContext context;
    LineBuffer<wchar_t> line;
    std::size_t matched = 0;
    while (file.reader->ReadLine(line.Pointer(), file.codePage) == TextFileOk) {
        matched += program.Match(line.Text(), &context) ? 1 : 0;
    }
    return matched;
}

// The same through the loader's statement reader, which also builds each entry.
std::size_t ReadStatements(const std::wstring& path) {
    TextFile file;
    if (file.Open(path.c_str()) != TextFileOk) {
        return 0;
    }
    IdfStatementReader statements(IdfDirectoryOf(path));
    LineBuffer<wchar_t> line;
    ExtensionEntry entry;
    std::size_t read = 0;
    while (file.reader->ReadLine(line.Pointer(), file.codePage) == TextFileOk) {
        read += statements.Read(line.Text(), entry) ? 1 : 0;
    }
    return read;
}

double Minimum(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}
double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 9;
    const std::wstring path = TempPath(L"vt-idf-bench.idf");
    const Encoding encodings[] = {{"ANSI", "", 0, 1, false},
                                  {"UTF-8", "\xEF\xBB\xBF", 3, 1, false},
                                  {"UTF-16LE", "\xFF\xFE", 2, 2, false},
                                  {"UTF-16BE", "\xFE\xFF", 2, 2, true}};
    int status = 0;
    std::printf("%d statements, %d rounds; ms: minimum / median\n", Statements, rounds);
    for (const Encoding& encoding : encodings) {
        if (!WriteStatements(path, encoding)) {
            std::printf("%s: cannot write the file\n", encoding.name);
            status = 1;
            continue;
        }
        struct Step {
            const char* name;
            const char* adds; // what it does beyond the step before
            std::size_t (*run)(const std::wstring&);
            std::vector<double> times;
            std::size_t count = 0;
        };
        Step steps[] = {
            {"readers alone", "reading", ReaderLines, {}},
            {"readers + matching", "matching", MatchedLines, {}},
            {"readers + matching + building entries", "building entries", ReadStatements, {}},
            {"whole load into the catalogue", "catalogue updates", LoadedEntries, {}}};
        for (int round = 0; round < rounds; ++round) {
            for (Step& step : steps) {
                ExtensionCatalogue catalogue;
                loadedCatalogue = &catalogue;
                const double start = Seconds();
                step.count = step.run(path);
                step.times.push_back(Seconds() - start);
            }
        }
        bool complete = true;
        for (const Step& step : steps) {
            complete = complete && step.count == Statements;
        }
        if (!complete) {
            std::printf("%s: expected %d lines, statements and entries, got %zu, %zu, %zu, %zu\n",
                        encoding.name, Statements, steps[0].count, steps[1].count, steps[2].count,
                        steps[3].count);
            status = 1;
            continue;
        }
        std::printf("%s:\n", encoding.name);
        double previous = 0;
        for (const Step& step : steps) {
            const double median = Median(step.times);
            std::printf("  %-38s %6.2f / %6.2f   %s %.2f\n", step.name, Minimum(step.times) * 1000,
                        median * 1000, step.adds, (median - previous) * 1000);
            previous = median;
        }
        const double ratio = Median(steps[3].times) / Median(steps[0].times);
        std::printf("=> IDF load / readers alone, %s: %.1f (of the minimums %.1f)\n", encoding.name,
                    ratio, Minimum(steps[3].times) / Minimum(steps[0].times));
    }
    DeleteFileW(path.c_str());
    return status;
}
