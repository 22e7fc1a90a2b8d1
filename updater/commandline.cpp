#include "updater/commandline.h"

std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine) {
    std::vector<std::wstring> args;
    if (!commandLine) return args;
    std::wstring current;
    bool inArg = false, quoted = false;
    for (const wchar_t* p = commandLine; *p; ++p) {
        wchar_t c = *p;
        if (c == L'"') {
            quoted = !quoted;
            inArg = true;
        } else if ((c == L' ' || c == L'\t') && !quoted) {
            if (inArg) args.push_back(current);
            current.clear();
            inArg = false;
        } else {
            if (current.size() < 259) current += c;
            inArg = true;
        }
    }
    if (inArg) args.push_back(current);
    return args;
}
