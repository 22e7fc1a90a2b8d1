#pragma once

// XML document held as one UTF-16 string plus an array of element records that index into it.
// The caller moves a (parent, main, child) position through the tree and reads or edits there;
// every edit splices the text and shifts the records, so no node objects are ever built.

#include <memory>
#include <string>

#include "common/ntapi.h"

#ifdef _WIN32
typedef wchar_t MCD_CHAR;
#define MCD_T(s) L##s
#else
typedef char16_t MCD_CHAR;
#define MCD_T(s) u##s
#endif
typedef std::basic_string<MCD_CHAR> MCD_STR;

// String argument: one pointer to a NUL-terminated UTF-16 string (null = none where allowed).
struct MCD_CSTR {
    MCD_CSTR() : pcsz(nullptr) {}
    MCD_CSTR(const MCD_CHAR* p) : pcsz(p) {}
    MCD_CSTR(const MCD_STR& s) : pcsz(s.c_str()) {}
    operator const MCD_CHAR*() const { return pcsz; }
    const MCD_CHAR* pcsz;
};

namespace ntxml {
class ElemPosArray;
class SavedPosMaps;
struct NodePos;
}  // namespace ntxml

class NT_API CNTXMLParse {
public:
    enum NodeType {
        NODE_ELEMENT = 0x1,
        NODE_TEXT = 0x2,
        NODE_WHITESPACE = 0x4,
        NODE_CDATA = 0x8,
        NODE_PI = 0x10,
        NODE_COMMENT = 0x20,
        NODE_DOCTYPE = 0x40,
        NODE_LONE_END_TAG = 0x80,
        NODE_ERROR = 0x8000
    };
    enum DocFlags {
        DOC_UTF16LE = 0x1,
        DOC_UTF8_BOM = 0x4,
        DOC_IGNORE_CASE = 0x8,
        DOC_READING = 0x10,
        DOC_WRITING = 0x20,
        DOC_APPEND = 0x40,
        DOC_UTF16BE = 0x80,
        DOC_TRIM_SPACE = 0x100,
        DOC_COLLAPSE_SPACE = 0x200
    };
    enum EditFlags {
        EDIT_CDATA = 0x1,
        EDIT_NO_LINES = 0x2,
        EDIT_XHTML_SPACE = 0x4,
        EDIT_REFS = 0x8,
        EDIT_NO_END = 0x10,
        EDIT_ESCAPE_QUOTES = 0x100,
        EDIT_INSERT = 0x2000,
        EDIT_CHILD = 0x4000
    };

    CNTXMLParse();
    explicit CNTXMLParse(MCD_CSTR szDoc);
    explicit CNTXMLParse(int nFlags);
    CNTXMLParse(const CNTXMLParse& other);
    CNTXMLParse& operator=(const CNTXMLParse& other);
    ~CNTXMLParse();

    // Document. SetDoc returns IsWellFormed() of the new document (null = empty document).
    bool SetDoc(const MCD_CHAR* szDoc);
    bool SetDoc(const MCD_STR& strDoc);
    const MCD_STR& GetDoc() const { return m_strDoc; }
    const MCD_STR& GetResult() const { return m_strResult; }
    // Text of the result report's records; empty when there is nothing to say.
    MCD_STR GetError() const;
    bool IsWellFormed() const;
    int GetDocFlags() const { return m_nDocFlags; }
    void SetDocFlags(int nFlags) {
        m_nDocFlags = nFlags & ~(DOC_READING | DOC_WRITING | DOC_APPEND);
    }
#ifdef _WIN32
    // False when the file cannot be read (report holds file_error), characters were lost in
    // decoding (conversion_loss; the decoded text is held all the same) or it is not well formed.
    bool Load(MCD_CSTR szFileName);
    // False when the file cannot be written or characters were lost in the conversion to the
    // declared encoding (the file is then written with replacements); the report says why.
    bool Save(MCD_CSTR szFileName);
#endif

    // Navigation: false (position unchanged) when there is nothing to move to.
    bool FindElem(MCD_CSTR szName = MCD_CSTR());
    bool FindChildElem(MCD_CSTR szName = MCD_CSTR());
    bool IntoElem();
    bool OutOfElem();
    void ResetPos();
    void ResetMainPos();
    void ResetChildPos();
    // Type of the node found (0 at the end of the parent, position unchanged then).
    int FindNode(int nType = 0);
    bool SavePos(MCD_CSTR szPosName = MCD_T(""), int nMap = 0);
    bool RestorePos(MCD_CSTR szPosName = MCD_T(""), int nMap = 0);
    // False when map nMap already exists.
    bool SetMapSize(int nSize, int nMap = 0);

