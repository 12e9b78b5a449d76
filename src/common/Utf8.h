// UTF-16 text as the UTF-8 bytes that files and pipes take.
#pragma once

#include <string>
#include <string_view>

// The text in UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf8(std::wstring_view text);
