// Reading and writing XML text files in any common encoding (Windows only: code pages).

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "common/xml/ntxmlparse.h"
#include "common/xml/ntxmlreport.h"

using namespace ntxml;

namespace {

const int kCodePointArray = 65005;  // 32-bit code points in memory ("UTF-32")
const int kUTF16LE = 1200;
const int kUTF16BE = 1201;
const int kUTF32LE = 12000;
const int kUTF32BE = 12001;
const int kMaxMessageLen = 100;
// Largest file read: its bytes, their copy and their UTF-16 form must each find room in one
// piece of a 32-bit process's address space.
const long long kMaxFileLen = 64LL << 20;

// How the bytes of a file hold its characters.
enum class Form { Bytes, Utf16LE, Utf16BE, Utf32LE, Utf32BE };

struct Bom {
    const unsigned char* pBytes;
    int nLen;
    const MCD_CHAR* pszEncoding;
    int nFlag;
    Form form;
};
const unsigned char kBomUTF8[] = {0xEF, 0xBB, 0xBF};
const unsigned char kBomUTF16LE[] = {0xFF, 0xFE};
const unsigned char kBomUTF16BE[] = {0xFE, 0xFF};
const unsigned char kBomUTF32LE[] = {0xFF, 0xFE, 0x00, 0x00};
const unsigned char kBomUTF32BE[] = {0x00, 0x00, 0xFE, 0xFF};
// The marks a document is written with, each named by a doc flag.
const Bom kBoms[] = {
    {kBomUTF8, 3, MCD_T("UTF-8"), CNTXMLParse::DOC_UTF8_BOM, Form::Bytes},
    {kBomUTF16LE, 2, MCD_T("UTF-16LE"), CNTXMLParse::DOC_UTF16LE, Form::Utf16LE},
    {kBomUTF16BE, 2, MCD_T("UTF-16BE"), CNTXMLParse::DOC_UTF16BE, Form::Utf16BE},
};
// Marks of 32-bit files, recognised when reading; the first must be tried before FF FE.
const Bom kBoms32[] = {
    {kBomUTF32LE, 4, MCD_T("UTF-32LE"), 0, Form::Utf32LE},
    {kBomUTF32BE, 4, MCD_T("UTF-32BE"), 0, Form::Utf32BE},
};
const int kTransferFlags =
    CNTXMLParse::DOC_READING | CNTXMLParse::DOC_WRITING | CNTXMLParse::DOC_APPEND;

// Owns the C runtime file of one transfer.
class FileOwner {
public:
    explicit FileOwner(FILE* pFile) : m_pFile(pFile) {}
    FileOwner(const FileOwner&) = delete;
    FileOwner& operator=(const FileOwner&) = delete;
    ~FileOwner() {
        if (m_pFile) fclose(m_pFile);
    }
    FILE* Get() const { return m_pFile; }
    bool Close() {
        FILE* pFile = m_pFile;
        m_pFile = nullptr;
        return fclose(pFile) == 0;
    }

private:
    FILE* m_pFile;
};

void AddFileError(MCD_STR& strReport, DWORD dwError) {
    MCD_STR strMsg;
    wchar_t* pszMsg = nullptr;
    DWORD nLen = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, dwError, 0, reinterpret_cast<wchar_t*>(&pszMsg), 0, nullptr);
    if (nLen && pszMsg) {
        strMsg.assign(pszMsg, nLen);
        LocalFree(pszMsg);
    }
    size_t nCut = strMsg.find_first_of(MCD_T("\r\n"));
    if (nCut != MCD_STR::npos) strMsg.resize(nCut);
    if (strMsg.size() > static_cast<size_t>(kMaxMessageLen)) strMsg.resize(kMaxMessageLen);
    if (strMsg.empty()) strMsg = MCD_T("error ") + NumToStr(dwError);
    ResultRecord(MCD_T("file_error"))
        .Attr(MCD_T("msg"), strMsg)
        .Attr(MCD_T("n"), static_cast<long long>(dwError))
        .AppendTo(&strReport);
}

void AddFileError(MCD_STR& strReport) {
    DWORD dwError = GetLastError();
    AddFileError(strReport, dwError ? dwError : static_cast<DWORD>(ERROR_GEN_FAILURE));
}

