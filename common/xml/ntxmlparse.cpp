#include "common/xml/ntxmlparse.h"

#include "common/xml/ntxmldocparser.h"
#include "common/xml/ntxmlelems.h"
#include "common/xml/ntxmlreport.h"
#include "common/xml/ntxmlsavedpos.h"
#include "common/xml/ntxmltoken.h"

using namespace ntxml;

#define ELEM(i) (*m_pElemPosTree)[i]

CNTXMLParse::CNTXMLParse()
    : m_iPosParent(0),
      m_iPos(0),
      m_iPosChild(0),
      m_iPosFree(1),
      m_iPosDeleted(0),
      m_nNodeType(0),
      m_nNodeOffset(0),
      m_nNodeLength(0),
      m_nDocFlags(0),
      m_pSavedPosMaps(new SavedPosMaps),
      m_pElemPosTree(new ElemPosArray) {
    x_InitArray(0);
}

CNTXMLParse::CNTXMLParse(MCD_CSTR szDoc) : CNTXMLParse() { SetDoc(szDoc.pcsz); }

CNTXMLParse::CNTXMLParse(int nFlags) : CNTXMLParse() { m_nDocFlags = nFlags; }

CNTXMLParse::CNTXMLParse(const CNTXMLParse& other) : CNTXMLParse() { *this = other; }

CNTXMLParse::~CNTXMLParse() = default;

CNTXMLParse& CNTXMLParse::operator=(const CNTXMLParse& other) {
    if (this == &other || x_InTransfer() || other.x_InTransfer()) return *this;
    m_strDoc = other.m_strDoc;
    m_strResult = other.m_strResult;
    m_iPosParent = other.m_iPosParent;
    m_iPos = other.m_iPos;
    m_iPosChild = other.m_iPosChild;
    m_iPosFree = other.m_iPosFree;
    m_iPosDeleted = other.m_iPosDeleted;
    m_nNodeType = other.m_nNodeType;
    m_nNodeOffset = other.m_nNodeOffset;
    m_nNodeLength = other.m_nNodeLength;
    m_nDocFlags = other.m_nDocFlags;
    *m_pSavedPosMaps = *other.m_pSavedPosMaps;
    m_pElemPosTree->CopyFrom(*other.m_pElemPosTree, other.m_iPosFree);
    return *this;
}

void CNTXMLParse::x_InitArray(int nDocLength) {
    m_iPosParent = m_iPos = m_iPosChild = 0;
    m_nNodeType = m_nNodeOffset = m_nNodeLength = 0;
    m_iPosFree = 1;
    m_iPosDeleted = 0;
    m_pSavedPosMaps->Clear();
    m_pElemPosTree->Reserve(nDocLength / 64 + 8);
    ElemPos& root = ELEM(0);
    root = ElemPos();
    root.nLength = nDocLength;
}

bool CNTXMLParse::SetDoc(const MCD_CHAR* szDoc) {
    if (x_InTransfer()) return false;
    m_strResult.clear();
    if (!szDoc) {
        m_strDoc.clear();
        m_pElemPosTree->Release();
    } else {
        m_strDoc = szDoc;
    }
    x_ParseDoc();
    return IsWellFormed();
}

bool CNTXMLParse::SetDoc(const MCD_STR& strDoc) {
    if (x_InTransfer()) return false;
    m_strResult.clear();
    m_strDoc = strDoc;
    x_ParseDoc();
    return IsWellFormed();
}

void CNTXMLParse::x_ParseDoc() {
    int nLength = static_cast<int>(m_strDoc.size());
    x_InitArray(nLength);
    DocParser parser(m_strDoc.c_str(), m_nDocFlags, *m_pElemPosTree, m_iPosFree, &m_strResult);
    int nFlags = parser.Parse(0, nLength, 0, 0);
    ElemPos& root = ELEM(0);
    root.nFlags |= nFlags;
    root.nLength = nLength;
    if (!root.iElemChild) {
        ResultRecord(MCD_T("no_root_element")).AppendTo(&m_strResult);
    } else if (ELEM(root.iElemChild).iElemNext) {
        ResultRecord(MCD_T("root_has_sibling")).AppendTo(&m_strResult);
    }
}

