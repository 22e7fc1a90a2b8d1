#include "common/xml/ntxmldocparser.h"
#include "common/xml/ntxmlelems.h"
#include "common/xml/ntxmlparse.h"
#include "common/xml/ntxmlreport.h"
#include "common/xml/ntxmltoken.h"

using namespace ntxml;

#define ELEM(i) (*m_pElemPosTree)[i]

namespace {

const MCD_CHAR kCrLf[] = MCD_T("\r\n");
const int kValueEscapeFlags = CNTXMLParse::EDIT_ESCAPE_QUOTES | CNTXMLParse::EDIT_REFS;

// A name the caller gives for a new element or attribute must scan back as that same name.
bool IsValidName(const MCD_CHAR* pszName) {
    if (!pszName || !IsNameStart(pszName[0])) return false;
    for (const MCD_CHAR* p = pszName; *p; ++p) {
        if (IsNameEnd(*p)) return false;
    }
    return true;
}

// A "]]>" inside the text closes the section and opens a new one after its "]]".
MCD_STR CdataSection(const MCD_CHAR* pszText) {
    MCD_STR strText = pszText;
    MCD_STR strOut = MCD_T("<![CDATA[");
    size_t nFrom = 0;
    for (;;) {
        size_t nFound = strText.find(MCD_T("]]>"), nFrom);
        if (nFound == MCD_STR::npos) break;
        strOut.append(strText, nFrom, nFound - nFrom);
        strOut += MCD_T("]]]]><![CDATA[>");
        nFrom = nFound + 3;
    }
    strOut.append(strText, nFrom, MCD_STR::npos);
    strOut += MCD_T("]]>");
    return strOut;
}

// Builds the text of a non-element node and checks that it scans back as one node of that type.
bool BuildNode(int nType, const MCD_CHAR* pszText, MCD_STR& strNode) {
    MCD_STR strText = pszText ? pszText : MCD_T("");
    switch (nType) {
        case CNTXMLParse::NODE_ELEMENT:
            if (!IsValidName(strText.c_str())) return false;
            strNode = MCD_T("<") + strText + MCD_T("/>");
            break;
        case CNTXMLParse::NODE_TEXT:
        case CNTXMLParse::NODE_WHITESPACE:
            strNode = CNTXMLParse::EscapeText(strText);
            break;
        case CNTXMLParse::NODE_CDATA:
            if (strText.find(MCD_T("]]>")) != MCD_STR::npos) return false;
            strNode = MCD_T("<![CDATA[") + strText + MCD_T("]]>");
            break;
        case CNTXMLParse::NODE_PI:
            strNode = MCD_T("<?") + strText + MCD_T("?>");
            break;
        case CNTXMLParse::NODE_COMMENT:
            strNode = MCD_T("<!--") + strText + MCD_T("-->");
            break;
        case CNTXMLParse::NODE_DOCTYPE:
            strNode = strText;
            break;
        case CNTXMLParse::NODE_LONE_END_TAG:
            strNode = MCD_T("</") + strText + MCD_T(">");
            break;
        default:
            return false;
    }
    if (strNode.empty()) return false;
    NodePos node;
    int nEnd = static_cast<int>(strNode.size());
    int nFound = ScanNode(strNode.c_str(), nEnd, 0, node, nullptr);
    bool bTextType = (nType == CNTXMLParse::NODE_TEXT || nType == CNTXMLParse::NODE_WHITESPACE);
    if (node.nLength != nEnd) return false;
    if (bTextType)
        return nFound == CNTXMLParse::NODE_TEXT || nFound == CNTXMLParse::NODE_WHITESPACE;
    if (nType == CNTXMLParse::NODE_ELEMENT) return nFound == nType && node.bEmptyElem;
    return nFound == nType;
}

}  // namespace

