#include "common/xml/ntxmlelems.h"

#include <algorithm>
#include <cstring>

namespace ntxml {

void ElemPosArray::Reserve(int nCapacity) {
    if (nCapacity <= m_nCapacity) return;
    int nSegs = (nCapacity + kSegSize - 1) / kSegSize;
    // The last segment may be partial: reallocate it at its new size, keeping its records.
    int iLast = static_cast<int>(m_segs.size()) - 1;
    if (iLast >= 0) {
        int nLastSize = m_nCapacity - iLast * kSegSize;
        if (nLastSize < kSegSize) {
            int nNewSize = std::min(kSegSize, nCapacity - iLast * kSegSize);
            std::unique_ptr<ElemPos[]> seg(new ElemPos[nNewSize]);
            std::memcpy(seg.get(), m_segs[iLast].get(), sizeof(ElemPos) * nLastSize);
            m_segs[iLast] = std::move(seg);
        }
    }
    for (int iSeg = iLast + 1; iSeg < nSegs; ++iSeg) {
        int nSize = std::min(kSegSize, nCapacity - iSeg * kSegSize);
        m_segs.emplace_back(new ElemPos[nSize]);
    }
    m_nCapacity = nCapacity;
}

void ElemPosArray::Release() {
    m_segs.clear();
    m_nCapacity = 0;
}

void ElemPosArray::CopyFrom(const ElemPosArray& other, int nCount) {
    Release();
    Reserve(nCount);
    for (int iSeg = 0; iSeg * kSegSize < nCount; ++iSeg) {
        int nSize = std::min(kSegSize, nCount - iSeg * kSegSize);
        std::memcpy(m_segs[iSeg].get(), other.m_segs[iSeg].get(), sizeof(ElemPos) * nSize);
    }
}

}  // namespace ntxml
