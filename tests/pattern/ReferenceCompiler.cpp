#include "ReferenceCompiler.h"

namespace {

using Op = PatternOpcode;

class Reference {
public:
    explicit Reference(const char16_t* pattern) : text(pattern) {}

    ReferenceProgram Run() {
        Emit(Op::Call);
        if (text[0] == u'^') {
            Emit(Op::Fail);
            ++position;
        } else {
            Emit(Op::Advance);
        }
        Flag flag{true, true};
        Sequence(flag);
        if (lastError == 0) {
            code[0].argument = 2;
            Emit(Op::Accept);
        }
        return {lastError, code, groupCount, slotCount};
    }

private:
    // canBeEmpty of the rules, and whether the construct can really match nothing.
    struct Flag {
        bool empty;
        bool zeroWidth;
    };
    struct State {
        std::size_t count;
        std::uint32_t groups;
        std::int32_t slots;
    };

    State Save() const { return {code.size(), groupCount, slotCount}; }
    void Restore(const State& state) {
        code.resize(state.count);
        groupCount = state.groups;
        slotCount = state.slots;
    }
    int Emit(Op op, std::int32_t argument = 0) {
        code.push_back({op, argument});
        return static_cast<int>(code.size()) - 1;
    }
    int Error(std::int32_t code_) {
        lastError = code_;
        return -1;
    }
    char16_t Peek() const { return text[position]; }
    char16_t Next() const { return text[position] != 0 ? text[position + 1] : u'\0'; }
    int Count() const { return static_cast<int>(code.size()); }

    int Sequence(Flag& flag) {
        if (Peek() == 0)
            return -1;
        const int first = Alternation(flag);
        if (first < 0)
            return first;
        Flag rest{true, true};
        Sequence(rest);
        if (lastError != 0)
            return -1;
        flag = {flag.empty && rest.empty, flag.zeroWidth && rest.zeroWidth};
        return first;
    }

    int Alternation(Flag& flag) {
        const State state = Save();
        const std::size_t start = position;
        const Flag incoming = flag;
        const int b = Emit(Op::PushPos);
        Emit(Op::Call, b + 4);
        Emit(Op::PopPos);
        const int j = Emit(Op::Jump);
        const int x = Quantified(flag);
        if (x < 0) {
            if (lastError != 0)
                return -1;
            Restore(state);
            return x;
        }
        const int k = Emit(Op::Jump);
        code[j].argument = k + 1;
        if (Peek() != u'|') {
            Restore(state);
            position = start;
            return Quantified(flag);
        }
        ++position;
        Flag other{true, true};
        const int y = Alternation(other);
        if (y < 0) {
            if (lastError != 0)
                return -1;
            Restore(state);
            flag.zeroWidth = incoming.zeroWidth;
            return y;
        }
        code[k].argument = Count();
        code[j].argument = y;
        flag = {flag.empty || other.empty, flag.zeroWidth || other.zeroWidth};
        return b;
    }

    int Quantified(Flag& flag) {
        const State state = Save();
        const std::size_t start = position;
        const int first = Atom(flag);
        if (first < 0)
            return first;
        const char16_t quantifier = Peek();
        if (quantifier != u'*' && quantifier != u'+' && quantifier != u'?')
            return first;
        const bool shortest = Next() == u'?';
        const bool plus = quantifier == u'+';
        const bool optional = quantifier == u'?';
        if (plus)
            groupCount = state.groups;
        else
            Restore(state);
        position = start;
        if (!shortest) {
            const int m = slotCount++;
            const int p = Emit(Op::PushMem, m);
            Emit(Op::StorePos, m);
            Emit(Op::PushPos);
            const int c = Emit(Op::Call);
            Emit(Op::PopPos);
            Emit(Op::PopMem, m);
            const int e = Emit(Op::Jump);
            code[c].argument = e + 1;
            flag = {false, true};
            if (Atom(flag) < 0)
                return -1;
            if (flag.empty && !optional)
                return Error(PatternEmptyRepeat);
            flag = {!plus, plus ? flag.zeroWidth : true};
            ++position;
            Emit(Op::ReturnIfNoProgress, m);
            Emit(Op::StorePos, m);
            if (!optional)
                Emit(Op::Jump, p);
            code[e].argument = Count();
            return plus ? first : p;
        }
        const int c = Emit(Op::Call);
        flag = {false, true};
        if (Atom(flag) < 0)
            return -1;
        if (!optional && (flag.empty || flag.zeroWidth))
            return Error(PatternEmptyRepeat);
        flag = {true, !plus};
        position += 2;
        if (optional) {
            code[c].argument = Count();
        } else {
            const int j = Emit(Op::Jump, c);
            code[c].argument = j + 1;
        }
        return plus ? first : c;
    }

