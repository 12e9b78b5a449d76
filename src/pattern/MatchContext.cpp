// The matcher's working state: stack growth, initialisation and captured texts.
#include "pattern/MatchContext.h"

#include <algorithm>
#include <new>

MatchContext::MatchContext() : stack(256) {}

bool MatchContext::Initialize(std::uint32_t groupsWanted, std::int32_t memorySlotCount) {
    stackTop = 0;
    try {
        groups.assign(groupsWanted, MatchGroup{});
        memory.assign(static_cast<std::size_t>(std::max(memorySlotCount, 0)), 0);
    } catch (const std::bad_alloc&) {
        groupCount = static_cast<std::uint32_t>(groups.size());
        return false;
    }
    groupCount = groupsWanted;
    return true;
}

bool MatchContext::Grow(std::uint32_t top) {
    if (top >= maxStackEntries)
        return false;
    const std::size_t size = std::min(2 * std::size_t{top} + 2, maxStackEntries);
    try {
        stack.resize(size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

std::u16string_view MatchContext::CapturedText(std::uint32_t index) const {
    if (index >= groups.size())
        throw CAtlException(HResultInvalidArgument);
    const MatchGroup& group = groups[index];
    if (group.begin == nullptr || group.end == nullptr || group.end < group.begin)
        return {};
    return {group.begin, static_cast<std::size_t>(group.end - group.begin)};
}
