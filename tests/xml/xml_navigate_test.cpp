// Moving through a document: elements, nodes, saved positions, and reading at each position.

#include <gtest/gtest.h>

#include "common/xml/ntxmlparse.h"

namespace {

const wchar_t kDoc[] =
    L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    L"<config>\r\n"
    L"<server url=\"http://a/b?x=1&amp;y=2\" port='8080'/>\r\n"
    L"<student no=\"7\"><name>Li &lt;Ming&gt;</name><grade>\u4e09\u5e74\u7ea7</grade></student>\r\n"
    L"<student no=\"8\"><name>Wang</name></student>\r\n"
    L"</config>\r\n";

TEST(XmlNavigate, FindElemByNameAndAny) {
    CNTXMLParse xml(kDoc);
    ASSERT_TRUE(xml.FindElem(L"config"));
    EXPECT_EQ(CNTXMLParse::NODE_ELEMENT, xml.GetNodeType());
    ASSERT_TRUE(xml.IntoElem());
    EXPECT_TRUE(xml.FindElem(L"student"));
    EXPECT_EQ(L"7", xml.GetAttrib(L"no"));
    EXPECT_TRUE(xml.FindElem(L"student"));
    EXPECT_EQ(L"8", xml.GetAttrib(L"no"));
    EXPECT_FALSE(xml.FindElem(L"student"));
    EXPECT_EQ(L"8", xml.GetAttrib(L"no"));  // a failed search leaves the position
    xml.ResetMainPos();
    EXPECT_TRUE(xml.FindElem());
    EXPECT_EQ(L"server", xml.GetTagName());
    EXPECT_EQ(L"http://a/b?x=1&y=2", xml.GetAttrib(L"url"));
    EXPECT_EQ(L"8080", xml.GetAttrib(L"port"));
    EXPECT_EQ(L"", xml.GetAttrib(L"missing"));
}

TEST(XmlNavigate, ChildElementsAndLevels) {
    CNTXMLParse xml(kDoc);
    EXPECT_TRUE(xml.FindChildElem(L"server"));  // finds the root first
    EXPECT_EQ(L"config", xml.GetTagName());
    EXPECT_EQ(L"server", xml.GetChildTagName());
    EXPECT_EQ(L"8080", xml.GetChildAttrib(L"port"));
    EXPECT_TRUE(xml.FindChildElem(L"student"));
    ASSERT_TRUE(xml.IntoElem());
    EXPECT_EQ(L"student", xml.GetTagName());
    EXPECT_TRUE(xml.FindChildElem(L"grade"));
    EXPECT_EQ(L"\u4e09\u5e74\u7ea7", xml.GetChildData());
    xml.ResetChildPos();
    EXPECT_TRUE(xml.FindChildElem(L"name"));
    EXPECT_EQ(L"Li <Ming>", xml.GetChildData());
    EXPECT_TRUE(xml.OutOfElem());
    EXPECT_EQ(L"config", xml.GetTagName());
    EXPECT_EQ(L"student", xml.GetChildTagName());
    EXPECT_FALSE(xml.OutOfElem());
    xml.ResetPos();
    EXPECT_FALSE(xml.IntoElem());
}

TEST(XmlNavigate, PathFormsAndPredicates) {
    CNTXMLParse xml(kDoc);
    EXPECT_FALSE(xml.FindElem(L"/config"));
    EXPECT_FALSE(xml.FindElem(L"//config"));
    EXPECT_TRUE(xml.FindElem(L"config[1]"));
    xml.ResetPos();
    EXPECT_TRUE(xml.FindElem(L"config/server"));
    EXPECT_FALSE(xml.FindChildElem(L"serv"));
    EXPECT_FALSE(xml.FindChildElem(L"serverx"));
}

TEST(XmlNavigate, ElementReading) {
    CNTXMLParse xml(kDoc);
    xml.FindElem();
    xml.IntoElem();
    xml.FindElem(L"student");
    EXPECT_EQ(L"", xml.GetData());  // has child elements
    EXPECT_EQ(L"<name>Li &lt;Ming&gt;</name><grade>\u4e09\u5e74\u7ea7</grade>",
              xml.GetElemContent());
    EXPECT_EQ(
        L"<student no=\"7\"><name>Li &lt;Ming&gt;</name><grade>\u4e09\u5e74\u7ea7</grade>"
        L"</student>\r\n",
        xml.GetSubDoc());
    MCD_STR strName, strValue;
    EXPECT_TRUE(xml.GetNthAttrib(0, strName, strValue));
    EXPECT_EQ(L"no", strName);
    EXPECT_EQ(L"7", strValue);
    EXPECT_FALSE(xml.GetNthAttrib(1, strName, strValue));
    xml.ResetMainPos();
    ASSERT_TRUE(xml.FindElem(L"server"));
    EXPECT_EQ(L"port", xml.GetAttribName(1));
    EXPECT_EQ(L"", xml.GetAttribName(2));
}

TEST(XmlNavigate, MixedContentData) {
    CNTXMLParse xml(L"<a> x &amp; <![CDATA[<y>]]> <!-- no --> z<?pi?></a>");
    xml.FindElem();
    EXPECT_EQ(L" x & <y> z", xml.GetData());
}

TEST(XmlNavigate, FindNodeWalksEveryKind) {
    CNTXMLParse xml(
        L"<?xml version=\"1.0\"?><!DOCTYPE r><r>t<![CDATA[c]]><!--m--><?p d?>"
        L"<e/> </x></r>");
    struct Expect {
        int nType;
        const wchar_t* pszName;
        const wchar_t* pszData;
    } top[] = {{CNTXMLParse::NODE_PI, L"xml", L"xml version=\"1.0\""},
               {CNTXMLParse::NODE_DOCTYPE, L"r", L"<!DOCTYPE r>"},
               {CNTXMLParse::NODE_ELEMENT, L"r", L""}};
    for (const Expect& e : top) {
        EXPECT_EQ(e.nType, xml.FindNode());
        EXPECT_EQ(e.pszName, xml.GetTagName());
        EXPECT_EQ(e.pszData, xml.GetData());
    }
    EXPECT_EQ(0, xml.FindNode());
    ASSERT_TRUE(xml.IntoElem());
    Expect inner[] = {{CNTXMLParse::NODE_TEXT, L"#text", L"t"},
                      {CNTXMLParse::NODE_CDATA, L"#cdata-section", L"c"},
                      {CNTXMLParse::NODE_COMMENT, L"#comment", L"m"},
                      {CNTXMLParse::NODE_PI, L"p", L"p d"},
                      {CNTXMLParse::NODE_ELEMENT, L"e", L""},
                      {CNTXMLParse::NODE_WHITESPACE, L"#text", L" "},
                      {CNTXMLParse::NODE_LONE_END_TAG, L"x", L"x"}};
    for (const Expect& e : inner) {
        EXPECT_EQ(e.nType, xml.FindNode());
        EXPECT_EQ(e.pszName, xml.GetTagName());
        EXPECT_EQ(e.pszData, xml.GetData());
    }
    EXPECT_EQ(0, xml.FindNode());
    EXPECT_EQ(CNTXMLParse::NODE_LONE_END_TAG, xml.GetNodeType());
}

TEST(XmlNavigate, FindNodeWithMask) {
    CNTXMLParse xml(L"<r>a<b/>c<!--d--><e/></r>");
    xml.FindElem();
    xml.IntoElem();
    EXPECT_EQ(CNTXMLParse::NODE_COMMENT, xml.FindNode(CNTXMLParse::NODE_COMMENT));
    EXPECT_EQ(L"#comment", xml.GetTagName());
    // The main position moved over <b/> while the comment was searched for.
    EXPECT_TRUE(xml.FindElem());
    EXPECT_EQ(L"e", xml.GetTagName());
    xml.ResetMainPos();
    EXPECT_EQ(CNTXMLParse::NODE_ELEMENT,
              xml.FindNode(CNTXMLParse::NODE_ELEMENT | CNTXMLParse::NODE_COMMENT));
    EXPECT_EQ(L"b", xml.GetTagName());
    EXPECT_EQ(0, xml.FindNode(CNTXMLParse::NODE_CDATA));
    EXPECT_EQ(L"b", xml.GetTagName());
}

TEST(XmlNavigate, NodesStopAtElementsAddedAfterBrokenMarkup) {
    CNTXMLParse xml(L"<!DOCTYPE x");
    ASSERT_TRUE(xml.AddNode(CNTXMLParse::NODE_ELEMENT, L"b"));
    EXPECT_EQ(L"<!DOCTYPE x<b/>", xml.GetDoc());
    xml.ResetPos();
    EXPECT_EQ(CNTXMLParse::NODE_ERROR, xml.FindNode());
    EXPECT_EQ(CNTXMLParse::NODE_ELEMENT, xml.FindNode());
    EXPECT_EQ(L"b", xml.GetTagName());
    EXPECT_EQ(0, xml.FindNode());
}

TEST(XmlNavigate, FindNodeInEmptyParent) {
    CNTXMLParse xml(L"<r/>");
    xml.FindElem();
    xml.IntoElem();
    EXPECT_EQ(0, xml.FindNode());
}

TEST(XmlNavigate, ProcessingInstructionAttributes) {
    CNTXMLParse xml(L"<?xml version=\"1.0\" encoding='GBK'?><r/>");
    EXPECT_EQ(CNTXMLParse::NODE_PI, xml.FindNode());
    EXPECT_EQ(L"GBK", xml.GetAttrib(L"encoding"));
    MCD_STR strName, strValue;
    EXPECT_TRUE(xml.GetNthAttrib(0, strName, strValue));
    EXPECT_EQ(L"version", strName);
    EXPECT_EQ(L"1.0", strValue);
}

TEST(XmlNavigate, SavedPositionsAtEachLevel) {
    CNTXMLParse xml(kDoc);
    EXPECT_TRUE(xml.SavePos(L"top"));  // nothing current: the parent level (document)
    xml.FindElem();
    EXPECT_TRUE(xml.SavePos(L"root"));
    xml.FindChildElem(L"student");
    EXPECT_TRUE(xml.SavePos(L"s1", 3));
    xml.IntoElem();
    xml.FindElem(L"student");
    EXPECT_TRUE(xml.SavePos(L"s2"));
    EXPECT_FALSE(xml.SavePos(MCD_CSTR()));
    xml.ResetPos();
    ASSERT_TRUE(xml.RestorePos(L"s1", 3));
    EXPECT_EQ(L"config", xml.GetTagName());
    EXPECT_EQ(L"7", xml.GetChildAttrib(L"no"));
    ASSERT_TRUE(xml.RestorePos(L"s2"));
    EXPECT_EQ(L"8", xml.GetAttrib(L"no"));
    EXPECT_TRUE(xml.OutOfElem());
    ASSERT_TRUE(xml.RestorePos(L"root"));
    EXPECT_EQ(L"config", xml.GetTagName());
    EXPECT_EQ(L"", xml.GetChildTagName());
    ASSERT_TRUE(xml.RestorePos(L"top"));
    EXPECT_EQ(0, xml.GetNodeType());
    EXPECT_TRUE(xml.FindElem(L"config"));
    EXPECT_FALSE(xml.RestorePos(L"s1"));  // saved in map 3, not map 0
    EXPECT_FALSE(xml.RestorePos(L"nope"));
}

TEST(XmlNavigate, SavedPositionOverwriteAndMaps) {
    CNTXMLParse xml(L"<r><a/><b/></r>");
    EXPECT_TRUE(xml.SetMapSize(1, 2));
    EXPECT_FALSE(xml.SetMapSize(5, 2));
    xml.FindElem();
    xml.FindChildElem(L"a");
    EXPECT_TRUE(xml.SavePos(L"p", 2));
    xml.FindChildElem(L"b");
    EXPECT_TRUE(xml.SavePos(L"p", 2));
    EXPECT_TRUE(xml.SavePos(L"q", 2));
    xml.ResetPos();
    EXPECT_TRUE(xml.RestorePos(L"p", 2));
    EXPECT_EQ(L"b", xml.GetChildTagName());
    // A new parse forgets saved positions.
    xml.SetDoc(L"<r/>");
    EXPECT_FALSE(xml.RestorePos(L"p", 2));
}

TEST(XmlNavigate, WhitespaceFlagsOnDataAndAttributes) {
    CNTXMLParse xml(L"<a v=' x  y '>  a \r\n b  </a>");
    xml.FindElem();
    EXPECT_EQ(L"  a \r\n b  ", xml.GetData());
    xml.SetDocFlags(CNTXMLParse::DOC_TRIM_SPACE);
    EXPECT_EQ(L"a \r\n b", xml.GetData());
    EXPECT_EQ(L"x  y", xml.GetAttrib(L"v"));
    xml.SetDocFlags(CNTXMLParse::DOC_COLLAPSE_SPACE);
    EXPECT_EQ(L"a b", xml.GetData());
    EXPECT_EQ(L"x y", xml.GetAttrib(L"v"));
    xml.SetDocFlags(0x7F);
    EXPECT_EQ(0xF, xml.GetDocFlags());  // transfer bits are never stored
}

}  // namespace
