// The parts of the engine that compiling and matching share: the instruction list, the opcode
// names, the abbreviations and the exception text.
#include "pattern/PatternProgram.h"

#include <algorithm>
#include <new>
#include <utility>

const char* CAtlException::what() const noexcept {
    switch (hr) {
    case HResultInvalidArgument:
        return "CAtlException E_INVALIDARG";
    case HResultFail:
        return "CAtlException E_FAIL";
    case HResultOutOfMemory:
        return "CAtlException E_OUTOFMEMORY";
    default:
        return "CAtlException";
    }
}

const char* PatternOpcodeName(PatternOpcode opcode) {
    static const char* const names[patternOpcodeCount] = {
        "NoOp",
        "GroupStart",
        "GroupEnd",
        "Char",
        "AnyChar",
        "InRanges",
        "NotInRanges",
        "Jump",
        "PushPos",
        "PopPos",
        "Call",
        "Return",
        "PushMem",
        "PopMem",
        "StorePos",
        "StoreStackTop",
        "LoadPos",
        "LoadStackTop",
        "ReturnIfNoProgress",
        "BackReference",
        "Fail",
        "Advance",
        "Accept",
        "SaveGroup",
        "RestoreGroup",
    };
    const auto index = static_cast<int>(opcode);
    return index >= 0 && index < patternOpcodeCount ? names[index] : "?";
}

const char16_t* const abbreviationTable[9] = {
    u"a([a-zA-Z0-9])",
    u"b([ \\t])",
    u"c([a-zA-Z])",
    u"d([0-9])",
    u"h([0-9a-fA-F])",
    u"n(\r|(\r?\n))",
    u"q(\"[^\"]*\")|('[^']*')",
    u"w([a-zA-Z]+)",
    u"z([0-9]+)",
};

const PatternInstruction& PatternInstructionArray::operator[](std::size_t index) const {
    if (index >= items.size())
        throw CAtlException(HResultInvalidArgument);
    return items[index];
}

PatternInstruction& PatternInstructionArray::operator[](std::size_t index) {
    return const_cast<PatternInstruction&>(std::as_const(*this)[index]);
}

bool PatternInstructionArray::Reserve(std::size_t count) {
    if (count <= items.capacity())
        return true;
    if (count > maxCount)
        return false;
    const std::size_t size = items.size();
    const std::size_t step = size < 32 ? 4 : size >= 8200 ? 1024 : size / 8;
    const std::size_t target = std::min(std::max(count, size + step), maxCount);
    try {
        items.reserve(target);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

std::int32_t PatternInstructionArray::Add(PatternOpcode opcode, std::int32_t argument) {
    const std::size_t index = items.size();
    if (!Reserve(index + 1))
        return -1;
    items.push_back(PatternInstruction{opcode, argument});
    return static_cast<std::int32_t>(index);
}

void PatternInstructionArray::Truncate(std::size_t count) {
    if (count < items.size())
        items.resize(count);
}
