#include "uploader/service/logintype.h"

namespace {

bool IsAsciiAlnum(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'.'; }

bool IsLocalChar(wchar_t c) { return IsAsciiAlnum(c) || c == L'_' || IsSeparator(c); }

size_t AlnumRun(const std::wstring& s, size_t from) {
    size_t end = from;
    while (end < s.size() && IsAsciiAlnum(s[end])) ++end;
    return end - from;
}

// Searches for [a-zA-Z0-9_/.]+@[a-zA-Z0-9]+[/.][a-zA-Z0-9]+[/.]?[a-zA-Z0-9]+ anywhere.
// The host run before the first separator must be maximal (an alnum cannot be a separator),
// so each '@' needs one linear look ahead.
bool ContainsEmail(const std::wstring& s) {
    for (size_t at = 1; at < s.size(); ++at) {
        if (s[at] != L'@' || !IsLocalChar(s[at - 1])) continue;
        size_t host = AlnumRun(s, at + 1);
        size_t sep = at + 1 + host;
        if (host == 0 || sep >= s.size() || !IsSeparator(s[sep])) continue;
        size_t second = AlnumRun(s, sep + 1);
        if (second >= 2) return true;
        size_t sep2 = sep + 1 + second;
        if (second == 1 && sep2 < s.size() && IsSeparator(s[sep2]) && AlnumRun(s, sep2 + 1) >= 1) {
            return true;
        }
    }
    return false;
}

// Searches for 1[0-9]{10} anywhere.
bool ContainsMobile(const std::wstring& s) {
    size_t run = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        run = IsDigit(s[i]) ? run + 1 : 0;
        // Any '1' that starts at least eleven digits in a row is a match.
        if (run >= 11 && s[i - 10] == L'1') return true;
    }
    return false;
}

}  // namespace

int DetectLoginType(const std::wstring& userName, int& loginType) {
    if (ContainsEmail(userName)) {
        loginType = kLoginEmail;
    } else if (ContainsMobile(userName)) {
        loginType = kLoginMobile;
    } else {
        loginType = kLoginUserName;
    }
    return 0;
}
