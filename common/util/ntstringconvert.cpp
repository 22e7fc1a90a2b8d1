#include "common/util/ntstringconvert.h"

#include <windows.h>

#include <cwctype>

namespace {

std::wstring ToWide(UINT codePage, const char* text) {
    if (!text || !*text) return std::wstring();
    int len = ::MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (len <= 1) return std::wstring();
    std::wstring out(len, L'\0');
    ::MultiByteToWideChar(codePage, 0, text, -1, &out[0], len);
    out.resize(len - 1);
    return out;
}

std::string ToNarrow(UINT codePage, const wchar_t* text) {
    if (!text || !*text) return std::string();
    int len = ::WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (len <= 1) return std::string();
    std::string out(len, '\0');
    ::WideCharToMultiByte(codePage, 0, text, -1, &out[0], len, nullptr, nullptr);
    out.resize(len - 1);
    return out;
}

}  // namespace

std::wstring CNTStringConvert::AnsiToUnicode(const char* text) { return ToWide(CP_ACP, text); }

std::string CNTStringConvert::UnicodeToAnsi(const wchar_t* text) { return ToNarrow(CP_ACP, text); }

std::wstring CNTStringConvert::UTF8ToUnicode(const char* text) { return ToWide(CP_UTF8, text); }

std::string CNTStringConvert::UTF8ToANSI(const char* text) {
    return ToNarrow(CP_ACP, ToWide(CP_UTF8, text).c_str());
}

std::string CNTStringConvert::UnicodeToUTF8(const wchar_t* text) { return ToNarrow(CP_UTF8, text); }

void CNTStringConvert::MakeLower(std::wstring& text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
}

void CNTStringConvert::MakeUpper(std::wstring& text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
}

bool CNTStringConvert::ReplaceAll(std::wstring& text, const std::wstring& search,
                                  const std::wstring& replacement) {
    if (search.empty() || replacement.find(search) != std::wstring::npos) return false;
    // Nothing before the last replacement matched, so a new occurrence can begin at most
    // search.size() - 1 units before it: resuming there gives the same result as restarting.
    size_t from = 0;
    for (size_t pos; (pos = text.find(search, from)) != std::wstring::npos;) {
        text.replace(pos, search.size(), replacement);
        from = pos >= search.size() - 1 ? pos - (search.size() - 1) : 0;
    }
    return true;
}

bool CNTStringConvert::ReplaceAllDistinct(std::wstring& text, const std::wstring& search,
                                          const std::wstring& replacement) {
    if (search.empty()) return false;
    for (size_t pos = 0; (pos = text.find(search, pos)) != std::wstring::npos;
         pos += replacement.size())
        text.replace(pos, search.size(), replacement);
    return true;
}

bool CNTStringConvert::Test() {
    std::wstring lower = L"AbC";
    MakeLower(lower);
    std::wstring upper = L"aBc";
    MakeUpper(upper);
    std::wstring all = L"aab";
    bool allDone = ReplaceAll(all, L"ab", L"b");
    std::wstring endless = L"a";
    bool endlessRefused = !ReplaceAll(endless, L"a", L"aa") && endless == L"a";
    std::wstring distinct = L"aa";
    bool distinctDone = ReplaceAllDistinct(distinct, L"a", L"aa");
    struct Check {
        const wchar_t* name;
        bool passed;
    };
    const Check checks[] = {
        {L"UTF8ToUnicode", UTF8ToUnicode("\xe4\xb8\xad x") == L"\u4e2d x"},
        {L"UnicodeToUTF8", UnicodeToUTF8(L"\u4e2d x") == "\xe4\xb8\xad x"},
        {L"AnsiToUnicode", AnsiToUnicode(UnicodeToAnsi(L"ascii").c_str()) == L"ascii"},
        {L"UTF8ToANSI", UTF8ToANSI("abc") == "abc"},
        {L"null input", UTF8ToUnicode(nullptr).empty() && UnicodeToAnsi(nullptr).empty()},
        {L"MakeLower", lower == L"abc"},
        {L"MakeUpper", upper == L"ABC"},
        {L"ReplaceAll", allDone && all == L"b"},
        {L"ReplaceAll refusal", endlessRefused},
        {L"ReplaceAllDistinct", distinctDone && distinct == L"aaaa"},
    };
    bool passed = true;
    for (const Check& check : checks) {
        if (check.passed) continue;
        passed = false;
        ::MessageBoxW(nullptr, check.name, L"CNTStringConvert::Test failed", MB_OK | MB_ICONERROR);
    }
    return passed;
}