bool CNTXMLParse::IsWellFormed() const {
    const ElemPos& root = ELEM(0);
    if (root.nFlags & ELEM_ILL_FORMED) return false;
    return root.iElemChild && !ELEM(root.iElemChild).iElemNext;
}

int CNTXMLParse::x_StartTagLen(int i) const {
    const ElemPos& elem = ELEM(i);
    int n = elem.StartTagLen();
    if (n < kMaxStartTagLen) return n;
    NodePos node;
    ScanNode(m_strDoc.c_str(), static_cast<int>(m_strDoc.size()), elem.nStart, node, nullptr);
    return node.nLength;
}

int CNTXMLParse::x_EndTagLen(int i) const {
    const ElemPos& elem = ELEM(i);
    int n = elem.EndTagLen();
    if (n < kMaxEndTagLen) return n;
    // Too long for its field: the end tag is the text from the element's last '<'.
    int nEnd = elem.nStart + elem.nLength;
    int j = nEnd - 1;
    while (j > elem.nStart && m_strDoc[j] != '<') --j;
    return nEnd - j;
}

int CNTXMLParse::x_ContentStart(int i) const { return i ? ELEM(i).nStart + x_StartTagLen(i) : 0; }

int CNTXMLParse::x_ContentEnd(int i) const {
    if (!i) return static_cast<int>(m_strDoc.size());
    const ElemPos& elem = ELEM(i);
    return elem.nStart + elem.nLength - x_EndTagLen(i);
}

MCD_STR CNTXMLParse::x_GetTagName(int i) const {
    if (!i) return MCD_STR();
    const MCD_CHAR* p = m_strDoc.c_str() + ELEM(i).nStart + 1;
    return MCD_STR(p, NameLen(p, m_strDoc.c_str() + m_strDoc.size()));
}

bool CNTXMLParse::x_FindElem(int iParent, int iAfter, MCD_CSTR szName, int& iFound) const {
    const MCD_CHAR* pszName = szName.pcsz;
    if (pszName && pszName[0] == '/') return false;  // path forms are recognised, never matched
    bool bAny = !pszName || !pszName[0];
    const MCD_CHAR* pDoc = m_strDoc.c_str();
    const MCD_CHAR* pEnd = pDoc + m_strDoc.size();
    int i = iAfter ? ELEM(iAfter).iElemNext : ELEM(iParent).iElemChild;
    for (; i; i = ELEM(i).iElemNext) {
        const MCD_CHAR* p = pDoc + ELEM(i).nStart + 1;
        if (bAny || MatchName(p, NameLen(p, pEnd), pszName, m_nDocFlags)) {
            iFound = i;
            return true;
        }
    }
    return false;
}

bool CNTXMLParse::FindElem(MCD_CSTR szName) {
    int iFound = 0;
    if (!x_FindElem(m_iPosParent, m_iPos, szName, iFound)) return false;
    m_iPos = iFound;
    m_iPosChild = 0;
    m_nNodeType = NODE_ELEMENT;
    m_nNodeOffset = m_nNodeLength = 0;
    return true;
}

bool CNTXMLParse::FindChildElem(MCD_CSTR szName) {
    if (!m_iPos && !FindElem()) return false;
    int iFound = 0;
    if (!x_FindElem(m_iPos, m_iPosChild, szName, iFound)) return false;
    m_iPosChild = iFound;
    m_nNodeType = NODE_ELEMENT;
    m_nNodeOffset = m_nNodeLength = 0;
    return true;
}

bool CNTXMLParse::IntoElem() {
    if (!m_iPos || m_nNodeType != NODE_ELEMENT) return false;
    m_iPosParent = m_iPos;
    m_iPos = m_iPosChild;
    m_iPosChild = 0;
    m_nNodeType = m_iPos ? NODE_ELEMENT : 0;
    m_nNodeOffset = m_nNodeLength = 0;
    return true;
}

