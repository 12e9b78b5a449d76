// The matcher: search order, capture bounds after backtracking, the context, and malformed
// programs.
#include "PatternTestSupport.h"
#include "pattern/StatementPattern.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SearchOrder, EmptyMatchesAndTheTerminator) {
    EXPECT_EQ(Describe(u"x*", u"abc"), "0-0");
    EXPECT_EQ(Describe(u"x*", u""), "0-0");
    EXPECT_EQ(Describe(u"$", u"abc"), "no match");
    // "$" matches the terminator and steps past it.
    EXPECT_EQ(Describe(u"$", u""), "0-1");
    EXPECT_EQ(Describe(u"ab$", u"cab"), "1-4");
    EXPECT_EQ(Describe(u"ab$", u"abc"), "no match");
    EXPECT_EQ(Describe(u".", u""), "no match");
    EXPECT_EQ(Describe(u"[^a]", u""), "no match");
    EXPECT_EQ(Describe(u"[^a]", u"ab"), "1-2");
}

TEST(SearchOrder, AnchorsAndLeftmostStart) {
    EXPECT_EQ(Describe(u"^ab", u"abc"), "0-2");
    EXPECT_EQ(Describe(u"^ab", u"cab"), "no match");
    // The leftmost start wins, not the longest match.
    EXPECT_EQ(Describe(u"a|(bbb)", u"xbbba"), "1-4");
    EXPECT_EQ(Describe(u"b+", u"abbbcbbbbb"), "1-4");
}

TEST(SearchOrder, BarSeparatesSingleAtoms) {
    EXPECT_EQ(Describe(u"ab|cd", u"abd"), "0-3");
    EXPECT_EQ(Describe(u"ab|cd", u"acd"), "0-3");
    EXPECT_EQ(Describe(u"ab|cd", u"ab"), "no match");
    EXPECT_EQ(Describe(u"ab|cd", u"cd"), "no match");
    EXPECT_EQ(Describe(u"(ab)|(cd)", u"xcd"), "1-3");
    EXPECT_EQ(Describe(u"a**", u"aa*"), "0-3");
    EXPECT_EQ(Describe(u"a**", u"aa"), "no match");
}

TEST(SearchOrder, ShortestFirstLoopsSaveNoPosition) {
    EXPECT_EQ(Describe(u"x.*?ab", u"xaab"), "no match");
    EXPECT_EQ(Describe(u"x.*ab", u"xaab"), "0-4");
    EXPECT_EQ(Describe(u"x.*?b", u"xaabb"), "0-4");
    EXPECT_EQ(Describe(u"{.*?},", u"ab,c,"), "0-3 0-2");
    // The text before a comma never ends with a comma: that length is stepped over.
    EXPECT_EQ(Describe(u"^{.*?},x", u"a,,x"), "no match");
    EXPECT_EQ(Describe(u"^{.*},x", u"a,,x"), "0-4 0-2");
}

TEST(SearchOrder, OptionalForms) {
    EXPECT_EQ(Describe(u"a??b", u"ab"), "0-2");
    EXPECT_EQ(Describe(u"a??b", u"b"), "0-1");
    EXPECT_EQ(Describe(u"(ab)??c", u"c"), "0-1");
    EXPECT_EQ(Describe(u"(ab)??c", u"abc"), "0-3");
    EXPECT_EQ(Describe(u"{a}??b", u"ab"), "0-2 0-1");
    EXPECT_EQ(Describe(u"{a}?", u"a"), "0-1 0-1");
    EXPECT_EQ(Describe(u"{a}??", u"a"), "0-0 -");
}

TEST(SearchOrder, LookAheadConsumesNothing) {
    EXPECT_EQ(Describe(u"!a.", u"ab"), "1-2");
    EXPECT_EQ(Describe(u"a!b", u"abac"), "2-3");
    // A pass of a greedy loop that consumes nothing fails; the loop ends.
    EXPECT_EQ(Describe(u"(!a)*b", u"xb"), "1-2");
}

