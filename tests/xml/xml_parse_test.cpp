// Parsing: records built from well-formed and broken documents, and the report's texts.

#include <gtest/gtest.h>

#include "common/xml/ntxmlparse.h"

namespace {

TEST(XmlParse, EmptyDocumentHasNoRoot) {
    CNTXMLParse xml;
    EXPECT_FALSE(xml.SetDoc(L""));
    EXPECT_EQ(L"<no_root_element/>", xml.GetResult());
    EXPECT_EQ(L"no root element", xml.GetError());
    EXPECT_FALSE(xml.FindElem());
    EXPECT_FALSE(xml.SetDoc(nullptr));
    EXPECT_EQ(L"", xml.GetDoc());
    EXPECT_EQ(L"no root element", xml.GetError());
}

TEST(XmlParse, WellFormedDocument) {
    CNTXMLParse xml;
    EXPECT_TRUE(xml.SetDoc(L"<?xml version=\"1.0\"?>\r\n<!-- c -->\r\n<a x='1'><b/>t</a>\r\n"));
    EXPECT_EQ(L"", xml.GetResult());
    EXPECT_EQ(L"", xml.GetError());
    EXPECT_TRUE(xml.IsWellFormed());
    EXPECT_TRUE(CNTXMLParse::Test(xml));
}

TEST(XmlParse, RootWithSiblingStillNavigable) {
    CNTXMLParse xml;
    EXPECT_FALSE(xml.SetDoc(L"<a/><b/>"));
    EXPECT_EQ(L"root element has sibling", xml.GetError());
    EXPECT_FALSE(xml.IsWellFormed());
    EXPECT_TRUE(xml.FindElem(L"a"));
    EXPECT_TRUE(xml.FindElem(L"b"));
    EXPECT_EQ(L"b", xml.GetTagName());
}

TEST(XmlParse, UnendedStartTagClosedByAncestor) {
    CNTXMLParse xml;
    EXPECT_FALSE(xml.SetDoc(L"<a><b></a>"));
    EXPECT_EQ(L"start tag 'b' at offset 3 expecting end tag at offset 7", xml.GetError());
    EXPECT_TRUE(CNTXMLParse::Test(xml));
    ASSERT_TRUE(xml.FindElem(L"a"));
    EXPECT_EQ(L"<b>", xml.GetElemContent());
    ASSERT_TRUE(xml.FindChildElem(L"b"));
    EXPECT_EQ(L"<b>", xml.GetChildSubDoc());
}

TEST(XmlParse, UnendedChildrenFollowAsSiblings) {
    CNTXMLParse xml;
    EXPECT_FALSE(xml.SetDoc(L"<r><u><c1/><c2>x</c2></r>"));
    EXPECT_TRUE(CNTXMLParse::Test(xml));
    ASSERT_TRUE(xml.FindElem(L"r"));
    ASSERT_TRUE(xml.IntoElem());
    EXPECT_TRUE(xml.FindElem(L"u"));
    EXPECT_TRUE(xml.FindElem(L"c1"));
    EXPECT_TRUE(xml.FindElem(L"c2"));
    EXPECT_EQ(L"x", xml.GetData());
    EXPECT_FALSE(xml.FindElem());
}

TEST(XmlParse, OpenTagsAtEndOfDocument) {
    CNTXMLParse xml;
    EXPECT_FALSE(xml.SetDoc(L"<a><b>"));
    EXPECT_EQ(
        L"<unended_start_tag tagname=\"b\" offset=\"3\" offset2=\"6\"/>"
        L"<unended_start_tag tagname=\"a\" offset=\"0\" offset2=\"6\"/>"
        L"<root_has_sibling/>",
        xml.GetResult());
    EXPECT_EQ(L"start tag 'b' at offset 3 expecting end tag at offset 6", xml.GetError());
    EXPECT_TRUE(CNTXMLParse::Test(xml));
}

TEST(XmlParse, LoneEndTag) {
    CNTXMLParse xml;
    EXPECT_FALSE(xml.SetDoc(L"<a></b></a>"));
    EXPECT_EQ(L"lone end tag 'b' at offset 3", xml.GetError());
    ASSERT_TRUE(xml.FindElem(L"a"));
    ASSERT_TRUE(xml.IntoElem());
    EXPECT_EQ(CNTXMLParse::NODE_LONE_END_TAG, xml.FindNode());
    EXPECT_EQ(L"b", xml.GetTagName());
    EXPECT_EQ(L"b", xml.GetData());
}

TEST(XmlParse, SyntaxErrorTexts) {
    struct Case {
        const wchar_t* pszDoc;
        const wchar_t* pszError;
    } cases[] = {
        {L"<a>< b</a>", L"tag syntax error at offset 3 expecting tag name / ! or ?"},
        {L"<a><!x></a>", L"tag syntax error at offset 3 expecting 'DOCTYPE' [ or -"},
        {L"<!DOCTYPE a [<!Q>]><a/>", L"tag syntax error at offset 0 expecting markup declaration"},
        {L"<a><!-x--></a>", L"tag syntax error at offset 3 expecting - to begin comment"},
        {L"<a><![X[y]]></a>", L"tag syntax error at offset 3 expecting 'CDATA'"},
        {L"<a><!-- never closed", L"unterminated tag at offset 3"},
        {L"<a x=\"1>", L"unterminated tag at offset 0"},
    };
    for (const Case& c : cases) {
        CNTXMLParse xml;
        EXPECT_FALSE(xml.SetDoc(c.pszDoc)) << c.pszDoc;
        // Only the first parse record gives a text.
        EXPECT_EQ(c.pszError, xml.GetError()) << c.pszDoc;
        EXPECT_TRUE(CNTXMLParse::Test(xml)) << c.pszDoc;
    }
}

TEST(XmlParse, UnterminatedKinds) {
    struct Case {
        const wchar_t* pszDoc;
        const wchar_t* pszKind;
    } cases[] = {
        {L"<a></a", L"end_tag"},
        {L"<a", L"start_tag"},
        {L"<![CDATA[x", L"cdata_section"},
        {L"<?pi", L"processing_instruction"},
        {L"<!--", L"comment"},
        {L"<!DOCTYPE a [", L"document_type"},
        {L"<", L"tag"},
    };
    for (const Case& c : cases) {
        CNTXMLParse xml;
        xml.SetDoc(c.pszDoc);
        std::wstring strExpected = L"type=\"" + std::wstring(c.pszKind) + L"\"";
        EXPECT_NE(std::wstring::npos, xml.GetResult().find(strExpected)) << c.pszDoc;
    }
}

TEST(XmlParse, DoctypeWithInternalSubset) {
    CNTXMLParse xml;
    EXPECT_TRUE(xml.SetDoc(
        L"<!DOCTYPE r [<!ELEMENT r (#PCDATA)><!-- ] > --><!ATTLIST r a CDATA \">\">]>\r\n<r/>"));
    EXPECT_EQ(CNTXMLParse::NODE_DOCTYPE, xml.FindNode());
    EXPECT_EQ(L"r", xml.GetTagName());
    EXPECT_EQ(CNTXMLParse::NODE_WHITESPACE, xml.FindNode());
    EXPECT_EQ(CNTXMLParse::NODE_ELEMENT, xml.FindNode());
}

TEST(XmlParse, QuotedGreaterThanDoesNotEndTag) {
    CNTXMLParse xml;
    EXPECT_TRUE(xml.SetDoc(L"<a href='x>y' t=\"/>\">d</a>"));
    ASSERT_TRUE(xml.FindElem());
    EXPECT_EQ(L"x>y", xml.GetAttrib(L"href"));
    EXPECT_EQ(L"/>", xml.GetAttrib(L"t"));
    EXPECT_EQ(L"d", xml.GetData());
}

TEST(XmlParse, ReportIsCapped) {
    std::wstring strDoc = L"<r>";
    for (int i = 0; i < 500; ++i) strDoc += L"</x>";
    strDoc += L"</r>";
    CNTXMLParse xml;
    EXPECT_FALSE(xml.SetDoc(strDoc));
    EXPECT_GT(xml.GetResult().size(), 950u);
    EXPECT_LE(xml.GetResult().size(), 1000u);
    EXPECT_EQ(L"lone end tag 'x' at offset 3", xml.GetError());
}

TEST(XmlParse, DeepUnclosedDocumentStaysLinear) {
    // 200,000 nested start tags that never end: each closes once at the document end.
    std::wstring strDoc;
    for (int i = 0; i < 200000; ++i) strDoc += L"<e>";
    CNTXMLParse xml;
    EXPECT_FALSE(xml.SetDoc(strDoc));
    EXPECT_TRUE(CNTXMLParse::Test(xml));
    int nCount = 0;
    while (xml.FindElem(L"e")) ++nCount;
    EXPECT_EQ(200000, nCount);
}

TEST(XmlParse, IgnoreCaseMatchesEndTags) {
    CNTXMLParse xml(CNTXMLParse::DOC_IGNORE_CASE);
    EXPECT_TRUE(xml.SetDoc(L"<Root><Item>1</ITEM></root>"));
    EXPECT_TRUE(xml.FindElem(L"ROOT"));
    EXPECT_TRUE(xml.FindChildElem(L"item"));
    EXPECT_EQ(L"1", xml.GetChildData());
    CNTXMLParse exact;
    EXPECT_FALSE(exact.SetDoc(L"<Root><Item>1</ITEM></root>"));
}

TEST(XmlParse, LongEndTagNameKeepsRecordsRight) {
    std::wstring strName(1500, L'n');
    std::wstring strDoc = L"<r><" + strName + L" a='1'>v</" + strName + L"><z/></r>";
    CNTXMLParse xml;
    EXPECT_TRUE(xml.SetDoc(strDoc));
    EXPECT_TRUE(CNTXMLParse::Test(xml));
    ASSERT_TRUE(xml.FindElem());
    ASSERT_TRUE(xml.FindChildElem(strName));
    EXPECT_EQ(L"v", xml.GetChildData());
    EXPECT_TRUE(xml.FindChildElem(L"z"));
}

TEST(XmlParse, CopyKeepsDocumentRecordsAndPositions) {
    CNTXMLParse xml(L"<a><b>1</b><c>2</c></a>");
    xml.FindElem();
    xml.FindChildElem(L"c");
    xml.SavePos(L"c");
    CNTXMLParse copy(xml);
    EXPECT_EQ(L"2", copy.GetChildData());
    copy.ResetPos();
    EXPECT_TRUE(copy.RestorePos(L"c"));
    EXPECT_EQ(L"2", copy.GetChildData());
    CNTXMLParse assigned;
    assigned = xml;
    EXPECT_EQ(xml.GetDoc(), assigned.GetDoc());
    EXPECT_TRUE(CNTXMLParse::Test(assigned));
}

TEST(XmlParse, TransferStateRefusesDocumentChanges) {
    CNTXMLParse xml(CNTXMLParse::DOC_READING);
    EXPECT_FALSE(xml.SetDoc(L"<a/>"));
    EXPECT_FALSE(xml.AddElem(L"a"));
    EXPECT_FALSE(xml.SavePos(L"p"));
    CNTXMLParse other(L"<b/>");
    xml = other;
    EXPECT_EQ(L"", xml.GetDoc());
}

}  // namespace
