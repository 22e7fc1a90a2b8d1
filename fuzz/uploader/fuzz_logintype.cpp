// The hand-written scanner must decide exactly what a backtracking search for the two login
// patterns decides; PercentEncode must leave only unreserved bytes and decode back exactly.
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string>

#include "uploader/service/logintype.h"
#include "uploader/service/requests.h"

namespace {

// Bytes become characters the patterns care about, so matches are frequent.
const wchar_t kAlphabet[] = L"1023456789abzAZ_./@-+ \u00e9\u4e2d";

int ReferenceType(const std::wstring& name) {
    static const std::wregex email(
        L"[a-zA-Z0-9_/.]+@[a-zA-Z0-9]+[/.][a-zA-Z0-9]+[/.]?[a-zA-Z0-9]+");
    static const std::wregex mobile(L"1[0-9]{10}");
    if (std::regex_search(name, email)) return kLoginEmail;
    if (std::regex_search(name, mobile)) return kLoginMobile;
    return kLoginUserName;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 96) return 0;  // keeps the recursive reference search shallow
    std::wstring name;
    for (size_t i = 0; i < size; ++i) {
        name += kAlphabet[data[i] % (sizeof(kAlphabet) / sizeof(kAlphabet[0]) - 1)];
    }
    int type = -1;
    if (DetectLoginType(name, type) != 0 || type != ReferenceType(name)) std::abort();

    std::string raw(reinterpret_cast<const char*>(data), size);
    std::string encoded = PercentEncode(raw);
    std::string decoded;
    for (size_t i = 0; i < encoded.size(); ++i) {
        char c = encoded[i];
        if (c == '%') {
            if (i + 2 >= encoded.size()) std::abort();
            int high = HexValue(encoded[i + 1]);
            int low = HexValue(encoded[i + 2]);
            if (high < 0 || low < 0) std::abort();
            decoded += static_cast<char>(high * 16 + low);
            i += 2;
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                   c == '-' || c == '.' || c == '_' || c == '~') {
            decoded += c;
        } else {
            std::abort();
        }
    }
    if (decoded != raw) std::abort();
    return 0;
}
