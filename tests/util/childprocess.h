#pragma once

#include <windows.h>

#include <string>

// Runs exe with a command line, waits for it, and returns what it wrote on stdout.
std::string RunChild(const std::wstring& cmdLine);
// Runs it as a debuggee and returns the texts it sent to the debugger, in order, one per line.
std::wstring RunDebuggee(const std::wstring& cmdLine);
// Path of the helper program beside the test executable.
std::wstring ChildExe();
