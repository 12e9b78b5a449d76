// Benchmark of the pattern engine (run by scripts/bench.d/10-pattern, never by CTest):
//  1. the IDF statement pattern against typical IDF lines, compared with std::wregex (ECMAScript,
//     case-insensitive) of the same meaning on the same lines, measured in the same run;
//  2. single pathological lines of growing length: how the time grows with the length.
#include "pattern/PatternProgram.h"
#include "pattern/StatementPattern.h"

#include <chrono>
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

std::u16string ToUtf16(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

std::wstring ToWide(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

// Lines as IDF files hold them: statements in different field orders and cases, a few with
// trailing text, and a few that are no statement.
std::vector<std::string> TypicalLines() {
    return {
        "AddExt(ext=mkv,file=C:\\Program Files\\Veltrano\\icons.dll,index=101)",
        "AddExt(ext=avi,file=icons\\avi.ico,index=0)",
        "addext(EXT=MP3,FILE=C:\\Icons\\Audio.dll,INDEX=007)",
        "AddExt(index=3,ext=ogm,file=a.dll)",
        "AddExt(file=C:\\Program Files (x86)\\Veltrano\\res.dll,ext=flac,index=12)",
        "  AddExt(ext=webm,file=..\\shared\\video.dll,index=4)   ; video",
        "AddExt(ext=m4a,index=2,file=audio.dll)",
        "AddExt(ext=mkv, file=x.dll, index=1)",
        "; a comment line that is no statement",
        "AddExt(ext=srt,file=subtitles.dll,index=5)",
    };
}

// The same meaning in ECMAScript: three fields of the three kinds, shortest texts first.
const wchar_t* const regexPattern =
    L"AddExt\\((ext=.*?|file=.*?|index=\\d+),(ext=.*?|file=.*?|index=\\d+),"
    L"(ext=.*?|file=.*?|index=\\d+)\\)";

void CompareWithRegex() {
    const std::vector<std::string> lines = TypicalLines();
    std::vector<std::u16string> ours;
    std::vector<std::wstring> theirs;
    for (const std::string& line : lines) {
        ours.push_back(ToUtf16(line));
        theirs.push_back(ToWide(line));
    }
    PatternProgram program;
    program.Compile(idfStatementPattern, false);
    MatchContext context;
    const std::wregex regex(regexPattern, std::regex::ECMAScript | std::regex::icase);

    // Both must agree on which lines hold a statement.
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (program.Match(ours[i].c_str(), &context) != std::regex_search(theirs[i], regex))
            std::printf("warning: the engines disagree on line %zu\n", i);
    }

    const int rounds = 20000;
    std::size_t matched = 0;
    Clock::time_point start = Clock::now();
    for (int r = 0; r < rounds; ++r) {
        for (const std::u16string& line : ours)
            matched += program.Match(line.c_str(), &context) ? 1 : 0;
    }
    const double oursSeconds = Seconds(start);
    std::wsmatch match;
    start = Clock::now();
    for (int r = 0; r < rounds; ++r) {
        for (const std::wstring& line : theirs)
            matched += std::regex_search(line, match, regex) ? 1 : 0;
    }
    const double theirSeconds = Seconds(start);
    const double perLine = 1e9 / (static_cast<double>(rounds) * static_cast<double>(lines.size()));
    std::printf("typical IDF lines (%zu lines x %d rounds, %zu matches):\n", lines.size(), rounds,
                matched);
    std::printf("  pattern engine  %8.0f ns per line\n", oursSeconds * perLine);
    std::printf("  std::wregex     %8.0f ns per line\n", theirSeconds * perLine);
    std::printf("  std::wregex / pattern engine = %.1f (%s)\n", theirSeconds / oursSeconds,
                oursSeconds < theirSeconds ? "the pattern engine is faster"
                                           : "std::wregex is faster");
}

// Times one match of `line`, repeating short ones so that the clock can see them.
double TimeOneMatch(const PatternProgram& program, const std::u16string& line) {
    MatchContext context;
    int repeats = 0;
    const Clock::time_point start = Clock::now();
    do {
        program.Match(line.c_str(), &context);
        ++repeats;
    } while (Seconds(start) < 0.2 && repeats < 1000);
    return Seconds(start) / repeats;
}

void PathologicalLines() {
    PatternProgram program;
    program.Compile(idfStatementPattern, false);
    struct Shape {
        const char* name;
        std::u16string head;
        std::u16string unit;
    };
    const Shape shapes[] = {
        {"\"AddExt(ext=\" and commas", u"AddExt(ext=", u","},
        {"\"AddExt(ext=a,\" repeated", u"", u"AddExt(ext=a,"},
    };
    const std::size_t sizes[] = {1024, 16 * 1024, 64 * 1024, 256 * 1024};
    for (const Shape& shape : shapes) {
        std::printf("pathological line: %s\n", shape.name);
        double previousSeconds = 0;
        std::size_t previousSize = 0;
        for (std::size_t size : sizes) {
            std::u16string line = shape.head;
            while (line.size() + shape.unit.size() <= size)
                line += shape.unit;
            line.resize(size, u',');
            const double factor = previousSize != 0 ? double(size) / double(previousSize) : 0;
            // A line that would take minutes is not run; the estimate assumes quadratic growth.
            if (previousSize != 0 && previousSeconds * factor * factor > 60) {
                std::printf(
                    "  %4zu KiB: not run (about %.0f s if the time grows with the square of "
                    "the length)\n",
                    size / 1024, previousSeconds * factor * factor);
                continue;
            }
            const double seconds = TimeOneMatch(program, line);
            std::printf("  %4zu KiB: %10.6f s", size / 1024, seconds);
            if (previousSize != 0)
                std::printf("   x%-6.1f for x%.0f the length", seconds / previousSeconds, factor);
            if (size == 64 * 1024)
                std::printf("   (%s)", seconds > 1.0 ? "64 KiB takes MORE than a second"
                                                     : "64 KiB takes less than a second");
            std::printf("\n");
            previousSeconds = seconds;
            previousSize = size;
        }
    }
}

} // namespace

int main() {
    CompareWithRegex();
    PathologicalLines();
    return 0;
}
