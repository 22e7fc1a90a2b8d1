#pragma once

#include <string>
#include <vector>

// Splits a command line: space and tab separate arguments outside double quotes, a double
// quote toggles quoting and is dropped, runs of separators count once, and each argument is
// kept to at most 259 characters. The program name is the first element.
std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine);
