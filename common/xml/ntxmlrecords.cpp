// Keeping element records true to the text: allocation, sibling links, release, and the shift
// that follows every splice of the document.

#include <vector>

#include "common/xml/ntxmlelems.h"
#include "common/xml/ntxmlparse.h"

using namespace ntxml;

#define ELEM(i) (*m_pElemPosTree)[i]

int CNTXMLParse::x_NewElem() {
    if (m_iPosFree >= m_pElemPosTree->Capacity()) {
        m_pElemPosTree->Reserve(m_iPosFree + m_iPosFree / 2 + 1);
    }
    return m_iPosFree++;
}

void CNTXMLParse::x_LinkElem(int iParent, int iAfter, int iNew) {
    ElemPos& elem = ELEM(iNew);
    ElemPos& parent = ELEM(iParent);
    elem.iElemParent = iParent;
    if (!iAfter) {
        int iFirst = parent.iElemChild;
        elem.iElemNext = iFirst;
        elem.nFlags |= ELEM_FIRST;
        if (iFirst) {
            elem.iElemPrev = ELEM(iFirst).iElemPrev;
            ELEM(iFirst).iElemPrev = iNew;
            ELEM(iFirst).nFlags &= ~ELEM_FIRST;
        } else {
            elem.iElemPrev = iNew;
        }
        parent.iElemChild = iNew;
        return;
    }
    elem.nFlags &= ~ELEM_FIRST;
    int iNext = ELEM(iAfter).iElemNext;
    elem.iElemNext = iNext;
    elem.iElemPrev = iAfter;
    ELEM(iAfter).iElemNext = iNew;
    if (iNext) {
        ELEM(iNext).iElemPrev = iNew;
    } else {
        ELEM(parent.iElemChild).iElemPrev = iNew;
    }
}

void CNTXMLParse::x_UnlinkElem(int i) {
    ElemPos& elem = ELEM(i);
    ElemPos& parent = ELEM(elem.iElemParent);
    int iNext = elem.iElemNext;
    if (parent.iElemChild == i) {
        parent.iElemChild = iNext;
        if (iNext) {
            ELEM(iNext).iElemPrev = elem.iElemPrev;
            ELEM(iNext).nFlags |= ELEM_FIRST;
        }
    } else {
        int iPrev = elem.iElemPrev;
        ELEM(iPrev).iElemNext = iNext;
        if (iNext) {
            ELEM(iNext).iElemPrev = iPrev;
        } else {
            ELEM(parent.iElemChild).iElemPrev = iPrev;
        }
    }
    elem.iElemNext = 0;
    elem.iElemPrev = i;
}

void CNTXMLParse::x_ReleaseSubTree(int iTop, bool bIncludeSelf) {
    std::vector<int> released;
    if (bIncludeSelf) released.push_back(iTop);
    std::vector<int> pending;
    for (int c = ELEM(iTop).iElemChild; c; c = ELEM(c).iElemNext) pending.push_back(c);
    while (!pending.empty()) {
        int i = pending.back();
        pending.pop_back();
        released.push_back(i);
        for (int c = ELEM(i).iElemChild; c; c = ELEM(c).iElemNext) pending.push_back(c);
    }
    for (int i : released) {
        ElemPos& elem = ELEM(i);
        elem.nFlags = ELEM_DELETED;
        elem.iElemNext = m_iPosDeleted;
        m_iPosDeleted = i;
    }
    if (!bIncludeSelf) ELEM(iTop).iElemChild = 0;
    x_DiscardReleasedPositions();
}

void CNTXMLParse::x_AdjustRecords(int nOffset, int nOldLen, int nNewLen, int iSkip) {
    int nDelta = nNewLen - nOldLen;
    int nOldEnd = nOffset + nOldLen;
    for (int i = 1; i < m_iPosFree; ++i) {
        ElemPos& elem = ELEM(i);
        if (i == iSkip || elem.nFlags == ELEM_DELETED) continue;
        if (elem.nStart >= nOldEnd) {
            elem.nStart += nDelta;
        } else if (elem.nStart < nOffset) {
            int nEnd = elem.nStart + elem.nLength;
            if (nEnd > nOldEnd || (nEnd == nOldEnd && nOldLen > 0)) elem.nLength += nDelta;
        }
    }
    if (m_nNodeLength && m_nNodeOffset >= nOldEnd) m_nNodeOffset += nDelta;
    ELEM(0).nLength = static_cast<int>(m_strDoc.size());
}

void CNTXMLParse::x_Replace(int nOffset, int nOldLen, const MCD_STR& strNew, int iSkip) {
    m_strDoc.replace(nOffset, nOldLen, strNew);
    x_AdjustRecords(nOffset, nOldLen, static_cast<int>(strNew.size()), iSkip);
}
