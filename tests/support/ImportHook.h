// Test support: redirects this program's own calls of a system function, through its import
// table, so that a test can see (and count) every call that the code under test makes.
#pragma once

// Replaces the address through which this program calls `function` of `module` ("advapi32.dll",
// any case) by `replacement`. Returns the address it called before, or nullptr when the program
// does not import that function from that module.
void* ReplaceImport(const char* module, const char* function, void* replacement);