TEST(SearchOrder, AbbreviationsAndEscapes) {
    EXPECT_EQ(Describe(u"\\n", u"x\r\ny"), "1-2");
    EXPECT_EQ(Describe(u"\\n", u"x\ny"), "1-2");
    EXPECT_EQ(Describe(u"\\q", u"say \"hi\" now"), "4-8");
    EXPECT_EQ(Describe(u"\\q", u"say 'hi' now"), "no match");
    EXPECT_EQ(Describe(u"\\t", u"a\tt"), "2-3");
    EXPECT_EQ(Describe(u"[\\t]", u"t\t"), "1-2");
    EXPECT_EQ(Describe(u"\\z\\b\\w", u"x12\tab"), "1-6");
    EXPECT_EQ(Describe(u"\\z\\b\\w", u"x12 \tab"), "no match");
    EXPECT_EQ(Describe(u"\\h+", u"xx0fA9g"), "2-6");
    // Code units compare unsigned.
    EXPECT_EQ(Describe(u"[\u0100-\uffff]+", u"a\u00ff\u0100\ue000\uffffb"), "2-5");
}

TEST(CaptureBounds, BackTrackingGivesPassesBack) {
    EXPECT_EQ(Describe(u"{a}*ab", u"aab"), "0-3 0-1");
    EXPECT_EQ(Describe(u"{a*}a", u"aaa"), "0-3 0-2");
    EXPECT_EQ(Describe(u"{.*}b", u"abab"), "0-4 0-3");
    EXPECT_EQ(Describe(u"{(a)|(ab)}c", u"abc"), "0-3 0-2");
    EXPECT_EQ(Describe(u"({a}|{b})*c", u"abc"), "0-3 0-1 1-2");
    EXPECT_EQ(Describe(u"{a}+b", u"aaab"), "0-4 2-3");
}

TEST(CaptureBounds, GroupsOffTheSuccessfulPath) {
    EXPECT_EQ(Describe(u"{x}|{y}", u"y"), "0-1 - 0-1");
    EXPECT_EQ(Describe(u"{}x", u"x"), "0-1 0-0");
    EXPECT_EQ(Describe(u"{a}*b", u"b"), "0-1 -");
    // A failed attempt gives every pass back: nothing is left from the attempt at "a".
    EXPECT_EQ(Describe(u"{a}c", u"abac"), "2-4 2-3");
}

TEST(CaptureBounds, LookAheadLeavesItsGroupsSet) {
    EXPECT_EQ(Describe(u"!{a}.", u"ab"), "1-2 0-1");
    EXPECT_EQ(Describe(u"!{b}a", u"ab"), "0-1 -");
}

TEST(CaptureBounds, BackReferences) {
    EXPECT_EQ(Describe(u"{a}\\0", u"aa"), "0-2 0-1");
    EXPECT_EQ(Describe(u"{a}\\0", u"ab"), "no match");
    EXPECT_EQ(Describe(u"{a+}-\\0", u"aaa-aa"), "1-6 1-3");
    EXPECT_EQ(Describe(u"{a}\\0", u"aA", false), "0-2 0-1");
    EXPECT_EQ(Describe(u"{a}\\0", u"aA"), "no match");
    // A group not captured on the path has length 0, and so has one that encloses the reference.
    EXPECT_EQ(Describe(u"({x}|y)\\0z", u"yz"), "0-2 -");
    EXPECT_EQ(Describe(u"{a\\0}b", u"ab"), "0-2 0-1");
    EXPECT_EQ(Describe(u"({a\\0}b)+", u"abab"), "0-4 2-3");
    // The text the group captured is compared where it would run past the terminator.
    EXPECT_EQ(Describe(u"{abc}.*\\0", u"abcab"), "no match");
}

TEST(CaseInsensitive, PositionsPointIntoTheCallersSubject) {
    PatternProgram program;
    ASSERT_EQ(program.Compile(u"{abc}", false), PatternOk);
    const char16_t subject[] = u"xABCx";
    MatchContext context;
    ASSERT_TRUE(program.Match(subject, &context));
    EXPECT_EQ(context.matchStart, subject + 1);
    EXPECT_EQ(context.matchEnd, subject + 4);
    EXPECT_EQ(context.groups[0].begin, subject + 1);
    EXPECT_EQ(context.CapturedText(0), u"ABC");
    // Only A to Z fold.
    EXPECT_EQ(Describe(u"\u00e9", u"\u00c9", false), "no match");
    EXPECT_EQ(Describe(u"[A-Z]", u"@[a", false), "2-3");
}