int CNTXMLParse::x_SetContent(int i, const MCD_STR& strContent) {
    ElemPos& elem = ELEM(i);
    int nStartTag = x_StartTagLen(i);
    if (!elem.IsEmptyElem()) {
        int nStart = elem.nStart + nStartTag;
        int nOldLen = x_ContentEnd(i) - nStart;
        x_Replace(nStart, nOldLen, strContent, i);
        ELEM(i).nLength += static_cast<int>(strContent.size()) - nOldLen;
        return nStart;
    }
    if (strContent.empty()) return elem.nStart + nStartTag;
    // <name/> or a start tag without end: give it an end tag around the new content.
    MCD_STR strName = x_GetTagName(i);
    bool bNotEnded = (elem.nFlags & ELEM_NOT_ENDED) != 0;
    int nAt = bNotEnded ? elem.nStart + nStartTag : elem.nStart + nStartTag - 2;
    MCD_STR strNew = bNotEnded ? MCD_STR() : MCD_STR(MCD_T(">"));
    int nContentStart = nAt + static_cast<int>(strNew.size());
    strNew += strContent + MCD_T("</") + strName + MCD_T(">");
    x_Replace(nAt, bNotEnded ? 0 : 2, strNew, i);
    ElemPos& grown = ELEM(i);
    if (!bNotEnded) grown.SetStartTagLen(nStartTag - 1);
    grown.SetEndTagLen(static_cast<int>(strName.size()) + 3);
    grown.nFlags &= ~ELEM_NOT_ENDED;
    grown.nLength = nContentStart - grown.nStart + static_cast<int>(strContent.size()) +
                    static_cast<int>(strName.size()) + 3;
    return nContentStart;
}

bool CNTXMLParse::x_Place(int nFlags, int iParent, int iRef, bool bNode, const MCD_STR& strMarkup,
                          int& nMarkupOffset, int& iPrev) {
    bool bInsert = (nFlags & EDIT_INSERT) != 0;
    bool bLines = !(nFlags & EDIT_NO_LINES);
    int nOffset;
    if (bNode) {
        nOffset = bInsert ? m_nNodeOffset : m_nNodeOffset + m_nNodeLength;
        iPrev = m_iPos;
    } else if (iRef) {
        const ElemPos& ref = ELEM(iRef);
        if (bInsert) {
            nOffset = ref.nStart;
            iPrev = (ref.nFlags & ELEM_FIRST) ? 0 : ref.iElemPrev;
        } else {
            nOffset = ref.nStart + ref.nLength;
            iPrev = iRef;
        }
    } else {
        int iFirst = ELEM(iParent).iElemChild;
        if (bInsert) {
            iPrev = 0;
            // At document level a new first element goes before the root, after any prolog.
            nOffset = iParent ? x_ContentStart(iParent)
                              : (iFirst ? ELEM(iFirst).nStart : static_cast<int>(m_strDoc.size()));
        } else {
            iPrev = iFirst ? ELEM(iFirst).iElemPrev : 0;
            nOffset = x_ContentEnd(iParent);
        }
    }
    if (iParent && ELEM(iParent).IsEmptyElem()) {
        MCD_STR strContent;
        if (bLines) strContent += kCrLf;
        strContent += strMarkup;
        if (bLines) strContent += kCrLf;
        nMarkupOffset = x_SetContent(iParent, strContent) + (bLines ? 2 : 0);
        iPrev = 0;
        return true;
    }
    int nDocLen = static_cast<int>(m_strDoc.size());
    if (bLines) {
        int j = nOffset;
        while (j < nDocLen && IsSpace(m_strDoc[j])) ++j;
        if (j < nDocLen && m_strDoc[j] == '<') nOffset = j;
    }
    MCD_STR strInsert;
    if (bLines && iParent && x_ContentStart(iParent) == x_ContentEnd(iParent)) strInsert = kCrLf;
    nMarkupOffset = nOffset + static_cast<int>(strInsert.size());
    strInsert += strMarkup;
    if (bLines) strInsert += kCrLf;
    x_Replace(nOffset, 0, strInsert, 0);
    return true;
}

