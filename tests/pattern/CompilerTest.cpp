// The compiler: instruction layouts, result codes, the flag rules and hostile patterns.
#include "PatternTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ListingOf(const char16_t* pattern, bool caseSensitive = true) {
    PatternProgram program;
    const std::int32_t result = program.Compile(pattern, caseSensitive);
    return result == PatternOk ? Listing(program) : "result " + std::to_string(result);
}

TEST(CompilerLayout, AlternationScaffold) {
    EXPECT_EQ(ListingOf(u"a|b"), "Call 2, Advance 0, PushPos 0, Call 6, PopPos 0, Jump 8, "
                                 "Char 97, Jump 9, Char 98, Accept 0");
    // A chain nests: the right side of the first bar is itself an alternation.
    EXPECT_EQ(ListingOf(u"a|b|c"), "Call 2, Advance 0, PushPos 0, Call 6, PopPos 0, Jump 8, "
                                   "Char 97, Jump 15, PushPos 0, Call 12, PopPos 0, Jump 14, "
                                   "Char 98, Jump 15, Char 99, Accept 0");
}

TEST(CompilerLayout, GreedyLoops) {
    const std::string loop = "PushMem 0, StorePos 0, PushPos 0, Call 9, PopPos 0, PopMem 0, ";
    EXPECT_EQ(ListingOf(u"a*"), "Call 2, Advance 0, " + loop +
                                    "Jump 13, Char 97, ReturnIfNoProgress 0, StorePos 0, Jump 2, "
                                    "Accept 0");
    EXPECT_EQ(ListingOf(u"a?"), "Call 2, Advance 0, " + loop +
                                    "Jump 12, Char 97, ReturnIfNoProgress 0, StorePos 0, Accept 0");
    EXPECT_EQ(ListingOf(u"a+"),
              "Call 2, Advance 0, Char 97, PushMem 0, StorePos 0, PushPos 0, Call 10, PopPos 0, "
              "PopMem 0, Jump 14, Char 97, ReturnIfNoProgress 0, StorePos 0, Jump 3, Accept 0");
}

TEST(CompilerLayout, ShortestFirstLoops) {
    EXPECT_EQ(ListingOf(u"a*?"), "Call 2, Advance 0, Call 5, Char 97, Jump 2, Accept 0");
    EXPECT_EQ(ListingOf(u"a+?"), "Call 2, Advance 0, Char 97, Call 6, Char 97, Jump 3, Accept 0");
    EXPECT_EQ(ListingOf(u"a??"), "Call 2, Advance 0, Call 4, Char 97, Accept 0");
}

TEST(CompilerLayout, GroupsClassesAndLookAhead) {
    EXPECT_EQ(ListingOf(u"{a}"), "Call 2, Advance 0, SaveGroup 0, GroupStart 0, Call 7, "
                                 "RestoreGroup 0, Return 0, Char 97, GroupEnd 0, Accept 0");
    EXPECT_EQ(ListingOf(u"(a)"), "Call 2, Advance 0, Call 4, Return 0, Char 97, Accept 0");
    EXPECT_EQ(ListingOf(u"!a"), "Call 2, Advance 0, StorePos 0, StoreStackTop 1, Call 8, "
                                "LoadPos 0, LoadStackTop 1, Jump 12, Char 97, LoadPos 0, "
                                "LoadStackTop 1, Return 0, Accept 0");
    EXPECT_EQ(ListingOf(u"[a-c_]"),
              "Call 2, Advance 0, InRanges 7, NoOp 97, NoOp 99, NoOp 95, NoOp 95, Accept 0");
    // "-" first, "-" after a range, and escapes; "\t" is the tab, "\n" the letter n.
    EXPECT_EQ(ListingOf(u"[^-a-b-\\]\\t\\n]"),
              "Call 2, Advance 0, NotInRanges 15, NoOp 45, NoOp 45, NoOp 97, NoOp 98, NoOp 45, "
              "NoOp 45, NoOp 93, NoOp 93, NoOp 9, NoOp 9, NoOp 110, NoOp 110, Accept 0");
    EXPECT_EQ(ListingOf(u"{}x"),
              "Call 2, Advance 0, SaveGroup 0, GroupStart 0, Call 7, "
              "RestoreGroup 0, Return 0, NoOp 0, GroupEnd 0, Char 120, Accept 0");
}

