#include "common/xml/ntxmltoken.h"

#include "common/xml/ntxmlreport.h"

namespace ntxml {

namespace {

// Index of the first occurrence of the two- or three-unit marker at or after nFrom, or -1.
int FindMarker(const MCD_CHAR* p, int nFrom, int nEnd, const MCD_CHAR* pszMarker, int nMarkerLen) {
    for (int i = nFrom; i + nMarkerLen <= nEnd; ++i) {
        if (p[i] != pszMarker[0]) continue;
        int k = 1;
        while (k < nMarkerLen && p[i + k] == pszMarker[k]) ++k;
        if (k == nMarkerLen) return i;
    }
    return -1;
}

int FindChar(const MCD_CHAR* p, int nFrom, int nEnd, MCD_CHAR c) {
    for (int i = nFrom; i < nEnd; ++i) {
        if (p[i] == c) return i;
    }
    return -1;
}

// Skips a declaration inside a document type's internal subset up to its '>', stepping over
// quoted literals; -1 when the text ends first.
int SkipDeclaration(const MCD_CHAR* p, int nFrom, int nEnd) {
    for (int i = nFrom; i < nEnd; ++i) {
        if (p[i] == '>') return i + 1;
        if (p[i] == '"' || p[i] == '\'') {
            i = FindChar(p, i + 1, nEnd, p[i]);
            if (i < 0) return -1;
        }
    }
    return -1;
}

int SyntaxError(const MCD_CHAR* p, int nEnd, NodePos& node, const MCD_CHAR* pszRecord,
                MCD_STR* pReport) {
    ResultRecord(pszRecord).Attr(MCD_T("offset"), node.nStart).AppendTo(pReport);
    int nNext = FindChar(p, node.nStart + 1, nEnd, '<');
    node.nLength = (nNext < 0 ? nEnd : nNext) - node.nStart;
    node.nNodeType = CNTXMLParse::NODE_ERROR;
    return node.nNodeType;
}

int Unterminated(int nEnd, NodePos& node, const MCD_CHAR* pszKind, MCD_STR* pReport) {
    ResultRecord(MCD_T("unterminated_tag_syntax"))
        .Attr(MCD_T("type"), pszKind)
        .Attr(MCD_T("offset"), node.nStart)
        .AppendTo(pReport);
    node.nLength = nEnd - node.nStart;
    node.nNodeType = CNTXMLParse::NODE_ERROR;
    return node.nNodeType;
}

int Complete(NodePos& node, int nNodeEnd, int nType) {
    node.nLength = nNodeEnd - node.nStart;
    node.nNodeType = nType;
    return nType;
}

int ScanDoctype(const MCD_CHAR* p, int nEnd, NodePos& node, MCD_STR* pReport) {
    bool bInSubset = false;
    int i = node.nStart + 2;
    while (i < nEnd) {
        MCD_CHAR c = p[i];
        if (!bInSubset) {
            if (c == '>') return Complete(node, i + 1, CNTXMLParse::NODE_DOCTYPE);
            if (c == '[') bInSubset = true;
            ++i;
        } else if (c == ']') {
            bInSubset = false;
            ++i;
        } else if (c == '<' && i + 1 < nEnd && p[i + 1] == '!') {
            if (i + 3 >= nEnd) break;
            MCD_CHAR d = p[i + 2];
            if (d == '-' && p[i + 3] == '-') {
                int nClose = FindMarker(p, i + 4, nEnd, MCD_T("-->"), 3);
                if (nClose < 0) break;
                i = nClose + 3;
            } else if (d == 'A' || d == 'E' || d == 'N') {
                i = SkipDeclaration(p, i + 2, nEnd);
                if (i < 0) break;
            } else {
                return SyntaxError(p, nEnd, node, MCD_T("doctype_tag_syntax"), pReport);
            }
        } else if (c == '<' && i + 1 < nEnd && p[i + 1] == '?') {
            int nClose = FindMarker(p, i + 2, nEnd, MCD_T("?>"), 2);
            if (nClose < 0) break;
            i = nClose + 2;
        } else {
            ++i;
        }
    }
    return Unterminated(nEnd, node, MCD_T("document_type"), pReport);
}

int ScanExclamation(const MCD_CHAR* p, int nEnd, NodePos& node, MCD_STR* pReport) {
    int i = node.nStart;
    if (i + 2 >= nEnd) return Unterminated(nEnd, node, MCD_T("tag"), pReport);
    MCD_CHAR c = p[i + 2];
    if (c == '-') {
        if (i + 3 >= nEnd) return Unterminated(nEnd, node, MCD_T("tag"), pReport);
        if (p[i + 3] != '-')
            return SyntaxError(p, nEnd, node, MCD_T("comment_tag_syntax"), pReport);
        int nClose = FindMarker(p, i + 4, nEnd, MCD_T("-->"), 3);
        if (nClose < 0) return Unterminated(nEnd, node, MCD_T("comment"), pReport);
        return Complete(node, nClose + 3, CNTXMLParse::NODE_COMMENT);
    }
    if (c == '[') {
        if (i + 3 >= nEnd) return Unterminated(nEnd, node, MCD_T("tag"), pReport);
        if (p[i + 3] != 'C')
            return SyntaxError(p, nEnd, node, MCD_T("cdata_section_syntax"), pReport);
        int nClose = FindMarker(p, i + 3, nEnd, MCD_T("]]>"), 3);
        if (nClose < 0) return Unterminated(nEnd, node, MCD_T("cdata_section"), pReport);
        return Complete(node, nClose + 3, CNTXMLParse::NODE_CDATA);
    }
    if (c == 'D') return ScanDoctype(p, nEnd, node, pReport);
    return SyntaxError(p, nEnd, node, MCD_T("exclamation_tag_syntax"), pReport);
}

}  // namespace

int NameLen(const MCD_CHAR* p, const MCD_CHAR* pEnd) {
    const MCD_CHAR* q = p;
    while (q < pEnd && !IsNameEnd(*q)) ++q;
    return static_cast<int>(q - p);
}

bool MatchName(const MCD_CHAR* pTok, int nTokLen, const MCD_CHAR* pszName, int nDocFlags) {
    if (!pszName) return false;
    bool bFold = (nDocFlags & CNTXMLParse::DOC_IGNORE_CASE) != 0;
    for (int k = 0; k < nTokLen; ++k) {
        MCD_CHAR a = pTok[k];
        MCD_CHAR b = pszName[k];
        if (b == 0) return false;
        if (a == b) {
            if (a >= 0x80) bFold = false;
        } else if (!bFold || AsciiLower(a) != AsciiLower(b)) {
            return false;
        }
    }
    return IsCallerNameEnd(pszName[nTokLen]);
}

bool SameName(const MCD_CHAR* pA, int nALen, const MCD_CHAR* pB, int nBLen, int nDocFlags) {
    if (nALen != nBLen) return false;
    bool bFold = (nDocFlags & CNTXMLParse::DOC_IGNORE_CASE) != 0;
    for (int k = 0; k < nALen; ++k) {
        MCD_CHAR a = pA[k];
        MCD_CHAR b = pB[k];
        if (a == b) {
            if (a >= 0x80) bFold = false;
        } else if (!bFold || AsciiLower(a) != AsciiLower(b)) {
            return false;
        }
    }
    return true;
}

int ScanNode(const MCD_CHAR* p, int nEnd, int nOffset, NodePos& node, MCD_STR* pReport) {
    node = NodePos();
    node.nStart = nOffset;
    int i = nOffset;
    if (p[i] != '<') {
        bool bSpace = true;
        while (i < nEnd && p[i] != '<') {
            if (bSpace && !IsSpace(p[i])) bSpace = false;
            ++i;
        }
        return Complete(node, i, bSpace ? CNTXMLParse::NODE_WHITESPACE : CNTXMLParse::NODE_TEXT);
    }
    if (i + 1 >= nEnd) return Unterminated(nEnd, node, MCD_T("tag"), pReport);
    MCD_CHAR c = p[i + 1];
    if (c == '!') return ScanExclamation(p, nEnd, node, pReport);
    if (c == '?') {
        int nClose = FindMarker(p, i + 2, nEnd, MCD_T("?>"), 2);
        if (nClose < 0) return Unterminated(nEnd, node, MCD_T("processing_instruction"), pReport);
        return Complete(node, nClose + 2, CNTXMLParse::NODE_PI);
    }
    if (c == '/') {
        node.bEndTag = true;
        node.nNameLen = NameLen(p + i + 2, p + nEnd);
        int nClose = FindChar(p, i + 2 + node.nNameLen, nEnd, '>');
        if (nClose < 0) return Unterminated(nEnd, node, MCD_T("end_tag"), pReport);
        return Complete(node, nClose + 1, CNTXMLParse::NODE_LONE_END_TAG);
    }
    if (!IsNameStart(c)) return SyntaxError(p, nEnd, node, MCD_T("first_tag_syntax"), pReport);
    node.nNameLen = NameLen(p + i + 1, p + nEnd);
    for (int j = i + 1 + node.nNameLen; j < nEnd; ++j) {
        MCD_CHAR d = p[j];
        if (d == '>') {
            node.bEmptyElem = (p[j - 1] == '/');
            return Complete(node, j + 1, CNTXMLParse::NODE_ELEMENT);
        }
        if (d == '"' || d == '\'') {
            j = FindChar(p, j + 1, nEnd, d);
            if (j < 0) break;
        }
    }
    return Unterminated(nEnd, node, MCD_T("start_tag"), pReport);
}

AttribScanner::AttribScanner(const MCD_CHAR* pDoc, int nTagStart, int nTagLen)
    : m_pDoc(pDoc), m_nNext(nTagStart + 1), m_nEnd(nTagStart + nTagLen) {
    if (m_nNext < m_nEnd && m_pDoc[m_nNext] == '?') ++m_nNext;
    m_nNext += ntxml::NameLen(m_pDoc + m_nNext, m_pDoc + m_nEnd);
    m_nLastEnd = m_nNext;
}

bool AttribScanner::Next() {
    const MCD_CHAR* p = m_pDoc;
    for (;;) {
        while (m_nNext < m_nEnd && IsSpace(p[m_nNext])) ++m_nNext;
        if (m_nNext >= m_nEnd) return false;
        MCD_CHAR c = p[m_nNext];
        if (c == '>') return false;
        if ((c == '/' || c == '?') && m_nNext + 1 < m_nEnd && p[m_nNext + 1] == '>') return false;
        if (c == '/' || c == '?' || c == '=') {
            ++m_nNext;  // stray character between attributes
            continue;
        }
        break;
    }
    m_nNameStart = m_nNext;
    while (m_nNext < m_nEnd) {
        MCD_CHAR c = p[m_nNext];
        if (IsSpace(c) || c == '/' || c == '=' || c == '>' || c == '?') break;
        ++m_nNext;
    }
    m_nNameLen = m_nNext - m_nNameStart;
    m_nLastEnd = m_nNext;
    m_nValueStart = m_nValueTokStart = m_nValueTokEnd = m_nNext;
    m_nValueLen = 0;
    int j = m_nNext;
    while (j < m_nEnd && IsSpace(p[j])) ++j;
    if (j >= m_nEnd || p[j] != '=') return true;
    ++j;
    while (j < m_nEnd && IsSpace(p[j])) ++j;
    m_nValueTokStart = j;
    if (j < m_nEnd && (p[j] == '"' || p[j] == '\'')) {
        int nClose = FindChar(p, j + 1, m_nEnd, p[j]);
        m_nValueStart = j + 1;
        if (nClose >= 0) {
            m_nValueLen = nClose - m_nValueStart;
            m_nValueTokEnd = nClose + 1;
        } else {
            // Unbalanced quote (possible only in a processing instruction): runs to the '>'.
            m_nValueTokEnd = m_nEnd - 1 > m_nValueStart ? m_nEnd - 1 : m_nValueStart;
            m_nValueLen = m_nValueTokEnd - m_nValueStart;
        }
    } else {
        int k = j;
        while (k < m_nEnd && !IsSpace(p[k]) && p[k] != '>') ++k;
        m_nValueStart = j;
        m_nValueLen = k - j;
        m_nValueTokEnd = k;
    }
    if (m_nValueLen < 0) m_nValueLen = 0;
    m_nNext = m_nLastEnd = m_nValueTokEnd;
    return true;
}

}  // namespace ntxml
