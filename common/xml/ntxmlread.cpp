#include "common/xml/ntxmlelems.h"
#include "common/xml/ntxmlparse.h"
#include "common/xml/ntxmlreport.h"
#include "common/xml/ntxmltoken.h"

using namespace ntxml;

#define ELEM(i) (*m_pElemPosTree)[i]

namespace {

const int kSpaceFlags = CNTXMLParse::DOC_TRIM_SPACE | CNTXMLParse::DOC_COLLAPSE_SPACE;

MCD_STR Slice(const MCD_STR& str, int nStart, int nEnd) {
    return nEnd > nStart ? str.substr(nStart, nEnd - nStart) : MCD_STR();
}

}  // namespace

MCD_STR CNTXMLParse::GetTagName() const {
    if (!m_nNodeLength) return x_GetTagName(m_iPos);
    const MCD_CHAR* pDoc = m_strDoc.c_str();
    const MCD_CHAR* pNode = pDoc + m_nNodeOffset;
    const MCD_CHAR* pEnd = pNode + m_nNodeLength;
    switch (m_nNodeType) {
        case NODE_TEXT:
        case NODE_WHITESPACE:
            return MCD_T("#text");
        case NODE_CDATA:
            return MCD_T("#cdata-section");
        case NODE_COMMENT:
            return MCD_T("#comment");
        case NODE_PI:
        case NODE_LONE_END_TAG:
            return MCD_STR(pNode + 2, NameLen(pNode + 2, pEnd));
        case NODE_DOCTYPE: {
            const MCD_CHAR* p = pNode + 2;
            p += NameLen(p, pEnd);
            while (p < pEnd && IsSpace(*p)) ++p;
            return MCD_STR(p, NameLen(p, pEnd));
        }
        default:
            return MCD_STR();
    }
}

MCD_STR CNTXMLParse::GetChildTagName() const { return x_GetTagName(m_iPosChild); }

MCD_STR CNTXMLParse::x_GetData(int i) const {
    if (!i) return MCD_STR();
    const ElemPos& elem = ELEM(i);
    if (elem.iElemChild || elem.IsEmptyElem()) return MCD_STR();
    int nStart = x_ContentStart(i);
    int nEnd = x_ContentEnd(i);
    const MCD_CHAR* pDoc = m_strDoc.c_str();
    int nSpaceFlags = m_nDocFlags & kSpaceFlags;
    int nLt = nStart;
    while (nLt < nEnd && pDoc[nLt] != '<') ++nLt;
    if (nLt == nEnd) return UnescapeText(pDoc + nStart, nEnd - nStart, nSpaceFlags);
    MCD_STR strData;
    NodePos node;
    for (int nOffset = nStart; nOffset < nEnd; nOffset += node.nLength) {
        int nType = ScanNode(pDoc, nEnd, nOffset, node, nullptr);
        if (nType == NODE_TEXT) {
            strData += UnescapeText(pDoc + nOffset, node.nLength, nSpaceFlags);
        } else if (nType == NODE_CDATA) {
            strData += Slice(m_strDoc, nOffset + 9, nOffset + node.nLength - 3);
        }
    }
    return strData;
}

MCD_STR CNTXMLParse::GetData() const {
    if (!m_nNodeLength) return x_GetData(m_iPos);
    int nStart = m_nNodeOffset;
    int nEnd = m_nNodeOffset + m_nNodeLength;
    switch (m_nNodeType) {
        case NODE_TEXT:
        case NODE_WHITESPACE:
            return UnescapeText(m_strDoc.c_str() + nStart, m_nNodeLength,
                                m_nDocFlags & kSpaceFlags);
        case NODE_CDATA:
            return Slice(m_strDoc, nStart + 9, nEnd - 3);
        case NODE_PI:
            return Slice(m_strDoc, nStart + 2, nEnd - 2);
        case NODE_COMMENT:
            return Slice(m_strDoc, nStart + 4, nEnd - 3);
        case NODE_LONE_END_TAG:
            return Slice(m_strDoc, nStart + 2, nEnd - 1);
        default:
            return Slice(m_strDoc, nStart, nEnd);
    }
}

