// Helpers of the pattern engine tests: readable forms of instruction lists and match results.
#pragma once

#include "pattern/PatternProgram.h"

#include <cstdint>
#include <string>

// "Call 2, Advance 0, Char 97, Accept 0": every instruction as opcode name and argument.
inline std::string Listing(const PatternProgram& program) {
    std::string text;
    for (const PatternInstruction& instruction : program.instructions) {
        if (!text.empty())
            text += ", ";
        text += PatternOpcodeName(instruction.opcode);
        text += ' ' + std::to_string(instruction.argument);
    }
    return text;
}

inline std::string Offset(const char16_t* position, const char16_t* subject) {
    return position == nullptr ? "-" : std::to_string(position - subject);
}

// The bounds a context holds as "S-E" (offsets of the match) followed by one "B-E" or "-" (null
// bounds) per group.
inline std::string Bounds(const MatchContext& context, const char16_t* subject) {
    std::string text =
        Offset(context.matchStart, subject) + "-" + Offset(context.matchEnd, subject);
    for (const MatchGroup& group : context.groups) {
        text += ' ';
        text += group.begin == nullptr && group.end == nullptr
                    ? std::string("-")
                    : Offset(group.begin, subject) + "-" + Offset(group.end, subject);
    }
    return text;
}

// The outcome of matching `subject` as its bounds, or "no match".
inline std::string Describe(const PatternProgram& program, const char16_t* subject,
                            MatchContext& context) {
    return program.Match(subject, &context) ? Bounds(context, subject) : "no match";
}

// Compiles `pattern` (which must compile) and describes the match in `subject`.
inline std::string Describe(const char16_t* pattern, const char16_t* subject,
                            bool caseSensitive = true) {
    PatternProgram program;
    if (program.Compile(pattern, caseSensitive) != PatternOk)
        return "does not compile: " + std::to_string(program.lastError);
    MatchContext context;
    return Describe(program, subject, context);
}

inline std::int32_t CompileResult(const char16_t* pattern, bool caseSensitive = true) {
    PatternProgram program;
    return program.Compile(pattern, caseSensitive);
}

// Empty when every index of the program lies in it and every group and memory slot below its
// count; otherwise the first instruction that breaks this, as "INDEX OPCODE ARGUMENT".
inline std::string ProgramDefect(const PatternProgram& program) {
    const auto count = static_cast<std::int64_t>(program.instructions.Count());
    std::int64_t index = 0;
    for (const PatternInstruction& instruction : program.instructions) {
        const std::int64_t argument = instruction.argument;
        bool sound = true;
        switch (instruction.opcode) {
        case PatternOpcode::Jump:
        case PatternOpcode::Call:
            sound = argument >= 0 && argument < count;
            break;
        case PatternOpcode::InRanges:
        case PatternOpcode::NotInRanges:
            sound = argument > index && argument < count && (argument - index) % 2 == 1;
            break;
        case PatternOpcode::GroupStart:
        case PatternOpcode::GroupEnd:
        case PatternOpcode::SaveGroup:
        case PatternOpcode::RestoreGroup:
        case PatternOpcode::BackReference:
            sound = argument >= 0 && argument < program.groupCount;
            break;
        case PatternOpcode::Char:
        case PatternOpcode::NoOp:
            sound = argument >= 0 && argument <= 0xFFFF;
            break;
        case PatternOpcode::AnyChar:
        case PatternOpcode::PushPos:
        case PatternOpcode::PopPos:
        case PatternOpcode::Return:
        case PatternOpcode::Fail:
        case PatternOpcode::Advance:
        case PatternOpcode::Accept:
            break;
        default: // the instructions on memory slots
            sound = argument >= 0 && argument < program.memorySlotCount;
            break;
        }
        if (!sound)
            return std::to_string(index) + " " + PatternOpcodeName(instruction.opcode) + " " +
                   std::to_string(argument);
        ++index;
    }
    return {};
}
