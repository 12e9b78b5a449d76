// The matcher: a backtracking interpreter of compiled programs with one explicit stack. Every
// choice point is an instruction index on the stack; failing means popping the next one.
//
// Positions are kept as offsets into the text being run (the subject, or its lowered copy) while
// the search runs, so every value taken from the stack or memory can be checked before it is used;
// the bounds the context reports are pointers into the caller's subject at the same offsets.
#include "common/AsciiCase.h"
#include "pattern/PatternProgram.h"

#include <new>
#include <string>

namespace {

using Op = PatternOpcode;

[[noreturn]] void RaiseOutOfRange() {
    throw CAtlException(HResultInvalidArgument);
}

class Matcher {
public:
    Matcher(const PatternProgram& program, MatchContext& context, const char16_t* subject,
            const char16_t* text, std::size_t length)
        : program(program), context(context), subject(subject), text(text), length(length) {}

    bool Run() {
        const PatternInstructionArray& code = program.instructions;
        const std::size_t count = code.Count();
        const std::uint64_t stepLimit = context.stepLimit;
        std::uint64_t steps = 0;
        std::size_t start = 0;
        std::size_t index = 0;
        for (;;) {
            if (stepLimit != 0 && ++steps > stepLimit)
                return Finish(MatchOutcome::StepLimitReached);
            if (index == 0)
                context.matchStart = subject + position;
            if (index >= count)
                RaiseOutOfRange();
            const PatternInstruction& instruction = code.begin()[index];
            const std::int32_t argument = instruction.argument;
            switch (instruction.opcode) {
            case Op::NoOp:
                ++index;
                break;
            case Op::GroupStart:
                Group(argument).begin = subject + position;
                ++index;
                break;
            case Op::GroupEnd:
                Group(argument).end = subject + position;
                ++index;
                break;
            case Op::Char:
                // Argument 0 matches the terminator and steps past it.
                if (position <= length && text[position] == argument) {
                    ++position;
                    ++index;
                } else {
                    index = Backtrack();
                }
                break;
            case Op::AnyChar:
                if (position < length) {
                    ++position;
                    ++index;
                } else {
                    index = Backtrack();
                }
                break;
            case Op::InRanges:
            case Op::NotInRanges: {
                const auto next = static_cast<std::size_t>(static_cast<std::uint32_t>(argument));
                if (next <= index || next > count)
                    RaiseOutOfRange();
                const bool wanted = instruction.opcode == Op::InRanges;
                if (position < length && InRanges(text[position], index + 1, next) == wanted) {
                    ++position;
                    index = next;
                } else {
                    index = Backtrack();
                }
                break;
            }
            case Op::Jump:
                index = Target(argument);
                break;
            case Op::PushPos:
                if (!context.Push(position))
                    return Finish(MatchOutcome::OutOfMemory);
                ++index;
                break;
            case Op::PopPos:
                position = CheckedPosition(context.Pop());
                ++index;
                break;
            case Op::Call:
                if (!context.Push(index + 1))
                    return Finish(MatchOutcome::OutOfMemory);
                index = Target(argument);
                break;
            case Op::Return:
                index = Backtrack();
                break;
            case Op::PushMem:
                if (!context.Push(Slot(argument)))
                    return Finish(MatchOutcome::OutOfMemory);
                ++index;
                break;
            case Op::PopMem:
                Slot(argument) = context.Pop();
                ++index;
                break;
            case Op::StorePos:
                Slot(argument) = position;
                ++index;
                break;
            case Op::StoreStackTop:
                Slot(argument) = context.stackTop;
                ++index;
                break;
            case Op::LoadPos:
                position = CheckedPosition(Slot(argument));
                ++index;
                break;
            case Op::LoadStackTop: {
                // Only drops entries: a height above the current one is no stack index.
                const std::uintptr_t height = Slot(argument);
                if (height > context.stackTop)
                    RaiseOutOfRange();
                context.stackTop = static_cast<std::uint32_t>(height);
                ++index;
                break;
            }
            case Op::ReturnIfNoProgress:
                index = position == Slot(argument) ? Backtrack() : index + 1;
                break;
            case Op::BackReference:
                index = MatchBackReference(Group(argument)) ? index + 1 : Backtrack();
                break;
            case Op::Fail:
                return Finish(MatchOutcome::NoMatch);
            case Op::Advance:
                // The attempt that began at `start` failed: the next one starts a character
                // further, but never at the terminator of a non-empty subject.
                if (text[start] == 0 || text[start + 1] == 0)
                    return Finish(MatchOutcome::NoMatch);
                ++start;
                position = start;
                context.stackTop = 0;
                index = 0;
                break;
            case Op::Accept:
                return Finish(MatchOutcome::Matched);
            case Op::SaveGroup: {
                const MatchGroup& group = Group(argument);
                if (!context.Push(Encode(group.begin)) || !context.Push(Encode(group.end)))
                    return Finish(MatchOutcome::OutOfMemory);
                ++index;
                break;
            }
            case Op::RestoreGroup: {
                MatchGroup& group = Group(argument);
                group.end = Decode(context.Pop());
                group.begin = Decode(context.Pop());
                ++index;
                break;
            }
            default:
                RaiseOutOfRange();
            }
        }
    }

private:
    bool Finish(MatchOutcome outcome) {
        context.matchEnd = subject + position;
        context.outcome = outcome;
        return outcome == MatchOutcome::Matched;
    }

