#pragma once

// Character classes, name comparison, the node scanner and the attribute scanner shared by the
// parser, navigation, reading and editing.

#include "common/xml/ntxmlparse.h"

namespace ntxml {

inline bool IsSpace(MCD_CHAR c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// A name in the document ends at whitespace or one of ! " ' / ; < = > ? backslash.
inline bool IsNameEnd(MCD_CHAR c) {
    switch (c) {
        case ' ':
        case '\t':
        case '\n':
        case '\r':
        case '!':
        case '"':
        case '\'':
        case '/':
        case ';':
        case '<':
        case '=':
        case '>':
        case '?':
        case '\\':
            return true;
        default:
            return false;
    }
}

// A name given by the caller ends at its NUL or at one of space / = [ ].
inline bool IsCallerNameEnd(MCD_CHAR c) {
    return c == 0 || c == ' ' || c == '/' || c == '=' || c == '[' || c == ']';
}

inline bool IsNameStart(MCD_CHAR c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c > 'z';
}

inline MCD_CHAR AsciiLower(MCD_CHAR c) { return (c >= 'A' && c <= 'Z') ? MCD_CHAR(c + 32) : c; }

int NameLen(const MCD_CHAR* p, const MCD_CHAR* pEnd);

// Compares a document name token with a caller's name (which must end right after it).
bool MatchName(const MCD_CHAR* pTok, int nTokLen, const MCD_CHAR* pszName, int nDocFlags);

// Compares two document name tokens.
bool SameName(const MCD_CHAR* pA, int nALen, const MCD_CHAR* pB, int nBLen, int nDocFlags);

struct NodePos {
    int nStart = 0;
    int nLength = 0;
    int nNodeType = 0;
    int nNameLen = 0;  // tag name length for start and end tags
    bool bEmptyElem = false;
    bool bEndTag = false;
};

// Classifies the node at nOffset (< nEnd). End tags come back as NODE_LONE_END_TAG with bEndTag
// set; malformed markup as NODE_ERROR with a record appended to pReport (when given).
int ScanNode(const MCD_CHAR* pDoc, int nEnd, int nOffset, NodePos& node, MCD_STR* pReport);

// Walks the attributes of a start tag or processing instruction.
class AttribScanner {
public:
    AttribScanner(const MCD_CHAR* pDoc, int nTagStart, int nTagLen);
    // False after the last attribute.
    bool Next();
    int NameStart() const { return m_nNameStart; }
    int NameLen() const { return m_nNameLen; }
    // Value without its quotes; ValueTokStart/End include the quotes.
    int ValueStart() const { return m_nValueStart; }
    int ValueLen() const { return m_nValueLen; }
    int ValueTokStart() const { return m_nValueTokStart; }
    int ValueTokEnd() const { return m_nValueTokEnd; }
    // End of the last name or value read (where a new attribute goes).
    int LastTokenEnd() const { return m_nLastEnd; }

private:
    const MCD_CHAR* m_pDoc;
    int m_nNext;
    int m_nEnd;
    int m_nNameStart = 0;
    int m_nNameLen = 0;
    int m_nValueStart = 0;
    int m_nValueLen = 0;
    int m_nValueTokStart = 0;
    int m_nValueTokEnd = 0;
    int m_nLastEnd = 0;
};

}  // namespace ntxml
