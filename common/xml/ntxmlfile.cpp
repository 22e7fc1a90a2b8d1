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

struct Bom {
    const unsigned char* pBytes;
    int nLen;
    const MCD_CHAR* pszEncoding;
    int nFlag;
};
const unsigned char kBomUTF8[] = {0xEF, 0xBB, 0xBF};
const unsigned char kBomUTF16LE[] = {0xFF, 0xFE};
const unsigned char kBomUTF16BE[] = {0xFE, 0xFF};
const Bom kBoms[] = {
    {kBomUTF8, 3, MCD_T("UTF-8"), CNTXMLParse::DOC_UTF8_BOM},
    {kBomUTF16LE, 2, MCD_T("UTF-16LE"), CNTXMLParse::DOC_UTF16LE},
    {kBomUTF16BE, 2, MCD_T("UTF-16BE"), CNTXMLParse::DOC_UTF16BE},
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

// Bytes in code page nCodePage to UTF-16; false when the platform cannot convert them.
bool BytesToUTF16(int nCodePage, const std::string& strBytes, MCD_STR& strOut) {
    strOut.clear();
    if (strBytes.empty()) return true;
    if (strBytes.size() > static_cast<size_t>(INT_MAX)) return false;
    int nBytes = static_cast<int>(strBytes.size());
    int nUnits = MultiByteToWideChar(nCodePage, 0, strBytes.data(), nBytes, nullptr, 0);
    if (nUnits <= 0) return false;
    strOut.resize(nUnits);
    return MultiByteToWideChar(nCodePage, 0, strBytes.data(), nBytes, &strOut[0], nUnits) == nUnits;
}

// UTF-16 to code page nCodePage; counts characters that had to be replaced.
bool UTF16ToBytes(int nCodePage, const MCD_STR& strText, std::string& strOut, int& nLost) {
    strOut.clear();
    nLost = 0;
    if (nCodePage == kCodePointArray || nCodePage == kUTF32LE || nCodePage == kUTF32BE) {
        const MCD_CHAR* p = strText.c_str();
        const MCD_CHAR* pEnd = p + strText.size();
        while (p < pEnd) {
            const MCD_CHAR* pChar = p;
            int nChar = CNTXMLParse::DecodeCharUTF16(p, pEnd);
            if (nChar < 0) {
                nChar = '?';
                p = pChar + 1;
            }
            for (int k = 0; k < 4; ++k) {
                int nShift = nCodePage == kUTF32BE ? 8 * (3 - k) : 8 * k;
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

void SwapUnits(MCD_STR& str) {
    for (MCD_CHAR& c : str) c = static_cast<MCD_CHAR>(((c & 0xFF) << 8) | ((c >> 8) & 0xFF));
}

}  // namespace

bool CNTXMLParse::ReadTextFile(MCD_CSTR szFileName, MCD_STR& strDoc, MCD_STR* pstrResult,
                               int* pnDocFlags, MCD_STR* pstrEncoding) {
    MCD_STR strReport;
    int nFlags = (pnDocFlags ? *pnDocFlags : 0) | DOC_READING;
    MCD_STR strEncoding;
    int nUnitSize = 1;
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
        if (nFileLen < 0 || nFileLen >= INT_MAX || _fseeki64(pFile, 0, SEEK_SET) != 0) {
            AddFileError(strReport, nFileLen >= INT_MAX ? ERROR_FILE_TOO_LARGE : GetLastError());
            bOk = false;
            nFileLen = 0;
        }
        size_t nBom = 0;
        if (nFileLen > 0) {
            strBytes.resize(static_cast<size_t>(nFileLen));
            if (fread(&strBytes[0], 1, strBytes.size(), pFile) != strBytes.size()) {
                AddFileError(strReport);
                bOk = false;
                strBytes.clear();
            }
        }
        if (!strBytes.empty()) {
            nFlags &= ~(DOC_UTF16LE | DOC_UTF8_BOM);
            for (const Bom& bom : kBoms) {
                if (strBytes.size() >= static_cast<size_t>(bom.nLen) &&
                    strBytes.compare(0, bom.nLen, reinterpret_cast<const char*>(bom.pBytes),
                                     bom.nLen) == 0) {
                    // The mark decides the byte order, whatever the caller assumed.
                    nFlags = (nFlags & ~DOC_UTF16BE) | bom.nFlag;
                    strEncoding = bom.pszEncoding;
                    nUnitSize = bom.nLen == 2 ? 2 : 1;
                    nBom = bom.nLen;
                    ResultRecord(MCD_T("bom")).AppendTo(&strReport);
                    break;
                }
            }
            if (!nBom) {
                int nHead = static_cast<int>(strBytes.size() < 1024 ? strBytes.size() : 1024);
                MCD_STR strHead(UTF8To16(nullptr, strBytes.data(), nHead), 0);
                UTF8To16(&strHead[0], strBytes.data(), nHead);
                strEncoding = GetDeclaredEncoding(strHead.c_str());
                if (strEncoding.empty() && strBytes[0] == '<') strEncoding = MCD_T("UTF-8");
            }
        }
        if (!(nFlags & (DOC_UTF16LE | DOC_UTF16BE))) nUnitSize = 1;
        if ((nFlags & DOC_UTF16BE) && !nBom) {
            nUnitSize = 2;  // the caller says the file is big-endian UTF-16 without a mark
            strEncoding = MCD_T("UTF-16BE");
        }
        if (nUnitSize == 1 && pstrEncoding && !pstrEncoding->empty()) strEncoding = *pstrEncoding;
        std::string strRest = strBytes.substr(nBom);
        if (bOk && strRest.empty()) {
            AddLengthRecord(strReport, MCD_T("read"), strEncoding, 0);
        } else if (bOk && nUnitSize == 2) {
            MCD_STR strUnits(strRest.size() / 2, 0);
            for (size_t i = 0; i < strUnits.size(); ++i) {
                strUnits[i] =
                    static_cast<MCD_CHAR>(static_cast<unsigned char>(strRest[2 * i]) |
                                          (static_cast<unsigned char>(strRest[2 * i + 1]) << 8));
            }
            AddLengthRecord(strReport, MCD_T("read"), strEncoding,
                            static_cast<long long>(strUnits.size()));
            size_t nBefore = strUnits.size();
            strUnits.erase(std::remove(strUnits.begin(), strUnits.end(), MCD_CHAR(0)),
                           strUnits.end());
            if (nBefore != strUnits.size()) {
                ResultRecord(MCD_T("nulls_removed"))
                    .Attr(MCD_T("count"), static_cast<long long>(nBefore - strUnits.size()))
                    .AppendTo(&strReport);
            }
            if (nFlags & DOC_UTF16BE) {
                SwapUnits(strUnits);
                ResultRecord(MCD_T("endian_swap")).AppendTo(&strReport);
            }
            strDoc.swap(strUnits);
        } else if (bOk) {
            size_t nRead = strRest.size();
            strRest.erase(std::remove(strRest.begin(), strRest.end(), '\0'), strRest.end());
            size_t nNulls = nRead - strRest.size();
            bool bDetected = false;
            if (strEncoding.empty()) {
                bDetected = true;
                if (DetectUTF8(strRest.data(), static_cast<int>(strRest.size()))) {
                    strEncoding = MCD_T("UTF-8");
                }
            }
            AddLengthRecord(strReport, MCD_T("read"), strEncoding, static_cast<long long>(nRead));
            if (nNulls) {
                ResultRecord(MCD_T("nulls_removed"))
                    .Attr(MCD_T("count"), static_cast<long long>(nNulls))
                    .AppendTo(&strReport);
            }
            int nCodePage = CodePageOf(strEncoding);
            // A byte file whose declaration names a 16- or 32-bit form was evidently written as
            // 8-bit text (its declaration could be read as such).
            if (nCodePage == kUTF16LE || nCodePage == kUTF16BE || nCodePage == kUTF32LE ||
                nCodePage == kUTF32BE || nCodePage == kCodePointArray) {
                nCodePage = CP_UTF8;
            }
            if (BytesToUTF16(nCodePage, strRest, strDoc)) {
                AddLengthRecord(strReport, MCD_T("converted_to"), MCD_T("UTF-16"),
                                static_cast<long long>(strDoc.size()));
            } else {
                AddFileError(strReport);
                bOk = false;
            }
            if (bDetected) ResultRecord(MCD_T("utf8_detection")).AppendTo(&strReport);
        }
        if (!file.Close()) {
            AddFileError(strReport);
            bOk = false;
        }
    }
    if (pstrResult) *pstrResult = strReport;
    if (pnDocFlags) *pnDocFlags = nFlags & ~kTransferFlags;
    if (pstrEncoding && (nUnitSize != 1 || pstrEncoding->empty())) *pstrEncoding = strEncoding;
    return bOk;
}

bool CNTXMLParse::WriteTextFile(MCD_CSTR szFileName, const MCD_STR& strDoc, MCD_STR* pstrResult,
                                int* pnDocFlags, MCD_STR* pstrEncoding) {
    MCD_STR strReport;
    int nFlags = (pnDocFlags ? *pnDocFlags : 0) | DOC_WRITING;
    MCD_STR strEncoding;
    int nUnitSize = 1;
    bool bOk = true;
    bool bAppend = (nFlags & DOC_APPEND) != 0;
    FILE* pFile = szFileName.pcsz ? _wfopen(szFileName.pcsz, bAppend ? L"ab" : L"wb") : nullptr;
    if (!pFile) {
        AddFileError(strReport);
        bOk = false;
    } else {
        FileOwner file(pFile);
        long long nExisting = 0;
        if (bAppend && _fseeki64(pFile, 0, SEEK_END) == 0) nExisting = _ftelli64(pFile);
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
                int nCodePage = CodePageOf(strEncoding);
                if (nCodePage == kUTF16LE) pBom = &kBoms[1];
                if (nCodePage == kUTF16BE) pBom = &kBoms[2];
                if (pBom) nFlags |= pBom->nFlag;
            }
        }
        if (pBom) {
            strEncoding = pBom->pszEncoding;
            nUnitSize = pBom->nLen == 2 ? 2 : 1;
            if (nExisting == 0) {
                if (fwrite(pBom->pBytes, 1, pBom->nLen, pFile) != static_cast<size_t>(pBom->nLen)) {
                    AddFileError(strReport);
                    bOk = false;
                }
                ResultRecord(MCD_T("bom")).AppendTo(&strReport);
            }
        }
        if (nUnitSize == 1 && pstrEncoding && !pstrEncoding->empty()) strEncoding = *pstrEncoding;
        if (bOk && strDoc.empty()) {
            AddLengthRecord(strReport, MCD_T("write"), strEncoding, 0);
        } else if (bOk && nUnitSize == 2) {
            MCD_STR strUnits = strDoc;
            if (nFlags & DOC_UTF16BE) {
                SwapUnits(strUnits);
                ResultRecord(MCD_T("endian_swap")).AppendTo(&strReport);
            }
            std::string strBytes(strUnits.size() * 2, '\0');
            for (size_t i = 0; i < strUnits.size(); ++i) {
                strBytes[2 * i] = static_cast<char>(strUnits[i] & 0xFF);
                strBytes[2 * i + 1] = static_cast<char>((strUnits[i] >> 8) & 0xFF);
            }
            if (fwrite(strBytes.data(), 1, strBytes.size(), pFile) == strBytes.size()) {
                AddLengthRecord(strReport, MCD_T("write"), strEncoding,
                                static_cast<long long>(strUnits.size()));
            } else {
                AddFileError(strReport);
                bOk = false;
            }
        } else if (bOk) {
            std::string strBytes;
            int nLost = 0;
            if (!UTF16ToBytes(CodePageOf(strEncoding), strDoc, strBytes, nLost)) {
                AddFileError(strReport);
                bOk = false;
            } else {
                AddLengthRecord(strReport, MCD_T("converted_from"), MCD_T("UTF-16"),
                                static_cast<long long>(strDoc.size()));
                if (nLost) ResultRecord(MCD_T("conversion_loss")).AppendTo(&strReport);
                if (fwrite(strBytes.data(), 1, strBytes.size(), pFile) == strBytes.size()) {
                    AddLengthRecord(strReport, MCD_T("write"), strEncoding,
                                    static_cast<long long>(strBytes.size()));
                } else {
                    AddFileError(strReport);
                    bOk = false;
                }
            }
        }
        if (!file.Close()) {
            AddFileError(strReport);
            bOk = false;
        }
    }
    if (pstrResult) *pstrResult = strReport;
    if (pnDocFlags) *pnDocFlags = nFlags & ~kTransferFlags;
    if (pstrEncoding && (nUnitSize != 1 || pstrEncoding->empty())) *pstrEncoding = strEncoding;
    return bOk;
}

bool CNTXMLParse::Load(MCD_CSTR szFileName) {
    if (x_InTransfer()) return false;
    int nFlags = m_nDocFlags;
    bool bRead = ReadTextFile(szFileName, m_strDoc, &m_strResult, &nFlags, nullptr);
    m_nDocFlags = nFlags;
    if (!bRead) {
        // The document is empty now; its records must not describe the old text.
        x_InitArray(static_cast<int>(m_strDoc.size()));
        return false;
    }
    x_ParseDoc();
    return IsWellFormed();
}

bool CNTXMLParse::Save(MCD_CSTR szFileName) {
    if (x_InTransfer()) return false;
    int nFlags = m_nDocFlags;
    bool bWritten = WriteTextFile(szFileName, m_strDoc, &m_strResult, &nFlags, nullptr);
    m_nDocFlags = nFlags;
    return bWritten;
}