TEST(Context, NullArgumentsChangeNothing) {
    PatternProgram program;
    ASSERT_EQ(program.Compile(u"a", true), PatternOk);
    MatchContext context;
    const char16_t marker[] = u"marker";
    context.matchStart = marker;
    context.outcome = MatchOutcome::Matched;
    EXPECT_FALSE(program.Match(static_cast<const char16_t*>(nullptr), &context));
    EXPECT_FALSE(program.Match(u"a", nullptr));
    EXPECT_EQ(context.matchStart, marker);
    EXPECT_EQ(context.outcome, MatchOutcome::Matched);
}

TEST(Context, ProgramThatDidNotCompileMatchesNothing) {
    PatternProgram program;
    ASSERT_EQ(program.Compile(u"{a", true), PatternBraceExpected);
    MatchContext context;
    EXPECT_FALSE(program.Match(u"a", &context));
    EXPECT_EQ(context.outcome, MatchOutcome::NoMatch);
    PatternProgram empty;
    EXPECT_FALSE(empty.Match(u"a", &context));
}

TEST(Context, ReuseReinitialisesGroupsAndMemory) {
    PatternProgram program;
    ASSERT_EQ(program.Compile(u"{a}|{b}", true), PatternOk);
    MatchContext context;
    ASSERT_TRUE(program.Match(u"a", &context));
    EXPECT_EQ(context.groupCount, 2u);
    EXPECT_EQ(context.CapturedText(0), u"a");
    ASSERT_TRUE(program.Match(u"b", &context));
    EXPECT_EQ(context.groups[0].begin, nullptr);
    EXPECT_EQ(context.CapturedText(0), u"");
    EXPECT_EQ(context.CapturedText(1), u"b");
    EXPECT_THROW(context.CapturedText(2), CAtlException);
    ASSERT_EQ(program.Compile(u"x*", true), PatternOk);
    ASSERT_TRUE(program.Match(u"xx", &context));
    EXPECT_EQ(context.groupCount, 0u);
    EXPECT_TRUE(context.groups.empty());
    EXPECT_EQ(context.memory.size(), 1u);
}

TEST(Context, StackStartsAt256AndGrows) {
    MatchContext context;
    EXPECT_EQ(context.stack.size(), 256u);
    EXPECT_EQ(context.Pop(), 0u);
    for (std::uintptr_t i = 1; i <= 255; ++i)
        ASSERT_TRUE(context.Push(i));
    EXPECT_EQ(context.stack.size(), 256u);
    ASSERT_TRUE(context.Push(256));
    EXPECT_EQ(context.stack.size(), 514u);
    EXPECT_EQ(context.stackTop, 256u);
    EXPECT_EQ(context.Pop(), 256u);
    EXPECT_EQ(context.Pop(), 255u);
    ASSERT_TRUE(context.Initialize(2, 3));
    EXPECT_EQ(context.stackTop, 0u);
    EXPECT_EQ(context.groups.size(), 2u);
    EXPECT_EQ(context.memory, std::vector<std::uintptr_t>(3, 0));
}

TEST(Context, DeepBacktrackingGrowsTheStack) {
    const std::u16string subject = std::u16string(100000, u'a') + u"c";
    PatternProgram program;
    ASSERT_EQ(program.Compile(u"{(a|b)*}c", true), PatternOk);
    MatchContext context;
    ASSERT_TRUE(program.Match(subject.c_str(), &context));
    EXPECT_EQ(context.CapturedText(0).size(), 100000u);
    EXPECT_GT(context.stack.size(), 300000u);
    EXPECT_EQ(context.outcome, MatchOutcome::Matched);
}

TEST(Context, StepLimitStopsAnExponentialSearch) {
    PatternProgram program;
    ASSERT_EQ(program.Compile(u"((a|(aa))|((a|(aa))))*x", true), PatternOk);
    MatchContext context;
    context.stepLimit = 100000;
    const std::u16string subject(60, u'a');
    EXPECT_FALSE(program.Match(subject.c_str(), &context));
    EXPECT_EQ(context.outcome, MatchOutcome::StepLimitReached);
    EXPECT_TRUE(program.Match(u"aax", &context));
    EXPECT_EQ(context.outcome, MatchOutcome::Matched);
}

