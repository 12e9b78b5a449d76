// The pattern of an IDF statement, AddExt(field,field,field), with one capture group per field.
// A field is "ext=" with any text, "file=" with any text, or "index=" with one or more digits.
// It is meant to be compiled without case sensitivity; it then needs 202 instructions, 3 groups
// and 3 memory slots.
#pragma once

inline constexpr char16_t idfStatementPattern[] =
    u"AddExt\\({(ext=.*?)|(file=.*?)|(index=\\d+)},{(ext=.*?)|(file=.*?)|(index=\\d+)},"
    u"{(ext=.*?)|(file=.*?)|(index=\\d+)}\\)";
