// Fuzz target: compiles an arbitrary pattern and matches it against an arbitrary subject.
// Input: one byte of options (bit 0: without case sensitivity), the pattern, a 0 byte, the subject
// (see FuzzInput.h). Besides the sanitizers it checks that the compiler agrees with the reference
// compiler of the tests on short patterns, that compiled programs are well formed, that every
// reported bound lies in the subject, and that matching without case sensitivity equals matching
// the lowered texts.
#include "FuzzInput.h"
#include "PatternTestSupport.h"
#include "ReferenceCompiler.h"
#include "pattern/PatternProgram.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Short enough for the reference compiler, whose time doubles with each level of nesting.
constexpr std::size_t referenceLength = 20;
// Searches can take exponential time; the fuzzer looks for faults, not slow patterns.
constexpr std::uint64_t stepLimit = 200000;

void CheckBounds(const MatchContext& context, const std::u16string& subject) {
    const char16_t* first = subject.c_str();
    const char16_t* last = first + subject.size() + 1;
    FUZZ_CHECK(context.matchStart >= first && context.matchStart <= context.matchEnd);
    FUZZ_CHECK(context.matchEnd <= last);
    for (const MatchGroup& group : context.groups) {
        FUZZ_CHECK(group.begin == nullptr || (group.begin >= first && group.begin <= last));
        FUZZ_CHECK(group.end == nullptr || (group.end >= first && group.end <= last));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const bool caseSensitive = (data[0] & 1) == 0;
    std::size_t offset = 1;
    const std::u16string pattern = NextText(data, size, offset);
    const std::u16string subject = NextText(data, size, offset);

    PatternProgram program;
    const std::int32_t result = program.Compile(pattern.c_str(), caseSensitive);
    FUZZ_CHECK(result >= PatternOk && result <= PatternEmptyRepeat);
    if (pattern.size() <= referenceLength) {
        const ReferenceProgram reference = ReferenceCompile(pattern, caseSensitive);
        FUZZ_CHECK(reference.result == result);
        if (result == PatternOk) {
            FUZZ_CHECK(std::vector<PatternInstruction>(program.instructions.begin(),
                                                       program.instructions.end()) ==
                       reference.instructions);
            FUZZ_CHECK(reference.groupCount == program.groupCount);
            FUZZ_CHECK(reference.memorySlotCount == program.memorySlotCount);
        }
    }
    MatchContext context;
    context.stepLimit = stepLimit;
    if (result != PatternOk) {
        FUZZ_CHECK(!program.Match(subject.c_str(), &context));
        return 0;
    }
    FUZZ_CHECK(ProgramDefect(program).empty());

    const bool matched = program.Match(subject.c_str(), &context);
    FUZZ_CHECK(matched == (context.outcome == MatchOutcome::Matched));
    if (context.outcome != MatchOutcome::StepLimitReached)
        CheckBounds(context, subject);
    if (caseSensitive || context.outcome == MatchOutcome::StepLimitReached)
        return 0;

    PatternProgram lowered;
    FUZZ_CHECK(lowered.Compile(LowerAscii(pattern).c_str(), true) == PatternOk);
    const std::u16string lowerSubject = LowerAscii(subject);
    MatchContext other;
    other.stepLimit = stepLimit;
    const bool otherMatched = lowered.Match(lowerSubject.c_str(), &other);
    if (other.outcome == MatchOutcome::StepLimitReached)
        return 0;
    FUZZ_CHECK(matched == otherMatched);
    if (!matched)
        return 0;
    FUZZ_CHECK(context.matchStart - subject.c_str() == other.matchStart - lowerSubject.c_str());
    FUZZ_CHECK(context.matchEnd - subject.c_str() == other.matchEnd - lowerSubject.c_str());
    for (std::size_t i = 0; i < context.groups.size(); ++i) {
        const MatchGroup& a = context.groups[i];
        const MatchGroup& b = other.groups[i];
        FUZZ_CHECK((a.begin == nullptr) == (b.begin == nullptr));
        FUZZ_CHECK((a.end == nullptr) == (b.end == nullptr));
        FUZZ_CHECK(a.begin == nullptr ||
                   a.begin - subject.c_str() == b.begin - lowerSubject.c_str());
        FUZZ_CHECK(a.end == nullptr || a.end - subject.c_str() == b.end - lowerSubject.c_str());
    }
    return 0;
}