bool CNTXMLParse::OutOfElem() {
    if (!m_iPosParent) return false;
    m_iPosChild = m_iPos;
    m_iPos = m_iPosParent;
    m_iPosParent = ELEM(m_iPos).iElemParent;
    m_nNodeType = NODE_ELEMENT;
    m_nNodeOffset = m_nNodeLength = 0;
    return true;
}

void CNTXMLParse::ResetPos() {
    m_iPosParent = m_iPos = m_iPosChild = 0;
    m_nNodeType = m_nNodeOffset = m_nNodeLength = 0;
}

void CNTXMLParse::ResetMainPos() {
    m_iPos = m_iPosChild = 0;
    m_nNodeType = m_nNodeOffset = m_nNodeLength = 0;
}

void CNTXMLParse::ResetChildPos() {
    m_iPosChild = 0;
    m_nNodeOffset = m_nNodeLength = 0;
    m_nNodeType = m_iPos ? NODE_ELEMENT : 0;
}

int CNTXMLParse::FindNode(int nType) {
    int iParent = m_iPosParent;
    if (iParent && ELEM(iParent).IsEmptyElem()) return 0;
    int nEnd = x_ContentEnd(iParent);
    int nOffset;
    if (m_nNodeLength) {
        nOffset = m_nNodeOffset + m_nNodeLength;
    } else if (m_iPos) {
        nOffset = ELEM(m_iPos).nStart + ELEM(m_iPos).nLength;
    } else {
        nOffset = x_ContentStart(iParent);
    }
    int iPos = m_iPos;
    int iNext = iPos ? ELEM(iPos).iElemNext : ELEM(iParent).iElemChild;
    const MCD_CHAR* pDoc = m_strDoc.c_str();
    NodePos node;
    while (nOffset < nEnd) {
        if (iNext && ELEM(iNext).nStart == nOffset) {
            iPos = iNext;
            iNext = ELEM(iNext).iElemNext;
            if (!nType || (nType & NODE_ELEMENT)) {
                m_iPos = iPos;
                m_iPosChild = 0;
                m_nNodeType = NODE_ELEMENT;
                m_nNodeOffset = m_nNodeLength = 0;
                return NODE_ELEMENT;
            }
            nOffset = ELEM(iPos).nStart + ELEM(iPos).nLength;
            continue;
        }
        // A node never runs into the next element (an unterminated one would, after edits).
        int nBound = iNext && ELEM(iNext).nStart > nOffset ? ELEM(iNext).nStart : nEnd;
        int nFound = ScanNode(pDoc, nBound, nOffset, node, nullptr);
        if (nFound == NODE_ELEMENT) nFound = NODE_ERROR;  // a start tag without its record
        if (!nType || (nType & nFound)) {
            m_iPos = iPos;
            m_iPosChild = 0;
            m_nNodeType = nFound;
            m_nNodeOffset = nOffset;
            m_nNodeLength = node.nLength;
            return nFound;
        }
        nOffset += node.nLength;
    }
    return 0;
}

bool CNTXMLParse::SavePos(MCD_CSTR szPosName, int nMap) {
    if (!szPosName.pcsz || nMap < 0 || x_InTransfer()) return false;
    if (m_iPosChild) {
        m_pSavedPosMaps->Save(nMap, szPosName, m_iPosChild, NamedPos::SAVED_CHILD);
    } else if (m_iPos) {
        m_pSavedPosMaps->Save(nMap, szPosName, m_iPos, NamedPos::SAVED_MAIN);
    } else {
        m_pSavedPosMaps->Save(nMap, szPosName, m_iPosParent, 0);
    }
    return true;
}

bool CNTXMLParse::RestorePos(MCD_CSTR szPosName, int nMap) {
    if (!szPosName.pcsz || x_InTransfer()) return false;
    const NamedPos* pEntry = m_pSavedPosMaps->Find(nMap, szPosName);
    if (!pEntry) return false;
    int i = pEntry->iPos;
    if (pEntry->nFlags & NamedPos::SAVED_CHILD) {
        m_iPosChild = i;
        m_iPos = ELEM(i).iElemParent;
        m_iPosParent = ELEM(m_iPos).iElemParent;
    } else if (pEntry->nFlags & NamedPos::SAVED_MAIN) {
        m_iPosChild = 0;
        m_iPos = i;
        m_iPosParent = ELEM(i).iElemParent;
    } else {
        m_iPosParent = i;
        m_iPos = m_iPosChild = 0;
    }
    m_nNodeType = m_iPos ? NODE_ELEMENT : 0;
    m_nNodeOffset = m_nNodeLength = 0;
    return true;
}

