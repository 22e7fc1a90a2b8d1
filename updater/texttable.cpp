#include "updater/texttable.h"

#include <cwchar>

#include "common/util/ntstringconvert.h"
#include "common/xml/ntxmlparse.h"

bool CCMTextTable::LoadFromResource(HMODULE module) {
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(129), L"XML");
    if (!info) return false;
    HGLOBAL loaded = LoadResource(module, info);
    if (!loaded) return false;
    const void* data = LockResource(loaded);
    DWORD size = SizeofResource(module, info);
    if (!data) return false;
    const wchar_t* text = static_cast<const wchar_t*>(data);
    size_t count = size / sizeof(wchar_t);
    if (count > 0 && text[0] == 0xFEFF) {
        ++text;
        --count;
    }
    return LoadFromText(std::wstring(text, count));
}

bool CCMTextTable::LoadFromText(const std::wstring& document) {
    CNTXMLParse xml;
    xml.SetDoc(document);
    if (!xml.FindElem(L"Config")) return false;
    xml.IntoElem();
    while (xml.FindElem(L"String")) {
        unsigned id =
            static_cast<unsigned>(std::wcstoul(xml.GetAttrib(L"Id").c_str(), nullptr, 10));
        if (id == 0) continue;
        std::wstring text = xml.GetAttrib(L"Text");
        CNTStringConvert::ReplaceAllDistinct(text, L"\\n", L"\n");
        m_texts[id] = text;
    }
    return true;
}

std::wstring CCMTextTable::Get(unsigned id) const {
    auto it = m_texts.find(id);
    return it == m_texts.end() ? std::wstring() : it->second;
}
