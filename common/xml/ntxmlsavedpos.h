#pragma once

// Named positions of a document (SavePos/RestorePos): numbered maps of hash buckets.

#include <vector>

#include "common/xml/ntxmlparse.h"

namespace ntxml {

struct NamedPos {
    enum { SAVED_MAIN = 0x1, SAVED_CHILD = 0x2, SLOT_USED = 0x4, BUCKET_END = 0x8 };
    MCD_STR strName;
    int iPos = 0;
    int nFlags = 0;
};

class SavedPosMaps {
public:
    static const int kDefaultBuckets = 7;

    // False when map nMap already exists or the size is not positive.
    bool CreateMap(int nMap, int nBuckets);
    // Saves (or overwrites) a name; creates the map with the default size when needed.
    void Save(int nMap, const MCD_CHAR* pszName, int iPos, int nFlags);
    // Null when the name is not saved in map nMap.
    const NamedPos* Find(int nMap, const MCD_CHAR* pszName) const;
    // Drops every entry whose record index satisfies the predicate.
    template <class Pred>
    void RemoveIf(Pred pred) {
        for (Map& map : m_maps) {
            for (std::vector<NamedPos>& bucket : map) {
                size_t nKept = 0;
                for (NamedPos& entry : bucket) {
                    if (!pred(entry.iPos)) bucket[nKept++] = std::move(entry);
                }
                bucket.resize(nKept);
                MarkBucketEnd(bucket);
            }
        }
    }
    void Clear() { m_maps.clear(); }

private:
    typedef std::vector<std::vector<NamedPos>> Map;
    static int Bucket(const MCD_CHAR* pszName, int nBuckets);
    static void MarkBucketEnd(std::vector<NamedPos>& bucket);
    std::vector<Map> m_maps;
};

}  // namespace ntxml
