// Parses a generated ~20 MB UTF-16 document with CNTXMLParse::SetDoc and with pugixml, walks every
// element of each, and prints MB/s and the ratio. Best of several runs; asserts nothing.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "common/xml/ntxmlparse.h"
#include "pugixml.hpp"

namespace {

const size_t kTargetChars = 10 * 1000 * 1000;  // 20 MB of UTF-16
const int kRuns = 5;

class Rng {
public:
    unsigned Next() {
        m_n = m_n * 1103515245u + 12345u;
        return (m_n >> 8) & 0xFFFFFF;
    }
    unsigned Below(unsigned n) { return Next() % n; }

private:
    unsigned m_n = 12345;
};

void AddText(std::wstring& str, Rng& rng) {
    static const wchar_t* const kWords[] = {L"student", L"\u5b66\u751f", L"photo",       L"&amp;",
                                            L"grade",   L"\u73ed\u7ea7", L"&lt;tag&gt;", L"2026"};
    unsigned nWords = 1 + rng.Below(8);
    for (unsigned i = 0; i < nWords; ++i) {
        if (i) str += L' ';
        str += kWords[rng.Below(8)];
    }
}

// Deep and wide: each element has 0-6 children down to depth 14, with attributes, text,
// CDATA sections and comments between them.
void AddElement(std::wstring& str, Rng& rng, int nDepth) {
    static const wchar_t* const kNames[] = {L"record",  L"item",         L"entry",
                                            L"ns:node", L"\u6863\u6848", L"value"};
    const wchar_t* pszName = kNames[rng.Below(6)];
    str += L'<';
    str += pszName;
    unsigned nAttribs = rng.Below(4);
    for (unsigned i = 0; i < nAttribs; ++i) {
        str += L" a" + std::to_wstring(i) + L"=\"";
        AddText(str, rng);
        str += L'"';
    }
    unsigned nChildren = nDepth < 14 && str.size() < kTargetChars ? rng.Below(7) : 0;
    if (!nChildren && rng.Below(3) == 0) {
        str += L"/>\r\n";
        return;
    }
    str += L'>';
    if (!nChildren) {
        AddText(str, rng);
    } else {
        str += L"\r\n";
        for (unsigned i = 0; i < nChildren; ++i) {
            unsigned nKind = rng.Below(10);
            if (nKind == 0) {
                str += L"<!-- ";
                AddText(str, rng);
                str += L" -->\r\n";
            } else if (nKind == 1) {
                str += L"<![CDATA[";
                AddText(str, rng);
                str += L" <raw> ]]>\r\n";
            }
            AddElement(str, rng, nDepth + 1);
        }
    }
    str += L"</";
    str += pszName;
    str += L">\r\n";
}

std::wstring MakeDocument() {
    Rng rng;
    std::wstring str = L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<archive>\r\n";
    while (str.size() < kTargetChars) AddElement(str, rng, 1);
    str += L"</archive>\r\n";
    return str;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(freq.QuadPart);
}

size_t WalkOurs(CNTXMLParse& xml) {
    size_t nElems = 0;
    int nDepth = 0;
    xml.ResetPos();
    for (;;) {
        if (xml.FindElem()) {
            ++nElems;
            if (xml.IntoElem()) ++nDepth;
            continue;
        }
        if (!nDepth) return nElems;
        xml.OutOfElem();
        --nDepth;
    }
}

size_t WalkPugi(const pugi::xml_node& root) {
    size_t nElems = 0;
    pugi::xml_node node = root.first_child();
    while (node) {
        if (node.type() == pugi::node_element) ++nElems;
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling() && node != root) node = node.parent();
        if (!node || node == root) break;
        node = node.next_sibling();
    }
    return nElems;
}

}  // namespace

int main() {
    std::wstring strDoc = MakeDocument();
    double dMB = static_cast<double>(strDoc.size() * sizeof(wchar_t)) / 1e6;
    std::printf("document: %.1f MB of UTF-16 (%zu characters)\n", dMB, strDoc.size());

    double dOursParse = 1e9, dOursWalk = 1e9, dPugiParse = 1e9, dPugiWalk = 1e9;
    double dPugiMinimal = 1e9;
    size_t nOurs = 0, nPugi = 0;
    for (int run = 0; run < kRuns; ++run) {
        LARGE_INTEGER t0, t1, t2;
        {
            CNTXMLParse xml;
            QueryPerformanceCounter(&t0);
            bool bOk = xml.SetDoc(strDoc);
            QueryPerformanceCounter(&t1);
            nOurs = WalkOurs(xml);
            QueryPerformanceCounter(&t2);
            if (!bOk) std::printf("CNTXMLParse: %ls\n", xml.GetError().c_str());
            dOursParse = std::min(dOursParse, Seconds(t0, t1));
            dOursWalk = std::min(dOursWalk, Seconds(t1, t2));
        }
        {
            pugi::xml_document doc;
            QueryPerformanceCounter(&t0);
            pugi::xml_parse_result result =
                doc.load_buffer(strDoc.data(), strDoc.size() * sizeof(wchar_t), pugi::parse_default,
                                pugi::encoding_wchar);
            QueryPerformanceCounter(&t1);
            nPugi = WalkPugi(doc);
            QueryPerformanceCounter(&t2);
            if (!result) std::printf("pugixml: %s\n", result.description());
            dPugiParse = std::min(dPugiParse, Seconds(t0, t1));
            dPugiWalk = std::min(dPugiWalk, Seconds(t1, t2));
        }
        {
            pugi::xml_document doc;
            QueryPerformanceCounter(&t0);
            doc.load_buffer(strDoc.data(), strDoc.size() * sizeof(wchar_t), pugi::parse_minimal,
                            pugi::encoding_wchar);
            QueryPerformanceCounter(&t1);
            dPugiMinimal = std::min(dPugiMinimal, Seconds(t0, t1));
        }
    }
    std::printf("elements walked: CNTXMLParse %zu, pugixml %zu\n", nOurs, nPugi);
    std::printf("CNTXMLParse SetDoc:       %8.1f MB/s (walk %.1f ms)\n", dMB / dOursParse,
                dOursWalk * 1e3);
    std::printf("pugixml parse_default:    %8.1f MB/s (walk %.1f ms)\n", dMB / dPugiParse,
                dPugiWalk * 1e3);
    std::printf("pugixml parse_minimal:    %8.1f MB/s\n", dMB / dPugiMinimal);
    std::printf("ratio CNTXMLParse/pugixml: %.2fx (parse_default), %.2fx (parse_minimal)\n",
                dPugiParse / dOursParse, dPugiMinimal / dOursParse);
    return 0;
}