TEST(CompilerLayout, AnchorsAndOrdinaryCharacters) {
    EXPECT_EQ(ListingOf(u"^ab$"), "Call 2, Fail 0, Char 97, Char 98, Char 0, Accept 0");
    // "^" after the start, "$" before the end and a quantifier where an atom is expected are
    // ordinary characters.
    EXPECT_EQ(ListingOf(u"a^$b"),
              "Call 2, Advance 0, Char 97, Char 94, Char 36, Char 98, Accept 0");
    EXPECT_EQ(ListingOf(u"*"), "Call 2, Advance 0, Char 42, Accept 0");
    EXPECT_EQ(ListingOf(u"\\t\\(\\\\"), "Call 2, Advance 0, Char 116, Char 40, Char 92, Accept 0");
}

TEST(CompilerLayout, WhatIsIgnoredOrDropped) {
    EXPECT_EQ(ListingOf(u"x)yz"), ListingOf(u"x"));
    EXPECT_EQ(ListingOf(u"x]y"), ListingOf(u"x"));
    EXPECT_EQ(ListingOf(u"(a|)x"), ListingOf(u"()x"));
    EXPECT_EQ(ListingOf(u"a|"), "Call 2, Advance 0, Accept 0");
    EXPECT_EQ(ListingOf(u""), "Call 2, Advance 0, Accept 0");
}

TEST(CompilerLayout, AbbreviationsAndCase) {
    EXPECT_EQ(ListingOf(u"\\d"),
              "Call 2, Advance 0, Call 4, Return 0, InRanges 7, NoOp 48, NoOp 57, Accept 0");
    EXPECT_EQ(ListingOf(u"\\D", false), ListingOf(u"\\d"));
    EXPECT_EQ(ListingOf(u"[A-Z]", false), ListingOf(u"[a-z]"));
    EXPECT_EQ(ListingOf(u"\\D"), "Call 2, Advance 0, Char 68, Accept 0");
    // Only the double-quoted form of \q is compiled.
    EXPECT_EQ(ListingOf(u"\\q"), ListingOf(u"(\"[^\"]*\")"));
    EXPECT_EQ(ListingOf(u"\\n"), ListingOf(u"(\r|(\r?\n))"));
    EXPECT_EQ(ListingOf(u"\\w+"), ListingOf(u"([a-zA-Z]+)+"));
}

TEST(CompilerLayout, RepeatedCopiesRenumberSlotsAndReuseGroups) {
    PatternProgram program;
    // The plus keeps the atom (inner slot 0), its loop takes slot 1 and the copy's inner loop 2.
    ASSERT_EQ(program.Compile(u"(a*b)+", true), PatternOk);
    EXPECT_EQ(program.memorySlotCount, 3);
    ASSERT_EQ(program.Compile(u"{a{b}}+", true), PatternOk);
    EXPECT_EQ(program.groupCount, 2u);
    EXPECT_EQ(program.memorySlotCount, 1);
    ASSERT_EQ(program.Compile(u"(!a)*", true), PatternOk);
    EXPECT_EQ(program.memorySlotCount, 3);
}

TEST(CompilerResult, EmptyRepeats) {
    EXPECT_EQ(CompileResult(u"(a*)*"), PatternEmptyRepeat);
    EXPECT_EQ(CompileResult(u"(a+?)*"), PatternEmptyRepeat);
    EXPECT_EQ(CompileResult(u"(a|\\()*"), PatternEmptyRepeat);
    // An empty body leaves the flag as it came: preset to false, it passes.
    EXPECT_EQ(CompileResult(u"()+"), PatternOk);
    EXPECT_EQ(CompileResult(u"(a?)*?"), PatternEmptyRepeat);
    EXPECT_EQ(CompileResult(u"(a|b)*"), PatternOk);
    EXPECT_EQ(CompileResult(u"(\\()*"), PatternOk);
    EXPECT_EQ(CompileResult(u"(a*)?"), PatternOk);
    EXPECT_EQ(CompileResult(u"(a*)??"), PatternOk);
    EXPECT_EQ(CompileResult(u"a**"), PatternOk);
}