    std::size_t Backtrack() { return static_cast<std::size_t>(context.Pop()); }

    static std::size_t Target(std::int32_t argument) {
        // A negative index becomes one far beyond the program, which the fetch refuses.
        return static_cast<std::size_t>(static_cast<std::uint32_t>(argument));
    }

    // Positions run from the first character to one past the terminator.
    std::size_t CheckedPosition(std::uintptr_t value) const {
        if (value > length + 1)
            RaiseOutOfRange();
        return static_cast<std::size_t>(value);
    }

    std::uintptr_t& Slot(std::int32_t slot) {
        const auto index = static_cast<std::size_t>(static_cast<std::uint32_t>(slot));
        if (index >= context.memory.size())
            RaiseOutOfRange();
        return context.memory[index];
    }

    MatchGroup& Group(std::int32_t group) {
        const auto index = static_cast<std::size_t>(static_cast<std::uint32_t>(group));
        if (index >= context.groups.size())
            RaiseOutOfRange();
        return context.groups[index];
    }

    // Group bounds travel on the stack as offset + 1, with 0 for null.
    std::uintptr_t Encode(const char16_t* bound) const {
        return bound == nullptr ? 0 : static_cast<std::uintptr_t>(bound - subject) + 1;
    }
    const char16_t* Decode(std::uintptr_t value) const {
        return value == 0 ? nullptr : subject + CheckedPosition(value - 1);
    }

    // Whether the character lies within one of the bound pairs between `first` and `next`.
    bool InRanges(char16_t c, std::size_t first, std::size_t next) const {
        for (std::size_t i = first; i + 1 < next; i += 2) {
            const auto lower = static_cast<std::uint16_t>(program.instructions[i].argument);
            const auto upper = static_cast<std::uint16_t>(program.instructions[i + 1].argument);
            if (c >= lower && c <= upper)
                return true;
        }
        return false;
    }

    // Compares the text at the position with what the group captured; a group that has captured
    // nothing, or whose end lies before its begin (it is being captured again), counts as empty.
    bool MatchBackReference(const MatchGroup& group) {
        std::size_t from = 0;
        std::size_t size = 0;
        if (group.begin != nullptr && group.end != nullptr && group.end >= group.begin) {
            from = static_cast<std::size_t>(group.begin - subject);
            size = static_cast<std::size_t>(group.end - group.begin);
        }
        if (position > length + 1 || size > length + 1 - position)
            return false;
        for (std::size_t i = 0; i < size; ++i) {
            char16_t a = text[position + i];
            char16_t b = text[from + i];
            if (!program.caseSensitive) {
                a = LowerAsciiChar(a);
                b = LowerAsciiChar(b);
            }
            if (a != b)
                return false;
        }
        position += size;
        return true;
    }

    const PatternProgram& program;
    MatchContext& context;
    const char16_t* const subject; // the caller's text: every reported bound points into it
    const char16_t* const text;    // the text being run: the subject or its lowered copy
    const std::size_t length;      // characters before the terminator
    std::size_t position = 0;
};

} // namespace

bool PatternProgram::Match(const char16_t* subject, MatchContext* context) const {
    if (subject == nullptr || context == nullptr)
        return false;
    // A program whose compile failed holds a partial instruction list: nothing is run.
    if (lastError != PatternOk || instructions.IsEmpty()) {
        context->outcome = MatchOutcome::NoMatch;
        return false;
    }
    std::size_t length = 0;
    while (subject[length] != 0)
        ++length;
    const char16_t* text = subject;
    if (!caseSensitive) {
        try {
            context->loweredText.assign(subject, length);
        } catch (const std::bad_alloc&) {
            context->outcome = MatchOutcome::OutOfMemory;
            return false;
        }
        for (char16_t& c : context->loweredText)
            c = LowerAsciiChar(c);
        text = context->loweredText.c_str();
    }
    if (!context->Initialize(groupCount, memorySlotCount)) {
        context->outcome = MatchOutcome::OutOfMemory;
        return false;
    }
    return Matcher(*this, *context, subject, text, length).Run();
}