void AddLengthRecord(MCD_STR& strReport, const MCD_CHAR* pszRecord, const MCD_STR& strEncoding,
                     long long nLength) {
    ResultRecord record(pszRecord);
    if (!strEncoding.empty()) record.Attr(MCD_T("encoding"), strEncoding);
    record.Attr(MCD_T("length"), nLength).AppendTo(&strReport);
}

int CodePageOf(const MCD_STR& strEncoding) {
    int nCodePage = CNTXMLParse::GetEncodingCodePage(strEncoding);
    return nCodePage < 0 ? 0 : nCodePage;
}

// Code pages for which Windows refuses the lost-character query.
bool AllowsLossQuery(int nCodePage) {
    switch (nCodePage) {
        case 50220:
        case 50221:
        case 50222:
        case 50225:
        case 50227:
        case 50229:
        case 52936:
        case 54936:
        case 65000:
        case 65001:
            return false;
        default:
            return nCodePage < 57002 || nCodePage > 57011;
    }
}

// Code pages whose decoder must be called without the invalid-character check.
bool AllowsStrictDecode(int nCodePage) {
    switch (nCodePage) {
        case 42:
        case 50220:
        case 50221:
        case 50222:
        case 50225:
        case 50227:
        case 50229:
        case 52936:
        case 65000:
            return false;
        default:
            return nCodePage < 57002 || nCodePage > 57011;
    }
}

// Bytes in code page nCodePage to UTF-16; false when the platform cannot convert them. Bytes
// that are no character there are replaced and counted in nLost.
bool BytesToUTF16(int nCodePage, const std::string& strBytes, MCD_STR& strOut, int& nLost) {
    strOut.clear();
    nLost = 0;
    if (strBytes.empty()) return true;
    if (strBytes.size() > static_cast<size_t>(INT_MAX)) return false;
    int nBytes = static_cast<int>(strBytes.size());
    DWORD dwFlags = AllowsStrictDecode(nCodePage) ? MB_ERR_INVALID_CHARS : 0;
    int nUnits = MultiByteToWideChar(nCodePage, dwFlags, strBytes.data(), nBytes, nullptr, 0);
    if (nUnits <= 0 && dwFlags && GetLastError() == ERROR_NO_UNICODE_TRANSLATION) {
        nLost = 1;
        dwFlags = 0;
        nUnits = MultiByteToWideChar(nCodePage, 0, strBytes.data(), nBytes, nullptr, 0);
    }
    if (nUnits <= 0) return false;
    strOut.resize(nUnits);
    return MultiByteToWideChar(nCodePage, dwFlags, strBytes.data(), nBytes, &strOut[0], nUnits) ==
           nUnits;
}

// 32-bit units to UTF-16. NUL characters are dropped and counted in nNulls; units that are no
// character, and bytes left over at the end, become '?' and are counted in nLost.
void UTF32ToUTF16(const std::string& strBytes, bool bBigEndian, MCD_STR& strOut, int& nNulls,
                  int& nLost) {
    strOut.clear();
    nNulls = nLost = 0;
    size_t nWhole = strBytes.size() / 4 * 4;
    for (size_t i = 0; i < nWhole; i += 4) {
        unsigned long u = 0;
        for (int k = 0; k < 4; ++k) {
            int nShift = bBigEndian ? 8 * (3 - k) : 8 * k;
            u |= static_cast<unsigned long>(static_cast<unsigned char>(strBytes[i + k])) << nShift;
        }
        if (!u) {
            ++nNulls;
            continue;
        }
        if (u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) {
            u = '?';
            ++nLost;
        }
        int nLen = 0;
        MCD_CHAR units[2];
        CNTXMLParse::EncodeCharUTF16(static_cast<int>(u), units, nLen);
        strOut.append(units, nLen);
    }
    if (nWhole != strBytes.size()) {
        strOut += MCD_CHAR('?');
        ++nLost;
    }
}

// UTF-16 units as bytes in the given byte order.
std::string UnitsToBytes(const MCD_STR& strUnits, bool bBigEndian) {
    std::string strBytes(strUnits.size() * 2, '\0');
    for (size_t i = 0; i < strUnits.size(); ++i) {
        char cLow = static_cast<char>(strUnits[i] & 0xFF);
        char cHigh = static_cast<char>((strUnits[i] >> 8) & 0xFF);
        strBytes[2 * i] = bBigEndian ? cHigh : cLow;
        strBytes[2 * i + 1] = bBigEndian ? cLow : cHigh;
    }
    return strBytes;
}

