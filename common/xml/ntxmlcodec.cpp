#include "common/xml/ntxmlparse.h"
#include "common/xml/ntxmltoken.h"

using namespace ntxml;

namespace {

// Bytes in the sequence a lead byte starts (0 for a byte that cannot start one). Continuation
// bytes (10xxxxxx) are refused as leads, and only they may follow one, so that GBK or Big5
// text is not taken for UTF-8.
int SequenceLength(unsigned char c) {
    if (c < 0x80) return 1;
    if (!(c & 0x40)) return 0;
    if (!(c & 0x20)) return 2;
    if (!(c & 0x10)) return 3;
    if (!(c & 0x08)) return 4;
    return 0;
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

bool IsHighSurrogate(int c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(int c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

bool CNTXMLParse::DetectUTF8(const char* pText, int nTextLen, int* pnNonAsciiChars,
                             bool* pbErrorAtEnd) {
    if (pnNonAsciiChars) *pnNonAsciiChars = 0;
    if (pbErrorAtEnd) *pbErrorAtEnd = false;
    if (!pText) return true;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pText);
    int i = 0;
    while (i < nTextLen && p[i]) {
        int nSeq = SequenceLength(p[i]);
        if (nSeq == 1) {
            ++i;
            continue;
        }
        if (pnNonAsciiChars) ++*pnNonAsciiChars;
        if (!nSeq) return false;
        for (int k = 1; k < nSeq; ++k) {
            if (i + k >= nTextLen) {
                if (pbErrorAtEnd) *pbErrorAtEnd = true;
                return false;
            }
            if (!IsContinuation(p[i + k])) return false;
        }
        i += nSeq;
    }
    return true;
}

int CNTXMLParse::DecodeCharUTF8(const char*& pszUTF8, const char* pszUTF8End) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pszUTF8);
    const unsigned char* pEnd = reinterpret_cast<const unsigned char*>(pszUTF8End);
    int nSeq = SequenceLength(*p);
    if (!nSeq) return -1;
    static const unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    int nChar = *p & kLeadMask[nSeq];
    for (int k = 1; k < nSeq; ++k) {
        if (pEnd && p + k >= pEnd) return -1;
        if (!IsContinuation(p[k])) return -1;
        nChar = (nChar << 6) | (p[k] & 0x3F);
    }
    pszUTF8 += nSeq;
    return nChar;
}

void CNTXMLParse::EncodeCharUTF8(int nUChar, char* pszUTF8, int& nUTF8Len) {
    unsigned char buf[4];
    int n;
    unsigned u = static_cast<unsigned>(nUChar);
    if (u < 0x80) {
        buf[0] = static_cast<unsigned char>(u);
        n = 1;
    } else if (u < 0x800) {
        buf[0] = static_cast<unsigned char>(0xC0 | (u >> 6));
        buf[1] = static_cast<unsigned char>(0x80 | (u & 0x3F));
        n = 2;
    } else if (u < 0x10000) {
        buf[0] = static_cast<unsigned char>(0xE0 | (u >> 12));
        buf[1] = static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F));
        buf[2] = static_cast<unsigned char>(0x80 | (u & 0x3F));
        n = 3;
    } else {
        buf[0] = static_cast<unsigned char>(0xF0 | ((u >> 18) & 0x07));
        buf[1] = static_cast<unsigned char>(0x80 | ((u >> 12) & 0x3F));
        buf[2] = static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F));
        buf[3] = static_cast<unsigned char>(0x80 | (u & 0x3F));
        n = 4;
    }
    if (pszUTF8) {
        for (int k = 0; k < n; ++k) pszUTF8[nUTF8Len + k] = static_cast<char>(buf[k]);
    }
    nUTF8Len += n;
}

int CNTXMLParse::DecodeCharUTF16(const MCD_CHAR*& pszUTF16, const MCD_CHAR* pszUTF16End) {
    int c = pszUTF16[0];
    if (c < 0xD800 || c > 0xDFFF) {
        ++pszUTF16;
        return c;
    }
    // Only a high surrogate followed by a low one is a pair; anything else would swallow the
    // next character.
    if (pszUTF16End && pszUTF16 + 1 >= pszUTF16End) return -1;
    int c2 = pszUTF16[1];
    if (!IsHighSurrogate(c) || !IsLowSurrogate(c2)) return -1;
    pszUTF16 += 2;
    return (((c & 0x3FF) << 10) | (c2 & 0x3FF)) + 0x10000;
}

void CNTXMLParse::EncodeCharUTF16(int nUChar, MCD_CHAR* pwszUTF16, int& nUTF16Len) {
    if (nUChar < 0x10000) {
        if (pwszUTF16) pwszUTF16[nUTF16Len] = static_cast<MCD_CHAR>(nUChar);
        ++nUTF16Len;
        return;
    }
    nUChar -= 0x10000;
    if (pwszUTF16) {
        pwszUTF16[nUTF16Len] = static_cast<MCD_CHAR>(0xD800 | ((nUChar >> 10) & 0x3FF));
        pwszUTF16[nUTF16Len + 1] = static_cast<MCD_CHAR>(0xDC00 | (nUChar & 0x3FF));
    }
    nUTF16Len += 2;
}

