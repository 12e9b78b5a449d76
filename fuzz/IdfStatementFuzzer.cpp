// Fuzz target: matches arbitrary lines (see FuzzInput.h) with the IDF statement pattern, compiled
// as the IDF loader compiles it (without case sensitivity), and checks what follows from the
// pattern and the matcher's search order:
// - Without a match the outcome is NoMatch, or StepLimitReached when the search ran into the step
//   limit below: a line of the fuzzer's length needs neither more stack nor more memory than the
//   matcher can have.
// - A match is "AddExt(" (any case) up to a ")": the pattern starts with those characters and ends
//   with "\)".
// - Its three groups lie side by side: the first begins after the "(", each later one after the ","
//   that ends the one before, and the ")" follows the last. Each field's group is closed just
//   before the literal "," or ")" and the next one opened just after it, so on the path that
//   matched each group keeps the bounds that path gave it.
// - Each field starts with "ext=", "file=" or "index=" (any case), since its alternatives are
//   tried at the group's start; an index field holds one or more digits after its key and nothing
//   else, since "\d+" consumes digits only and the field ends at the "," or ")" after them.
// - The last field holds no ")": its ".*?" tries the shortest text first, and the first ")" after
//   the key ends the statement at once.
// - An ext or file field among the first two ends at the first "," of its value when the text
//   after that "," completes the statement at once: for the first field, a field holding no ","
//   then "," and a last field up to a ")"; for the second, a last field up to a ")". Its ".*?"
//   tries the ends of the value one by one from the key on; each end before that "," fails at once,
//   as a "," must follow, and at that "," the rest matches.
// Nothing more is checked of the first two fields, whose texts depend on the whole search: a
// shortest-first loop saves no position, so when the rest fails after a "," the loop goes on from
// where the rest stopped and can step past ends that would have matched: the second field of
// "AddExt(ext=a,file=d,,index=5),ext=b)" is "file=d,,index=5)". A field can also end with a ","
// when the next field cannot start after it: "AddExt(ext=,c,file=d,,,index=0)" gives "ext=,c",
// "file=d,," and "index=0".
#include "FuzzInput.h"
#include "pattern/PatternProgram.h"
#include "pattern/StatementPattern.h"

#include <cstdio>
#include <cstdlib>

namespace {

// The search backtracks, and some lines (many "ext=" after one "AddExt(", say) take time that grows
// with the cube of their length or faster; the IDF loader bounds it with a step limit as well. The
// target looks for wrong answers, not slow lines: a search that runs this many steps (an ordinary
// statement needs a few hundred) stops and is not checked.
constexpr std::uint64_t stepLimit = 5000000;

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// The number of digits at the start of `text`.
std::size_t DigitsAt(std::u16string_view text) {
    std::size_t count = 0;
    while (count < text.size() && IsDigit(text[count]))
        ++count;
    return count;
}

// The length of the key `field` starts with, 0 for none.
std::size_t KeyLength(std::u16string_view field) {
    for (std::u16string_view key : {u"ext=", u"file=", u"index="}) {
        if (StartsWithIgnoringAsciiCase(field, key))
            return key.size();
    }
    return 0;
}

bool IsIndexField(std::u16string_view field) {
    return StartsWithIgnoringAsciiCase(field, u"index=") && field.size() > 6 &&
           DigitsAt(field.substr(6)) == field.size() - 6;
}

// Whether `rest` starts with a last field and the ")" after it: "ext=" or "file=" and a ")"
// somewhere after the key, or "index=", digits and ")".
bool StartsWithLastField(std::u16string_view rest) {
    if (StartsWithIgnoringAsciiCase(rest, u"index=")) {
        const std::size_t end = 6 + DigitsAt(rest.substr(6));
        return end > 6 && end < rest.size() && rest[end] == u')';
    }
    const std::size_t key = KeyLength(rest);
    return key != 0 && rest.find(u')', key) != std::u16string_view::npos;
}

// Whether `rest` starts with a field that holds no ",", then "," and a last field.
bool StartsWithPlainFieldAndLast(std::u16string_view rest) {
    const std::size_t comma = rest.find(u',');
    if (comma == std::u16string_view::npos)
        return false;
    const std::u16string_view field = rest.substr(0, comma);
    return (StartsWithIgnoringAsciiCase(field, u"index=") ? IsIndexField(field)
                                                          : KeyLength(field) != 0) &&
           StartsWithLastField(rest.substr(comma + 1));
}

const PatternProgram& StatementProgram() {
    static const PatternProgram program = [] {
        PatternProgram compiled;
        FUZZ_CHECK(compiled.Compile(idfStatementPattern, false) == PatternOk);
        return compiled;
    }();
    return program;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::size_t offset = 0;
    const std::u16string line = NextText(data, size, offset);
    MatchContext context;
    context.stepLimit = stepLimit;
    if (!StatementProgram().Match(line.c_str(), &context)) {
        FUZZ_CHECK(context.outcome == MatchOutcome::NoMatch ||
                   context.outcome == MatchOutcome::StepLimitReached);
        return 0;
    }
    FUZZ_CHECK(context.groupCount == 3);
    const char16_t* const first = line.c_str();
    const std::u16string_view whole(line);
    const std::u16string_view statement(
        context.matchStart, static_cast<std::size_t>(context.matchEnd - context.matchStart));
    FUZZ_CHECK(context.matchStart >= first && context.matchEnd <= first + line.size());
    FUZZ_CHECK(StartsWithIgnoringAsciiCase(statement, u"addext(") && statement.back() == u')');
    const char16_t* previousEnd = context.matchStart + 6;
    for (std::uint32_t i = 0; i < 3; ++i) {
        const MatchGroup& group = context.groups[i];
        FUZZ_CHECK(group.begin != nullptr && group.end != nullptr && group.begin <= group.end);
        FUZZ_CHECK(group.begin == previousEnd + 1);
        FUZZ_CHECK(*previousEnd == (i == 0 ? u'(' : u','));
        const std::u16string_view text = context.CapturedText(i);
        const std::size_t key = KeyLength(text);
        FUZZ_CHECK(key != 0);
        const bool index = StartsWithIgnoringAsciiCase(text, u"index=");
        if (index)
            FUZZ_CHECK(IsIndexField(text));
        if (i == 2) {
            FUZZ_CHECK(text.find(u')') == std::u16string_view::npos);
        } else if (!index) {
            const std::size_t value = static_cast<std::size_t>(group.begin - first) + key;
            const std::size_t comma = whole.find(u',', value);
            if (comma != std::u16string_view::npos) {
                const std::u16string_view rest = whole.substr(comma + 1);
                if (i == 0 ? StartsWithPlainFieldAndLast(rest) : StartsWithLastField(rest))
                    FUZZ_CHECK(group.end == first + comma);
            }
        }
        previousEnd = group.end;
    }
    FUZZ_CHECK(previousEnd + 1 == context.matchEnd);
    return 0;
}