MCD_STR CNTXMLParse::GetChildData() const { return x_GetData(m_iPosChild); }

bool CNTXMLParse::x_CurrentTag(int& nStart, int& nLen, int& iElem) const {
    if (m_nNodeLength) {
        if (m_nNodeType != NODE_PI) return false;
        nStart = m_nNodeOffset;
        nLen = m_nNodeLength;
        iElem = 0;
        return true;
    }
    if (!m_iPos) return false;
    nStart = ELEM(m_iPos).nStart;
    nLen = x_StartTagLen(m_iPos);
    iElem = m_iPos;
    return true;
}

MCD_STR CNTXMLParse::x_GetAttrib(int nTagStart, int nTagLen, MCD_CSTR szAttrib) const {
    if (!szAttrib.pcsz) return MCD_STR();
    const MCD_CHAR* pDoc = m_strDoc.c_str();
    AttribScanner scan(pDoc, nTagStart, nTagLen);
    while (scan.Next()) {
        if (MatchName(pDoc + scan.NameStart(), scan.NameLen(), szAttrib, m_nDocFlags)) {
            return UnescapeText(pDoc + scan.ValueStart(), scan.ValueLen(),
                                m_nDocFlags & kSpaceFlags);
        }
    }
    return MCD_STR();
}

MCD_STR CNTXMLParse::GetAttrib(MCD_CSTR szAttrib) const {
    int nStart = 0, nLen = 0, iElem = 0;
    if (!x_CurrentTag(nStart, nLen, iElem)) return MCD_STR();
    return x_GetAttrib(nStart, nLen, szAttrib);
}

MCD_STR CNTXMLParse::GetChildAttrib(MCD_CSTR szAttrib) const {
    if (!m_iPosChild) return MCD_STR();
    return x_GetAttrib(ELEM(m_iPosChild).nStart, x_StartTagLen(m_iPosChild), szAttrib);
}

bool CNTXMLParse::GetNthAttrib(int n, MCD_STR& strAttrib, MCD_STR& strValue) const {
    int nStart = 0, nLen = 0, iElem = 0;
    if (n < 0 || !x_CurrentTag(nStart, nLen, iElem)) return false;
    const MCD_CHAR* pDoc = m_strDoc.c_str();
    AttribScanner scan(pDoc, nStart, nLen);
    for (int k = 0; scan.Next(); ++k) {
        if (k == n) {
            strAttrib.assign(pDoc + scan.NameStart(), scan.NameLen());
            strValue =
                UnescapeText(pDoc + scan.ValueStart(), scan.ValueLen(), m_nDocFlags & kSpaceFlags);
            return true;
        }
    }
    return false;
}

MCD_STR CNTXMLParse::GetAttribName(int n) const {
    MCD_STR strName, strValue;
    GetNthAttrib(n, strName, strValue);
    return strName;
}

MCD_STR CNTXMLParse::GetElemContent() const {
    if (!m_iPos || m_nNodeLength || ELEM(m_iPos).IsEmptyElem()) return MCD_STR();
    return Slice(m_strDoc, x_ContentStart(m_iPos), x_ContentEnd(m_iPos));
}

int CNTXMLParse::x_TrailingSpaceEnd(int nOffset) const {
    int nLen = static_cast<int>(m_strDoc.size());
    int j = nOffset;
    while (j < nLen && IsSpace(m_strDoc[j])) ++j;
    return (j == nLen || m_strDoc[j] == '<') ? j : nOffset;
}

MCD_STR CNTXMLParse::x_GetSubDoc(int i) const {
    if (!i) return MCD_STR();
    const ElemPos& elem = ELEM(i);
    return Slice(m_strDoc, elem.nStart, x_TrailingSpaceEnd(elem.nStart + elem.nLength));
}

MCD_STR CNTXMLParse::GetSubDoc() const { return m_nNodeLength ? MCD_STR() : x_GetSubDoc(m_iPos); }

