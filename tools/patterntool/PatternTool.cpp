// patterntool: compiles a pattern and prints its instruction list, or matches it against a
// subject and prints where the match and its capture groups lie.
//
//   patterntool dump PATTERN [--ci] [--units]
//     result=R groups=G slots=S count=N, then one line per instruction: INDEX OPCODE ARGUMENT
//   patterntool match PATTERN SUBJECT [--ci] [--units]
//     {"matched":true,"start":S,"end":E,"groups":[[B,E],null]} with offsets in UTF-16 code units
//     from the subject's first character, as the matcher left them (also without a match)
//
// --ci compiles without case sensitivity. Texts are given as UTF-8 (on Windows as the command
// line's UTF-16); with --units, as
// comma-separated hexadecimal UTF-16 code units instead ("61,5c,64"; an empty argument is the
// empty text). Exit status: 0 when the command ran, 1 when the pattern does not compile (match),
// 2 for a usage error.
#include "pattern/PatternProgram.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Options {
    std::string command; // "dump" or "match"
    std::vector<std::u16string> texts;
    bool caseInsensitive = false;
    bool units = false;
};

int Usage(const char* problem) {
    std::fprintf(stderr,
                 "patterntool: %s\n"
                 "usage: patterntool dump PATTERN [--ci] [--units]\n"
                 "       patterntool match PATTERN SUBJECT [--ci] [--units]\n",
                 problem);
    return 2;
}

#ifndef _WIN32
// UTF-8 to UTF-16; each malformed or overlong sequence becomes U+FFFD.
std::u16string FromUtf8(const char* bytes) {
    std::u16string result;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    while (*p != 0) {
        const unsigned lead = *p;
        const int extra = lead < 0x80                   ? 0
                          : lead >= 0xC2 && lead < 0xE0 ? 1
                          : lead >= 0xE0 && lead < 0xF0 ? 2
                          : lead >= 0xF0 && lead < 0xF5 ? 3
                                                        : -1;
        char32_t code = extra <= 0 ? lead : lead & (0x3F >> extra);
        bool valid = extra >= 0;
        for (int k = 1; valid && k <= extra; ++k) {
            valid = (p[k] & 0xC0) == 0x80;
            code = (code << 6) | (p[k] & 0x3F);
        }
        valid = valid && !(extra == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) &&
                !(extra == 3 && (code < 0x10000 || code > 0x10FFFF));
        if (!valid) {
            result.push_back(u'\uFFFD');
            ++p;
        } else if (code >= 0x10000) {
            code -= 0x10000;
            result.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
            p += extra + 1;
        } else {
            result.push_back(static_cast<char16_t>(code));
            p += extra + 1;
        }
    }
    return result;
}
#endif

// "61,5c,64" to its code units; nothing for a malformed list or a code unit 0, which no
// NUL-terminated text can hold.
std::optional<std::u16string> FromUnits(const std::u16string& list) {
    std::u16string result;
    if (list.empty())
        return result;
    std::size_t i = 0;
    for (;;) {
        unsigned value = 0;
        std::size_t digits = 0;
        for (; i < list.size() && list[i] != u','; ++i, ++digits) {
            const char16_t c = list[i];
            const int digit = c >= u'0' && c <= u'9'   ? c - u'0'
                              : c >= u'a' && c <= u'f' ? c - u'a' + 10
                              : c >= u'A' && c <= u'F' ? c - u'A' + 10
                                                       : -1;
            if (digit < 0 || digits >= 4)
                return std::nullopt;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        if (digits == 0 || value == 0)
            return std::nullopt;
        result.push_back(static_cast<char16_t>(value));
        if (i == list.size())
            return result;
        ++i;
    }
}

int Dump(const Options& options) {
    PatternProgram program;
    const std::int32_t result = program.Compile(options.texts[0].c_str(), !options.caseInsensitive);
    std::printf("result=%d groups=%u slots=%d count=%zu\n", static_cast<int>(result),
                static_cast<unsigned>(program.groupCount),
                static_cast<int>(program.memorySlotCount), program.instructions.Count());
    std::size_t index = 0;
    for (const PatternInstruction& instruction : program.instructions)
        std::printf("%zu %s %d\n", index++, PatternOpcodeName(instruction.opcode),
                    static_cast<int>(instruction.argument));
    return 0;
}

std::string Offset(const char16_t* position, const char16_t* subject) {
    return position == nullptr ? "null" : std::to_string(position - subject);
}

int Match(const Options& options) {
    PatternProgram program;
    const std::int32_t result = program.Compile(options.texts[0].c_str(), !options.caseInsensitive);
    if (result != PatternOk) {
        std::fprintf(stderr, "patterntool: the pattern does not compile: result=%d\n",
                     static_cast<int>(result));
        return 1;
    }
    const char16_t* subject = options.texts[1].c_str();
    MatchContext context;
    const bool matched = program.Match(subject, &context);
    std::string line = std::string("{\"matched\":") + (matched ? "true" : "false") +
                       ",\"start\":" + Offset(context.matchStart, subject) +
                       ",\"end\":" + Offset(context.matchEnd, subject) + ",\"groups\":[";
    for (std::size_t i = 0; i < context.groups.size(); ++i) {
        const MatchGroup& group = context.groups[i];
        if (i != 0)
            line += ',';
        if (group.begin == nullptr && group.end == nullptr)
            line += "null";
        else
            line += "[" + Offset(group.begin, subject) + "," + Offset(group.end, subject) + "]";
    }
    line += "]}";
    std::printf("%s\n", line.c_str());
    return 0;
}

// The arguments after the program name, as UTF-16 texts.
int Run(const std::vector<std::u16string>& arguments) {
    if (arguments.empty())
        return Usage("no command");
    Options options;
    const std::u16string& command = arguments[0];
    options.command = command == u"dump" ? "dump" : command == u"match" ? "match" : "";
    if (options.command.empty())
        return Usage("unknown command");
    std::vector<std::u16string> texts;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::u16string& argument = arguments[i];
        if (!optionsEnded && argument == u"--ci")
            options.caseInsensitive = true;
        else if (!optionsEnded && argument == u"--units")
            options.units = true;
        else if (!optionsEnded && argument == u"--")
            optionsEnded = true;
        else
            texts.push_back(argument);
    }
    if (texts.size() != (options.command == "dump" ? 1u : 2u))
        return Usage("wrong number of arguments");
    for (const std::u16string& text : texts) {
        if (!options.units) {
            options.texts.push_back(text);
            continue;
        }
        std::optional<std::u16string> units = FromUnits(text);
        if (!units)
            return Usage("--units wants comma-separated hexadecimal code units 1 to ffff");
        options.texts.push_back(*units);
    }
    return options.command == "dump" ? Dump(options) : Match(options);
}

} // namespace

#ifdef _WIN32
// Windows hands the arguments over as UTF-16 already.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    return Run(arguments);
}
#else
int main(int argc, char** argv) {
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(FromUtf8(argv[i]));
    return Run(arguments);
}
#endif