// A shortest-first loop saves no position, so a pass that consumes nothing would repeat for ever.
// Atoms that can match without consuming are refused there, also a look-ahead, a back-reference
// and a dropped alternation, which the flag of the syntax rules counts as not empty.
TEST(CompilerResult, ShortestFirstLoopsNeedAnAtomThatConsumes) {
    EXPECT_EQ(CompileResult(u"(!a)*?b"), PatternEmptyRepeat);
    EXPECT_EQ(CompileResult(u"(!a)+?b"), PatternEmptyRepeat);
    EXPECT_EQ(CompileResult(u"{a}(\\0)*?b"), PatternEmptyRepeat);
    EXPECT_EQ(CompileResult(u"(a|)*?b"), PatternEmptyRepeat);
    EXPECT_EQ(CompileResult(u"{}*?b"), PatternEmptyRepeat);
    // Greedy loops stop a pass that consumes nothing themselves; "??" runs at most once.
    EXPECT_EQ(CompileResult(u"(!a)*b"), PatternOk);
    EXPECT_EQ(CompileResult(u"(!a)??b"), PatternOk);
    EXPECT_EQ(CompileResult(u"(!a.)*?b"), PatternOk);
    EXPECT_EQ(CompileResult(u"(\\(|a)*?b"), PatternOk);
}

TEST(CompilerResult, ClassesGroupsAndReferences) {
    EXPECT_EQ(CompileResult(u"[]"), PatternEmptyClass);
    EXPECT_EQ(CompileResult(u"[^]"), PatternEmptyClass);
    EXPECT_EQ(CompileResult(u"[a-]"), PatternBracketExpected);
    EXPECT_EQ(CompileResult(u"[abc"), PatternBracketExpected);
    EXPECT_EQ(CompileResult(u"[a-"), PatternBracketExpected);
    EXPECT_EQ(CompileResult(u"[b-a]"), PatternBadRange);
    EXPECT_EQ(CompileResult(u"{a"), PatternBraceExpected);
    EXPECT_EQ(CompileResult(u"{a)"), PatternBraceExpected);
    EXPECT_EQ(CompileResult(u"(a"), PatternParenExpected);
    EXPECT_EQ(CompileResult(u"(a}"), PatternParenExpected);
    EXPECT_EQ(CompileResult(u"\\1"), PatternBadGroupNumber);
    EXPECT_EQ(CompileResult(u"{a}\\1"), PatternBadGroupNumber);
    EXPECT_EQ(CompileResult(u"{a}\\0"), PatternOk);
    EXPECT_EQ(CompileResult(u"{a\\0}"), PatternOk);
    EXPECT_EQ(CompileResult(u"{a}\\99999999999999999999999"), PatternBadGroupNumber);
    EXPECT_EQ(CompileResult(u"{a}\\00"), PatternOk);
}

TEST(CompilerResult, ALoneTrailingBackslashStandsForItself) {
    EXPECT_EQ(ListingOf(u"a\\"), ListingOf(u"a\\\\"));
    EXPECT_EQ(ListingOf(u"\\"), "Call 2, Advance 0, Char 92, Accept 0");
    EXPECT_EQ(CompileResult(u"[a\\"), PatternBracketExpected);
    EXPECT_EQ(CompileResult(u"[A-\\"), PatternBracketExpected);
    EXPECT_EQ(CompileResult(u"[a-\\"), PatternBadRange);
    EXPECT_EQ(Describe(u"a\\", u"xa\\"), "1-3");
}

TEST(CompilerResult, EachCompileStartsAfresh) {
    PatternProgram program;
    ASSERT_EQ(program.Compile(u"{a}*", true), PatternOk);
    EXPECT_EQ(program.Compile(u"(a", false), PatternParenExpected);
    EXPECT_EQ(program.lastError, PatternParenExpected);
    EXPECT_FALSE(program.caseSensitive);
    ASSERT_EQ(program.Compile(u"b", true), PatternOk);
    EXPECT_EQ(Listing(program), "Call 2, Advance 0, Char 98, Accept 0");
    EXPECT_EQ(program.groupCount, 0u);
    EXPECT_EQ(program.memorySlotCount, 0);
}

