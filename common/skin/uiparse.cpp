#include "common/skin/uiparse.h"

#include <cwchar>
#include <vector>

namespace {

bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

// Reads comma-separated integers; exactly count of them must be present.
bool ParseInts(const wchar_t* text, int* out, int count) {
    if (!text) return false;
    const wchar_t* p = text;
    for (int i = 0; i < count; ++i) {
        while (IsSpace(*p)) ++p;
        bool negative = false;
        if (*p == L'-') {
            negative = true;
            ++p;
        }
        if (*p < L'0' || *p > L'9') return false;
        long long value = 0;
        while (*p >= L'0' && *p <= L'9') {
            value = value * 10 + (*p - L'0');
            if (value > 0x7FFFFFFF) return false;
            ++p;
        }
        out[i] = static_cast<int>(negative ? -value : value);
        while (IsSpace(*p)) ++p;
        if (i + 1 < count) {
            if (*p != L',') return false;
            ++p;
        }
    }
    return *p == 0;
}

}  // namespace

bool UIParseRect(const wchar_t* text, RECT& out) {
    int v[4];
    if (!ParseInts(text, v, 4)) return false;
    out = RECT{v[0], v[1], v[2], v[3]};
    return true;
}

bool UIParseSize(const wchar_t* text, SIZE& out) {
    int v[2];
    if (!ParseInts(text, v, 2)) return false;
    out = SIZE{v[0], v[1]};
    return true;
}

bool UIParseInt(const wchar_t* text, int& out) { return ParseInts(text, &out, 1); }

bool UIParseBool(const wchar_t* text, bool& out) {
    if (!text) return false;
    if (wcscmp(text, L"true") == 0 || wcscmp(text, L"1") == 0) {
        out = true;
        return true;
    }
    if (wcscmp(text, L"false") == 0 || wcscmp(text, L"0") == 0) {
        out = false;
        return true;
    }
    return false;
}

bool UIParseColor(const wchar_t* text, DWORD& out) {
    if (!text || text[0] != L'#') return false;
    size_t len = wcslen(text + 1);
    if (len != 6 && len != 8) return false;
    DWORD value = 0;
    for (size_t i = 1; i <= len; ++i) {
        wchar_t c = text[i];
        int digit;
        if (c >= L'0' && c <= L'9')
            digit = c - L'0';
        else if (c >= L'a' && c <= L'f')
            digit = c - L'a' + 10;
        else if (c >= L'A' && c <= L'F')
            digit = c - L'A' + 10;
        else
            return false;
        value = (value << 4) | static_cast<DWORD>(digit);
    }
    out = len == 6 ? (0xFF000000 | value) : value;
    return true;
}

bool UIParseImageSpec(const std::wstring& text, UIImageSpec& out) {
    size_t start = 0;
    while (start < text.size() && IsSpace(text[start])) ++start;
    if (start == text.size()) return false;
    if (text.find(L'=') == std::wstring::npos) {
        size_t end = text.size();
        while (end > start && IsSpace(text[end - 1])) --end;
        out = UIImageSpec();
        out.file = text.substr(start, end - start);
        return true;
    }
    UIImageSpec imageSpec;
    size_t p = start;
    while (p < text.size()) {
        while (p < text.size() && IsSpace(text[p])) ++p;
        if (p == text.size()) break;
        size_t eq = text.find(L'=', p);
        if (eq == std::wstring::npos) return false;
        std::wstring key = text.substr(p, eq - p);
        while (!key.empty() && IsSpace(key.back())) key.pop_back();
        p = eq + 1;
        while (p < text.size() && IsSpace(text[p])) ++p;
        if (p == text.size() || (text[p] != L'\'' && text[p] != L'"')) return false;
        wchar_t quote = text[p++];
        size_t close = text.find(quote, p);
        if (close == std::wstring::npos) return false;
        std::wstring value = text.substr(p, close - p);
        p = close + 1;
        if (key == L"file") {
            imageSpec.file = value;
        } else if (key == L"source") {
            if (!UIParseRect(value.c_str(), imageSpec.source)) return false;
            imageSpec.hasSource = true;
        } else if (key == L"corner") {
            if (!UIParseRect(value.c_str(), imageSpec.corner)) return false;
        } else if (key == L"dest") {
            if (!UIParseRect(value.c_str(), imageSpec.dest)) return false;
            imageSpec.hasDest = true;
        }
        // Other keys are for later skins; they are skipped, not refused.
    }
    if (imageSpec.file.empty()) return false;
    out = imageSpec;
    return true;
}
