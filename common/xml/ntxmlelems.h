#pragma once

// Element records of a document, kept in segments of 65,536 so that growing the array never
// moves the records of full segments.

#include <memory>
#include <vector>

namespace ntxml {

enum ElemFlags {
    ELEM_LEVEL_MASK = 0xFFFF,
    ELEM_DELETED = 0x20000,
    ELEM_FIRST = 0x80000,
    ELEM_NOT_ENDED = 0x100000,
    ELEM_BAD_DATA = 0x200000,
    ELEM_ILL_FORMED = 0x800000
};

// Longest tag lengths the packed word holds; a longer tag is stored as the maximum and measured
// again from the text when needed.
const int kMaxStartTagLen = 0x3FFFFF;
const int kMaxEndTagLen = 0x3FF;

struct ElemPos {
    int nStart;
    int nLength;
    unsigned nTagLengths;
    int nFlags;
    int iElemParent;
    int iElemChild;
    int iElemNext;
    int iElemPrev;

    int StartTagLen() const { return static_cast<int>(nTagLengths & kMaxStartTagLen); }
    int EndTagLen() const { return static_cast<int>(nTagLengths >> 22); }
    void SetStartTagLen(int n) {
        nTagLengths = (nTagLengths & ~static_cast<unsigned>(kMaxStartTagLen)) |
                      static_cast<unsigned>(n < kMaxStartTagLen ? n : kMaxStartTagLen);
    }
    void SetEndTagLen(int n) {
        nTagLengths = (nTagLengths & static_cast<unsigned>(kMaxStartTagLen)) |
                      (static_cast<unsigned>(n < kMaxEndTagLen ? n : kMaxEndTagLen) << 22);
    }
    int Level() const { return nFlags & ELEM_LEVEL_MASK; }
    void SetLevel(int n) { nFlags = (nFlags & ~ELEM_LEVEL_MASK) | (n & ELEM_LEVEL_MASK); }
    bool IsEmptyElem() const { return (nTagLengths >> 22) == 0; }
};
static_assert(sizeof(ElemPos) == 32, "element records are eight 32-bit words");

class ElemPosArray {
public:
    static constexpr int kSegBits = 16;
    static constexpr int kSegSize = 1 << kSegBits;

    ElemPosArray() = default;
    ElemPosArray(const ElemPosArray&) = delete;
    ElemPosArray& operator=(const ElemPosArray&) = delete;

    ElemPos& operator[](int i) { return m_segs[i >> kSegBits][i & (kSegSize - 1)]; }
    const ElemPos& operator[](int i) const { return m_segs[i >> kSegBits][i & (kSegSize - 1)]; }
    int Capacity() const { return m_nCapacity; }
    // Grows to at least nCapacity records; existing records keep their values.
    void Reserve(int nCapacity);
    void Release();
    // Copies the first nCount records of another array.
    void CopyFrom(const ElemPosArray& other, int nCount);

private:
    std::vector<std::unique_ptr<ElemPos[]>> m_segs;
    int m_nCapacity = 0;
};

}  // namespace ntxml
