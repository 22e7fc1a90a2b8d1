// Escaping and unescaping of text and attribute values.

#include <gtest/gtest.h>

#include "common/xml/ntxmlparse.h"

namespace {

TEST(XmlEscape, EscapeText) {
    EXPECT_EQ(L"a&lt;b&gt;c&amp;d\"'", CNTXMLParse::EscapeText(L"a<b>c&d\"'"));
    EXPECT_EQ(L"&quot;&apos;", CNTXMLParse::EscapeText(L"\"'", CNTXMLParse::EDIT_ESCAPE_QUOTES));
    EXPECT_EQ(L"", CNTXMLParse::EscapeText(MCD_CSTR()));
}

TEST(XmlEscape, EscapeKeepsWellFormedReferencesOnRequest) {
    const int nRefs = CNTXMLParse::EDIT_REFS;
    EXPECT_EQ(L"&amp;&#65;&#x4e2d;&nbsp;&a.b-c_d:e;&\u4e2d;",
              CNTXMLParse::EscapeText(L"&amp;&#65;&#x4e2d;&nbsp;&a.b-c_d:e;&\u4e2d;", nRefs));
    EXPECT_EQ(L"&amp; x;&amp;;&amp;a b;&amp;-a;&amp;x",
              CNTXMLParse::EscapeText(L"& x;&;&a b;&-a;&x", nRefs));
    EXPECT_EQ(L"&amp;amp;", CNTXMLParse::EscapeText(L"&amp;"));
}

TEST(XmlEscape, UnescapeReferences) {
    EXPECT_EQ(L"A&bogus;&lt", CNTXMLParse::UnescapeText(L"&#x41;&bogus;&lt"));
    EXPECT_EQ(
        L"<>&\"'\u00a0\u00a9\u20ac\u2026\u2666",
        CNTXMLParse::UnescapeText(L"&lt;&gt;&amp;&quot;&apos;&nbsp;&copy;&euro;&hellip;&diams;"));
    EXPECT_EQ(L"AB\u4e2d", CNTXMLParse::UnescapeText(L"&#65;&#X42;&#20013;"));
    // Above U+FFFF: a surrogate pair.
    EXPECT_EQ(L"\xd83d\xde00", CNTXMLParse::UnescapeText(L"&#x1F600;"));
    // Case folding: the exact-case twin wins, otherwise either.
    EXPECT_EQ(L"\u00c0\u00e0\u0391\u03b1",
              CNTXMLParse::UnescapeText(L"&Agrave;&agrave;&Alpha;&alpha;"));
    EXPECT_EQ(L"<", CNTXMLParse::UnescapeText(L"&LT;"));
}

TEST(XmlEscape, UnrecognisedReferencesStayLiteral) {
    EXPECT_EQ(L"&#0;&#;&#x;&#xZ1;&#1114112;&#xD800;&verylongname;&\u00e9t\u00e9;",
              CNTXMLParse::UnescapeText(
                  L"&#0;&#;&#x;&#xZ1;&#1114112;&#xD800;&verylongname;&\u00e9t\u00e9;"));
    EXPECT_EQ(L"a & b", CNTXMLParse::UnescapeText(L"a & b"));
    EXPECT_EQ(L"&", CNTXMLParse::UnescapeText(L"&"));
    EXPECT_EQ(L"&a", CNTXMLParse::UnescapeText(L"&amp;ab", 2));
}

TEST(XmlEscape, WhitespaceFlags) {
    const wchar_t* pszData = L"  a \r\n b  ";
    EXPECT_EQ(L"a b", CNTXMLParse::UnescapeText(pszData, -1, CNTXMLParse::DOC_COLLAPSE_SPACE));
    EXPECT_EQ(L"a \r\n b", CNTXMLParse::UnescapeText(pszData, -1, CNTXMLParse::DOC_TRIM_SPACE));
    EXPECT_EQ(pszData, CNTXMLParse::UnescapeText(pszData));
    // A reference is content, even when it stands for a space.
    EXPECT_EQ(L"  x", CNTXMLParse::UnescapeText(L" &#32; x ", -1, CNTXMLParse::DOC_COLLAPSE_SPACE));
    EXPECT_EQ(L"", CNTXMLParse::UnescapeText(L" \t\r\n ", -1, CNTXMLParse::DOC_TRIM_SPACE));
}

TEST(XmlEscape, RoundTripThroughAttributes) {
    const wchar_t* values[] = {L"a\"b", L"'single'",  L"<&>", L"\u4e2d\u6587 \U0001F600",
                               L"",     L"  spaced  "};
    for (const wchar_t* pszValue : values) {
        CNTXMLParse xml(L"<a/>");
        xml.FindElem();
        ASSERT_TRUE(xml.SetAttrib(L"v", pszValue));
        CNTXMLParse reread(xml.GetDoc());
        reread.FindElem();
        EXPECT_EQ(pszValue, reread.GetAttrib(L"v")) << xml.GetDoc();
    }
}

}  // namespace
