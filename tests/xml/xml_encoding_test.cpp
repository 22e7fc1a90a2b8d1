// UTF-8/UTF-16 codecs, UTF-8 detection, encoding names and declared encodings.

#include <gtest/gtest.h>

#include <string>

#include "common/xml/ntxmlparse.h"

namespace {

TEST(XmlEncoding, DecodeUTF8) {
    const char* pszText = "A\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80";
    const char* p = pszText;
    const char* pEnd = pszText + 10;
    EXPECT_EQ(0x41, CNTXMLParse::DecodeCharUTF8(p, pEnd));
    EXPECT_EQ(0xE9, CNTXMLParse::DecodeCharUTF8(p, pEnd));
    EXPECT_EQ(0x4E2D, CNTXMLParse::DecodeCharUTF8(p, pEnd));
    EXPECT_EQ(0x1F600, CNTXMLParse::DecodeCharUTF8(p, pEnd));
    EXPECT_EQ(pEnd, p);
    const char* pszCut = "\xe4\xb8";
    p = pszCut;
    EXPECT_EQ(-1, CNTXMLParse::DecodeCharUTF8(p, pszCut + 2));
    EXPECT_EQ(pszCut, p);
    const char* pszBad[] = {"\xf8\x80\x80\x80\x80", "\xc3\x41", "\x80\x80"};
    for (const char* psz : pszBad) {
        p = psz;
        EXPECT_EQ(-1, CNTXMLParse::DecodeCharUTF8(p, psz + 5)) << psz;
    }
}

TEST(XmlEncoding, EncodeUTF8AndUTF16) {
    char sz[8] = {};
    int nLen = 0;
    CNTXMLParse::EncodeCharUTF8(0x4E2D, sz, nLen);
    CNTXMLParse::EncodeCharUTF8(0x1F600, sz, nLen);
    EXPECT_EQ(7, nLen);
    EXPECT_EQ(std::string("\xe4\xb8\xad\xf0\x9f\x98\x80"), std::string(sz, nLen));
    int nCount = 0;
    CNTXMLParse::EncodeCharUTF8(0x7FF, nullptr, nCount);
    EXPECT_EQ(2, nCount);
    wchar_t wsz[4] = {};
    int nUnits = 0;
    CNTXMLParse::EncodeCharUTF16(0x1F600, wsz, nUnits);
    CNTXMLParse::EncodeCharUTF16(0x41, wsz, nUnits);
    EXPECT_EQ(3, nUnits);
    EXPECT_EQ(std::wstring(L"\xd83d\xde00"
                           L"A"),
              std::wstring(wsz, nUnits));
}

TEST(XmlEncoding, DecodeUTF16) {
    const wchar_t text[] =
        L"\xd83d\xde00"
        L"A\xd800"
        L"B\xdc00";
    const wchar_t* p = text;
    const wchar_t* pEnd = text + 6;
    EXPECT_EQ(0x1F600, CNTXMLParse::DecodeCharUTF16(p, pEnd));
    EXPECT_EQ(0x41, CNTXMLParse::DecodeCharUTF16(p, pEnd));
    // An unpaired surrogate does not swallow the character after it.
    EXPECT_EQ(-1, CNTXMLParse::DecodeCharUTF16(p, pEnd));
    ++p;
    EXPECT_EQ(0x42, CNTXMLParse::DecodeCharUTF16(p, pEnd));
    EXPECT_EQ(-1, CNTXMLParse::DecodeCharUTF16(p, pEnd));
}

TEST(XmlEncoding, UTF8To16) {
    const char* pszText =
        "a\xe4\xb8\xad\xff"
        "b";
    EXPECT_EQ(4, CNTXMLParse::UTF8To16(nullptr, pszText, 6));
    wchar_t wsz[8] = {};
    EXPECT_EQ(6, CNTXMLParse::UTF8To16(wsz, pszText, 6));
    EXPECT_EQ(std::wstring(L"a\u4e2d?b"), std::wstring(wsz));
    const char szNul[] = {'x', 0, 'y'};
    wchar_t wszNul[4] = {L'#', L'#', L'#', L'#'};
    EXPECT_EQ(2, CNTXMLParse::UTF8To16(wszNul, szNul, 3));  // stops after the stored NUL
    EXPECT_EQ(L'x', wszNul[0]);
    EXPECT_EQ(L'\0', wszNul[1]);
    EXPECT_EQ(L'#', wszNul[2]);
}

TEST(XmlEncoding, UTF16To8) {
    EXPECT_EQ(8, CNTXMLParse::UTF16To8(nullptr, L"a\u4e2d\xd83d\xde00", 0));
    char sz[16];
    EXPECT_EQ(8, CNTXMLParse::UTF16To8(sz, L"a\u4e2d\xd83d\xde00", 16));
    EXPECT_EQ(std::string("a\xe4\xb8\xad\xf0\x9f\x98\x80"), std::string(sz));
    // Stops before a character that would not fit.
    char szSmall[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(1, CNTXMLParse::UTF16To8(szSmall, L"a\u4e2d", 3));
    EXPECT_EQ('a', szSmall[0]);
    EXPECT_EQ('\0', szSmall[1]);
    EXPECT_EQ(2, CNTXMLParse::UTF16To8(sz,
                                       L"\xd800"
                                       L"A",
                                       16));
    EXPECT_EQ(std::string("?A"), std::string(sz));
    EXPECT_EQ(1, CNTXMLParse::UTF16To8(sz, L"\xd800", 16));
    EXPECT_EQ(std::string("?"), std::string(sz));
}

TEST(XmlEncoding, DetectUTF8) {
    int nNonAscii = 0;
    bool bAtEnd = true;
    EXPECT_TRUE(CNTXMLParse::DetectUTF8("ab\xe4\xb8\xad\xc3\xa9", 7, &nNonAscii, &bAtEnd));
    EXPECT_EQ(2, nNonAscii);
    EXPECT_FALSE(bAtEnd);
    EXPECT_FALSE(CNTXMLParse::DetectUTF8("ab\xe4\xb8", 4, &nNonAscii, &bAtEnd));
    EXPECT_TRUE(bAtEnd);
    EXPECT_FALSE(CNTXMLParse::DetectUTF8("\xe4\x41\x42", 3, &nNonAscii, &bAtEnd));
    EXPECT_FALSE(bAtEnd);
    EXPECT_FALSE(CNTXMLParse::DetectUTF8("\xfc\x80", 2, nullptr, nullptr));
    // GB2312 bytes for U+4E2D U+6587 are not UTF-8.
    EXPECT_FALSE(CNTXMLParse::DetectUTF8("\xd6\xd0\xce\xc4", 4));
    // The walk ends at a NUL byte.
    EXPECT_TRUE(CNTXMLParse::DetectUTF8("a\0\xff", 3));
}

TEST(XmlEncoding, EncodingCodePages) {
    EXPECT_EQ(932, CNTXMLParse::GetEncodingCodePage(L"shift_jis"));
    EXPECT_EQ(932, CNTXMLParse::GetEncodingCodePage(L"Shift_JIS"));
    EXPECT_EQ(932, CNTXMLParse::GetEncodingCodePage(L"SHIFT_JIS"));
    EXPECT_EQ(65005, CNTXMLParse::GetEncodingCodePage(L"UTF-32"));
    EXPECT_EQ(12000, CNTXMLParse::GetEncodingCodePage(L"utf-32"));
    EXPECT_EQ(12000, CNTXMLParse::GetEncodingCodePage(L"Utf-32"));
    EXPECT_EQ(0, CNTXMLParse::GetEncodingCodePage(L""));
    EXPECT_EQ(0, CNTXMLParse::GetEncodingCodePage(MCD_CSTR()));
    EXPECT_EQ(-1, CNTXMLParse::GetEncodingCodePage(L"klingon"));
    EXPECT_EQ(-1, CNTXMLParse::GetEncodingCodePage(std::wstring(100, L'a')));
    struct Case {
        const wchar_t* pszName;
        int nCodePage;
    } cases[] = {
        {L"GB2312", 936},
        {L"gbk", 936},
        {L"Big5", 950},
        {L"x-x-big5", 950},
        {L"UTF-8", 65001},
        {L"utf8", 65001},
        {L"UTF-16", 1200},
        {L"UTF-16BE", 1201},
        {L"unicodeFFFE", 1201},
        {L"ISO-8859-1", 28591},
        {L"latin1", 28591},
        {L"windows-1252", 1252},
        {L"US-ASCII", 20127},
        {L"iso_646.irv:1991", 20127},
        {L"cp1256 ", 1256},
        {L"koi8-r", 20866},
        {L"euc-kr", 51949},
        {L"gb18030", 54936},
        {L"_iso-2022-jp$sio", 50222},
        {L"cp154", 154},
        {L"pc-multilingual-850+euro", 858},
        {L"extended_unix_code_packed_format_for_japanese", 20932},
        {L"x-iscii-pa", 57011},
        {L"utf-7", 65000},
        {L"cp775", 775},
        {L"ebcdic-cp-be", 500},
        {L"cp500", 500},
        {L"csibm500", 500},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.nCodePage, CNTXMLParse::GetEncodingCodePage(c.pszName)) << c.pszName;
    }
}

TEST(XmlEncoding, DeclaredEncoding) {
    EXPECT_EQ(L"gb2312", CNTXMLParse::GetDeclaredEncoding(
                             L"<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<a/>"));
    EXPECT_EQ(L"Big5", CNTXMLParse::GetDeclaredEncoding(L"<?XML encoding='Big5'?><a/>"));
    EXPECT_EQ(L"", CNTXMLParse::GetDeclaredEncoding(L"<?xml version=\"1.0\"?><a/>"));
    // Only a declaration at offset 0 counts.
    EXPECT_EQ(L"", CNTXMLParse::GetDeclaredEncoding(L" <?xml encoding=\"gbk\"?><a/>"));
    EXPECT_EQ(L"", CNTXMLParse::GetDeclaredEncoding(L"<a/>"));
    EXPECT_EQ(L"", CNTXMLParse::GetDeclaredEncoding(L""));
    EXPECT_EQ(L"", CNTXMLParse::GetDeclaredEncoding(MCD_CSTR()));
}

TEST(XmlEncoding, DeclaredEncodingOfHtml) {
    EXPECT_EQ(L"big5",
              CNTXMLParse::GetDeclaredEncoding(
                  L"<!DOCTYPE html><HTML><head><title>t</title>"
                  L"<META HTTP-EQUIV=\"content-type\" CONTENT=\"text/html; charset = big5\">"
                  L"</head></html>"));
    EXPECT_EQ(L"", CNTXMLParse::GetDeclaredEncoding(
                       L"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html\">"
                       L"<meta http-equiv=\"Content-Type\" content=\"charset=gbk\"></head>"));
    EXPECT_EQ(L"", CNTXMLParse::GetDeclaredEncoding(
                       L"<html><head></head><meta http-equiv=\"Content-Type\" "
                       L"content=\"charset=gbk\">"));
    EXPECT_EQ(L"", CNTXMLParse::GetDeclaredEncoding(
                       L"<body><meta http-equiv=\"Content-Type\" content=\"charset=gbk\">"));
    EXPECT_EQ(L"utf-8", CNTXMLParse::GetDeclaredEncoding(
                            L"<html><meta name=\"x\"><meta http-equiv='Content-Type' "
                            L"content='text/html;charset=utf-8'>"));
}

}  // namespace