bool CNTXMLParse::x_AddElem(MCD_CSTR szName, MCD_CSTR szValue, int nFlags) {
    if (x_InTransfer() || !IsValidName(szName)) return false;
    bool bChild = (nFlags & EDIT_CHILD) != 0;
    if (bChild && !m_iPos) return false;
    const MCD_CHAR* pszValue = szValue.pcsz ? szValue.pcsz : MCD_T("");
    if ((nFlags & EDIT_NO_END) && *pszValue) return false;
    MCD_STR strName = szName.pcsz;
    int nNameLen = static_cast<int>(strName.size());
    MCD_STR strMarkup = MCD_T("<") + strName;
    int nStartTag, nEndTag = 0;
    if (*pszValue) {
        strMarkup += '>';
        nStartTag = nNameLen + 2;
        if (nFlags & EDIT_CDATA) {
            strMarkup += CdataSection(pszValue);
        } else {
            strMarkup += EscapeText(pszValue, nFlags & kValueEscapeFlags);
        }
        strMarkup += MCD_T("</") + strName + MCD_T(">");
        nEndTag = nNameLen + 3;
    } else {
        if (nFlags & EDIT_NO_END) {
            strMarkup += MCD_T(">");
        } else {
            strMarkup += (nFlags & EDIT_XHTML_SPACE) ? MCD_T(" />") : MCD_T("/>");
        }
        nStartTag = static_cast<int>(strMarkup.size());
    }
    int iParent = bChild ? m_iPos : m_iPosParent;
    int iRef = bChild ? m_iPosChild : m_iPos;
    int nOffset = 0, iPrev = 0;
    x_Place(nFlags, iParent, iRef, !bChild && m_nNodeLength, strMarkup, nOffset, iPrev);
    int iNew = x_NewElem();
    ElemPos& elem = ELEM(iNew);
    elem = ElemPos();
    elem.nStart = nOffset;
    elem.nLength = static_cast<int>(strMarkup.size());
    elem.SetStartTagLen(nStartTag);
    elem.SetEndTagLen(nEndTag);
    elem.SetLevel(iParent ? ELEM(iParent).Level() + 1 : 0);
    if (nFlags & EDIT_NO_END) elem.nFlags |= ELEM_NOT_ENDED;
    x_LinkElem(iParent, iPrev, iNew);
    x_SetNewElemPos(iNew, bChild);
    return true;
}

bool CNTXMLParse::x_AddElem(MCD_CSTR szName, int nValue, int nFlags) {
    return x_AddElem(szName, NumToStr(nValue), nFlags);
}

bool CNTXMLParse::AddElem(MCD_CSTR szName, MCD_CSTR szData, int nFlags) {
    return x_AddElem(szName, szData, nFlags);
}
bool CNTXMLParse::AddElem(MCD_CSTR szName, int nValue, int nFlags) {
    return x_AddElem(szName, nValue, nFlags);
}
bool CNTXMLParse::InsertElem(MCD_CSTR szName, MCD_CSTR szData, int nFlags) {
    return x_AddElem(szName, szData, nFlags | EDIT_INSERT);
}
bool CNTXMLParse::InsertElem(MCD_CSTR szName, int nValue, int nFlags) {
    return x_AddElem(szName, nValue, nFlags | EDIT_INSERT);
}
bool CNTXMLParse::AddChildElem(MCD_CSTR szName, MCD_CSTR szData, int nFlags) {
    return x_AddElem(szName, szData, nFlags | EDIT_CHILD);
}
bool CNTXMLParse::AddChildElem(MCD_CSTR szName, int nValue, int nFlags) {
    return x_AddElem(szName, nValue, nFlags | EDIT_CHILD);
}
bool CNTXMLParse::InsertChildElem(MCD_CSTR szName, MCD_CSTR szData, int nFlags) {
    return x_AddElem(szName, szData, nFlags | EDIT_INSERT | EDIT_CHILD);
}
bool CNTXMLParse::InsertChildElem(MCD_CSTR szName, int nValue, int nFlags) {
    return x_AddElem(szName, nValue, nFlags | EDIT_INSERT | EDIT_CHILD);
}

