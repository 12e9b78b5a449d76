// Fuzz target: matches arbitrary lines (see FuzzInput.h) with the IDF statement pattern, compiled
// as the IDF loader compiles it, and checks what the loader relies on: a match has three captured
// fields in order, each starting with "ext=", "file=" or "index=" in any case, an index field
// holds digits only, and the statement reads AddExt(field,field,field).
#include "FuzzInput.h"
#include "pattern/PatternProgram.h"
#include "pattern/StatementPattern.h"

#include <cstdio>
#include <cstdlib>

namespace {

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() &&
           LowerAscii(std::u16string(text.substr(0, prefix.size()))) == prefix;
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
    if (!StatementProgram().Match(line.c_str(), &context)) {
        FUZZ_CHECK(context.outcome == MatchOutcome::NoMatch);
        return 0;
    }
    FUZZ_CHECK(context.groupCount == 3);
    const char16_t* const first = line.c_str();
    const std::u16string_view statement(
        context.matchStart, static_cast<std::size_t>(context.matchEnd - context.matchStart));
    FUZZ_CHECK(context.matchStart >= first && context.matchEnd <= first + line.size());
    FUZZ_CHECK(StartsWith(statement, u"addext(") && statement.back() == u')');
    const char16_t* previousEnd = context.matchStart + 6;
    for (std::uint32_t i = 0; i < 3; ++i) {
        const MatchGroup& group = context.groups[i];
        FUZZ_CHECK(group.begin != nullptr && group.end != nullptr && group.begin <= group.end);
        FUZZ_CHECK(group.begin == previousEnd + 1);
        FUZZ_CHECK(*previousEnd == (i == 0 ? u'(' : u','));
        const std::u16string_view text = context.CapturedText(i);
        if (StartsWith(text, u"index=")) {
            FUZZ_CHECK(text.size() > 6);
            for (char16_t c : text.substr(6))
                FUZZ_CHECK(c >= u'0' && c <= u'9');
        } else {
            FUZZ_CHECK(StartsWith(text, u"ext=") || StartsWith(text, u"file="));
        }
        // The first two texts never end with a comma; the third holds no ")".
        if (i < 2)
            FUZZ_CHECK(text.empty() || text.back() != u',');
        else
            FUZZ_CHECK(text.find(u')') == std::u16string_view::npos);
        previousEnd = group.end;
    }
    FUZZ_CHECK(previousEnd + 1 == context.matchEnd);
    return 0;
}
