// Helpers of the pattern engine tests: readable forms of instruction lists and match results.
#pragma once

#include "pattern/PatternProgram.h"

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

// The outcome of matching `subject` as "S-E" (offsets of the match) followed by one "B-E" or
// "-" (null bounds) per group, or "no match".
inline std::string Describe(const PatternProgram& program, const char16_t* subject,
                            MatchContext& context) {
    if (!program.Match(subject, &context))
        return "no match";
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
