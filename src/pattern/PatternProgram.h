// The pattern engine: a small regular-expression compiler and a backtracking matcher.
//
// Syntax, in short: "{...}" is a capture group (numbered from 0 by its opening brace), "(...)" only
// groups, "[...]" and "[^...]" are classes of characters and ranges, "." any character, "$" as the
// last character matches the end of the text, "^" as the first one anchors the pattern at the
// start. A quantifier "*", "+", "?" (greedy) or "*?", "+?", "??" (shortest first) applies to the
// one atom before it; "|" chooses between the single quantified atoms beside it («ab|cd» is a, then
// b or c, then d). "!X" succeeds where the atom X does not match and consumes nothing. "\" followed
// by digits is a back-reference to a capture group, followed by one of the letters a b c d h n q w
// z an abbreviation (see abbreviationTable), followed by anything else that character literally.
//
// Texts are NUL-terminated UTF-16 (char16_t). Windows code passes its wchar_t texts directly: on
// Windows wchar_t is a UTF-16 code unit, and the overloads below hand them on unchanged.
//
// Typical use, the way the IDF loader recognises statements (one program and one context per load):
//
//     PatternProgram program;
//     program.Compile(idfStatementPattern, false);   // case-insensitive; returns PatternOk
//     MatchContext context;
//     for (each line) {
//         if (!program.Match(line, &context))
//             ...parse error...
//         for (std::uint32_t i = 0; i < context.groupCount; ++i)
//             use context.CapturedText(i);            // points into `line`, case as written
//     }
#pragma once

#include "pattern/AtlException.h"
#include "pattern/MatchContext.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Result codes of PatternProgram::Compile (also kept in PatternProgram::lastError).
enum PatternResult : std::int32_t {
    PatternOk = 0,
    PatternOutOfMemory = 1,        // the lowered copy or the instruction list cannot be allocated,
                                   // or the pattern is nested too deeply (see Compile)
    PatternBraceExpected = 2,      // a capture group without its "}"
    PatternParenExpected = 3,      // a group without its ")"
    PatternBracketExpected = 4,    // a class without its "]", or a range without its upper bound
    PatternAbbreviationFailed = 5, // an abbreviation's stored sub-pattern did not compile
    PatternEmptyClass = 6,         // "[]" or "[^]"
    PatternBadGroupNumber = 7,     // a back-reference to a group that is not opened yet
    PatternBadRange = 8,           // a range whose upper bound is below its lower bound
    PatternEmptyRepeat = 9,        // "*", "+", "*?" or "+?" after an atom that can match nothing
};
// Which atoms count as able to match nothing follows the syntax rules, under which a look-ahead and
// a back-reference count as not empty. A shortest-first loop ("*?", "+?") saves no position, so an
// atom that really can consume nothing would make it repeat for ever: there such an atom is
// refused as well (look-aheads, back-references, empty groups).

// The instruction set. The argument of each is described beside it; "fail" means: pop an
// instruction index from the stack and continue there.
enum class PatternOpcode : std::int32_t {
    NoOp,               // nothing; in a class, a lower or upper bound as argument
    GroupStart,         // group: its begin := position
    GroupEnd,           // group: its end := position
    Char,               // character code: match it and step past (0 matches the terminator)
    AnyChar,            // any character but the terminator
    InRanges,           // index after the bound pairs that follow: a character within a pair
    NotInRanges,        // the same: a character (not the terminator) within no pair
    Jump,               // instruction index: continue there
    PushPos,            // push the position
    PopPos,             // position := popped value
    Call,               // instruction index: push the next index and continue there
    Return,             // continue at the popped index (which is how failing works too)
    PushMem,            // memory slot: push its value
    PopMem,             // memory slot := popped value
    StorePos,           // memory slot := position
    StoreStackTop,      // memory slot := stack height
    LoadPos,            // position := memory slot
    LoadStackTop,       // stack height := memory slot
    ReturnIfNoProgress, // memory slot: fail when the position equals it
    BackReference,      // group: match the text the group captured
    Fail,               // the search ends without a match
    Advance,            // the attempt failed: try again one character further
    Accept,             // the search ends with a match
    SaveGroup,          // group: push its begin, then its end
    RestoreGroup,       // group: end := popped value, then begin := popped value
};

// Number of opcodes; PatternOpcode values run from 0 to this minus one.
constexpr int patternOpcodeCount = static_cast<int>(PatternOpcode::RestoreGroup) + 1;

