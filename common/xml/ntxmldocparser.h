#pragma once

// Builds element records from a range of a document's text, keeping a stack of the open start
// tags; end tags that match a deeper open tag close the ones above it implicitly.

#include <vector>

#include "common/xml/ntxmlelems.h"
#include "common/xml/ntxmlparse.h"

namespace ntxml {

class DocParser {
public:
    DocParser(const MCD_CHAR* pDoc, int nDocFlags, ElemPosArray& elems, int& iPosFree,
              MCD_STR* pReport);
    DocParser(const DocParser&) = delete;
    DocParser& operator=(const DocParser&) = delete;

    // Parses [nStart, nEnd) into children of iParent at level nLevel. Returns ELEM_ILL_FORMED
    // when the range is not well formed and ELEM_BAD_DATA when an error lies at its top level.
    int Parse(int nStart, int nEnd, int iParent, int nLevel);

private:
    struct OpenTag {
        int iElem;
        int nNameStart;
        int nNameLen;
        int nBucket;
        int nBucketNext;  // next lower stack index in the same bucket, -1 at the end
    };
    static constexpr int kBuckets = 23;

    int NewElem();
    int HashName(int nNameStart, int nNameLen) const;
    void Push(int iElem, int nNameStart, int nNameLen);
    void Pop();
    int FindOpenTag(int nNameStart, int nNameLen) const;
    void MarkBadData(int iElem);
    void CloseAbove(int nKeep, int nOffset2);
    void SetLevels(int iTop, int nLevel);

    const MCD_CHAR* m_pDoc;
    int m_nDocFlags;
    ElemPosArray& m_elems;
    int& m_iPosFree;
    MCD_STR* m_pReport;
    int m_iParent = 0;
    int m_nLevel = 0;
    int m_nResult = 0;
    std::vector<OpenTag> m_stack;
    std::vector<int> m_moved;
    int m_buckets[kBuckets];
};

}  // namespace ntxml
