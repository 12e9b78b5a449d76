// The compiler against the reference compiler on many generated patterns, and what every
// compiled program and every match must satisfy.
#include "PatternTestSupport.h"
#include "ReferenceCompiler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// A small deterministic generator (xorshift), so failures repeat.
class Generator {
public:
    explicit Generator(std::uint64_t seed) : state(seed) {}
    std::uint32_t Next(std::uint32_t bound) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<std::uint32_t>(state % bound);
    }
    std::u16string Text(const std::u16string& alphabet, std::uint32_t maxLength) {
        std::u16string text;
        const std::uint32_t length = Next(maxLength + 1);
        for (std::uint32_t i = 0; i < length; ++i)
            text += alphabet[Next(static_cast<std::uint32_t>(alphabet.size()))];
        return text;
    }

private:
    std::uint64_t state;
};

const std::u16string patternAlphabet = u"ab.*+?|(){}[]^-$!\\0dtqnAB";

TEST(ReferenceCompiler, SameProgramsForGeneratedPatterns) {
    Generator generator(0x5eed);
    int compiled = 0;
    for (int i = 0; i < 40000; ++i) {
        const std::u16string pattern = generator.Text(patternAlphabet, 14);
        const bool caseSensitive = generator.Next(2) == 0;
        PatternProgram program;
        const std::int32_t result = program.Compile(pattern.c_str(), caseSensitive);
        const ReferenceProgram reference = ReferenceCompile(pattern, caseSensitive);
        const std::string shown(pattern.begin(), pattern.end());
        ASSERT_EQ(result, reference.result) << shown;
        if (result != PatternOk)
            continue;
        ++compiled;
        ASSERT_EQ(std::vector<PatternInstruction>(program.instructions.begin(),
                                                  program.instructions.end()),
                  reference.instructions)
            << shown;
        ASSERT_EQ(program.groupCount, reference.groupCount) << shown;
        ASSERT_EQ(program.memorySlotCount, reference.memorySlotCount) << shown;
        ASSERT_EQ("", ProgramDefect(program)) << shown;
    }
    EXPECT_GT(compiled, 10000);
}

// Matching without case sensitivity is matching the lowered subject with the lowered pattern;
// every bound lies in the subject and the groups inside their order.
TEST(ReferenceCompiler, CaseInsensitiveMatchesAgreeWithLoweredOnes) {
    Generator generator(0xfeed);
    MatchContext folded;
    MatchContext lowered;
    folded.stepLimit = lowered.stepLimit = 200000;
    for (int i = 0; i < 20000; ++i) {
        const std::u16string pattern = generator.Text(u"aAb.*+?|(){}[]-$!\\0", 10);
        PatternProgram program;
        if (program.Compile(pattern.c_str(), false) != PatternOk)
            continue;
        std::u16string lowerPattern = pattern;
        for (char16_t& c : lowerPattern)
            c = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
        PatternProgram lowerProgram;
        ASSERT_EQ(lowerProgram.Compile(lowerPattern.c_str(), true), PatternOk);
        const std::u16string subject = generator.Text(u"aAbB()[]", 8);
        std::u16string lowerSubject = subject;
        for (char16_t& c : lowerSubject)
            c = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
        const std::string shown(pattern.begin(), pattern.end());
        ASSERT_EQ(Describe(program, subject.c_str(), folded),
                  Describe(lowerProgram, lowerSubject.c_str(), lowered))
            << shown;
        if (folded.outcome != MatchOutcome::Matched)
            continue;
        const char16_t* first = subject.c_str();
        const char16_t* last = first + subject.size() + 1;
        EXPECT_TRUE(folded.matchStart >= first && folded.matchStart <= folded.matchEnd &&
                    folded.matchEnd <= last)
            << shown;
        for (const MatchGroup& group : folded.groups) {
            if (group.begin != nullptr && group.end != nullptr) {
                EXPECT_TRUE(group.begin >= first && group.end <= last) << shown;
            }
        }
    }
}

} // namespace
