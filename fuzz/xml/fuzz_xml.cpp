// Input: document bytes (UTF-8), optionally followed by 0xFF and edit operation bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/xml/ntxmlparse.h"

namespace {

const MCD_CHAR* const kNames[] = {MCD_T("a"),      MCD_T("b"),        MCD_T("x:y"),
                                  MCD_T("\u540d"), MCD_T("bad name"), MCD_T("")};
const MCD_CHAR* const kValues[] = {MCD_T(""),     MCD_T("1"),          MCD_T("a<b&c\"'"),
                                   MCD_T("]]>"),  MCD_T(" \r\n "),     MCD_T("&amp;&#x41;"),
                                   MCD_T("<x/>"), MCD_T("<p><q></p>"), MCD_T("--><?")};
const int kNodeTypes[] = {CNTXMLParse::NODE_ELEMENT,    CNTXMLParse::NODE_TEXT,
                          CNTXMLParse::NODE_WHITESPACE, CNTXMLParse::NODE_CDATA,
                          CNTXMLParse::NODE_PI,         CNTXMLParse::NODE_COMMENT,
                          CNTXMLParse::NODE_DOCTYPE,    CNTXMLParse::NODE_LONE_END_TAG};

template <class T, size_t N>
const T& Pick(const T (&table)[N], uint8_t b) {
    return table[b % N];
}

void Check(const CNTXMLParse& xml) {
    if (!CNTXMLParse::Test(xml)) abort();
    if (xml.GetResult().size() > 1000) abort();
}

// Visits every element with the navigation operations, reading as it goes.
void Walk(CNTXMLParse& xml) {
    xml.ResetPos();
    int nDepth = 0;
    size_t nSink = 0;
    for (;;) {
        if (xml.FindElem()) {
            nSink +=
                xml.GetTagName().size() + xml.GetData().size() + xml.GetAttrib(MCD_T("a")).size();
            MCD_STR strName, strValue;
            for (int n = 0; xml.GetNthAttrib(n, strName, strValue); ++n) nSink += strValue.size();
            if (xml.IntoElem()) ++nDepth;
            continue;
        }
        if (!nDepth) break;
        xml.OutOfElem();
        --nDepth;
    }
    xml.ResetPos();
    while (int nType = xml.FindNode()) {
        nSink += nType + xml.GetData().size() + xml.GetTagName().size();
    }
    if (nSink == 1) xml.ResetPos();  // keeps the reads from being optimised away
}

void Edit(CNTXMLParse& xml, const uint8_t* pOps, size_t nOps) {
    for (size_t i = 0; i + 1 < nOps; i += 2) {
        uint8_t arg = pOps[i + 1];
        int nFlags = arg & 0x1F;
        switch (pOps[i] % 26) {
            case 0:
                xml.FindElem();
                break;
            case 1:
                xml.FindChildElem();
                break;
            case 2:
                xml.IntoElem();
                break;
            case 3:
                xml.OutOfElem();
                break;
            case 4:
                xml.ResetMainPos();
                break;
            case 5:
                xml.FindNode(arg);
                break;
            case 6:
                xml.AddElem(Pick(kNames, arg), Pick(kValues, arg >> 3), nFlags);
                break;
            case 7:
                xml.InsertElem(Pick(kNames, arg), Pick(kValues, arg >> 3), nFlags);
                break;
            case 8:
                xml.AddChildElem(Pick(kNames, arg), Pick(kValues, arg >> 3), nFlags);
                break;
            case 9:
                xml.InsertChildElem(Pick(kNames, arg), arg, nFlags);
                break;
            case 10:
                xml.SetAttrib(Pick(kNames, arg), Pick(kValues, arg >> 3), nFlags);
                break;
            case 11:
                xml.SetChildAttrib(Pick(kNames, arg), Pick(kValues, arg >> 3));
                break;
            case 12:
                xml.SetData(Pick(kValues, arg), nFlags);
                break;
            case 13:
                xml.SetChildData(Pick(kValues, arg), nFlags);
                break;
            case 14:
                xml.SetElemContent(Pick(kValues, arg));
                break;
            case 15:
                xml.AddSubDoc(Pick(kValues, arg));
                break;
            case 16:  // copies an element into itself: bounded so repeats cannot explode
                if (xml.GetDoc().size() < 20000) xml.InsertChildSubDoc(xml.GetSubDoc());
                break;
            case 17:
                xml.AddNode(Pick(kNodeTypes, arg), Pick(kValues, arg >> 3));
                break;
            case 18:
                xml.InsertNode(Pick(kNodeTypes, arg), Pick(kNames, arg >> 3));
                break;
            case 19:
                xml.RemoveElem();
                break;
            case 20:
                xml.RemoveChildElem();
                break;
            case 21:
                xml.RemoveNode();
                break;
            case 22:
                xml.SavePos(Pick(kNames, arg), arg & 3);
                break;
            case 23:
                xml.RestorePos(Pick(kNames, arg), arg & 3);
                break;
            case 24:
                xml.SetElemContent(xml.GetElemContent());
                break;
            default:  // the case rule stays as parsed: end tags matched under it
                xml.SetDocFlags((xml.GetDocFlags() & CNTXMLParse::DOC_IGNORE_CASE) | (arg & 0x300));
                break;
        }
        Check(xml);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    size_t nDoc = 0;
    while (nDoc < nSize && pData[nDoc] != 0xFF) ++nDoc;
    const char* pszBytes = reinterpret_cast<const char*>(pData);
    MCD_STR strDoc(CNTXMLParse::UTF8To16(nullptr, pszBytes, static_cast<int>(nDoc)), 0);
    CNTXMLParse::UTF8To16(&strDoc[0], pszBytes, static_cast<int>(nDoc));
    strDoc.resize(std::char_traits<MCD_CHAR>::length(strDoc.c_str()));
    CNTXMLParse::DetectUTF8(pszBytes, static_cast<int>(nDoc));

    CNTXMLParse xml(nDoc && (pData[0] & 1) ? CNTXMLParse::DOC_IGNORE_CASE : 0);
    xml.SetDoc(strDoc);
    Check(xml);
    xml.GetError();
    CNTXMLParse::GetDeclaredEncoding(strDoc);
    MCD_STR strEscaped = CNTXMLParse::EscapeText(strDoc, CNTXMLParse::EDIT_REFS);
    CNTXMLParse::UnescapeText(strEscaped, -1, CNTXMLParse::DOC_COLLAPSE_SPACE);
    if (CNTXMLParse::UnescapeText(CNTXMLParse::EscapeText(strDoc)) != strDoc) abort();
    Walk(xml);
    if (nDoc < nSize) Edit(xml, pData + nDoc + 1, nSize - nDoc - 1);
    Walk(xml);
    return 0;
}