bool CNTXMLParse::x_SetAttrib(bool bChild, MCD_CSTR szAttrib, MCD_CSTR szValue, int nFlags) {
    if (x_InTransfer() || !IsValidName(szAttrib)) return false;
    int nTagStart = 0, nTagLen = 0, iElem = 0;
    if (bChild) {
        if (!m_iPosChild) return false;
        iElem = m_iPosChild;
        nTagStart = ELEM(iElem).nStart;
        nTagLen = x_StartTagLen(iElem);
    } else if (!x_CurrentTag(nTagStart, nTagLen, iElem)) {
        return false;
    }
    MCD_STR strQuoted = MCD_T("\"");
    strQuoted += EscapeText(szValue.pcsz ? szValue.pcsz : MCD_T(""),
                            (nFlags & kValueEscapeFlags) | EDIT_ESCAPE_QUOTES);
    strQuoted += '"';
    int nAt = -1, nOldLen = 0;
    MCD_STR strNew;
    const MCD_CHAR* pDoc = m_strDoc.c_str();
    AttribScanner scan(pDoc, nTagStart, nTagLen);
    while (scan.Next()) {
        if (!MatchName(pDoc + scan.NameStart(), scan.NameLen(), szAttrib, m_nDocFlags)) continue;
        int nNameEnd = scan.NameStart() + scan.NameLen();
        if (scan.ValueTokEnd() == nNameEnd) {
            nAt = nNameEnd;  // a bare attribute name gets its value
            strNew = MCD_T("=") + strQuoted;
        } else {
            nAt = scan.ValueTokStart();
            nOldLen = scan.ValueTokEnd() - nAt;
            strNew = strQuoted;
        }
        break;
    }
    if (nAt < 0) {
        nAt = scan.LastTokenEnd();
        strNew = MCD_T(" ") + MCD_STR(szAttrib.pcsz) + MCD_T("=") + strQuoted;
    }
    int nDelta = static_cast<int>(strNew.size()) - nOldLen;
    x_Replace(nAt, nOldLen, strNew, 0);
    if (iElem) {
        ELEM(iElem).SetStartTagLen(nTagLen + nDelta);
    } else {
        m_nNodeLength += nDelta;
    }
    return true;
}

bool CNTXMLParse::AddAttrib(MCD_CSTR szAttrib, MCD_CSTR szValue) {
    return x_SetAttrib(false, szAttrib, szValue, 0);
}
bool CNTXMLParse::AddAttrib(MCD_CSTR szAttrib, int nValue) {
    return x_SetAttrib(false, szAttrib, NumToStr(nValue), 0);
}
bool CNTXMLParse::AddChildAttrib(MCD_CSTR szAttrib, MCD_CSTR szValue) {
    return x_SetAttrib(true, szAttrib, szValue, 0);
}
bool CNTXMLParse::AddChildAttrib(MCD_CSTR szAttrib, int nValue) {
    return x_SetAttrib(true, szAttrib, NumToStr(nValue), 0);
}
bool CNTXMLParse::SetAttrib(MCD_CSTR szAttrib, MCD_CSTR szValue, int nFlags) {
    return x_SetAttrib(false, szAttrib, szValue, nFlags);
}
bool CNTXMLParse::SetAttrib(MCD_CSTR szAttrib, int nValue, int nFlags) {
    return x_SetAttrib(false, szAttrib, NumToStr(nValue), nFlags);
}
bool CNTXMLParse::SetChildAttrib(MCD_CSTR szAttrib, MCD_CSTR szValue, int nFlags) {
    return x_SetAttrib(true, szAttrib, szValue, nFlags);
}
bool CNTXMLParse::SetChildAttrib(MCD_CSTR szAttrib, int nValue, int nFlags) {
    return x_SetAttrib(true, szAttrib, NumToStr(nValue), nFlags);
}