    // Reading: empty strings when nothing is there.
    MCD_STR GetTagName() const;
    MCD_STR GetChildTagName() const;
    MCD_STR GetData() const;
    MCD_STR GetChildData() const;
    MCD_STR GetAttrib(MCD_CSTR szAttrib) const;
    MCD_STR GetChildAttrib(MCD_CSTR szAttrib) const;
    // False when there is no attribute n (counted from 0).
    bool GetNthAttrib(int n, MCD_STR& strAttrib, MCD_STR& strValue) const;
    MCD_STR GetAttribName(int n) const;
    MCD_STR GetElemContent() const;
    MCD_STR GetSubDoc() const;
    MCD_STR GetChildSubDoc() const;
    int GetNodeType() const { return m_nNodeType; }

    // Editing: false (document unchanged) when the position or the input does not allow it.
    bool AddElem(MCD_CSTR szName, MCD_CSTR szData = MCD_T(""), int nFlags = 0);
    bool AddElem(MCD_CSTR szName, int nValue, int nFlags = 0);
    bool InsertElem(MCD_CSTR szName, MCD_CSTR szData = MCD_T(""), int nFlags = 0);
    bool InsertElem(MCD_CSTR szName, int nValue, int nFlags = 0);
    bool AddChildElem(MCD_CSTR szName, MCD_CSTR szData = MCD_T(""), int nFlags = 0);
    bool AddChildElem(MCD_CSTR szName, int nValue, int nFlags = 0);
    bool InsertChildElem(MCD_CSTR szName, MCD_CSTR szData = MCD_T(""), int nFlags = 0);
    bool InsertChildElem(MCD_CSTR szName, int nValue, int nFlags = 0);
    bool AddAttrib(MCD_CSTR szAttrib, MCD_CSTR szValue);
    bool AddAttrib(MCD_CSTR szAttrib, int nValue);
    bool AddChildAttrib(MCD_CSTR szAttrib, MCD_CSTR szValue);
    bool AddChildAttrib(MCD_CSTR szAttrib, int nValue);
    bool SetAttrib(MCD_CSTR szAttrib, MCD_CSTR szValue, int nFlags = 0);
    bool SetAttrib(MCD_CSTR szAttrib, int nValue, int nFlags = 0);
    bool SetChildAttrib(MCD_CSTR szAttrib, MCD_CSTR szValue, int nFlags = 0);
    bool SetChildAttrib(MCD_CSTR szAttrib, int nValue, int nFlags = 0);
    bool SetData(MCD_CSTR szData, int nFlags = 0);
    bool SetData(int nValue);
    bool SetChildData(MCD_CSTR szData, int nFlags = 0);
    bool SetChildData(int nValue);
    // Content is replaced even when the markup is not well formed; the result says which.
    bool SetElemContent(MCD_CSTR szContent);
    bool AddSubDoc(MCD_CSTR szSubDoc);
    bool InsertSubDoc(MCD_CSTR szSubDoc);
    bool AddChildSubDoc(MCD_CSTR szSubDoc);
    bool InsertChildSubDoc(MCD_CSTR szSubDoc);
    bool AddNode(int nType, MCD_CSTR szText);
    bool InsertNode(int nType, MCD_CSTR szText);
    bool RemoveElem();
    bool RemoveChildElem();
    bool RemoveNode();

    // Escaping of text and attribute values (EDIT_ESCAPE_QUOTES, EDIT_REFS).
    static MCD_STR EscapeText(MCD_CSTR szText, int nFlags = 0);
    // Resolves character and entity references; DOC_TRIM_SPACE/DOC_COLLAPSE_SPACE in nFlags.
    static MCD_STR UnescapeText(MCD_CSTR szText, int nTextLength = -1, int nFlags = 0);

