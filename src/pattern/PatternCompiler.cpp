// The pattern compiler: a recursive-descent parser that emits the instruction layouts of the
// engine (see PatternProgram.h for the syntax).
//
// The layouts of the language are defined by a scheme that compiles every piece twice: once inside
// the scaffold of an alternation and again without it when no "|" follows, and every quantified
// atom once plainly and again inside its loop. Compiling twice makes compile time double with each
// level of nesting. This compiler compiles each piece once and moves or copies its code instead:
// an atom's code only refers to its own instructions and memory slots, so a copy is the same code
// with its instruction indices and slot numbers shifted.
//
// The canBeEmpty flag of the syntax rules is passed in and out of every parse routine. Its rules
// only ever set it, keep it, or combine it with "and"/"or", so what a construct leaves in it is
// one of: false, true, or the incoming value. An EmptyFlag records that result for both incoming
// values, which lets a quantifier learn from the one compile what the second compile (made with
// the flag preset to false) would have left.
#include "common/AsciiCase.h"
#include "pattern/PatternProgram.h"

#include <new>
#include <string>
#include <vector>

namespace {

using Op = PatternOpcode;

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Opcodes whose argument is an instruction index.
bool HasIndexArgument(Op op) {
    return op == Op::Jump || op == Op::Call || op == Op::InRanges || op == Op::NotInRanges;
}

// Opcodes whose argument is a memory slot.
bool HasSlotArgument(Op op) {
    switch (op) {
    case Op::PushMem:
    case Op::PopMem:
    case Op::StorePos:
    case Op::StoreStackTop:
    case Op::LoadPos:
    case Op::LoadStackTop:
    case Op::ReturnIfNoProgress:
        return true;
    default:
        return false;
    }
}

// A compile error ends the whole compile; it travels to Compile, which keeps its code.
struct CompileError {
    std::int32_t code;
};

struct EmptyFlag {
    bool ifFalse; // what the construct leaves in the flag when it receives false
    bool ifTrue;  // ... when it receives true
    // Whether the construct can match without consuming a character. The flag of the syntax rules
    // misjudges a look-ahead and a back-reference, which consume nothing but count as not empty.
    bool zeroWidth;

    static EmptyFlag Incoming() { return {false, true, true}; }
    static EmptyFlag Constant(bool value, bool zeroWidth) { return {value, value, zeroWidth}; }
    // "A new flag set to true".
    static EmptyFlag True() { return {true, true, true}; }

    // What a construct that leaves `construct` in the flag makes of `incoming`.
    static EmptyFlag Apply(const EmptyFlag& construct, const EmptyFlag& incoming) {
        return {incoming.ifFalse ? construct.ifTrue : construct.ifFalse,
                incoming.ifTrue ? construct.ifTrue : construct.ifFalse, construct.zeroWidth};
    }
    static EmptyFlag And(const EmptyFlag& a, const EmptyFlag& b) {
        return {a.ifFalse && b.ifFalse, a.ifTrue && b.ifTrue, a.zeroWidth && b.zeroWidth};
    }
    static EmptyFlag Or(const EmptyFlag& a, const EmptyFlag& b) {
        return {a.ifFalse || b.ifFalse, a.ifTrue || b.ifTrue, a.zeroWidth || b.zeroWidth};
    }
};

class Compiler {
public:
    Compiler(PatternProgram& program, const char16_t* pattern) : program(program), text(pattern) {}

    void Run() {
        const std::int32_t entry = Emit(Op::Call);
        if (Peek() == u'^') {
            Emit(Op::Fail);
            Skip();
        } else {
            Emit(Op::Advance);
        }
        EmptyFlag flag = EmptyFlag::True();
        ParseSequence(flag);
        SetArgument(entry, 2);
        Emit(Op::Accept);
    }

private:
    // What saving the state remembers.
    struct State {
        std::int32_t count;
        std::uint32_t groupCount;
        std::int32_t memorySlotCount;
    };

    // Counts the constructs that are being parsed inside one another.
    class NestingGuard {
    public:
        explicit NestingGuard(Compiler& compiler) : compiler(compiler) {
            if (++compiler.nesting > PatternProgram::maxNesting)
                compiler.Raise(PatternOutOfMemory);
        }
        ~NestingGuard() { --compiler.nesting; }
        NestingGuard(const NestingGuard&) = delete;
        NestingGuard& operator=(const NestingGuard&) = delete;