int CNTXMLParse::UTF8To16(MCD_CHAR* pwszUTF16, const char* pszUTF8, int nUTF8Count) {
    const char* p = pszUTF8;
    const char* pEnd = pszUTF8 + nUTF8Count;
    int nUnits = 0;
    while (p < pEnd) {
        const char* pChar = p;
        int nChar = DecodeCharUTF8(p, pEnd);
        if (nChar < 0 || nChar > 0x10FFFF) {
            nChar = '?';
            p = pChar + 1;
        }
        EncodeCharUTF16(nChar, pwszUTF16, nUnits);
        if (!nChar) break;
    }
    return pwszUTF16 ? static_cast<int>(p - pszUTF8) : nUnits;
}

int CNTXMLParse::UTF16To8(char* pszUTF8, const MCD_CHAR* pwszUTF16, int nUTF8Count) {
    int nBytes = 0;
    const MCD_CHAR* p = pwszUTF16;
    while (*p) {
        const MCD_CHAR* pChar = p;
        int nChar = DecodeCharUTF16(p, nullptr);
        if (nChar < 0) {
            nChar = '?';
            p = pChar + 1;
        }
        if (pszUTF8) {
            int nNeeded = nBytes;
            EncodeCharUTF8(nChar, nullptr, nNeeded);
            if (nNeeded > nUTF8Count) break;
        }
        EncodeCharUTF8(nChar, pszUTF8, nBytes);
    }
    if (pszUTF8 && nBytes < nUTF8Count) pszUTF8[nBytes] = 0;
    return nBytes;
}

namespace {

bool SameAsciiNoCase(const MCD_CHAR* p, int nLen, const char* psz) {
    int k = 0;
    for (; k < nLen && psz[k]; ++k) {
        if (AsciiLower(p[k]) != AsciiLower(static_cast<MCD_CHAR>(psz[k]))) return false;
    }
    return k == nLen && !psz[k];
}

// Value of the named attribute of a tag (names compared ignoring case); false when absent.
bool FindAttribNoCase(const MCD_CHAR* pDoc, const NodePos& node, const char* pszName,
                      int& nValueStart, int& nValueLen) {
    AttribScanner scan(pDoc, node.nStart, node.nLength);
    while (scan.Next()) {
        if (SameAsciiNoCase(pDoc + scan.NameStart(), scan.NameLen(), pszName)) {
            nValueStart = scan.ValueStart();
            nValueLen = scan.ValueLen();
            return true;
        }
    }
    return false;
}

// The token after "charset =" in a meta content value; false when there is no charset.
bool FindCharset(const MCD_CHAR* p, int nLen, MCD_STR& strCharset) {
    for (int i = 0; i + 7 <= nLen; ++i) {
        if (!SameAsciiNoCase(p + i, 7, "charset")) continue;
        int j = i + 7;
        while (j < nLen && IsSpace(p[j])) ++j;
        if (j >= nLen || p[j] != '=') continue;
        ++j;
        while (j < nLen && IsSpace(p[j])) ++j;
        int k = j;
        while (k < nLen && !IsSpace(p[k]) && p[k] != ';' && p[k] != '"' && p[k] != '\'') ++k;
        strCharset.assign(p + j, k - j);
        return true;
    }
    return false;
}

}  // namespace

MCD_STR CNTXMLParse::GetDeclaredEncoding(MCD_CSTR szDoc) {
    const MCD_CHAR* pDoc = szDoc.pcsz;
    if (!pDoc || !*pDoc) return MCD_STR();
    int nEnd = static_cast<int>(std::char_traits<MCD_CHAR>::length(pDoc));
    NodePos node;
    int nType = ScanNode(pDoc, nEnd, 0, node, nullptr);
    if (nType == NODE_PI && SameAsciiNoCase(pDoc + 2, NameLen(pDoc + 2, pDoc + nEnd), "xml")) {
        int nStart = 0, nLen = 0;
        if (!FindAttribNoCase(pDoc, node, "encoding", nStart, nLen)) return MCD_STR();
        return MCD_STR(pDoc + nStart, nLen);
    }
    bool bHtml = false;
    for (int nOffset = 0; nOffset < nEnd; nOffset += node.nLength) {
        nType = ScanNode(pDoc, nEnd, nOffset, node, nullptr);
        if (nType == NODE_ERROR) break;
        const MCD_CHAR* pName = pDoc + nOffset + (node.bEndTag ? 2 : 1);
        if (nType == NODE_LONE_END_TAG) {
            if (SameAsciiNoCase(pName, node.nNameLen, "head")) break;
            continue;
        }
        if (nType != NODE_ELEMENT) continue;
        if (!bHtml) {
            if (!SameAsciiNoCase(pName, node.nNameLen, "html")) break;
            bHtml = true;
            continue;
        }
        if (!SameAsciiNoCase(pName, node.nNameLen, "meta")) continue;
        int nEquivStart = 0, nEquivLen = 0, nContentStart = 0, nContentLen = 0;
        if (!FindAttribNoCase(pDoc, node, "http-equiv", nEquivStart, nEquivLen) ||
            !SameAsciiNoCase(pDoc + nEquivStart, nEquivLen, "content-type") ||
            !FindAttribNoCase(pDoc, node, "content", nContentStart, nContentLen)) {
            continue;
        }
        MCD_STR strCharset;
        FindCharset(pDoc + nContentStart, nContentLen, strCharset);
        return strCharset;
    }
    return MCD_STR();
}
