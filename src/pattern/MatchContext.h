// The working state and the results of PatternProgram::Match: the backtracking stack, the memory
// slots and the capture groups. One context can be reused for any number of matches; each Match
// starts by re-initialising it.
#pragma once

#include "pattern/AtlException.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The bounds of what one capture group captured: [begin, end) in the subject, both null while the
// group has captured nothing.
struct MatchGroup {
    const char16_t* begin = nullptr;
    const char16_t* end = nullptr;
};

// How the last Match ended.
enum class MatchOutcome {
    NoMatch,          // the search ended without a match (also for arguments it refused)
    Matched,          // the search ended with a match
    OutOfMemory,      // an array or the stack could not grow: the search ended with false
    StepLimitReached, // the search ran stepLimit instructions and stopped with false
};

class MatchContext {
public:
    // The stack never holds more entries than this; a push beyond it ends the search with false.
    static constexpr std::size_t maxStackEntries = std::size_t{1} << 26;

    MatchContext();

    // Empties the stack and replaces the groups by `groupCount` null pairs and the memory by
    // `memorySlotCount` zero slots. False when an array cannot be allocated.
    bool Initialize(std::uint32_t groupCount, std::int32_t memorySlotCount);

    // stackTop += 1 and stores the value there, growing the stack when it is full. False (and the
    // stack unchanged) when it cannot grow.
    bool Push(std::uintptr_t value) {
        const std::uint32_t top = stackTop + 1;
        if (top >= stack.size() && !Grow(top))
            return false;
        stack[top] = value;
        stackTop = top;
        return true;
    }
    // The top entry, which is removed; 0 when the stack is empty. Raises
    // CAtlException(HResultInvalidArgument) when stackTop lies outside the stack.
    std::uintptr_t Pop() {
        if (stackTop == 0)
            return 0;
        if (stackTop >= stack.size())
            throw CAtlException(HResultInvalidArgument);
        return stack[stackTop--];
    }

    // The text group `index` captured: empty when it captured nothing. Raises
    // CAtlException(HResultInvalidArgument) for an index not below groupCount.
    std::u16string_view CapturedText(std::uint32_t index) const;
#ifdef _WIN32
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t is a UTF-16 code unit on Windows");
    // The same for a subject that was passed as wchar_t text.
    std::wstring_view CapturedWideText(std::uint32_t index) const {
        std::u16string_view text = CapturedText(index);
        return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
    }
#endif

    std::uint32_t groupCount = 0;         // entries in `groups`
    const char16_t* matchStart = nullptr; // start of the whole match
    const char16_t* matchEnd = nullptr;   // one past its last character
    // One value per memory slot of the program: a position, a stack height or a saved slot value.
    std::vector<std::uintptr_t> memory;
    std::vector<MatchGroup> groups;    // per capture group its bounds
    std::vector<std::uintptr_t> stack; // backtracking stack; entry 0 is never used
    std::uint32_t stackTop = 0;        // index of the top entry; 0: empty

    // When not 0, a search that has executed this many instructions stops with false
    // (MatchOutcome::StepLimitReached). 0, the default, lets every search run to its end.
    std::uint64_t stepLimit = 0;
    MatchOutcome outcome = MatchOutcome::NoMatch;

private:
    friend class PatternProgram;
    // Makes room for entry `top`: 2 * top + 2 entries, at most maxStackEntries.
    bool Grow(std::uint32_t top);

    // The subject with A to Z lowered, for a program compiled without case sensitivity; kept
    // between matches so that a context reused for many lines allocates it once.
    std::u16string loweredText;
};