MCD_STR CNTXMLParse::GetChildSubDoc() const { return x_GetSubDoc(m_iPosChild); }

MCD_STR CNTXMLParse::GetError() const {
    static const struct {
        const char* pszRecord;
        const char* pszBefore;
        const char* pszAfter;
    } kSyntax[] = {
        {"first_tag_syntax", "tag syntax error at offset ", " expecting tag name / ! or ?"},
        {"exclamation_tag_syntax", "tag syntax error at offset ", " expecting 'DOCTYPE' [ or -"},
        {"doctype_tag_syntax", "tag syntax error at offset ", " expecting markup declaration"},
        {"comment_tag_syntax", "tag syntax error at offset ", " expecting - to begin comment"},
        {"cdata_section_syntax", "tag syntax error at offset ", " expecting 'CDATA'"},
        {"unterminated_tag_syntax", "unterminated tag at offset ", ""},
    };
    CNTXMLParse report;
    report.SetDoc(m_strResult);
    MCD_STR strError;
    bool bParseRecordSeen = false;
    while (report.FindElem()) {
        MCD_STR strName = report.GetTagName();
        MCD_STR strText;
        bool bParseRecord = true;
        if (strName == MCD_T("root_has_sibling")) {
            strText = MCD_T("root element has sibling");
        } else if (strName == MCD_T("no_root_element")) {
            strText = MCD_T("no root element");
        } else if (strName == MCD_T("lone_end_tag")) {
            strText = MCD_T("lone end tag '") + report.GetAttrib(MCD_T("tagname")) +
                      MCD_T("' at offset ") + report.GetAttrib(MCD_T("offset"));
        } else if (strName == MCD_T("unended_start_tag")) {
            strText = MCD_T("start tag '") + report.GetAttrib(MCD_T("tagname")) +
                      MCD_T("' at offset ") + report.GetAttrib(MCD_T("offset")) +
                      MCD_T(" expecting end tag at offset ") + report.GetAttrib(MCD_T("offset2"));
        } else {
            bParseRecord = false;
            for (const auto& syntax : kSyntax) {
                if (strName == AsciiToStr(syntax.pszRecord)) {
                    strText = AsciiToStr(syntax.pszBefore) + report.GetAttrib(MCD_T("offset")) +
                              AsciiToStr(syntax.pszAfter);
                    bParseRecord = true;
                }
            }
        }
        if (bParseRecord) {
            if (bParseRecordSeen) continue;
            bParseRecordSeen = true;
        } else if (strName == MCD_T("file_error")) {
            strText = report.GetAttrib(MCD_T("msg"));
        } else if (strName == MCD_T("bom")) {
            strText = MCD_T("BOM +");
        } else if (strName == MCD_T("read") || strName == MCD_T("write") ||
                   strName == MCD_T("converted_to") || strName == MCD_T("converted_from")) {
            if (strName == MCD_T("converted_to")) strText = MCD_T("to ");
            MCD_STR strEncoding = report.GetAttrib(MCD_T("encoding"));
            if (!strEncoding.empty()) strText += strEncoding + MCD_T(" ");
            strText += MCD_T("length ") + report.GetAttrib(MCD_T("length"));
            if (strName == MCD_T("converted_from")) strText += MCD_T(" to");
        } else if (strName == MCD_T("nulls_removed")) {
            strText = MCD_T("removed ") + report.GetAttrib(MCD_T("count")) + MCD_T(" nulls");
        } else if (strName == MCD_T("conversion_loss")) {
            strText = MCD_T("(chars lost in conversion!)");
        } else if (strName == MCD_T("utf8_detection")) {
            strText = MCD_T("(used UTF-8 detection)");
        } else if (strName == MCD_T("endian_swap")) {
            strText = MCD_T("endian swap");
        } else if (strName == MCD_T("truncation_error")) {
            strText = MCD_T("encoding ") + report.GetAttrib(MCD_T("encoding")) +
                      MCD_T(" adjustment error");
        }
        if (strText.empty()) continue;
        if (!strError.empty()) strError += ' ';
        strError += strText;
    }
    return strError;
}
