// A second compiler for the tests, written as the language's compile scheme reads: every piece is
// compiled twice (in the alternation scaffold, then without it), every quantified atom twice, with
// the canBeEmpty flag as a plain boolean. It is slow (exponential in the nesting depth), has no
// nesting or size limit, and serves only to check that the engine's compiler, which compiles each
// piece once, produces the same instruction lists and result codes.
#pragma once

#include "pattern/PatternProgram.h"

#include <cstdint>
#include <string>
#include <vector>

struct ReferenceProgram {
    std::int32_t result = PatternOk;
    std::vector<PatternInstruction> instructions;
    std::uint32_t groupCount = 0;
    std::int32_t memorySlotCount = 0;
};

ReferenceProgram ReferenceCompile(const std::u16string& pattern, bool caseSensitive);