bool CNTXMLParse::SetMapSize(int nSize, int nMap) {
    if (x_InTransfer()) return false;
    return m_pSavedPosMaps->CreateMap(nMap, nSize);
}

void CNTXMLParse::x_DiscardReleasedPositions() {
    ElemPosArray& elems = *m_pElemPosTree;
    m_pSavedPosMaps->RemoveIf([&elems](int i) { return elems[i].nFlags == ELEM_DELETED; });
}

bool CNTXMLParse::Test(const CNTXMLParse& xml) {
    const ElemPosArray& elems = *xml.m_pElemPosTree;
    const MCD_STR& strDoc = xml.m_strDoc;
    const MCD_CHAR* pDoc = strDoc.c_str();
    int nDocLen = static_cast<int>(strDoc.size());
    if (elems[0].nLength != nDocLen) return false;
    int nLive = 0;
    for (int i = 1; i < xml.m_iPosFree; ++i) {
        if (elems[i].nFlags != ELEM_DELETED) ++nLive;
    }
    // Walk the tree: every record lies inside its parent, after its previous sibling, and its
    // text starts with '<' and its tag name (and ends with the matching end tag).
    int nSeen = 0;
    int i = elems[0].iElemChild;
    int iParent = 0;
    int nPrevEnd = 0;
    while (i) {
        const ElemPos& elem = elems[i];
        if (i >= xml.m_iPosFree || elem.nFlags == ELEM_DELETED || elem.iElemParent != iParent) {
            return false;
        }
        if (++nSeen > nLive) return false;
        const ElemPos& parent = elems[iParent];
        int nStart = elem.nStart;
        int nEnd = nStart + elem.nLength;
        int nStartTag = xml.x_StartTagLen(i);
        if (nStart < nPrevEnd || elem.nLength <= 0 || nEnd > nDocLen) return false;
        if (iParent && (nStart < xml.x_ContentStart(iParent) || nEnd > xml.x_ContentEnd(iParent))) {
            return false;
        }
        if (pDoc[nStart] != '<' || !IsNameStart(pDoc[nStart + 1])) return false;
        if (nStartTag > elem.nLength || pDoc[nStart + nStartTag - 1] != '>') return false;
        int nNameLen = NameLen(pDoc + nStart + 1, pDoc + nEnd);
        if (!elem.IsEmptyElem()) {
            int nEndTag = xml.x_EndTagLen(i);
            const MCD_CHAR* pEndTag = pDoc + nEnd - nEndTag;
            if (pEndTag[0] != '<' || pEndTag[1] != '/' ||
                !SameName(pDoc + nStart + 1, nNameLen, pEndTag + 2,
                          NameLen(pEndTag + 2, pDoc + nEnd), xml.m_nDocFlags)) {
                return false;
            }
        }
        bool bFirst = (elem.nFlags & ELEM_FIRST) != 0;
        if (bFirst != (parent.iElemChild == i)) return false;
        if (elem.iElemNext && elems[elem.iElemNext].iElemPrev != i) return false;
        if (!elem.iElemNext && elems[parent.iElemChild].iElemPrev != i) return false;
        if (elem.iElemChild) {
            iParent = i;
            nPrevEnd = xml.x_ContentStart(i);
            i = elem.iElemChild;
            continue;
        }
        nPrevEnd = nEnd;
        while (i && !elems[i].iElemNext) {
            i = elems[i].iElemParent;
            if (i) {
                iParent = elems[i].iElemParent;
                nPrevEnd = elems[i].nStart + elems[i].nLength;
            }
        }
        if (i) i = elems[i].iElemNext;
    }
    return nSeen == nLive;
}
