#pragma once

// Records of a document's result report: self-closing tags such as
// <lone_end_tag tagname="b" offset="3"/>, appended until the report reaches its cap.

#include "common/xml/ntxmlparse.h"

namespace ntxml {

const size_t kMaxReportLength = 1000;

MCD_STR NumToStr(long long nValue);
MCD_STR AsciiToStr(const char* psz);

class ResultRecord {
public:
    explicit ResultRecord(const MCD_CHAR* pszName);
    ResultRecord& Attr(const MCD_CHAR* pszName, const MCD_STR& strValue);
    ResultRecord& Attr(const MCD_CHAR* pszName, long long nValue);
    // Does nothing when there is no report or the record would pass the cap.
    void AppendTo(MCD_STR* pReport) const;

private:
    MCD_STR m_str;
};

}  // namespace ntxml