    int Atom(Flag& flag) {
        const char16_t c = Peek();
        switch (c) {
        case u'{':
            ++position;
            return CaptureGroup(flag);
        case u'(':
            ++position;
            return Group(flag);
        case u'[':
            ++position;
            return Class(flag);
        case u'\\':
            ++position;
            return Escape(flag);
        case u'!':
            ++position;
            return Not(flag);
        case u'}':
        case u']':
        case u')':
        case 0:
            return -1;
        default: {
            const int i =
                c == u'.' ? Emit(Op::AnyChar) : Emit(Op::Char, c == u'$' && Next() == 0 ? 0 : c);
            flag = {false, false};
            ++position;
            return i;
        }
        }
    }

    int Escape(Flag& flag) {
        const char16_t c = Peek();
        if (c >= u'0' && c <= u'9') {
            flag = {false, true};
            const int i = Emit(Op::BackReference);
            std::uint64_t number = 0;
            for (; Peek() >= u'0' && Peek() <= u'9'; ++position) {
                if (number < 1000000)
                    number = number * 10 + static_cast<std::uint64_t>(Peek() - u'0');
            }
            if (number >= groupCount)
                return Error(PatternBadGroupNumber);
            code[i].argument = static_cast<std::int32_t>(number);
            return i;
        }
        for (const char16_t* entry : abbreviationTable) {
            if (c == 0 || entry[0] != c)
                continue;
            const char16_t* savedText = text;
            const std::size_t savedPosition = position;
            text = entry + 1;
            position = 0;
            const int r = Quantified(flag);
            text = savedText;
            position = savedPosition;
            if (r < 0)
                return Error(PatternAbbreviationFailed);
            ++position;
            return r;
        }
        const int i = Emit(Op::Char, c != 0 ? c : u'\\');
        if (c != 0)
            ++position;
        flag.zeroWidth = false;
        return i;
    }

    int CaptureGroup(Flag& flag) {
        const auto n = static_cast<std::int32_t>(groupCount++);
        const int i = Emit(Op::SaveGroup, n);
        Emit(Op::GroupStart, n);
        const int c = Emit(Op::Call);
        Emit(Op::RestoreGroup, n);
        Emit(Op::Return);
        int r = Sequence(flag);
        if (r < 0) {
            if (lastError != 0)
                return -1;
            if (Peek() != u'}')
                return Error(PatternBraceExpected);
            r = Emit(Op::NoOp);
        }
        code[c].argument = r;
        if (Peek() != u'}')
            return Error(PatternBraceExpected);
        ++position;
        Emit(Op::GroupEnd, n);
        return i;
    }

    int Group(Flag& flag) {
        const int c = Emit(Op::Call);
        Emit(Op::Return);
        int r = Sequence(flag);
        if (r < 0) {
            if (lastError != 0)
                return -1;
            if (Peek() != u')')
                return Error(PatternParenExpected);
            r = Emit(Op::NoOp);
        }
        code[c].argument = r;
        if (Peek() != u')')
            return Error(PatternParenExpected);
        ++position;
        return c;
    }

    int Class(Flag& flag) {
        flag = {false, false};
        if (Peek() == u']') {
            ++position;
            return Error(PatternEmptyClass);
        }
        bool negated = false;
        if (Peek() == u'^') {
            negated = true;
            ++position;
            if (Peek() == u']') {
                ++position;
                return Error(PatternEmptyClass);
            }
        }
        const int i = Emit(negated ? Op::NotInRanges : Op::InRanges);
        while (Peek() != 0 && Peek() != u']') {
            char16_t lower = Peek();
            if (lower == u'\\' && Next() != 0) {
                ++position;
                lower = Peek() == u't' ? u'\t' : Peek();
            }
            ++position;
            char16_t upper = lower;
            if (Peek() == u'-') {
                ++position;
                upper = Peek();
                if (upper == 0 || upper == u']')
                    return Error(PatternBracketExpected);
                ++position;
                if (upper < lower)
                    return Error(PatternBadRange);
            }
            Emit(Op::NoOp, lower);
            Emit(Op::NoOp, upper);
        }
        code[i].argument = Count();
        if (Peek() != u']')
            return Error(PatternBracketExpected);
        ++position;
        return i;
    }

    int Not(Flag& flag) {
        const int m1 = slotCount++;
        const int m2 = slotCount++;
        const int a = Emit(Op::StorePos, m1);
        Emit(Op::StoreStackTop, m2);
        const int c = Emit(Op::Call);
        Emit(Op::LoadPos, m1);
        Emit(Op::LoadStackTop, m2);
        const int j = Emit(Op::Jump);
        const int x = Atom(flag);
        if (x < 0)
            return x;
        code[c].argument = x;
        Emit(Op::LoadPos, m1);
        Emit(Op::LoadStackTop, m2);
        const int r = Emit(Op::Return);
        code[j].argument = r + 1;
        flag.zeroWidth = true;
        return a;
    }

    const char16_t* text;
    std::size_t position = 0;
    std::vector<PatternInstruction> code;
    std::uint32_t groupCount = 0;
    std::int32_t slotCount = 0;
    std::int32_t lastError = 0;
};

} // namespace

ReferenceProgram ReferenceCompile(const std::u16string& pattern, bool caseSensitive) {
    std::u16string text = pattern;
    if (!caseSensitive) {
        for (char16_t& c : text)
            c = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    }
    return Reference(text.c_str()).Run();
}
