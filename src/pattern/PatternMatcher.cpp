// The matcher: a backtracking interpreter of compiled programs with one explicit stack. Every
// choice point is an instruction index on the stack; failing means popping the next one.
//
// Positions are kept as offsets into the text being run (the subject, or its lowered copy) while
// the search runs, so every value taken from the stack or memory can be checked before it is used;
// the bounds the context reports are pointers into the caller's subject at the same offsets.
//
// The interpreter keeps the stack, the memory and the groups in local variables while it runs and
// writes the stack height back to the context whenever it stops or raises. Shapes that take most
// of the steps on ordinary lines run as a whole instead of one instruction at a time, with the
// same effects and the same count of steps as the instructions they stand for:
//  - a row of Chars that match;
//  - attempts that fail at their first character, when the program begins "Call 2, Advance,
//    Char c": the next start is found by looking for c (skipAttempts);
//  - passes of a shortest-first loop of any character ("Call L, AnyChar, Jump back") whose
//    continuation at L only jumps and sets group bounds before it needs a character c: the end
//    of the loop is found by looking for c (runShortestLoop).
// A shape runs as a whole only as far as its steps fit under the step limit; the rest runs one
// instruction at a time, so a search that reaches the limit stops at the same instruction, in the
// same state.
#include "common/AsciiCase.h"
#include "pattern/PatternProgram.h"

#include <algorithm>
#include <limits>
#include <new>
#include <string>

namespace {

using Op = PatternOpcode;

// The step budget of a search without a step limit; it is renewed when it runs out.
constexpr std::uint64_t unlimitedSteps = std::numeric_limits<std::uint64_t>::max();

// The most instructions a shortest-first loop's continuation may run before its character.
constexpr std::size_t maxContinuation = 8;

std::size_t Target(std::int32_t argument) {
    // A negative index becomes one far beyond the program, which the fetch refuses.
    return static_cast<std::size_t>(static_cast<std::uint32_t>(argument));
}

bool IsCodeUnit(std::int32_t argument) {
    return argument >= 0 && argument <= 0xFFFF;
}

class Matcher {
public:
    Matcher(const PatternProgram& program, MatchContext& context, const char16_t* subject,
            const char16_t* text, std::size_t length)
        : program(program), context(context), subject(subject), text(text), length(length) {}

