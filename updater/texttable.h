#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>

// The message texts, by id, from the program's "XML" resource 129.
class CCMTextTable {
public:
    CCMTextTable() : m_texts(17) {}

    // False when the resource cannot be found, loaded or locked.
    bool LoadFromResource(HMODULE module);
    // Reads a Config document of String elements (Id, Text); "\n" in a text becomes a line
    // break and elements whose Id reads as 0 are skipped. False when there is no Config root.
    bool LoadFromText(const std::wstring& document);
    // Empty for an unknown id.
    std::wstring Get(unsigned id) const;

private:
    std::unordered_map<unsigned, std::wstring> m_texts;
};
