// The IDF statement pattern, compiled as the loader compiles it: case-insensitive.
#include "PatternTestSupport.h"
#include "pattern/StatementPattern.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class StatementPattern : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(program.Compile(idfStatementPattern, false), PatternOk); }

    // The three captured texts, or nothing when the line holds no statement.
    std::vector<std::u16string> Fields(const char16_t* line) {
        if (!program.Match(line, &context))
            return {};
        std::vector<std::u16string> fields;
        for (std::uint32_t i = 0; i < context.groupCount; ++i)
            fields.emplace_back(context.CapturedText(i));
        return fields;
    }

    PatternProgram program;
    MatchContext context;
};

using Texts = std::vector<std::u16string>;

TEST_F(StatementPattern, CompilesToTheKnownShape) {
    EXPECT_EQ(program.instructions.Count(), 202u);
    EXPECT_EQ(program.groupCount, 3u);
    EXPECT_EQ(program.memorySlotCount, 3);
    EXPECT_EQ(program.instructions[0], (PatternInstruction{PatternOpcode::Call, 2}));
    EXPECT_EQ(program.instructions[1].opcode, PatternOpcode::Advance);
    EXPECT_EQ(program.instructions[201].opcode, PatternOpcode::Accept);
}

TEST_F(StatementPattern, FieldsInAnyOrderAndAnyCase) {
    EXPECT_EQ(Fields(u"AddExt(ext=mkv,file=C:\\x\\y.dll,index=5)"),
              (Texts{u"ext=mkv", u"file=C:\\x\\y.dll", u"index=5"}));
    EXPECT_EQ(Fields(u"addext(EXT=MKV,FILE=Icons\\A.ico,INDEX=007)  trailing text"),
              (Texts{u"EXT=MKV", u"FILE=Icons\\A.ico", u"INDEX=007"}));
    EXPECT_EQ(Fields(u"junk AddExt(index=3,ext=ogm,file=a.dll) more"),
              (Texts{u"index=3", u"ext=ogm", u"file=a.dll"}));
    EXPECT_EQ(Fields(u"AddExt(ext=a,ext=b,ext=c)"), (Texts{u"ext=a", u"ext=b", u"ext=c"}));
    EXPECT_EQ(Fields(u"AddExt(ext=,file=x.dll,index=0)"),
              (Texts{u"ext=", u"file=x.dll", u"index=0"}));
    EXPECT_EQ(Fields(u";AddExt(ext=.MKV,file=a,index=1)"),
              (Texts{u"ext=.MKV", u"file=a", u"index=1"}));
}

TEST_F(StatementPattern, WhereFieldTextsEnd) {
    // The third text ends at the first ")"; the first two are as short as the rest allows.
    EXPECT_EQ(Fields(u"AddExt(ext=mkv,index=3,file=C:\\Program Files (x86)\\x.dll)"),
              (Texts{u"ext=mkv", u"index=3", u"file=C:\\Program Files (x86"}));
    EXPECT_EQ(Fields(u"AddExt(file=C:\\Program Files (x86)\\x.dll,ext=mkv,index=3)"),
              (Texts{u"file=C:\\Program Files (x86)\\x.dll", u"ext=mkv", u"index=3"}));
    EXPECT_EQ(Fields(u"AddExt(file=a,b.dll,ext=mkv,index=1)"),
              (Texts{u"file=a,b.dll", u"ext=mkv", u"index=1"}));
    EXPECT_EQ(Fields(u"AddExt(ext=a,file=b,index=1)AddExt(ext=c,file=d,index=2)"),
              (Texts{u"ext=a", u"file=b", u"index=1"}));
    EXPECT_EQ(Fields(u"AddExt(ext=a,file=b)AddExt(ext=c,file=d,index=2)"),
              (Texts{u"ext=a", u"file=b)AddExt(ext=c", u"file=d,index=2"}));
}

TEST_F(StatementPattern, LinesWithoutAStatement) {
    for (const char16_t* line :
         {u"AddExt({ext=mkv},{file=x.dll},{index=1})", u"AddExt(ext=mkv, file=x.dll, index=1)",
          u"AddExt(ext=mkv,file=x.dll)", u"AddExt(ext=mkv,file=x.dll,index=)",
          u"AddExt(ext=mkv,file=x.dll,index=1a)", u"AddExt(file=a,,ext=mkv,index=1)", u"   ",
          u"// comment", u"AddExt(ext=a,file=b,index=\uff11)"}) {
        EXPECT_EQ(Fields(line), Texts{})
            << std::string(line, line + std::char_traits<char16_t>::length(line));
    }
}

TEST_F(StatementPattern, EmptyLineFailsAfterOneAttempt) {
    const char16_t line[] = u"";
    EXPECT_FALSE(program.Match(line, &context));
    EXPECT_EQ(context.matchStart, line);
    EXPECT_EQ(context.outcome, MatchOutcome::NoMatch);
}

TEST_F(StatementPattern, CapturedTextsLieInTheLineAsWritten) {
    const char16_t line[] = u"x ADDEXT(Ext=A.B,File=C,Index=9)";
    ASSERT_TRUE(program.Match(line, &context));
    EXPECT_EQ(context.matchStart, line + 2);
    EXPECT_EQ(context.matchEnd, line + 32);
    EXPECT_EQ(context.groups[0].begin, line + 9);
    EXPECT_EQ(context.groups[2].end, line + 31);
    EXPECT_EQ(context.CapturedText(1), u"File=C");
}

TEST_F(StatementPattern, PathologicalLinesEnd) {
    const std::u16string commas = u"AddExt(ext=" + std::u16string(20000, u',');
    EXPECT_FALSE(program.Match(commas.c_str(), &context));
    std::u16string repeated;
    for (int i = 0; i < 300; ++i)
        repeated += u"AddExt(ext=a,";
    EXPECT_FALSE(program.Match(repeated.c_str(), &context));
    EXPECT_TRUE(program.Match((repeated + u"file=x,index=1)").c_str(), &context));
    EXPECT_EQ(context.CapturedText(0).size(), 13u * 299 + 5);
}

#ifdef _WIN32
TEST_F(StatementPattern, WideTextsOfWindows) {
    PatternProgram wide;
    ASSERT_EQ(wide.Compile(L"AddExt\\({(ext=.*?)|(file=.*?)|(index=\\d+)},{(ext=.*?)|(file=.*?)|"
                           L"(index=\\d+)},{(ext=.*?)|(file=.*?)|(index=\\d+)}\\)",
                           false),
              PatternOk);
    EXPECT_EQ(Listing(wide), Listing(program));
    const wchar_t line[] = L"AddExt(ext=mkv,file=a.dll,index=2)";
    ASSERT_TRUE(wide.Match(line, &context));
    EXPECT_EQ(context.CapturedWideText(1), L"file=a.dll");
    EXPECT_EQ(context.CapturedWideText(1).data(), line + 15);
}
#endif

} // namespace
