#include "common/xml/ntxmlsavedpos.h"

namespace ntxml {

int SavedPosMaps::Bucket(const MCD_CHAR* pszName, int nBuckets) {
    unsigned nSum = 0;
    while (*pszName) nSum += static_cast<unsigned>(*pszName++);
    return static_cast<int>(nSum % static_cast<unsigned>(nBuckets));
}

void SavedPosMaps::MarkBucketEnd(std::vector<NamedPos>& bucket) {
    for (size_t i = 0; i < bucket.size(); ++i) {
        bucket[i].nFlags &= ~NamedPos::BUCKET_END;
        if (i + 1 == bucket.size()) bucket[i].nFlags |= NamedPos::BUCKET_END;
    }
}

bool SavedPosMaps::CreateMap(int nMap, int nBuckets) {
    if (nMap < 0 || nBuckets < 1) return false;
    if (nMap < static_cast<int>(m_maps.size()) && !m_maps[nMap].empty()) return false;
    if (nMap >= static_cast<int>(m_maps.size())) m_maps.resize(nMap + 1);
    m_maps[nMap].resize(nBuckets);
    return true;
}

void SavedPosMaps::Save(int nMap, const MCD_CHAR* pszName, int iPos, int nFlags) {
    if (nMap >= static_cast<int>(m_maps.size()) || m_maps[nMap].empty()) {
        CreateMap(nMap, kDefaultBuckets);
    }
    Map& map = m_maps[nMap];
    std::vector<NamedPos>& bucket = map[Bucket(pszName, static_cast<int>(map.size()))];
    for (NamedPos& entry : bucket) {
        if (entry.strName == pszName) {
            entry.iPos = iPos;
            entry.nFlags = (entry.nFlags & NamedPos::BUCKET_END) | NamedPos::SLOT_USED | nFlags;
            return;
        }
    }
    NamedPos entry;
    entry.strName = pszName;
    entry.iPos = iPos;
    entry.nFlags = NamedPos::SLOT_USED | nFlags;
    bucket.push_back(std::move(entry));
    MarkBucketEnd(bucket);
}

const NamedPos* SavedPosMaps::Find(int nMap, const MCD_CHAR* pszName) const {
    if (nMap < 0 || nMap >= static_cast<int>(m_maps.size()) || m_maps[nMap].empty()) {
        return nullptr;
    }
    const Map& map = m_maps[nMap];
    for (const NamedPos& entry : map[Bucket(pszName, static_cast<int>(map.size()))]) {
        if (entry.strName == pszName) return &entry;
    }
    return nullptr;
}

}  // namespace ntxml