bool CNTXMLParse::x_SetNodeData(MCD_CSTR szData) {
    MCD_STR strNode;
    if (!BuildNode(m_nNodeType, szData.pcsz, strNode)) return false;
    x_Replace(m_nNodeOffset, m_nNodeLength, strNode, 0);
    m_nNodeLength = static_cast<int>(strNode.size());
    if (m_nNodeType == NODE_TEXT || m_nNodeType == NODE_WHITESPACE) {
        NodePos node;
        m_nNodeType =
            ScanNode(m_strDoc.c_str(), m_nNodeOffset + m_nNodeLength, m_nNodeOffset, node, nullptr);
    }
    return true;
}

bool CNTXMLParse::x_SetData(int i, MCD_CSTR szData, int nFlags) {
    if (x_InTransfer() || !i || ELEM(i).iElemChild) return false;
    const MCD_CHAR* pszData = szData.pcsz ? szData.pcsz : MCD_T("");
    MCD_STR strContent = (nFlags & EDIT_CDATA) ? CdataSection(pszData)
                                               : EscapeText(pszData, nFlags & kValueEscapeFlags);
    if (!*pszData) strContent.clear();
    x_SetContent(i, strContent);
    ELEM(i).nFlags &= ~ELEM_BAD_DATA;
    return true;
}

bool CNTXMLParse::SetData(MCD_CSTR szData, int nFlags) {
    if (m_nNodeLength) return !x_InTransfer() && x_SetNodeData(szData);
    return x_SetData(m_iPos, szData, nFlags);
}
bool CNTXMLParse::SetData(int nValue) { return SetData(NumToStr(nValue), 0); }
bool CNTXMLParse::SetChildData(MCD_CSTR szData, int nFlags) {
    return x_SetData(m_iPosChild, szData, nFlags);
}
bool CNTXMLParse::SetChildData(int nValue) { return SetChildData(NumToStr(nValue), 0); }

bool CNTXMLParse::SetElemContent(MCD_CSTR szContent) {
    if (x_InTransfer() || !m_iPos || m_nNodeLength) return false;
    int i = m_iPos;
    x_ReleaseSubTree(i, false);
    m_iPosChild = 0;
    MCD_STR strContent = szContent.pcsz ? szContent.pcsz : MCD_T("");
    int nStart = x_SetContent(i, strContent);
    m_strResult.clear();
    DocParser parser(m_strDoc.c_str(), m_nDocFlags, *m_pElemPosTree, m_iPosFree, &m_strResult);
    int nResult =
        parser.Parse(nStart, nStart + static_cast<int>(strContent.size()), i, ELEM(i).Level() + 1);
    ELEM(i).nFlags = (ELEM(i).nFlags & ~ELEM_BAD_DATA) | (nResult & ELEM_BAD_DATA);
    // The broken markup is now part of the document, so the document is broken too.
    ELEM(0).nFlags |= nResult & ELEM_ILL_FORMED;
    return !(nResult & ELEM_ILL_FORMED);
}