    private:
        Compiler& compiler;
    };

    [[noreturn]] void Raise(std::int32_t code) { throw CompileError{code}; }

    // The text being read ends at its NUL; nothing reads or moves past it.
    char16_t Peek() const { return text[position]; }
    char16_t PeekNext() const { return text[position] != 0 ? text[position + 1] : u'\0'; }
    bool AtEnd() const { return text[position] == 0; }
    void Skip() {
        if (text[position] != 0)
            ++position;
    }

    std::int32_t Count() const { return static_cast<std::int32_t>(program.instructions.Count()); }

    std::int32_t Emit(Op op, std::int32_t argument = 0) {
        const std::int32_t index = program.instructions.Add(op, argument);
        if (index < 0)
            Raise(PatternOutOfMemory);
        return index;
    }

    void SetArgument(std::int32_t index, std::int32_t argument) {
        program.instructions[static_cast<std::size_t>(index)].argument = argument;
    }

    std::int32_t NewSlot() { return program.memorySlotCount++; }

    State Save() const { return {Count(), program.groupCount, program.memorySlotCount}; }

    void Restore(const State& state) {
        program.instructions.Truncate(static_cast<std::size_t>(state.count));
        program.groupCount = state.groupCount;
        program.memorySlotCount = state.memorySlotCount;
    }

    std::vector<PatternInstruction> CodeFrom(std::int32_t first) const {
        std::vector<PatternInstruction> code;
        for (std::int32_t i = first; i < Count(); ++i)
            code.push_back(program.instructions[static_cast<std::size_t>(i)]);
        return code;
    }

    // Appends `code`, which was compiled at index `compiledAt`, with its instruction indices moved
    // to where it now lands and its memory slots shifted by `slotShift`.
    void AppendCopy(const std::vector<PatternInstruction>& code, std::int32_t compiledAt,
                    std::int32_t slotShift) {
        const std::int32_t indexShift = Count() - compiledAt;
        for (PatternInstruction instruction : code) {
            if (HasIndexArgument(instruction.opcode))
                instruction.argument += indexShift;
            else if (HasSlotArgument(instruction.opcode))
                instruction.argument += slotShift;
            Emit(instruction.opcode, instruction.argument);
        }
    }

    // A piece that turned out to stand alone: drops the alternation scaffold of four instructions
    // at `scaffold` and the Jump after the piece at `exit`, moving the piece's code down to
    // `scaffold`.
    void DropScaffold(std::int32_t scaffold, std::int32_t exit) {
        PatternInstructionArray& code = program.instructions;
        for (auto from = static_cast<std::size_t>(scaffold) + 4; from < std::size_t(exit); ++from) {
            PatternInstruction instruction = code[from];
            if (HasIndexArgument(instruction.opcode))
                instruction.argument -= 4;
            code[from - 4] = instruction;
        }
        code.Truncate(static_cast<std::size_t>(exit) - 4);
    }

    // A sequence of alternations up to the end of the text or a piece that cannot start here.
    std::int32_t ParseSequence(EmptyFlag& flag) {
        if (AtEnd())
            return -1;
        const std::int32_t first = ParseAlternation(flag);
        if (first < 0)
            return first;
        // Every later piece starts from true; the sequence leaves both results and-ed.
        EmptyFlag rest = EmptyFlag::True();
        while (!AtEnd()) {
            EmptyFlag piece = EmptyFlag::True();
            const std::int32_t next = ParseAlternation(piece);
            rest = EmptyFlag::And(rest, piece);
            if (next < 0)
                break;
        }
        flag = EmptyFlag::And(flag, rest);
        return first;
    }