TEST(CompilerResult, NullPatternRaisesFail) {
    PatternProgram program;
    try {
        program.Compile(static_cast<const char16_t*>(nullptr), true);
        FAIL() << "no exception";
    } catch (const CAtlException& e) {
        EXPECT_EQ(e.hr, HResultFail);
    }
}

TEST(InstructionArray, IndexOutsideTheListRaisesInvalidArgument) {
    PatternProgram program;
    ASSERT_EQ(program.Compile(u"a", true), PatternOk);
    ASSERT_EQ(program.instructions.Count(), 4u);
    EXPECT_EQ(program.instructions[3].opcode, PatternOpcode::Accept);
    try {
        (void)program.instructions[4];
        FAIL() << "no exception";
    } catch (const CAtlException& e) {
        EXPECT_EQ(e.hr, HResultInvalidArgument);
        EXPECT_STREQ(e.what(), "CAtlException E_INVALIDARG");
    }
    EXPECT_THROW((void)program.instructions[static_cast<std::size_t>(-1)], CAtlException);
}

std::u16string Repeat(const std::u16string& piece, std::size_t times) {
    std::u16string text;
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

TEST(HostilePattern, DeepNestingIsRefusedNotOverflowed) {
    const int depth = PatternProgram::maxNesting;
    EXPECT_EQ(CompileResult((Repeat(u"(", depth) + u"a" + Repeat(u")", depth)).c_str()), PatternOk);
    EXPECT_EQ(CompileResult((Repeat(u"{", depth + 1) + u"a" + Repeat(u"}", depth + 1)).c_str()),
              PatternOutOfMemory);
    EXPECT_EQ(CompileResult(Repeat(u"(", 100000).c_str()), PatternOutOfMemory);
    EXPECT_EQ(CompileResult((Repeat(u"!", 100000) + u"a").c_str()), PatternOutOfMemory);
    EXPECT_EQ(CompileResult(Repeat(u"(a|", 100000).c_str()), PatternOutOfMemory);
}

TEST(HostilePattern, LongPatternsCompileOrHitTheSizeLimit) {
    PatternProgram program;
    ASSERT_EQ(program.Compile(Repeat(u"a", 100000).c_str(), true), PatternOk);
    EXPECT_EQ(program.instructions.Count(), 100003u);
    ASSERT_EQ(program.Compile((u"a" + Repeat(u"|a", 20000)).c_str(), true), PatternOk);
    EXPECT_EQ(program.instructions.Count(), 3u + 20000 * 6 + 1);
    MatchContext context;
    EXPECT_EQ(Describe(program, u"xxa", context), "2-3");
    // Each plus doubles the code of what it repeats, up to the size limit.
    const std::u16string doubling = Repeat(u"(", 40) + u"a" + Repeat(u")+", 40);
    EXPECT_EQ(program.Compile(doubling.c_str(), true), PatternOutOfMemory);
    EXPECT_EQ(program.instructions.Count(), PatternInstructionArray::maxCount);
}

TEST(HostilePattern, UnbalancedAndTruncatedPatterns) {
    for (const char16_t* pattern :
         {u"(",     u"{",    u"[",    u"[^",  u"\\",   u"!",    u"!(",  u"a|",
          u"|",     u"((a)", u"{(})", u"[\\", u"x*?+", u"a{1}", u"]",   u"}",
          u")(",    u"[]]",  u"!)",   u"^",   u"^^",   u"$$",   u"a|)", u"\\q\\n\\w\\z\\b\\h\\c\\a",
          u"(?:a)", u"[z-a", u"{\\0}"}) {
        PatternProgram program;
        const std::int32_t result = program.Compile(pattern, false);
        EXPECT_GE(result, PatternOk);
        EXPECT_LE(result, PatternEmptyRepeat);
        MatchContext context;
        program.Match(u"a(b)c{d}[e]\\", &context);
    }
}

} // namespace
