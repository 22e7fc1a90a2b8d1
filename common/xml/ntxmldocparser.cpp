#include "common/xml/ntxmldocparser.h"

#include "common/xml/ntxmlreport.h"
#include "common/xml/ntxmltoken.h"

namespace ntxml {

DocParser::DocParser(const MCD_CHAR* pDoc, int nDocFlags, ElemPosArray& elems, int& iPosFree,
                     MCD_STR* pReport)
    : m_pDoc(pDoc),
      m_nDocFlags(nDocFlags),
      m_elems(elems),
      m_iPosFree(iPosFree),
      m_pReport(pReport) {
    for (int& b : m_buckets) b = -1;
}

int DocParser::NewElem() {
    if (m_iPosFree >= m_elems.Capacity()) {
        m_elems.Reserve(m_iPosFree + m_iPosFree / 2 + 1);
    }
    return m_iPosFree++;
}

int DocParser::HashName(int nNameStart, int nNameLen) const {
    unsigned nSum = 0;
    const MCD_CHAR* p = m_pDoc + nNameStart;
    if (m_nDocFlags & CNTXMLParse::DOC_IGNORE_CASE) {
        for (int k = 0; k < nNameLen; ++k) nSum += AsciiLower(p[k]);
    } else {
        for (int k = 0; k < nNameLen; ++k) nSum += p[k];
    }
    return static_cast<int>(nSum % kBuckets);
}

void DocParser::Push(int iElem, int nNameStart, int nNameLen) {
    OpenTag tag;
    tag.iElem = iElem;
    tag.nNameStart = nNameStart;
    tag.nNameLen = nNameLen;
    tag.nBucket = HashName(nNameStart, nNameLen);
    tag.nBucketNext = m_buckets[tag.nBucket];
    m_buckets[tag.nBucket] = static_cast<int>(m_stack.size());
    m_stack.push_back(tag);
}

void DocParser::Pop() {
    m_buckets[m_stack.back().nBucket] = m_stack.back().nBucketNext;
    m_stack.pop_back();
}

int DocParser::FindOpenTag(int nNameStart, int nNameLen) const {
    for (int i = m_buckets[HashName(nNameStart, nNameLen)]; i >= 0; i = m_stack[i].nBucketNext) {
        const OpenTag& tag = m_stack[i];
        if (SameName(m_pDoc + tag.nNameStart, tag.nNameLen, m_pDoc + nNameStart, nNameLen,
                     m_nDocFlags)) {
            return i;
        }
    }
    return -1;
}

void DocParser::MarkBadData(int iElem) {
    if (iElem == m_iParent) {
        m_nResult |= ELEM_BAD_DATA;
    } else {
        m_elems[iElem].nFlags |= ELEM_BAD_DATA;
    }
}

void DocParser::SetLevels(int iTop, int nLevel) {
    m_elems[iTop].SetLevel(nLevel);
    int i = iTop;
    for (;;) {
        if (m_elems[i].iElemChild) {
            i = m_elems[i].iElemChild;
            m_elems[i].SetLevel(++nLevel);
            continue;
        }
        while (i != iTop && !m_elems[i].iElemNext) {
            i = m_elems[i].iElemParent;
            --nLevel;
        }
        if (i == iTop) return;
        i = m_elems[i].iElemNext;
        m_elems[i].SetLevel(nLevel);
    }
}

// Every open tag above stack index nKeep (-1 = all) never gets its end tag. Each one's children
// follow it as siblings, so the whole run flattens into the children of the tag that stays open
// (or of the range's parent); done in one pass so that long runs stay linear.
void DocParser::CloseAbove(int nKeep, int nOffset2) {
    m_nResult |= ELEM_ILL_FORMED;
    int iTarget = nKeep >= 0 ? m_stack[nKeep].iElem : m_iParent;
    for (int k = static_cast<int>(m_stack.size()) - 1; k > nKeep; --k) {
        const OpenTag& tag = m_stack[k];
        const ElemPos& elem = m_elems[tag.iElem];
        ResultRecord(MCD_T("unended_start_tag"))
            .Attr(MCD_T("tagname"), MCD_STR(m_pDoc + tag.nNameStart, tag.nNameLen))
            .Attr(MCD_T("offset"), elem.nStart)
            .Attr(MCD_T("offset2"), nOffset2)
            .AppendTo(m_pReport);
    }
    ElemPos& target = m_elems[iTarget];
    bool bBadData = false;
    m_moved.clear();
    for (int k = nKeep + 1; k < static_cast<int>(m_stack.size()); ++k) {
        ElemPos& elem = m_elems[m_stack[k].iElem];
        elem.nFlags |= ELEM_NOT_ENDED;
        if (elem.nFlags & ELEM_BAD_DATA) {
            elem.nFlags &= ~ELEM_BAD_DATA;
            bBadData = true;
        }
        elem.nLength = elem.StartTagLen();
        elem.SetEndTagLen(0);
        int iFirst = elem.iElemChild;
        if (!iFirst) continue;
        int iLast = m_elems[iFirst].iElemPrev;
        for (int i = iFirst; i; i = m_elems[i].iElemNext) {
            m_elems[i].iElemParent = iTarget;
            m_moved.push_back(i);
        }
        m_elems[iFirst].nFlags &= ~ELEM_FIRST;
        // The closed element is the target's last child, so its children append after it.
        int iTargetFirst = target.iElemChild;
        int iTargetLast = m_elems[iTargetFirst].iElemPrev;
        m_elems[iTargetLast].iElemNext = iFirst;
        m_elems[iFirst].iElemPrev = iTargetLast;
        m_elems[iTargetFirst].iElemPrev = iLast;
        elem.iElemChild = 0;
    }
    if (bBadData) MarkBadData(iTarget);
    int nLevel = iTarget == m_iParent ? m_nLevel : m_elems[iTarget].Level() + 1;
    for (int i : m_moved) SetLevels(i, nLevel);
    while (static_cast<int>(m_stack.size()) - 1 > nKeep) Pop();
}

int DocParser::Parse(int nStart, int nEnd, int iParent, int nLevel) {
    m_iParent = iParent;
    m_nLevel = nLevel;
    m_nResult = 0;
    int iCurrent = iParent;
    NodePos node;
    int nOffset = nStart;
    while (nOffset < nEnd) {
        int nType = ScanNode(m_pDoc, nEnd, nOffset, node, m_pReport);
        if (nType == CNTXMLParse::NODE_ELEMENT) {
            int iNew = NewElem();
            ElemPos& elem = m_elems[iNew];
            elem.nStart = nOffset;
            elem.nLength = node.nLength;
            elem.nTagLengths = 0;
            elem.SetStartTagLen(node.nLength);
            elem.nFlags = 0;
            elem.SetLevel(nLevel + static_cast<int>(m_stack.size()));
            elem.iElemParent = iCurrent;
            elem.iElemChild = 0;
            elem.iElemNext = 0;
            ElemPos& parent = m_elems[iCurrent];
            if (!parent.iElemChild) {
                parent.iElemChild = iNew;
                elem.iElemPrev = iNew;
                elem.nFlags |= ELEM_FIRST;
            } else {
                ElemPos& first = m_elems[parent.iElemChild];
                elem.iElemPrev = first.iElemPrev;
                m_elems[first.iElemPrev].iElemNext = iNew;
                first.iElemPrev = iNew;
            }
            if (!node.bEmptyElem) {
                Push(iNew, nOffset + 1, node.nNameLen);
                iCurrent = iNew;
            }
        } else if (nType == CNTXMLParse::NODE_LONE_END_TAG) {
            int nNameStart = nOffset + 2;
            int k = -1;
            if (!m_stack.empty()) {
                const OpenTag& top = m_stack.back();
                if (SameName(m_pDoc + top.nNameStart, top.nNameLen, m_pDoc + nNameStart,
                             node.nNameLen, m_nDocFlags)) {
                    k = static_cast<int>(m_stack.size()) - 1;
                } else {
                    k = FindOpenTag(nNameStart, node.nNameLen);
                    if (k >= 0) CloseAbove(k, nOffset + 1);
                }
            }
            if (k >= 0) {
                ElemPos& elem = m_elems[m_stack.back().iElem];
                elem.nLength = nOffset + node.nLength - elem.nStart;
                elem.SetEndTagLen(node.nLength);
                Pop();
                iCurrent = m_stack.empty() ? iParent : m_stack.back().iElem;
            } else {
                m_nResult |= ELEM_ILL_FORMED;
                MarkBadData(iCurrent);
                ResultRecord(MCD_T("lone_end_tag"))
                    .Attr(MCD_T("tagname"), MCD_STR(m_pDoc + nNameStart, node.nNameLen))
                    .Attr(MCD_T("offset"), nOffset)
                    .AppendTo(m_pReport);
            }
        } else if (nType == CNTXMLParse::NODE_ERROR) {
            m_nResult |= ELEM_ILL_FORMED;
            MarkBadData(iCurrent);
        }
        nOffset += node.nLength;
    }
    if (!m_stack.empty()) CloseAbove(-1, nEnd);
    return m_nResult;
}

}  // namespace ntxml