// Every instruction run is a step, wherever the search is: a search of `steps` steps ends as it
// does without a limit when the limit is `steps`, and stops one step earlier. A search stopped
// after `stopAfter` steps reports the attempt's start, the position and the groups it had reached.
TEST(Context, StepLimitCountsEveryInstruction) {
    struct Case {
        const char16_t* pattern;
        bool caseSensitive;
        const char16_t* subject;
        std::uint64_t steps;
        std::uint64_t stopAfter;
        const char* stoppedAt;
    };
    const Case cases[] = {
        // Within the second field's text, and among starts that cannot begin a statement.
        {idfStatementPattern, false, u"AddExt(ext=mkv,FILE=C:\\x.dll,index=101)", 167, 60,
         "0-20 7-14 15-- -"},
        {idfStatementPattern, false, u"  AddExt(ext=a,file=b,index=1) ; c", 101, 4, "1-1 - - -"},
        {idfStatementPattern, false, u"  AddExt(ext=a,file=b,index=1) ; c", 101, 6, "1-2 - - -"},
        {idfStatementPattern, false, u"; no statement", 43, 20, "6-6 - - -"},
        // Within shortest-first loops: one that runs into the terminator, one that ends there.
        {u"{a.*?}b", true, u"xaxxx", 59, 23, "1-4 1-3"},
        {u"a.*?$", true, u"xabc", 16, 7, "1-2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(
            std::string(c.subject, c.subject + std::char_traits<char16_t>::length(c.subject)));
        PatternProgram program;
        ASSERT_EQ(program.Compile(c.pattern, c.caseSensitive), PatternOk);
        MatchContext context;
        const std::string unlimited = Describe(program, c.subject, context);
        const MatchOutcome outcome = context.outcome;
        context.stepLimit = c.steps;
        EXPECT_EQ(Describe(program, c.subject, context), unlimited);
        EXPECT_EQ(context.outcome, outcome);
        context.stepLimit = c.steps - 1;
        EXPECT_FALSE(program.Match(c.subject, &context));
        EXPECT_EQ(context.outcome, MatchOutcome::StepLimitReached);
        context.stepLimit = c.stopAfter;
        EXPECT_FALSE(program.Match(c.subject, &context));
        EXPECT_EQ(context.outcome, MatchOutcome::StepLimitReached);
        EXPECT_EQ(Bounds(context, c.subject), c.stoppedAt);
    }
}

// Programs that Compile cannot produce: the matcher refuses what lies outside the program, the
// stack, the memory or the groups, and raises no other fault.
void ExpectInvalidArgument(PatternProgram& program, const char16_t* subject) {
    MatchContext context;
    try {
        program.Match(subject, &context);
        ADD_FAILURE() << "no exception for " << Listing(program);
    } catch (const CAtlException& e) {
        EXPECT_EQ(e.hr, HResultInvalidArgument);
    }
}

TEST(MalformedProgram, IndicesOutsideTheirArraysRaiseInvalidArgument) {
    PatternProgram program;
    ASSERT_EQ(program.Compile(u"ab", true), PatternOk);
    program.instructions[2] = {PatternOpcode::Jump, 1000};
    ExpectInvalidArgument(program, u"ab");
    program.instructions[2] = {PatternOpcode::Jump, -5};
    ExpectInvalidArgument(program, u"ab");
    program.instructions[2] = {PatternOpcode::GroupStart, 0};
    ExpectInvalidArgument(program, u"ab");
    program.instructions[2] = {PatternOpcode::StorePos, 0};
    ExpectInvalidArgument(program, u"ab");
    program.instructions[2] = {PatternOpcode::InRanges, 1};
    ExpectInvalidArgument(program, u"ab");
    program.instructions[2] = {static_cast<PatternOpcode>(99), 0};
    ExpectInvalidArgument(program, u"ab");

    // A stack height above the current one, and a position beyond the text.
    ASSERT_EQ(program.Compile(u"!a", true), PatternOk);
    program.instructions[2] = {PatternOpcode::PushPos, 0};
    program.instructions[3] = {PatternOpcode::PushPos, 0};
    program.instructions[4] = {PatternOpcode::StoreStackTop, 1};
    program.instructions[5] = {PatternOpcode::PopPos, 0};
    program.instructions[6] = {PatternOpcode::PopPos, 0};
    program.instructions[7] = {PatternOpcode::LoadStackTop, 1};
    ExpectInvalidArgument(program, u"xxxxxx");
    program.instructions[5] = {PatternOpcode::PushPos, 0};
    program.instructions[6] = {PatternOpcode::StoreStackTop, 0};
    program.instructions[7] = {PatternOpcode::LoadPos, 0};
    ExpectInvalidArgument(program, u"");
}

} // namespace