bool CNTXMLParse::x_AddSubDoc(MCD_CSTR szSubDoc, int nFlags) {
    if (x_InTransfer()) return false;
    bool bChild = (nFlags & EDIT_CHILD) != 0;
    if (bChild && !m_iPos) return false;
    CNTXMLParse sub(m_nDocFlags & DOC_IGNORE_CASE);
    if (!sub.SetDoc(szSubDoc.pcsz) || !sub.IsWellFormed()) return false;
    const ElemPos& root = (*sub.m_pElemPosTree)[(*sub.m_pElemPosTree)[0].iElemChild];
    MCD_STR strMarkup = sub.m_strDoc.substr(root.nStart, root.nLength);
    int iParent = bChild ? m_iPos : m_iPosParent;
    int iRef = bChild ? m_iPosChild : m_iPos;
    int nOffset = 0, iPrev = 0;
    x_Place(nFlags, iParent, iRef, !bChild && m_nNodeLength, strMarkup, nOffset, iPrev);
    DocParser parser(m_strDoc.c_str(), m_nDocFlags, *m_pElemPosTree, m_iPosFree, nullptr);
    parser.Parse(nOffset, nOffset + static_cast<int>(strMarkup.size()), iParent,
                 iParent ? ELEM(iParent).Level() + 1 : 0);
    int iNew = ELEM(ELEM(iParent).iElemChild).iElemPrev;  // the parser appended it last
    x_UnlinkElem(iNew);
    x_LinkElem(iParent, iPrev, iNew);
    x_SetNewElemPos(iNew, bChild);
    return true;
}

bool CNTXMLParse::AddSubDoc(MCD_CSTR szSubDoc) { return x_AddSubDoc(szSubDoc, 0); }
bool CNTXMLParse::InsertSubDoc(MCD_CSTR szSubDoc) { return x_AddSubDoc(szSubDoc, EDIT_INSERT); }
bool CNTXMLParse::AddChildSubDoc(MCD_CSTR szSubDoc) { return x_AddSubDoc(szSubDoc, EDIT_CHILD); }
bool CNTXMLParse::InsertChildSubDoc(MCD_CSTR szSubDoc) {
    return x_AddSubDoc(szSubDoc, EDIT_CHILD | EDIT_INSERT);
}

bool CNTXMLParse::x_AddNode(int nType, MCD_CSTR szText, int nFlags) {
    if (x_InTransfer()) return false;
    MCD_STR strNode;
    if (!BuildNode(nType, szText.pcsz, strNode)) return false;
    if (nType != NODE_PI && nType != NODE_COMMENT && nType != NODE_DOCTYPE) {
        nFlags |= EDIT_NO_LINES;
    }
    int nOffset = 0, iPrev = 0;
    x_Place(nFlags, m_iPosParent, m_iPos, m_nNodeLength > 0, strNode, nOffset, iPrev);
    m_iPosChild = 0;
    int nLength = static_cast<int>(strNode.size());
    if (nType == NODE_ELEMENT) {
        int iNew = x_NewElem();
        ElemPos& elem = ELEM(iNew);
        elem = ElemPos();
        elem.nStart = nOffset;
        elem.nLength = nLength;
        elem.SetStartTagLen(nLength);
        elem.SetLevel(m_iPosParent ? ELEM(m_iPosParent).Level() + 1 : 0);
        x_LinkElem(m_iPosParent, iPrev, iNew);
        m_iPos = iNew;
        m_nNodeType = NODE_ELEMENT;
        m_nNodeOffset = m_nNodeLength = 0;
        return true;
    }
    NodePos node;
    m_iPos = iPrev;
    m_nNodeType = ScanNode(m_strDoc.c_str(), nOffset + nLength, nOffset, node, nullptr);
    m_nNodeOffset = nOffset;
    m_nNodeLength = nLength;
    return true;
}

bool CNTXMLParse::AddNode(int nType, MCD_CSTR szText) { return x_AddNode(nType, szText, 0); }
bool CNTXMLParse::InsertNode(int nType, MCD_CSTR szText) {
    return x_AddNode(nType, szText, EDIT_INSERT);
}