// UTF-16 bytes to units; a byte left over at the end is counted in nLost.
MCD_STR BytesToUnits(const std::string& strBytes, bool bBigEndian, int& nLost) {
    MCD_STR strUnits(strBytes.size() / 2, 0);
    for (size_t i = 0; i < strUnits.size(); ++i) {
        unsigned char c0 = static_cast<unsigned char>(strBytes[2 * i]);
        unsigned char c1 = static_cast<unsigned char>(strBytes[2 * i + 1]);
        strUnits[i] = static_cast<MCD_CHAR>(bBigEndian ? (c0 << 8) | c1 : (c1 << 8) | c0);
    }
    nLost = strBytes.size() % 2 ? 1 : 0;
    return strUnits;
}

Form FormOfCodePage(int nCodePage) {
    switch (nCodePage) {
        case kUTF16LE:
            return Form::Utf16LE;
        case kUTF16BE:
            return Form::Utf16BE;
        case kUTF32LE:
        case kCodePointArray:
            return Form::Utf32LE;
        case kUTF32BE:
            return Form::Utf32BE;
        default:
            return Form::Bytes;
    }
}

const MCD_CHAR* FormName(Form form) {
    switch (form) {
        case Form::Utf16LE:
            return MCD_T("UTF-16LE");
        case Form::Utf16BE:
            return MCD_T("UTF-16BE");
        case Form::Utf32LE:
            return MCD_T("UTF-32LE");
        case Form::Utf32BE:
            return MCD_T("UTF-32BE");
        default:
            return MCD_T("");
    }
}

const Bom* FindBom(const std::string& strBytes) {
    for (const Bom* pBom : {&kBoms32[0], &kBoms32[1], &kBoms[0], &kBoms[1], &kBoms[2]}) {
        if (strBytes.size() >= static_cast<size_t>(pBom->nLen) &&
            strBytes.compare(0, pBom->nLen, reinterpret_cast<const char*>(pBom->pBytes),
                             pBom->nLen) == 0) {
            return pBom;
        }
    }
    return nullptr;
}

// The form of a file without a mark, told by the NULs around the '<' that an XML text starts
// with; false when the file does not start with '<' in any form.
bool SniffForm(const std::string& strBytes, Form& form) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(strBytes.data());
    size_t n = strBytes.size();
    if (n >= 4 && p[0] == '<' && !p[1] && !p[2] && !p[3]) {
        form = Form::Utf32LE;
    } else if (n >= 4 && !p[0] && !p[1] && !p[2] && p[3] == '<') {
        form = Form::Utf32BE;
    } else if (n >= 2 && p[0] == '<' && !p[1]) {
        form = Form::Utf16LE;
    } else if (n >= 2 && !p[0] && p[1] == '<') {
        form = Form::Utf16BE;
    } else if (n >= 2 && p[0] == '<') {
        form = Form::Bytes;
    } else {
        return false;
    }
    return true;
}

// UTF-16 to code page nCodePage; counts characters that had to be replaced.
bool UTF16ToBytes(int nCodePage, const MCD_STR& strText, std::string& strOut, int& nLost) {
    strOut.clear();
    nLost = 0;
    Form form = FormOfCodePage(nCodePage);
    if (form == Form::Utf16LE || form == Form::Utf16BE) {
        strOut = UnitsToBytes(strText, form == Form::Utf16BE);
        return true;
    }
    if (form == Form::Utf32LE || form == Form::Utf32BE) {
        const MCD_CHAR* p = strText.c_str();
        const MCD_CHAR* pEnd = p + strText.size();
        while (p < pEnd) {
            const MCD_CHAR* pChar = p;
            int nChar = CNTXMLParse::DecodeCharUTF16(p, pEnd);
            if (nChar < 0) {
                nChar = '?';
                ++nLost;
                p = pChar + 1;
            }
            for (int k = 0; k < 4; ++k) {
                int nShift = form == Form::Utf32BE ? 8 * (3 - k) : 8 * k;
                strOut += static_cast<char>((nChar >> nShift) & 0xFF);
            }
        }
        return true;
    }
    if (strText.empty()) return true;
    int nUnits = static_cast<int>(strText.size());
    BOOL bUsedDefault = FALSE;
    BOOL* pbUsedDefault = AllowsLossQuery(nCodePage) ? &bUsedDefault : nullptr;
    int nBytes =
        WideCharToMultiByte(nCodePage, 0, strText.data(), nUnits, nullptr, 0, nullptr, nullptr);
    if (nBytes <= 0) return false;
    strOut.resize(nBytes);
    if (WideCharToMultiByte(nCodePage, 0, strText.data(), nUnits, &strOut[0], nBytes, nullptr,
                            pbUsedDefault) != nBytes) {
        return false;
    }
    if (bUsedDefault) nLost = 1;
    return true;
}

