// Editing: where new markup lands, its line breaks, and records that stay true to the text.

#include <gtest/gtest.h>

#include "common/xml/ntxmlparse.h"

namespace {

// Every edit must leave records that agree with the text and a document that parses the same.
void ExpectConsistent(const CNTXMLParse& xml) {
    EXPECT_TRUE(CNTXMLParse::Test(xml));
    CNTXMLParse reparsed(xml.GetDocFlags());
    reparsed.SetDoc(xml.GetDoc());
    EXPECT_TRUE(CNTXMLParse::Test(reparsed));
}

TEST(XmlEdit, AddElemOnEmptyDocumentThenChild) {
    CNTXMLParse xml;
    EXPECT_TRUE(xml.AddElem(L"x"));
    EXPECT_EQ(L"<x/>\r\n", xml.GetDoc());
    EXPECT_TRUE(xml.AddChildElem(L"y", 1));
    EXPECT_EQ(L"<x>\r\n<y>1</y>\r\n</x>\r\n", xml.GetDoc());
    EXPECT_EQ(L"x", xml.GetTagName());
    EXPECT_EQ(L"y", xml.GetChildTagName());
    ExpectConsistent(xml);
}

TEST(XmlEdit, AddAndInsertPlacement) {
    CNTXMLParse xml(L"<r>\r\n<b/>\r\n</r>\r\n");
    xml.FindElem();
    xml.IntoElem();
    EXPECT_TRUE(xml.AddElem(L"d"));     // no main position: last
    EXPECT_TRUE(xml.InsertElem(L"c"));  // before d
    xml.ResetMainPos();
    EXPECT_TRUE(xml.InsertElem(L"a"));  // no main position: first
    EXPECT_EQ(L"<r>\r\n<a/>\r\n<b/>\r\n<c/>\r\n<d/>\r\n</r>\r\n", xml.GetDoc());
    ExpectConsistent(xml);
    xml.ResetMainPos();
    const wchar_t* order[] = {L"a", L"b", L"c", L"d"};
    for (const wchar_t* pszName : order) {
        ASSERT_TRUE(xml.FindElem());
        EXPECT_EQ(pszName, xml.GetTagName());
    }
    EXPECT_FALSE(xml.FindElem());
}

TEST(XmlEdit, ChildInsertAndAfterChild) {
    CNTXMLParse xml(L"<r><a/></r>");
    xml.FindElem();
    EXPECT_TRUE(xml.InsertChildElem(L"first", L"", CNTXMLParse::EDIT_NO_LINES));
    EXPECT_TRUE(xml.AddChildElem(L"second", L"", CNTXMLParse::EDIT_NO_LINES));
    EXPECT_EQ(L"<r><first/><second/><a/></r>", xml.GetDoc());
    ExpectConsistent(xml);
}

TEST(XmlEdit, EmptyParentsAreExpanded) {
    CNTXMLParse xml(L"<r><p /><q></q><n></r>");
    xml.FindElem();
    xml.IntoElem();
    xml.FindElem(L"p");
    EXPECT_TRUE(xml.AddChildElem(L"c"));
    xml.FindElem(L"q");
    EXPECT_TRUE(xml.AddChildElem(L"c"));
    xml.FindElem(L"n");
    EXPECT_TRUE(xml.AddChildElem(L"c", L"", CNTXMLParse::EDIT_NO_LINES));
    EXPECT_EQ(L"<r><p >\r\n<c/>\r\n</p><q>\r\n<c/>\r\n</q><n><c/></n></r>", xml.GetDoc());
    ExpectConsistent(xml);
    xml.ResetChildPos();
    EXPECT_TRUE(xml.FindChildElem(L"c"));
}

TEST(XmlEdit, ElementForms) {
    CNTXMLParse xml(L"<r/>");
    xml.FindElem();
    int nNoLines = CNTXMLParse::EDIT_NO_LINES;
    EXPECT_TRUE(xml.AddChildElem(L"x", L"", nNoLines | CNTXMLParse::EDIT_XHTML_SPACE));
    EXPECT_TRUE(xml.AddChildElem(L"br", L"", nNoLines | CNTXMLParse::EDIT_NO_END));
    EXPECT_FALSE(xml.AddChildElem(L"br", L"v", nNoLines | CNTXMLParse::EDIT_NO_END));
    EXPECT_TRUE(xml.AddChildElem(L"t", L"a<b>&c", nNoLines));
    EXPECT_TRUE(xml.AddChildElem(L"u", L"&amp;&x", nNoLines | CNTXMLParse::EDIT_REFS));
    EXPECT_TRUE(xml.AddChildElem(L"v", L"'\"", nNoLines | CNTXMLParse::EDIT_ESCAPE_QUOTES));
    EXPECT_TRUE(xml.AddChildElem(L"w", -42, nNoLines));
    EXPECT_EQ(
        L"<r><x /><br><t>a&lt;b&gt;&amp;c</t><u>&amp;&amp;x</u><v>&apos;&quot;</v>"
        L"<w>-42</w></r>",
        xml.GetDoc());
    ExpectConsistent(xml);
    xml.ResetChildPos();
    EXPECT_TRUE(xml.FindChildElem(L"t"));
    EXPECT_EQ(L"a<b>&c", xml.GetChildData());
}

TEST(XmlEdit, InvalidNamesAreRefused) {
    CNTXMLParse xml(L"<r/>");
    xml.FindElem();
    EXPECT_FALSE(xml.AddChildElem(L""));
    EXPECT_FALSE(xml.AddChildElem(L"a b"));
    EXPECT_FALSE(xml.AddChildElem(L"1a"));
    EXPECT_FALSE(xml.AddChildElem(L"a>"));
    EXPECT_FALSE(xml.SetAttrib(L"x=y", L"1"));
    EXPECT_FALSE(xml.SetAttrib(L"", L"1"));
    EXPECT_FALSE(xml.AddElem(MCD_CSTR()));
    EXPECT_EQ(L"<r/>", xml.GetDoc());
    CNTXMLParse empty;
    EXPECT_FALSE(empty.AddChildElem(L"a"));  // needs a main position
}

TEST(XmlEdit, AttributesAddReplaceQuote) {
    CNTXMLParse xml(L"<a b='1' c >t</a>");
    xml.FindElem();
    EXPECT_TRUE(xml.SetAttrib(L"v", L"a\"b"));
    EXPECT_EQ(L"<a b='1' c v=\"a&quot;b\" >t</a>", xml.GetDoc());
    EXPECT_EQ(L"a\"b", xml.GetAttrib(L"v"));
    EXPECT_TRUE(xml.SetAttrib(L"b", L"long value"));
    EXPECT_TRUE(xml.SetAttrib(L"c", 5));
    EXPECT_EQ(L"<a b=\"long value\" c=\"5\" v=\"a&quot;b\" >t</a>", xml.GetDoc());
    EXPECT_EQ(L"t", xml.GetData());
    ExpectConsistent(xml);
    CNTXMLParse empty(L"<e/>");
    empty.FindElem();
    EXPECT_TRUE(empty.AddAttrib(L"k", L"<&>"));
    EXPECT_EQ(L"<e k=\"&lt;&amp;&gt;\"/>", empty.GetDoc());
}

TEST(XmlEdit, ChildAttributesShiftFollowingRecords) {
    CNTXMLParse xml(L"<r><a/><b>x</b></r>");
    xml.FindElem();
    xml.FindChildElem(L"a");
    EXPECT_TRUE(xml.SetChildAttrib(L"id", L"12345"));
    EXPECT_TRUE(xml.FindChildElem(L"b"));
    EXPECT_EQ(L"x", xml.GetChildData());
    EXPECT_EQ(L"<r><a id=\"12345\"/><b>x</b></r>", xml.GetDoc());
    ExpectConsistent(xml);
}

TEST(XmlEdit, ProcessingInstructionAttribute) {
    CNTXMLParse xml(L"<?xml version=\"1.0\"?><r/>");
    EXPECT_EQ(CNTXMLParse::NODE_PI, xml.FindNode());
    EXPECT_TRUE(xml.SetAttrib(L"encoding", L"UTF-8"));
    EXPECT_EQ(L"<?xml version=\"1.0\" encoding=\"UTF-8\"?><r/>", xml.GetDoc());
    EXPECT_EQ(CNTXMLParse::NODE_ELEMENT, xml.FindNode());
    ExpectConsistent(xml);
}

TEST(XmlEdit, SetDataEscapedCdataAndEmpty) {
    CNTXMLParse xml(L"<r><a>old</a><b/><c><d/></c></r>");
    xml.FindElem();
    xml.IntoElem();
    xml.FindElem(L"a");
    EXPECT_TRUE(xml.SetData(L"a]]>b", CNTXMLParse::EDIT_CDATA));
    EXPECT_EQ(L"a]]>b", xml.GetData());
    xml.FindElem(L"b");
    EXPECT_TRUE(xml.SetData(L"1 < 2"));
    xml.FindElem(L"c");
    EXPECT_FALSE(xml.SetData(L"x"));  // has a child element
    EXPECT_EQ(L"<r><a><![CDATA[a]]]]><![CDATA[>b]]></a><b>1 &lt; 2</b><c><d/></c></r>",
              xml.GetDoc());
    xml.ResetMainPos();
    xml.FindElem(L"a");
    EXPECT_TRUE(xml.SetData(L""));
    EXPECT_EQ(L"<r><a></a><b>1 &lt; 2</b><c><d/></c></r>", xml.GetDoc());
    ExpectConsistent(xml);
}

TEST(XmlEdit, SetDataOnNodes) {
    CNTXMLParse xml(L"<r>text<!--c--><![CDATA[d]]></r>");
    xml.FindElem();
    xml.IntoElem();
    EXPECT_EQ(CNTXMLParse::NODE_TEXT, xml.FindNode());
    EXPECT_TRUE(xml.SetData(L"a&b"));
    EXPECT_EQ(CNTXMLParse::NODE_COMMENT, xml.FindNode());
    EXPECT_FALSE(xml.SetData(L"x-->y"));
    EXPECT_TRUE(xml.SetData(L"longer comment"));
    EXPECT_EQ(CNTXMLParse::NODE_CDATA, xml.FindNode());
    EXPECT_FALSE(xml.SetData(L"a]]>b"));
    EXPECT_TRUE(xml.SetData(L"e"));
    EXPECT_EQ(L"<r>a&amp;b<!--longer comment--><![CDATA[e]]></r>", xml.GetDoc());
    ExpectConsistent(xml);
}

TEST(XmlEdit, SetElemContent) {
    CNTXMLParse xml(L"<r><a><old/><old/></a><z/></r>");
    xml.FindElem();
    xml.IntoElem();
    xml.FindElem(L"a");
    xml.FindChildElem(L"old");
    xml.SavePos(L"old");
    EXPECT_TRUE(xml.SetElemContent(L"<n1>1</n1><n2/>"));
    EXPECT_FALSE(xml.RestorePos(L"old"));  // pointed into the replaced content
    EXPECT_TRUE(xml.FindChildElem(L"n2"));
    EXPECT_EQ(L"<r><a><n1>1</n1><n2/></a><z/></r>", xml.GetDoc());
    ExpectConsistent(xml);
    xml.FindElem(L"z");
    EXPECT_FALSE(xml.SetElemContent(L"<bad>"));  // replaced, but not well formed
    EXPECT_EQ(L"<r><a><n1>1</n1><n2/></a><z><bad></z></r>", xml.GetDoc());
    EXPECT_TRUE(xml.FindChildElem(L"bad"));
    ExpectConsistent(xml);
}

TEST(XmlEdit, BrokenContentMakesDocumentIllFormed) {
    CNTXMLParse xml(L"<r><a/></r>");
    ASSERT_TRUE(xml.IsWellFormed());
    xml.FindElem();
    xml.FindChildElem(L"a");
    xml.IntoElem();
    EXPECT_FALSE(xml.SetElemContent(L"<b></c>"));
    EXPECT_EQ(L"<r><a><b></c></a></r>", xml.GetDoc());
    EXPECT_FALSE(xml.IsWellFormed());
    EXPECT_EQ(L"lone end tag 'c' at offset 9", xml.GetError());
    ExpectConsistent(xml);
}

TEST(XmlEdit, SubDocuments) {
    CNTXMLParse xml(L"<r>\r\n<a/>\r\n</r>");
    xml.FindElem();
    EXPECT_FALSE(xml.AddChildSubDoc(L"text only"));
    EXPECT_FALSE(xml.AddChildSubDoc(L"<x><y></x>"));
    EXPECT_FALSE(xml.AddChildSubDoc(L"<x/><y/>"));
    EXPECT_TRUE(xml.InsertChildSubDoc(L"<?xml version=\"1.0\"?>\r\n<s k='v'><t>1</t></s>\r\n"));
    EXPECT_EQ(L"<r>\r\n<s k='v'><t>1</t></s>\r\n<a/>\r\n</r>", xml.GetDoc());
    EXPECT_EQ(L"s", xml.GetChildTagName());
    ExpectConsistent(xml);
    xml.IntoElem();
    EXPECT_TRUE(xml.FindChildElem(L"t"));
    EXPECT_EQ(L"1", xml.GetChildData());
    xml.OutOfElem();
    xml.FindChildElem(L"a");
    std::wstring strSub = xml.GetChildSubDoc();
    EXPECT_EQ(L"<a/>\r\n", strSub);
    EXPECT_TRUE(xml.AddChildSubDoc(L"<b><c/></b>"));
    EXPECT_EQ(L"<r>\r\n<s k='v'><t>1</t></s>\r\n<a/>\r\n<b><c/></b>\r\n</r>", xml.GetDoc());
    ExpectConsistent(xml);
}

TEST(XmlEdit, AddAndInsertNodes) {
    CNTXMLParse xml(L"<r><a/></r>");
    xml.FindElem();
    xml.IntoElem();
    xml.FindElem(L"a");
    EXPECT_TRUE(xml.AddNode(CNTXMLParse::NODE_TEXT, L"x<y"));
    EXPECT_EQ(CNTXMLParse::NODE_TEXT, xml.GetNodeType());
    EXPECT_TRUE(xml.AddNode(CNTXMLParse::NODE_COMMENT, L"note"));
    EXPECT_TRUE(xml.AddNode(CNTXMLParse::NODE_ELEMENT, L"e"));
    EXPECT_EQ(L"e", xml.GetTagName());
    EXPECT_TRUE(xml.InsertNode(CNTXMLParse::NODE_CDATA, L"c"));
    EXPECT_FALSE(xml.AddNode(CNTXMLParse::NODE_CDATA, L"]]>"));
    EXPECT_FALSE(xml.AddNode(CNTXMLParse::NODE_PI, L"x?>y"));
    EXPECT_FALSE(xml.AddNode(CNTXMLParse::NODE_TEXT, L""));
    EXPECT_EQ(L"<r><a/>x&lt;y<!--note--><![CDATA[c]]><e/>\r\n</r>", xml.GetDoc());
    ExpectConsistent(xml);
    xml.ResetMainPos();
    EXPECT_TRUE(xml.FindElem(L"a"));
    EXPECT_TRUE(xml.FindElem(L"e"));
}

TEST(XmlEdit, RemoveElementsAndNodes) {
    CNTXMLParse xml(L"<r>\r\n<a/>\r\n<b><c/></b>\r\n<d/>\r\n</r>\r\n");
    xml.FindElem();
    xml.FindChildElem(L"b");
    xml.IntoElem();
    xml.FindChildElem(L"c");
    xml.SavePos(L"c");
    xml.OutOfElem();
    EXPECT_TRUE(xml.RemoveChildElem());
    EXPECT_EQ(L"a", xml.GetChildTagName());  // the previous sibling
    EXPECT_FALSE(xml.RestorePos(L"c"));
    EXPECT_EQ(L"<r>\r\n<a/>\r\n<d/>\r\n</r>\r\n", xml.GetDoc());
    ExpectConsistent(xml);
    xml.IntoElem();
    EXPECT_TRUE(xml.RemoveElem());
    EXPECT_EQ(0, xml.GetNodeType());  // it was the first
    EXPECT_TRUE(xml.FindElem());
    EXPECT_EQ(L"d", xml.GetTagName());
    EXPECT_EQ(L"<r>\r\n<d/>\r\n</r>\r\n", xml.GetDoc());
    EXPECT_TRUE(xml.RemoveNode());
    EXPECT_EQ(CNTXMLParse::NODE_WHITESPACE, xml.GetNodeType());
    EXPECT_TRUE(xml.RemoveNode());
    EXPECT_EQ(0, xml.GetNodeType());
    EXPECT_EQ(L"<r>\r\n</r>\r\n", xml.GetDoc());
    ExpectConsistent(xml);
    EXPECT_FALSE(xml.RemoveNode());
}

TEST(XmlEdit, RemovingLoneEndTagClearsBadData) {
    CNTXMLParse xml(L"<r><a>x</q>y</a></r>");
    xml.FindElem();
    xml.IntoElem();
    xml.FindElem(L"a");
    xml.IntoElem();
    EXPECT_EQ(CNTXMLParse::NODE_TEXT, xml.FindNode());
    EXPECT_EQ(CNTXMLParse::NODE_LONE_END_TAG, xml.FindNode());
    EXPECT_TRUE(xml.RemoveNode());
    EXPECT_EQ(CNTXMLParse::NODE_TEXT, xml.GetNodeType());
    EXPECT_EQ(L"x", xml.GetData());
    xml.OutOfElem();
    EXPECT_EQ(L"xy", xml.GetData());
    EXPECT_EQ(L"<r><a>xy</a></r>", xml.GetDoc());
    ExpectConsistent(xml);
}

TEST(XmlEdit, ManyEditsGrowRecordArray) {
    CNTXMLParse xml(L"<r/>");
    xml.FindElem();
    for (int i = 0; i < 3000; ++i) {
        ASSERT_TRUE(xml.AddChildElem(L"i", i, CNTXMLParse::EDIT_NO_LINES));
    }
    EXPECT_TRUE(CNTXMLParse::Test(xml));
    xml.ResetChildPos();
    int nCount = 0;
    while (xml.FindChildElem(L"i")) {
        EXPECT_EQ(std::to_wstring(nCount), xml.GetChildData());
        ++nCount;
    }
    EXPECT_EQ(3000, nCount);
}

}  // namespace
