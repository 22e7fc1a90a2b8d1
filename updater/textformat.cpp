#include "updater/textformat.h"

std::wstring FormatText(const std::wstring& pattern, std::initializer_list<std::wstring> args) {
    std::wstring out;
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        wchar_t c = pattern[i];
        if (c != L'%' || i + 1 == pattern.size()) {
            out += c;
            continue;
        }
        wchar_t kind = pattern[i + 1];
        if (kind == L'%') {
            out += L'%';
            ++i;
        } else if (kind == L's' || kind == L'd' || kind == L'u') {
            if (next != args.end()) out += *next++;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}