void AddLossRecord(MCD_STR& strReport, int nLost) {
    if (nLost) ResultRecord(MCD_T("conversion_loss")).AppendTo(&strReport);
}

void AddNullsRecord(MCD_STR& strReport, size_t nNulls) {
    if (!nNulls) return;
    ResultRecord(MCD_T("nulls_removed"))
        .Attr(MCD_T("count"), static_cast<long long>(nNulls))
        .AppendTo(&strReport);
}

}  // namespace

bool CNTXMLParse::ReadTextFile(MCD_CSTR szFileName, MCD_STR& strDoc, MCD_STR* pstrResult,
                               int* pnDocFlags, MCD_STR* pstrEncoding) {
    MCD_STR strReport;
    int nFlags = (pnDocFlags ? *pnDocFlags : 0) | DOC_READING;
    MCD_STR strEncoding;
    Form form = Form::Bytes;
    bool bFixed = false;  // the file's own bytes say it holds 16- or 32-bit units
    bool bOk = true;
    strDoc.clear();
    FILE* pFile = szFileName.pcsz ? _wfopen(szFileName.pcsz, L"rb") : nullptr;
    if (!pFile) {
        AddFileError(strReport);
        bOk = false;
    } else {
        FileOwner file(pFile);
        long long nFileLen = -1;
        if (_fseeki64(pFile, 0, SEEK_END) == 0) nFileLen = _ftelli64(pFile);
        std::string strBytes;
        if (nFileLen < 0 || nFileLen > kMaxFileLen || _fseeki64(pFile, 0, SEEK_SET) != 0) {
            AddFileError(strReport, nFileLen > kMaxFileLen ? ERROR_FILE_TOO_LARGE : GetLastError());
            bOk = false;
            nFileLen = 0;
        }
        if (nFileLen > 0) {
            strBytes.resize(static_cast<size_t>(nFileLen));
            if (fread(&strBytes[0], 1, strBytes.size(), pFile) != strBytes.size()) {
                AddFileError(strReport);
                bOk = false;
                strBytes.clear();
            }
        }
        size_t nBom = 0;
        bool bSniffed = false;
        if (!strBytes.empty()) {
            nFlags &= ~(DOC_UTF16LE | DOC_UTF8_BOM);
            if (const Bom* pBom = FindBom(strBytes)) {
                // The mark decides the byte order, whatever the caller assumed.
                nFlags = (nFlags & ~DOC_UTF16BE) | pBom->nFlag;
                strEncoding = pBom->pszEncoding;
                form = pBom->form;
                nBom = pBom->nLen;
                ResultRecord(MCD_T("bom")).AppendTo(&strReport);
            } else {
                bSniffed = SniffForm(strBytes, form);
                // What the file shows overrides a byte order the caller assumed.
                if (bSniffed && form != Form::Utf16BE) nFlags &= ~DOC_UTF16BE;
            }
            bFixed = form != Form::Bytes;
            if (bFixed && !nBom) strEncoding = FormName(form);
            if (!bFixed && !nBom) {
                int nHead = static_cast<int>(strBytes.size() < 1024 ? strBytes.size() : 1024);
                MCD_STR strHead(UTF8To16(nullptr, strBytes.data(), nHead), 0);
                UTF8To16(&strHead[0], strBytes.data(), nHead);
                strEncoding = GetDeclaredEncoding(strHead.c_str());
                if (strEncoding.empty() && strBytes[0] == '<') strEncoding = MCD_T("UTF-8");
            }
        }
        if (!nBom && !bSniffed && (nFlags & DOC_UTF16BE)) {
            // The caller says the file is big-endian UTF-16 without a mark.
            form = Form::Utf16BE;
            bFixed = true;
            strEncoding = FormName(form);
        }
        if (!bFixed && pstrEncoding && !pstrEncoding->empty()) {
            strEncoding = *pstrEncoding;
            form = FormOfCodePage(CodePageOf(strEncoding));
        }
        std::string strRest = strBytes.substr(nBom);
        int nLost = 0;
        if (bOk && strRest.empty()) {
            AddLengthRecord(strReport, MCD_T("read"), strEncoding, 0);
        } else if (bOk && (form == Form::Utf16LE || form == Form::Utf16BE)) {
            MCD_STR strUnits = BytesToUnits(strRest, form == Form::Utf16BE, nLost);
            AddLengthRecord(strReport, MCD_T("read"), strEncoding,
                            static_cast<long long>(strUnits.size()));
            size_t nBefore = strUnits.size();
            strUnits.erase(std::remove(strUnits.begin(), strUnits.end(), MCD_CHAR(0)),
                           strUnits.end());
            AddNullsRecord(strReport, nBefore - strUnits.size());
            if (form == Form::Utf16BE) ResultRecord(MCD_T("endian_swap")).AppendTo(&strReport);
            AddLossRecord(strReport, nLost);
            strDoc.swap(strUnits);
        } else if (bOk && (form == Form::Utf32LE || form == Form::Utf32BE)) {
            int nNulls = 0;
            UTF32ToUTF16(strRest, form == Form::Utf32BE, strDoc, nNulls, nLost);
            AddLengthRecord(strReport, MCD_T("read"), strEncoding,
                            static_cast<long long>(strRest.size()));
            AddNullsRecord(strReport, nNulls);
            AddLengthRecord(strReport, MCD_T("converted_to"), MCD_T("UTF-16"),
                            static_cast<long long>(strDoc.size()));
            AddLossRecord(strReport, nLost);
        } else if (bOk) {
            size_t nRead = strRest.size();
            strRest.erase(std::remove(strRest.begin(), strRest.end(), '\0'), strRest.end());
            bool bDetected = false;
            if (strEncoding.empty()) {
                bDetected = true;
                if (DetectUTF8(strRest.data(), static_cast<int>(strRest.size()))) {
                    strEncoding = MCD_T("UTF-8");
                }
            }
            AddLengthRecord(strReport, MCD_T("read"), strEncoding, static_cast<long long>(nRead));
            AddNullsRecord(strReport, nRead - strRest.size());
            int nCodePage = CodePageOf(strEncoding);
            // A declaration naming a 16- or 32-bit form in a file without the NULs of one was
            // evidently written as 8-bit text (it could be read as such).
            if (FormOfCodePage(nCodePage) != Form::Bytes) nCodePage = CP_UTF8;
            if (BytesToUTF16(nCodePage, strRest, strDoc, nLost)) {
                AddLengthRecord(strReport, MCD_T("converted_to"), MCD_T("UTF-16"),
                                static_cast<long long>(strDoc.size()));
                AddLossRecord(strReport, nLost);
            } else {
                AddFileError(strReport);
                bOk = false;
            }
            if (bDetected) ResultRecord(MCD_T("utf8_detection")).AppendTo(&strReport);
        }
        // A text that was not decoded as what it is must not pass for the file's content.
        if (nLost) bOk = false;
        if (!file.Close()) {
            AddFileError(strReport);
            bOk = false;
        }
    }
    if (pstrResult) *pstrResult = strReport;
    if (pnDocFlags) *pnDocFlags = nFlags & ~kTransferFlags;
    if (pstrEncoding && (bFixed || pstrEncoding->empty())) *pstrEncoding = strEncoding;
    return bOk;
}