    // X1|X2|...|Xn, each Xi one quantified atom. Every alternative but the last gets the scaffold
    //   b: PushPos; Call b+4; PopPos; Jump (next alternative); Xi; Jump (after Xn)
    // and the last one is its bare code. A single piece without "|" is its bare code too.
    std::int32_t ParseAlternation(EmptyFlag& flag) {
        const State start = Save();
        const EmptyFlag incoming = flag;
        EmptyFlag firstPiece = flag;      // what the first alternative left in the flag
        EmptyFlag combined = flag;        // the alternatives so far, or-ed
        std::vector<std::int32_t> exits;  // the Jump after each alternative but the last
        std::int32_t previousChoice = -1; // the Jump of the scaffold before, to this alternative
        for (bool firstAlternative = true;; firstAlternative = false) {
            const std::int32_t scaffold = Emit(Op::PushPos);
            Emit(Op::Call, scaffold + 4);
            Emit(Op::PopPos);
            const std::int32_t choice = Emit(Op::Jump);
            EmptyFlag piece = firstAlternative ? flag : EmptyFlag::True();
            const std::int32_t x = ParseQuantified(piece);
            if (x < 0) {
                // Nothing can start here: the whole chain is dropped and ends the sequence. The
                // flag keeps what the first alternative left in it; the dropped code matches
                // nothing, so it leaves zeroWidth as it came.
                Restore(start);
                if (!firstAlternative) {
                    flag = firstPiece;
                    flag.zeroWidth = incoming.zeroWidth;
                }
                return x;
            }
            const std::int32_t exit = Emit(Op::Jump);
            SetArgument(choice, exit + 1);
            if (!firstAlternative)
                SetArgument(previousChoice, scaffold);
            if (Peek() != u'|') {
                DropScaffold(scaffold, exit);
                for (std::int32_t jump : exits)
                    SetArgument(jump, Count());
                flag = firstAlternative ? piece : EmptyFlag::Or(combined, piece);
                return start.count;
            }
            Skip();
            exits.push_back(exit);
            previousChoice = choice;
            if (firstAlternative)
                firstPiece = combined = piece;
            else
                combined = EmptyFlag::Or(combined, piece);
        }
    }

    // One atom and its quantifier, if any.
    std::int32_t ParseQuantified(EmptyFlag& flag) {
        const State start = Save();
        EmptyFlag atom = EmptyFlag::Incoming();
        const std::int32_t first = ParseAtom(atom);
        if (first < 0)
            return first;

        const char16_t quantifier = Peek();
        if (quantifier != u'*' && quantifier != u'+' && quantifier != u'?') {
            flag = EmptyFlag::Apply(atom, flag);
            return first;
        }
        const bool shortest = PeekNext() == u'?';
        const bool plus = quantifier == u'+';
        const bool optional = quantifier == u'?';

        // The loop gets a copy of the atom's code. A plus keeps the atom's code in front of the
        // loop (its copy reuses the group numbers); the other forms drop it.
        const std::vector<PatternInstruction> code = CodeFrom(first);
        const std::int32_t atomSlots = program.memorySlotCount - start.memorySlotCount;
        const std::uint32_t groupsAfterAtom = program.groupCount;
        if (plus)
            program.groupCount = start.groupCount;
        else
            Restore(start);
        // What the flag would hold after compiling the atom with the flag preset to false.
        const bool emptyByRules = atom.ifFalse;

        if (!shortest) {
            // p: PushMem m; StorePos m; PushPos; Call p+7; PopPos; PopMem m; Jump (after the loop)
            // p+7: atom; ReturnIfNoProgress m; StorePos m; Jump p (no Jump for "?")
            const std::int32_t slot = NewSlot();
            const std::int32_t loop = Emit(Op::PushMem, slot);
            Emit(Op::StorePos, slot);
            Emit(Op::PushPos);
            const std::int32_t call = Emit(Op::Call);
            Emit(Op::PopPos);
            Emit(Op::PopMem, slot);
            const std::int32_t leave = Emit(Op::Jump);
            SetArgument(call, leave + 1);
            AppendCopy(code, first, slot + 1 - start.memorySlotCount);
            program.groupCount = groupsAfterAtom;
            program.memorySlotCount += atomSlots;
            if (emptyByRules && !optional)
                Raise(PatternEmptyRepeat);
            flag =
                plus ? EmptyFlag::Constant(false, atom.zeroWidth) : EmptyFlag::Constant(true, true);
            Skip();
            Emit(Op::ReturnIfNoProgress, slot);
            Emit(Op::StorePos, slot);
            if (!optional)
                Emit(Op::Jump, loop);
            SetArgument(leave, Count());
            return plus ? first : loop;
        }

        // c: Call (after the loop); atom; Jump c. For "??": c: Call (after the atom); atom.
        // A pass of this loop saves nothing, so nothing stops a pass that consumes no character
        // from being repeated for ever: such atoms are refused here, not only those that the flag
        // of the syntax rules calls empty.
        const std::int32_t call = Emit(Op::Call);
        AppendCopy(code, first, program.memorySlotCount - start.memorySlotCount);
        program.groupCount = groupsAfterAtom;
        program.memorySlotCount += atomSlots;
        if (!optional && (emptyByRules || atom.zeroWidth))
            Raise(PatternEmptyRepeat);
        flag = EmptyFlag::Constant(true, !plus);
        Skip();
        Skip();
        if (optional) {
            SetArgument(call, Count());
        } else {
            const std::int32_t back = Emit(Op::Jump, call);
            SetArgument(call, back + 1);
        }
        return plus ? first : call;
    }

