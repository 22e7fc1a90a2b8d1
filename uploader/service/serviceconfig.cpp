#include "uploader/service/serviceconfig.h"

#include <vector>

#include "common/util/ntstringconvert.h"
#include "common/xml/ntxmlparse.h"
#include "uploader/service/filehandle.h"

bool ReadServiceBase(const std::wstring& programFolder, std::string& serviceBase) {
    serviceBase.clear();
    std::vector<char> bytes;
    if (!ReadWholeFile(programFolder + L"config.xml", bytes)) return false;

    std::wstring text(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    // The document ends at the first NUL the way a C string would.
    text.resize(wcslen(text.c_str()));

    CNTXMLParse xml(text.c_str());
    std::wstring value;
    if (xml.FindElem(L"config")) {
        while (xml.FindChildElem()) {
            if (xml.GetChildTagName() != L"SSOUrlBase") continue;
            xml.IntoElem();
            value = xml.GetData();
            xml.OutOfElem();
        }
    }
    if (value.empty()) return false;
    serviceBase = CNTStringConvert::UnicodeToAnsi(value.c_str());
    return !serviceBase.empty();
}