    // Encodings. DetectUTF8 is false at the first invalid sequence (*pbErrorAtEnd tells whether
    // the buffer end cut it).
    static bool DetectUTF8(const char* pText, int nTextLen, int* pnNonAsciiChars = nullptr,
                           bool* pbErrorAtEnd = nullptr);
    // -1 for an invalid or cut sequence; the cursor is advanced on success.
    static int DecodeCharUTF8(const char*& pszUTF8, const char* pszUTF8End = nullptr);
    static void EncodeCharUTF8(int nUChar, char* pszUTF8, int& nUTF8Len);
    // -1 for a surrogate without its partner; the cursor is advanced on success.
    static int DecodeCharUTF16(const MCD_CHAR*& pszUTF16, const MCD_CHAR* pszUTF16End = nullptr);
    static void EncodeCharUTF16(int nUChar, MCD_CHAR* pwszUTF16, int& nUTF16Len);
    // Units needed (null output) or bytes consumed (with output).
    static int UTF8To16(MCD_CHAR* pwszUTF16, const char* pszUTF8, int nUTF8Count);
    // Bytes written (or needed with a null output).
    static int UTF16To8(char* pszUTF8, const MCD_CHAR* pwszUTF16, int nUTF8Count);
    // Encoding named by the XML declaration or an HTML meta tag; empty when none.
    static MCD_STR GetDeclaredEncoding(MCD_CSTR szDoc);
    // Windows code page of an encoding name: 0 for empty, -1 when unknown, 65005 for "UTF-32".
    static int GetEncodingCodePage(MCD_CSTR pszEncoding);
#ifdef _WIN32
    // False when the file cannot be opened or read, is larger than 64 MiB, or when characters
    // could not be decoded (they are replaced); records in *pstrResult say what happened. Files
    // of 16- or 32-bit units are told by their mark or, without one, by the NULs around their
    // leading '<'.
    static bool ReadTextFile(MCD_CSTR szFileName, MCD_STR& strDoc, MCD_STR* pstrResult = nullptr,
                             int* pnDocFlags = nullptr, MCD_STR* pstrEncoding = nullptr);
    // False when the file cannot be opened or written, or the text not converted (an existing
    // file is then left as it was), or characters were replaced in the conversion.
    static bool WriteTextFile(MCD_CSTR szFileName, const MCD_STR& strDoc,
                              MCD_STR* pstrResult = nullptr, int* pnDocFlags = nullptr,
                              MCD_STR* pstrEncoding = nullptr);
#endif

    // Self-check: false when an element record disagrees with the document text.
    static bool Test(const CNTXMLParse& xml);

private:
    bool x_InTransfer() const { return (m_nDocFlags & (DOC_READING | DOC_WRITING)) != 0; }
    void x_InitArray(int nDocLength);
    void x_ParseDoc();
    int x_NewElem();
    void x_LinkElem(int iParent, int iAfter, int iNew);
    void x_UnlinkElem(int i);
    // Makes a just-inserted element the main (or child) position.
    void x_SetNewElemPos(int iNew, bool bChild);
    void x_ReleaseSubTree(int iTop, bool bIncludeSelf);
    void x_DiscardReleasedPositions();
    bool x_FindElem(int iParent, int iAfter, MCD_CSTR szName, int& iFound) const;
    int x_StartTagLen(int i) const;
    int x_EndTagLen(int i) const;
    int x_ContentStart(int i) const;
    int x_ContentEnd(int i) const;
    bool x_ContentScansClean(int i) const;
    MCD_STR x_GetTagName(int i) const;
    MCD_STR x_GetData(int i) const;
    MCD_STR x_GetAttrib(int nTagStart, int nTagLen, MCD_CSTR szAttrib) const;
    MCD_STR x_GetSubDoc(int i) const;
    bool x_CurrentTag(int& nStart, int& nLen, int& iElem) const;
    int x_TrailingSpaceEnd(int nOffset) const;
    void x_AdjustRecords(int nOffset, int nOldLen, int nNewLen, int iSkip);
    void x_Replace(int nOffset, int nOldLen, const MCD_STR& strNew, int iSkip);
    int x_SetContent(int i, const MCD_STR& strContent);
    bool x_Place(int nFlags, int iParent, int iRef, bool bNode, const MCD_STR& strMarkup,
                 int& nMarkupOffset, int& iPrev);
    bool x_AddElem(MCD_CSTR szName, MCD_CSTR szValue, int nFlags);
    bool x_AddElem(MCD_CSTR szName, int nValue, int nFlags);
    bool x_SetAttrib(bool bChild, MCD_CSTR szAttrib, MCD_CSTR szValue, int nFlags);
    bool x_SetData(int i, MCD_CSTR szData, int nFlags);
    bool x_SetNodeData(MCD_CSTR szData);
    bool x_AddSubDoc(MCD_CSTR szSubDoc, int nFlags);
    bool x_AddNode(int nType, MCD_CSTR szText, int nFlags);
    bool x_RemoveElem(int i, bool bChild);
    void x_SetPrevNode(int iMain, int nBefore);

    MCD_STR m_strDoc;
    MCD_STR m_strResult;
    int m_iPosParent;
    int m_iPos;
    int m_iPosChild;
    int m_iPosFree;
    int m_iPosDeleted;
    int m_nNodeType;
    int m_nNodeOffset;
    int m_nNodeLength;
    int m_nDocFlags;
    std::unique_ptr<ntxml::SavedPosMaps> m_pSavedPosMaps;
    std::unique_ptr<ntxml::ElemPosArray> m_pElemPosTree;
};