    std::int32_t ParseAtom(EmptyFlag& flag) {
        const char16_t c = Peek();
        switch (c) {
        case u'{':
            return ParseCaptureGroup(flag);
        case u'(':
            return ParseGroup(flag);
        case u'[':
            Skip();
            return ParseClass(flag);
        case u'\\':
            Skip();
            return ParseEscape(flag);
        case u'!':
            return ParseNot(flag);
        case u'}':
        case u']':
        case u')':
        case u'\0':
            return -1;
        default: {
            // "." is any character; "$" as the last character matches the terminator.
            const bool end = c == u'$' && PeekNext() == 0;
            const std::int32_t index = c == u'.' ? Emit(Op::AnyChar) : Emit(Op::Char, end ? 0 : c);
            flag = EmptyFlag::Constant(false, false);
            Skip();
            return index;
        }
        }
    }

    // After a backslash: a back-reference, an abbreviation or a literal character.
    std::int32_t ParseEscape(EmptyFlag& flag) {
        const char16_t c = Peek();
        if (IsDigit(c)) {
            flag = EmptyFlag::Constant(false, true);
            const std::int32_t index = Emit(Op::BackReference);
            std::uint64_t number = 0;
            while (IsDigit(Peek())) {
                if (number <= program.groupCount)
                    number = number * 10 + static_cast<std::uint64_t>(Peek() - u'0');
                Skip();
            }
            if (number >= program.groupCount)
                Raise(PatternBadGroupNumber);
            SetArgument(index, static_cast<std::int32_t>(number));
            return index;
        }
        if (const char16_t* entry = FindAbbreviation(c))
            return ParseAbbreviation(entry, flag);
        // An escaped character stands for itself and leaves the flag as it was. A backslash that
        // ends the text has nothing to escape: it stands for itself, as "\\" would.
        const std::int32_t index = Emit(Op::Char, c != 0 ? c : u'\\');
        flag.zeroWidth = false;
        Skip();
        return index;
    }

    // No entry begins with the terminator, so a backslash that ends the text finds none.
    static const char16_t* FindAbbreviation(char16_t letter) {
        for (const char16_t* entry : abbreviationTable) {
            if (entry[0] == letter)
                return entry;
        }
        return nullptr;
    }

    // Compiles one quantified atom of the entry's stored sub-pattern in place of "\letter".
    std::int32_t ParseAbbreviation(const char16_t* entry, EmptyFlag& flag) {
        const NestingGuard guard(*this);
        const char16_t* const savedText = text;
        const std::size_t savedPosition = position;
        text = entry + 1;
        position = 0;
        std::int32_t result = -1;
        try {
            result = ParseQuantified(flag);
        } catch (const CompileError&) {
            result = -1;
        }
        text = savedText;
        position = savedPosition;
        if (result < 0)
            Raise(PatternAbbreviationFailed);
        Skip();
        return result;
    }

    // i: SaveGroup n; GroupStart n; Call (body); RestoreGroup n; Return; body; GroupEnd n
    std::int32_t ParseCaptureGroup(EmptyFlag& flag) {
        const NestingGuard guard(*this);
        Skip();
        const auto group = static_cast<std::int32_t>(program.groupCount++);
        const std::int32_t index = Emit(Op::SaveGroup, group);
        Emit(Op::GroupStart, group);
        const std::int32_t call = Emit(Op::Call);
        Emit(Op::RestoreGroup, group);
        Emit(Op::Return);
        SetArgument(call, ParseBody(flag, u'}', PatternBraceExpected));
        Emit(Op::GroupEnd, group);
        return index;
    }

