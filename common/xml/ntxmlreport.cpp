#include "common/xml/ntxmlreport.h"

namespace ntxml {

MCD_STR NumToStr(long long nValue) {
    MCD_CHAR sz[24];
    int i = 23;
    sz[i] = 0;
    unsigned long long u = nValue < 0 ? 0ULL - static_cast<unsigned long long>(nValue)
                                      : static_cast<unsigned long long>(nValue);
    do {
        sz[--i] = static_cast<MCD_CHAR>('0' + u % 10);
        u /= 10;
    } while (u);
    if (nValue < 0) sz[--i] = '-';
    return MCD_STR(sz + i);
}

MCD_STR AsciiToStr(const char* psz) {
    MCD_STR str;
    while (*psz) str += static_cast<MCD_CHAR>(static_cast<unsigned char>(*psz++));
    return str;
}

ResultRecord::ResultRecord(const MCD_CHAR* pszName) : m_str(MCD_T("<")) { m_str += pszName; }

ResultRecord& ResultRecord::Attr(const MCD_CHAR* pszName, const MCD_STR& strValue) {
    m_str += ' ';
    m_str += pszName;
    m_str += MCD_T("=\"");
    m_str += CNTXMLParse::EscapeText(strValue, CNTXMLParse::EDIT_ESCAPE_QUOTES);
    m_str += '"';
    return *this;
}

ResultRecord& ResultRecord::Attr(const MCD_CHAR* pszName, long long nValue) {
    return Attr(pszName, NumToStr(nValue));
}

void ResultRecord::AppendTo(MCD_STR* pReport) const {
    // A record that would take the report past its cap is dropped whole.
    if (!pReport || pReport->size() + m_str.size() + 2 > kMaxReportLength) return;
    *pReport += m_str;
    *pReport += MCD_T("/>");
}

}  // namespace ntxml
