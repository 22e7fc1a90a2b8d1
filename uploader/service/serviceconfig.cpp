#include "uploader/service/serviceconfig.h"

#include <winsock2.h>  // before windows.h, as libcurl needs
#include <windows.h>

#include <vector>

#include "common/util/ntstringconvert.h"
#include "common/xml/ntxmlparse.h"
#include "uploader/service/filehandle.h"

namespace {

// A real configuration holds a few hundred bytes; anything past this is not one, and reading
// it whole could exhaust the 32-bit process.
constexpr size_t kMaxConfigBytes = 1 << 20;

bool IsOn(const std::wstring& text) {
    size_t first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos) return false;
    std::wstring word = text.substr(first, text.find_last_not_of(L" \t\r\n") + 1 - first);
    return word == L"1" || CompareStringOrdinal(word.c_str(), -1, L"true", -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

bool ReadServiceBase(const std::wstring& programFolder, std::string& serviceBase,
                     bool& verifyServers) {
    serviceBase.clear();
    verifyServers = false;
    std::vector<char> bytes;
    if (!ReadWholeFile(programFolder + L"config.xml", kMaxConfigBytes, bytes)) return false;

    std::wstring text(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    // The document ends at the first NUL the way a C string would.
    text.resize(wcslen(text.c_str()));

    CNTXMLParse xml(text.c_str());
    std::wstring value;
    std::wstring verify;
    if (xml.FindElem(L"config")) {
        while (xml.FindChildElem()) {
            std::wstring tag = xml.GetChildTagName();
            std::wstring* target = tag == L"SSOUrlBase"                ? &value
                                   : tag == L"VerifyServerCertificate" ? &verify
                                                                       : nullptr;
            if (target == nullptr) continue;
            xml.IntoElem();
            *target = xml.GetData();
            xml.OutOfElem();
        }
    }
    verifyServers = IsOn(verify);
    if (value.empty()) return false;
    serviceBase = CNTStringConvert::UnicodeToAnsi(value.c_str());
    return !serviceBase.empty();
}