// The name of an opcode as written above ("Call", "InRanges", ...); "?" for other values.
const char* PatternOpcodeName(PatternOpcode opcode);

struct PatternInstruction {
    PatternOpcode opcode = PatternOpcode::NoOp;
    // A character code, a group number, a memory slot or an instruction index, by opcode.
    std::int32_t argument = 0;
};

inline bool operator==(const PatternInstruction& a, const PatternInstruction& b) {
    return a.opcode == b.opcode && a.argument == b.argument;
}
inline bool operator!=(const PatternInstruction& a, const PatternInstruction& b) {
    return !(a == b);
}

// The growable instruction list of a program. Every access by index is checked: an index outside
// the list raises CAtlException(HResultInvalidArgument).
class PatternInstructionArray {
public:
    // The list never holds more instructions than this; a program that would be longer does not
    // compile (PatternOutOfMemory). Above 8200 instructions the list grows by 1024 at a time, so
    // filling it costs time that grows with the square of its length: the limit keeps that short.
    static constexpr std::size_t maxCount = std::size_t{1} << 18;

    std::size_t Count() const { return items.size(); }
    bool IsEmpty() const { return items.empty(); }

    const PatternInstruction& operator[](std::size_t index) const;
    PatternInstruction& operator[](std::size_t index);

    // Appends one instruction and returns its index, or -1 when the list cannot grow.
    std::int32_t Add(PatternOpcode opcode, std::int32_t argument = 0);
    // Cuts the list back to `count` instructions (no effect when it is not longer).
    void Truncate(std::size_t count);
    void RemoveAll() { items.clear(); }

    const PatternInstruction* begin() const { return items.data(); }
    const PatternInstruction* end() const { return items.data() + items.size(); }

private:
    // Grows the storage the way the program's growable arrays do: by an eighth of the current
    // count, but by 4 below 32 instructions and by 1024 from 8200 on, at least to `count`.
    bool Reserve(std::size_t count);

    std::vector<PatternInstruction> items;
};

// A compiled pattern. Compile it once; then it may be matched any number of times, also by several
// threads that each use their own MatchContext.
class PatternProgram {
public:
    // Compiles a NUL-terminated pattern; returns a PatternResult, also kept in lastError. With
    // `caseSensitive` false, the ASCII capitals A to Z of the pattern, and later of every subject,
    // count as lower case. Patterns nested more than maxNesting levels deep (groups, capture
    // groups and look-aheads inside one another) give PatternOutOfMemory, as do programs longer
    // than PatternInstructionArray::maxCount. A null pattern raises CAtlException(HResultFail).
    std::int32_t Compile(const char16_t* pattern, bool caseSensitive);

    // Searches the NUL-terminated subject for the first match, trying start positions from left to
    // right. True: context->matchStart and matchEnd delimit the match and context->groups hold
    // what each capture group captured; every position points into `subject` itself. False: no
    // match, memory ran out, or context->stepLimit was reached (context->outcome tells which); also
    // for a null subject or context, and for a program whose last Compile did not return PatternOk.
    bool Match(const char16_t* subject, MatchContext* context) const;

#ifdef _WIN32
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t is a UTF-16 code unit on Windows");
    // Windows texts: the same code units, read through a char16_t pointer. Group bounds of a match
    // then point into the wchar_t text (MatchContext::CapturedWideText).
    std::int32_t Compile(const wchar_t* pattern, bool caseSensitive) {
        return Compile(reinterpret_cast<const char16_t*>(pattern), caseSensitive);
    }
    bool Match(const wchar_t* subject, MatchContext* context) const {
        return Match(reinterpret_cast<const char16_t*>(subject), context);
    }
#endif

    static constexpr int maxNesting = 200;

    std::int32_t lastError = PatternOk;   // result of the last Compile
    PatternInstructionArray instructions; // execution starts at index 0
    std::uint32_t groupCount = 0;         // capture groups, numbered from 0
    std::int32_t memorySlotCount = 0;     // memory slots a match needs
    bool caseSensitive = true;
};

// The stored sub-patterns of the backslash abbreviations, in lookup order. The first character of
// each entry is the letter that follows the backslash; the rest is compiled in its place (one
// quantified atom of it: only the double-quoted form of "q" is used).
//   \a letter or digit   \b blank or tab     \c letter           \d digit      \h hex digit
//   \n line break        \q "quoted string"   \w run of letters   \z run of digits
extern const char16_t* const abbreviationTable[9];
