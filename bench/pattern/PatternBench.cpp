// Benchmark of the pattern engine (run by scripts/bench.d/10-pattern, never by CTest):
//  1. the IDF statement pattern against typical IDF lines, side by side in one run with two peers
//     compiled from a pattern of the same meaning: PCRE2 (16-bit library; its interpreter and its
//     JIT) and std::wregex (ECMAScript, case-insensitive). Every engine runs the same lines in
//     each repetition; the minimum and the median over the repetitions are printed;
//  2. single pathological lines of growing length: how the time grows with the length.
#include "pattern/PatternProgram.h"
#include "pattern/StatementPattern.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
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

// The same meaning for the peers: three fields of the three kinds, shortest texts first.
const char kPeerPattern[] = "AddExt\\((ext=.*?|file=.*?|index=\\d+),(ext=.*?|file=.*?|index=\\d+),"
                            "(ext=.*?|file=.*?|index=\\d+)\\)";

// "S-E B-E B-E B-E" (offsets of the match and of the three groups) or "no match".
std::string Spans(std::size_t start, std::size_t end, const std::vector<std::size_t>& groups) {
    std::string text = std::to_string(start) + "-" + std::to_string(end);
    for (std::size_t i = 0; i + 1 < groups.size(); i += 2)
        text += " " + std::to_string(groups[i]) + "-" + std::to_string(groups[i + 1]);
    return text;
}

class Pcre2Peer {
public:
    explicit Pcre2Peer(bool jit) {
        std::u16string pattern = ToUtf16(kPeerPattern);
        int error = 0;
        PCRE2_SIZE offset = 0;
        code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.c_str()), pattern.size(),
                             PCRE2_CASELESS, &error, &offset, nullptr);
        if (code != nullptr && jit && pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) != 0)
            std::printf("warning: PCRE2 JIT is not available\n");
        options = jit ? 0 : PCRE2_NO_JIT;
        data = pcre2_match_data_create_from_pattern(code, nullptr);
    }
    ~Pcre2Peer() {
        pcre2_match_data_free(data);
        pcre2_code_free(code);
    }
    Pcre2Peer(const Pcre2Peer&) = delete;
    Pcre2Peer& operator=(const Pcre2Peer&) = delete;

    bool Match(const std::u16string& line) {
        return pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(line.data()), line.size(), 0, options,
                           data, nullptr) > 0;
    }
    std::string Describe(const std::u16string& line) {
        if (!Match(line))
            return "no match";
        const PCRE2_SIZE* vector = pcre2_get_ovector_pointer(data);
        return Spans(vector[0], vector[1], std::vector<std::size_t>(vector + 2, vector + 8));
    }

private:
    pcre2_code* code = nullptr;
    pcre2_match_data* data = nullptr;
    std::uint32_t options = 0;
};

struct Timing {
    const char* name;
    int slowness;                          // runs 1/slowness of the rounds of the others
    std::function<std::size_t()> runLines; // one pass over the lines; returns the matches
    std::vector<double> perLine;           // ns per line, one value per repetition
};

double Minimum(std::vector<double> values) {
    return *std::min_element(values.begin(), values.end());
}
double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Returns 1 when the pattern engine is slower than PCRE2's interpreter.
int CompareWithPeers() {
    const std::vector<std::string> lines = TypicalLines();
    std::vector<std::u16string> ours;
    std::vector<std::wstring> wide;
    for (const std::string& line : lines) {
        ours.push_back(ToUtf16(line));
        wide.push_back(ToWide(line));
    }
    PatternProgram program;
    program.Compile(idfStatementPattern, false);
    MatchContext context;
    Pcre2Peer interpreter(false), jit(true);
    const std::wstring regexPattern(kPeerPattern, kPeerPattern + sizeof(kPeerPattern) - 1);
    const std::wregex regex(regexPattern, std::regex::ECMAScript | std::regex::icase);
    std::wsmatch regexMatch;

    // All engines must find the same matches with the same groups.
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string mine = "no match";
        if (program.Match(ours[i].c_str(), &context)) {
            std::vector<std::size_t> groups;
            for (const MatchGroup& group : context.groups) {
                groups.push_back(static_cast<std::size_t>(group.begin - ours[i].c_str()));
                groups.push_back(static_cast<std::size_t>(group.end - ours[i].c_str()));
            }
            mine = Spans(static_cast<std::size_t>(context.matchStart - ours[i].c_str()),
                         static_cast<std::size_t>(context.matchEnd - ours[i].c_str()), groups);
        }
        const bool regexFound = std::regex_search(wide[i], regexMatch, regex);
        if (mine != interpreter.Describe(ours[i]) || mine != jit.Describe(ours[i]) ||
            (mine != "no match") != regexFound)
            std::printf("warning: the engines disagree on line %zu\n", i);
    }

    std::vector<Timing> timings = {
        {"pattern engine",
         1,
         [&] {
             std::size_t n = 0;
             for (const std::u16string& line : ours)
                 n += program.Match(line.c_str(), &context) ? 1 : 0;
             return n;
         },
         {}},
        {"PCRE2 interpreter",
         1,
         [&] {
             std::size_t n = 0;
             for (const std::u16string& line : ours)
                 n += interpreter.Match(line) ? 1 : 0;
             return n;
         },
         {}},
        {"PCRE2 JIT",
         1,
         [&] {
             std::size_t n = 0;
             for (const std::u16string& line : ours)
                 n += jit.Match(line) ? 1 : 0;
             return n;
         },
         {}},
        {"std::wregex",
         5,
         [&] {
             std::size_t n = 0;
             for (const std::wstring& line : wide)
                 n += std::regex_search(line, regexMatch, regex) ? 1 : 0;
             return n;
         },
         {}},
    };
    // Each repetition runs every engine once, in turn, for about the same number of lines.
    const int repetitions = 9;
    const int rounds = 3000;
    std::size_t matched = 0;
    for (int repetition = 0; repetition < repetitions; ++repetition) {
        for (Timing& timing : timings) {
            const int engineRounds = rounds / timing.slowness;
            const Clock::time_point start = Clock::now();
            for (int r = 0; r < engineRounds; ++r)
                matched += timing.runLines();
            timing.perLine.push_back(Seconds(start) * 1e9 /
                                     (double(engineRounds) * double(lines.size())));
        }
    }
    std::printf("typical IDF lines (%zu lines, %d repetitions, %zu matches):\n", lines.size(),
                repetitions, matched);
    std::printf("  %-18s %9s %9s   %s\n", "ns per line", "minimum", "median", "median / engine's");
    const double ourMedian = Median(timings[0].perLine);
    for (const Timing& timing : timings) {
        std::printf("  %-18s %9.0f %9.0f   %.2f\n", timing.name, Minimum(timing.perLine),
                    Median(timing.perLine), Median(timing.perLine) / ourMedian);
    }
    const double versusInterpreter = Median(timings[1].perLine) / ourMedian;
    const bool met = versusInterpreter >= 1.0;
    std::printf("=> pattern engine vs PCRE2 interpreter (interpreter time / engine time): %.2f "
                "(target: at least 1.00) %s\n",
                versusInterpreter, met ? "met" : "MISSED");
    return met ? 0 : 1;
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
    const int status = CompareWithPeers();
    PathologicalLines();
    return status;
}