    bool Run() {
        const PatternInstruction* const code = program.instructions.begin();
        const std::size_t count = program.instructions.Count();
        const std::size_t lastIndex = count - 1;
        // The stack lives here while the search runs. Its height only grows through push, which
        // makes room first, so every height above 0 indexes the stack.
        std::uintptr_t* stack = context.stack.data();
        std::size_t stackSize = context.stack.size();
        std::uint32_t top = context.stackTop;
        std::uintptr_t* const memory = context.memory.data();
        const std::size_t memorySize = context.memory.size();
        MatchGroup* const groups = context.groups.data();
        const std::size_t groupsSize = context.groups.size();
        const std::uint64_t stepLimit = context.stepLimit;
        // Steps left before the limit; the step being run is already taken off.
        std::uint64_t remaining = stepLimit != 0 ? stepLimit : unlimitedSteps;
        std::size_t start = 0;
        std::size_t position = 0;
        std::size_t index = 0;

        const auto refuse = [&]() {
            context.stackTop = top;
            throw CAtlException(HResultInvalidArgument);
        };
        const auto finish = [&](MatchOutcome outcome) {
            context.stackTop = top;
            context.matchEnd = subject + position;
            context.outcome = outcome;
            return outcome == MatchOutcome::Matched;
        };
        const auto push = [&](std::uintptr_t value) {
            const std::uint32_t next = top + 1;
            if (next >= stackSize) {
                context.stackTop = top;
                if (!context.Push(value))
                    return false;
                stack = context.stack.data();
                stackSize = context.stack.size();
            } else {
                stack[next] = value;
            }
            top = next;
            return true;
        };
        // The top entry, which is removed; 0 when the stack is empty.
        const auto pop = [&]() -> std::uintptr_t { return top == 0 ? 0 : stack[top--]; };
        // Positions run from the first character to one past the terminator.
        const auto checkedPosition = [&](std::uintptr_t value) {
            if (value > length + 1)
                refuse();
            return static_cast<std::size_t>(value);
        };
        const auto slot = [&](std::int32_t argument) -> std::uintptr_t& {
            const auto slotIndex = static_cast<std::size_t>(static_cast<std::uint32_t>(argument));
            if (slotIndex >= memorySize)
                refuse();
            return memory[slotIndex];
        };
        const auto group = [&](std::int32_t argument) -> MatchGroup& {
            const auto groupIndex = static_cast<std::size_t>(static_cast<std::uint32_t>(argument));
            if (groupIndex >= groupsSize)
                refuse();
            return groups[groupIndex];
        };
        // Group bounds travel on the stack as offset + 1, with 0 for null.
        const auto encode = [&](const char16_t* bound) -> std::uintptr_t {
            return bound == nullptr ? 0 : static_cast<std::uintptr_t>(bound - subject) + 1;
        };
        const auto decode = [&](std::uintptr_t value) -> const char16_t* {
            return value == 0 ? nullptr : subject + checkedPosition(value - 1);
        };

        // With index 0 about to run at `start` (stack empty): the attempts that fail at the first
        // character, each Call 2, Char c and Advance, as far as the step limit allows. True when
        // such an attempt's Advance ends the search.
        const bool skips = count >= 3 && code[0].opcode == Op::Call && code[0].argument == 2 &&
                           code[1].opcode == Op::Advance && code[2].opcode == Op::Char &&
                           IsCodeUnit(code[2].argument);
        const auto first = static_cast<char16_t>(skips ? code[2].argument : 0);
        const auto skipAttempts = [&]() {
            if (!skips || stackSize < 2)
                return false;
            const std::uint64_t affordable = remaining / 3;
            std::size_t attempt = start;
            std::uint64_t attempts = 0;
            while (attempts < affordable && text[attempt] != first) {
                ++attempts;
                if (text[attempt] == 0 || text[attempt + 1] == 0) {
                    remaining -= 3 * attempts;
                    stack[1] = 1;
                    start = position = attempt;
                    context.matchStart = subject + attempt;
                    return true;
                }
                ++attempt;
            }
            if (attempts != 0) {
                remaining -= 3 * attempts;
                stack[1] = 1;
                start = position = attempt;
                // Left by the last skipped attempt, for a search that stops before the next one.
                context.matchStart = subject + attempt - 1;
            }
            return false;
        };

        // The Call at `call` (its step taken) when it opens a shortest-first loop of any
        // character whose continuation at `target` needs a character after jumps and group
        // bounds: runs the passes that fail to find that character, and the last pass, as far as
        // the step limit allows. False when the Call is to run as usual.
        const auto runShortestLoop = [&](std::size_t call, std::size_t target) {
            if (call + 2 >= count || code[call + 1].opcode != Op::AnyChar ||
                code[call + 2].opcode != Op::Jump || Target(code[call + 2].argument) != call ||
                call == 0)
                return false;
            const PatternInstruction* bounds[maxContinuation];
            std::size_t boundCount = 0;
            std::size_t between = 0; // instructions run between the Call and the Char
            std::size_t at = target;
            for (;;) {
                if (at == 0 || at >= count || between == maxContinuation)
                    return false;
                const PatternInstruction& next = code[at];
                if (next.opcode == Op::Char)
                    break;
                if (next.opcode == Op::Jump) {
                    at = Target(next.argument);
                } else if (next.opcode == Op::GroupStart || next.opcode == Op::GroupEnd) {
                    if (static_cast<std::uint32_t>(next.argument) >= groupsSize)
                        return false;
                    bounds[boundCount++] = &next;
                    ++at;
                } else if (next.opcode == Op::NoOp) {
                    ++at;
                } else {
                    return false;
                }
                ++between;
            }
            if (!IsCodeUnit(code[at].argument) || top + 1 >= stackSize)
                return false;
            const auto wanted = static_cast<char16_t>(code[at].argument);
            // A pass that does not find the character: Call, continuation, Char, AnyChar, Jump.
            const std::uint64_t passSteps = between + 4;
            const std::uint64_t budget = remaining + 1; // the Call's step belongs to the passes
            std::size_t end = position;
            if (position < length)
                end += static_cast<std::size_t>(
                    std::min<std::uint64_t>(budget / passSteps, length - position));
            std::size_t found = position;
            while (found < end && text[found] != wanted)
                ++found;
            const std::size_t passes = found - position;
            std::uint64_t steps = passes * passSteps;
            // Whether the last pass is known to end the loop: it finds the character (Char, and
            // the continuation runs on), or it stands at the terminator, where AnyChar fails too.
            bool ends = true;
            bool matched = false;
            if (found < end)
                matched = true;
            else if (found >= length)
                matched = found == length && wanted == 0;
            else
                ends = false;
            if (ends) {
                const std::uint64_t lastSteps = matched ? between + 2 : between + 3;
                if (steps + lastSteps <= budget)
                    steps += lastSteps;
                else
                    ends = false;
            }
            if (!ends && passes == 0)
                return false;
            remaining = budget - steps;
            const char16_t* const bound = subject + (ends ? found : found - 1);
            for (std::size_t i = 0; i < boundCount; ++i) {
                MatchGroup& bounded = groups[static_cast<std::uint32_t>(bounds[i]->argument)];
                (bounds[i]->opcode == Op::GroupStart ? bounded.begin : bounded.end) = bound;
            }
            stack[top + 1] = call + 1;
            position = found;
            if (!ends) {
                index = call;
            } else if (matched) {
                ++top;
                ++position;
                index = at + 1;
            } else {
                index = pop();
            }
            return true;
        };

        if (skipAttempts())
            return finish(MatchOutcome::NoMatch);
        for (;;) {
            if (remaining-- == 0) {
                if (stepLimit != 0)
                    return finish(MatchOutcome::StepLimitReached);
                remaining = unlimitedSteps - 1;
            }
            // One comparison for both rare cases: index 0 starts an attempt, and an index beyond
            // the program is refused.
            if (index - 1 >= lastIndex) {
                if (index != 0)
                    refuse();
                context.matchStart = subject + position;
            }
            const PatternInstruction instruction = code[index];
            const std::int32_t argument = instruction.argument;
            switch (instruction.opcode) {
            case Op::NoOp:
                ++index;
                break;
            case Op::GroupStart:
                group(argument).begin = subject + position;
                ++index;
                break;
            case Op::GroupEnd:
                group(argument).end = subject + position;
                ++index;
                break;
            case Op::Char:
                // Argument 0 matches the terminator and steps past it.
                if (position <= length && text[position] == argument) {
                    ++position;
                    ++index;
                    // The Chars that follow and match, a step each; the first that does not
                    // match fails in the next round.
                    while (index < count && remaining != 0 && code[index].opcode == Op::Char &&
                           position <= length && text[position] == code[index].argument) {
                        --remaining;
                        ++position;
                        ++index;
                    }
                } else {
                    index = pop();
                }
                break;
            case Op::AnyChar:
                if (position < length) {
                    ++position;
                    ++index;
                } else {
                    index = pop();
                }
                break;
            case Op::InRanges:
            case Op::NotInRanges: {
                const auto next = static_cast<std::size_t>(static_cast<std::uint32_t>(argument));
                if (next <= index || next > count)
                    refuse();
                const bool wanted = instruction.opcode == Op::InRanges;
                if (position < length &&
                    InRanges(text[position], code + index + 1, code + next) == wanted) {
                    ++position;
                    index = next;
                } else {
                    index = pop();
                }
                break;
            }
            case Op::Jump:
                index = Target(argument);
                break;
            case Op::PushPos:
                if (!push(position))
                    return finish(MatchOutcome::OutOfMemory);
                ++index;
                break;
            case Op::PopPos:
                position = checkedPosition(pop());
                ++index;
                break;
            case Op::Call:
                if (runShortestLoop(index, Target(argument)))
                    break;
                if (!push(index + 1))
                    return finish(MatchOutcome::OutOfMemory);
                index = Target(argument);
                break;
            case Op::Return:
                index = pop();
                break;
            case Op::PushMem:
                if (!push(slot(argument)))
                    return finish(MatchOutcome::OutOfMemory);
                ++index;
                break;
            case Op::PopMem: {
                const std::uintptr_t value = pop();
                slot(argument) = value;
                ++index;
                break;
            }
            case Op::StorePos:
                slot(argument) = position;
                ++index;
                break;
            case Op::StoreStackTop:
                slot(argument) = top;
                ++index;
                break;
            case Op::LoadPos:
                position = checkedPosition(slot(argument));
                ++index;
                break;
            case Op::LoadStackTop: {
                // Only drops entries: a height above the current one is no stack index.
                const std::uintptr_t height = slot(argument);
                if (height > top)
                    refuse();
                top = static_cast<std::uint32_t>(height);
                ++index;
                break;
            }
            case Op::ReturnIfNoProgress:
                index = position == slot(argument) ? pop() : index + 1;
                break;
            case Op::BackReference:
                index = MatchBackReference(group(argument), position) ? index + 1 : pop();
                break;
            case Op::Fail:
                return finish(MatchOutcome::NoMatch);
            case Op::Advance:
                // The attempt that began at `start` failed: the next one starts a character
                // further, but never at the terminator of a non-empty subject.
                if (text[start] == 0 || text[start + 1] == 0)
                    return finish(MatchOutcome::NoMatch);
                ++start;
                position = start;
                top = 0;
                index = 0;
                if (skipAttempts())
                    return finish(MatchOutcome::NoMatch);
                break;
            case Op::Accept:
                return finish(MatchOutcome::Matched);
            case Op::SaveGroup: {
                const MatchGroup& saved = group(argument);
                if (!push(encode(saved.begin)) || !push(encode(saved.end)))
                    return finish(MatchOutcome::OutOfMemory);
                ++index;
                break;
            }
            case Op::RestoreGroup: {
                MatchGroup& restored = group(argument);
                restored.end = decode(pop());
                restored.begin = decode(pop());
                ++index;
                break;
            }
            default:
                refuse();
            }
        }
    }

private:
    // Whether the character lies within one of the bound pairs in [first, next).
    static bool InRanges(char16_t c, const PatternInstruction* first,
                         const PatternInstruction* next) {
        for (; next - first >= 2; first += 2) {
            const auto lower = static_cast<std::uint16_t>(first[0].argument);
            const auto upper = static_cast<std::uint16_t>(first[1].argument);
            if (c >= lower && c <= upper)
                return true;
        }
        return false;
    }

    // Compares the text at the position with what the group captured; a group that has captured
    // nothing, or whose end lies before its begin (it is being captured again), counts as empty.
    bool MatchBackReference(const MatchGroup& group, std::size_t& position) const {
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
    const char16_t* terminator = subject;
    while (*terminator != 0)
        ++terminator;
    const auto length = static_cast<std::size_t>(terminator - subject);
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