bool CNTXMLParse::x_RemoveElem(int i, bool bChild) {
    if (x_InTransfer() || !i) return false;
    const ElemPos& elem = ELEM(i);
    int nStart = elem.nStart;
    int nEnd = x_TrailingSpaceEnd(elem.nStart + elem.nLength);
    int iPrev = (elem.nFlags & ELEM_FIRST) ? 0 : elem.iElemPrev;
    x_UnlinkElem(i);
    x_ReleaseSubTree(i, true);
    x_Replace(nStart, nEnd - nStart, MCD_STR(), 0);
    if (bChild) {
        m_iPosChild = iPrev;
    } else {
        m_iPos = iPrev;
        m_iPosChild = 0;
        m_nNodeType = iPrev ? NODE_ELEMENT : 0;
        m_nNodeOffset = m_nNodeLength = 0;
    }
    return true;
}

bool CNTXMLParse::RemoveElem() {
    if (m_nNodeType != NODE_ELEMENT) return false;
    return x_RemoveElem(m_iPos, false);
}

bool CNTXMLParse::RemoveChildElem() { return x_RemoveElem(m_iPosChild, true); }

void CNTXMLParse::x_SetPrevNode(int iMain, int nBefore) {
    int nOffset = iMain ? ELEM(iMain).nStart + ELEM(iMain).nLength : x_ContentStart(m_iPosParent);
    m_iPos = iMain;
    m_iPosChild = 0;
    m_nNodeType = iMain ? NODE_ELEMENT : 0;
    m_nNodeOffset = m_nNodeLength = 0;
    NodePos node;
    while (nOffset < nBefore) {
        int nType = ScanNode(m_strDoc.c_str(), nBefore, nOffset, node, nullptr);
        m_nNodeType = nType;
        m_nNodeOffset = nOffset;
        m_nNodeLength = node.nLength;
        nOffset += node.nLength;
    }
}

bool CNTXMLParse::x_ContentScansClean(int i) const {
    int nEnd = x_ContentEnd(i);
    int iNext = ELEM(i).iElemChild;
    NodePos node;
    for (int nOffset = x_ContentStart(i); nOffset < nEnd;) {
        if (iNext && ELEM(iNext).nStart == nOffset) {
            nOffset += ELEM(iNext).nLength;
            iNext = ELEM(iNext).iElemNext;
            continue;
        }
        int nBound = iNext ? ELEM(iNext).nStart : nEnd;
        int nType = ScanNode(m_strDoc.c_str(), nBound, nOffset, node, nullptr);
        if (nType == NODE_ERROR || nType == NODE_LONE_END_TAG) return false;
        nOffset += node.nLength;
    }
    return true;
}

bool CNTXMLParse::RemoveNode() {
    if (x_InTransfer()) return false;
    if (m_nNodeLength) {
        int nStart = m_nNodeOffset;
        bool bLoneEndTag = (m_nNodeType == NODE_LONE_END_TAG);
        x_Replace(nStart, m_nNodeLength, MCD_STR(), 0);
        m_nNodeLength = 0;
        bool bHasContent = !m_iPosParent || !ELEM(m_iPosParent).IsEmptyElem();
        if (bLoneEndTag && bHasContent && x_ContentScansClean(m_iPosParent)) {
            ELEM(m_iPosParent).nFlags &= ~ELEM_BAD_DATA;
        }
        x_SetPrevNode(m_iPos, nStart);
        return true;
    }
    if (m_nNodeType != NODE_ELEMENT || !m_iPos) return false;
    int i = m_iPos;
    const ElemPos& elem = ELEM(i);
    int nStart = elem.nStart;
    int nLength = elem.nLength;
    int iPrev = (elem.nFlags & ELEM_FIRST) ? 0 : elem.iElemPrev;
    x_UnlinkElem(i);
    x_ReleaseSubTree(i, true);
    x_Replace(nStart, nLength, MCD_STR(), 0);
    x_SetPrevNode(iPrev, nStart);
    return true;
}

void CNTXMLParse::x_SetNewElemPos(int iNew, bool bChild) {
    if (bChild) {
        m_iPosChild = iNew;
    } else {
        m_iPos = iNew;
        m_iPosChild = 0;
    }
    m_nNodeType = NODE_ELEMENT;
    m_nNodeOffset = m_nNodeLength = 0;
}