bool CNTXMLParse::WriteTextFile(MCD_CSTR szFileName, const MCD_STR& strDoc, MCD_STR* pstrResult,
                                int* pnDocFlags, MCD_STR* pstrEncoding) {
    MCD_STR strReport;
    int nFlags = (pnDocFlags ? *pnDocFlags : 0) | DOC_WRITING;
    MCD_STR strEncoding;
    const Bom* pBom = nullptr;
    for (const Bom& bom : kBoms) {
        if (nFlags & bom.nFlag) {
            pBom = &bom;
            break;
        }
    }
    if (!pBom && !strDoc.empty()) {
        strEncoding = GetDeclaredEncoding(strDoc.c_str());
        if (strEncoding.empty()) strEncoding = MCD_T("UTF-8");
        if (!(pstrEncoding && !pstrEncoding->empty())) {
            // A document that declares UTF-16 is written as UTF-16 with its mark.
            Form form = FormOfCodePage(CodePageOf(strEncoding));
            if (form == Form::Utf16LE) pBom = &kBoms[1];
            if (form == Form::Utf16BE) pBom = &kBoms[2];
            if (pBom) nFlags |= pBom->nFlag;
        }
    }
    bool bUnits = pBom && pBom->form != Form::Bytes;
    if (pBom) strEncoding = pBom->pszEncoding;
    if (!bUnits && pstrEncoding && !pstrEncoding->empty()) strEncoding = *pstrEncoding;

    // The text is converted before the file is opened, so that a text that cannot be converted
    // leaves an existing file as it was.
    MCD_STR strConversion;  // records of the conversion, which follow the mark's
    std::string strBytes;
    long long nWritten = 0;
    bool bOk = true;
    bool bLost = false;  // written, but not every character survived: the caller must know
    if (bUnits) {
        bool bBigEndian = pBom->form == Form::Utf16BE;
        if (bBigEndian && !strDoc.empty()) {
            ResultRecord(MCD_T("endian_swap")).AppendTo(&strConversion);
        }
        strBytes = UnitsToBytes(strDoc, bBigEndian);
        nWritten = static_cast<long long>(strDoc.size());
    } else if (!strDoc.empty()) {
        int nLost = 0;
        if (UTF16ToBytes(CodePageOf(strEncoding), strDoc, strBytes, nLost)) {
            AddLengthRecord(strConversion, MCD_T("converted_from"), MCD_T("UTF-16"),
                            static_cast<long long>(strDoc.size()));
            AddLossRecord(strConversion, nLost);
            bLost = nLost != 0;
            nWritten = static_cast<long long>(strBytes.size());
        } else {
            AddFileError(strReport);
            bOk = false;
        }
    }

    bool bAppend = (nFlags & DOC_APPEND) != 0;
    FILE* pFile =
        !bOk || !szFileName.pcsz ? nullptr : _wfopen(szFileName.pcsz, bAppend ? L"ab" : L"wb");
    if (bOk && !pFile) {
        AddFileError(strReport);
        bOk = false;
    } else if (pFile) {
        FileOwner file(pFile);
        long long nExisting = 0;
        if (bAppend && _fseeki64(pFile, 0, SEEK_END) == 0) nExisting = _ftelli64(pFile);
        if (pBom && nExisting == 0) {
            if (fwrite(pBom->pBytes, 1, pBom->nLen, pFile) != static_cast<size_t>(pBom->nLen)) {
                AddFileError(strReport);
                bOk = false;
            }
            ResultRecord(MCD_T("bom")).AppendTo(&strReport);
        }
        strReport += strConversion;
        if (bOk && fwrite(strBytes.data(), 1, strBytes.size(), pFile) == strBytes.size()) {
            AddLengthRecord(strReport, MCD_T("write"), strEncoding, nWritten);
        } else if (bOk) {
            AddFileError(strReport);
            bOk = false;
        }
        if (!file.Close()) {
            AddFileError(strReport);
            bOk = false;
        }
    }
    if (pstrResult) *pstrResult = strReport;
    if (pnDocFlags) *pnDocFlags = nFlags & ~kTransferFlags;
    if (pstrEncoding && (bUnits || pstrEncoding->empty())) *pstrEncoding = strEncoding;
    return bOk && !bLost;
}

bool CNTXMLParse::Load(MCD_CSTR szFileName) {
    if (x_InTransfer()) return false;
    int nFlags = m_nDocFlags;
    bool bRead = ReadTextFile(szFileName, m_strDoc, &m_strResult, &nFlags, nullptr);
    m_nDocFlags = nFlags;
    if (!bRead && m_strDoc.empty()) {
        // The document is empty now; its records must not describe the old text.
        x_InitArray(0);
        return false;
    }
    // A text decoded with losses is parsed too, so that the records describe what is held; the
    // result still says that it is not the file's content.
    x_ParseDoc();
    return bRead && IsWellFormed();
}

bool CNTXMLParse::Save(MCD_CSTR szFileName) {
    if (x_InTransfer()) return false;
    int nFlags = m_nDocFlags;
    bool bWritten = WriteTextFile(szFileName, m_strDoc, &m_strResult, &nFlags, nullptr);
    m_nDocFlags = nFlags;
    return bWritten;
}
