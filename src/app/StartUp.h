// Start-up of the program: the Windows version gate and the sequence that brings up the window.
#pragma once

#include <windows.h>

// The module instance handle, stored first thing at start-up.
extern HINSTANCE instanceHandle;

// True when the system is of the NT family with major version 6 or later.
bool CheckWindowsVersion();

// The whole run of the program; returns the process exit code.
int RunProgram(HINSTANCE hInstance, int nCmdShow);