    // c: Call (body); Return; body
    std::int32_t ParseGroup(EmptyFlag& flag) {
        const NestingGuard guard(*this);
        Skip();
        const std::int32_t call = Emit(Op::Call);
        Emit(Op::Return);
        SetArgument(call, ParseBody(flag, u')', PatternParenExpected));
        return call;
    }

    // The sequence inside a group, up to and including its closing character; an empty one
    // compiles to a NoOp. Returns the index of the body's code.
    std::int32_t ParseBody(EmptyFlag& flag, char16_t closing, std::int32_t missingCode) {
        std::int32_t body = ParseSequence(flag);
        if (Peek() != closing)
            Raise(missingCode);
        if (body < 0)
            body = Emit(Op::NoOp);
        Skip();
        return body;
    }

    // i: InRanges or NotInRanges (after the pairs); NoOp lower; NoOp upper; ...
    std::int32_t ParseClass(EmptyFlag& flag) {
        flag = EmptyFlag::Constant(false, false);
        if (Peek() == u']') {
            Skip();
            Raise(PatternEmptyClass);
        }
        bool negated = false;
        if (Peek() == u'^') {
            negated = true;
            Skip();
            if (Peek() == u']') {
                Skip();
                Raise(PatternEmptyClass);
            }
        }
        const std::int32_t index = Emit(negated ? Op::NotInRanges : Op::InRanges);
        while (!AtEnd() && Peek() != u']') {
            char16_t lower = 0;
            char16_t upper = 0;
            ParseClassItem(lower, upper);
            Emit(Op::NoOp, lower);
            Emit(Op::NoOp, upper);
        }
        SetArgument(index, Count());
        if (Peek() != u']')
            Raise(PatternBracketExpected);
        Skip();
        return index;
    }

    // One character or range of a class. After a backslash "t" is the tab and any other
    // character itself; a backslash that ends the text stands for itself.
    void ParseClassItem(char16_t& lower, char16_t& upper) {
        lower = Peek();
        if (lower == u'\\' && PeekNext() != 0) {
            Skip();
            lower = Peek() == u't' ? u'\t' : Peek();
        }
        Skip();
        upper = lower;
        if (Peek() != u'-')
            return;
        Skip();
        upper = Peek();
        if (upper == 0 || upper == u']')
            Raise(PatternBracketExpected);
        Skip();
        if (upper < lower)
            Raise(PatternBadRange);
    }

    // a: StorePos m1; StoreStackTop m2; Call (atom); LoadPos m1; LoadStackTop m2; Jump r+1;
    //    atom; LoadPos m1; LoadStackTop m2; r: Return
    std::int32_t ParseNot(EmptyFlag& flag) {
        const NestingGuard guard(*this);
        Skip();
        const std::int32_t positionSlot = NewSlot();
        const std::int32_t heightSlot = NewSlot();
        const std::int32_t index = Emit(Op::StorePos, positionSlot);
        Emit(Op::StoreStackTop, heightSlot);
        const std::int32_t call = Emit(Op::Call);
        Emit(Op::LoadPos, positionSlot);
        Emit(Op::LoadStackTop, heightSlot);
        const std::int32_t leave = Emit(Op::Jump);
        const std::int32_t atom = ParseAtom(flag);
        if (atom < 0)
            return atom;
        SetArgument(call, atom);
        Emit(Op::LoadPos, positionSlot);
        Emit(Op::LoadStackTop, heightSlot);
        const std::int32_t back = Emit(Op::Return);
        SetArgument(leave, back + 1);
        flag.zeroWidth = true;
        return index;
    }

    PatternProgram& program;
    const char16_t* text; // the pattern, or an abbreviation's stored sub-pattern
    std::size_t position = 0;
    int nesting = 0;
};

} // namespace

std::int32_t PatternProgram::Compile(const char16_t* pattern, bool caseSensitiveMatch) {
    if (pattern == nullptr)
        throw CAtlException(HResultFail);
    instructions.RemoveAll();
    lastError = PatternOk;
    groupCount = 0;
    memorySlotCount = 0;
    caseSensitive = caseSensitiveMatch;
    try {
        const std::u16string lowered = caseSensitive ? std::u16string() : LowerAscii(pattern);
        Compiler(*this, caseSensitive ? pattern : lowered.c_str()).Run();
    } catch (const CompileError& error) {
        lastError = error.code;
    } catch (const std::bad_alloc&) {
        lastError = PatternOutOfMemory;
    }
    return lastError;
}
