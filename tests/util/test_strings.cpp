#include <gtest/gtest.h>

#include <string>

#include "common/util/ntstringconvert.h"

namespace {

using S = CNTStringConvert;

TEST(StringConvertTest, ReplaceAllRepeatsFromTheStart) {
    std::wstring text = L"aab";
    EXPECT_TRUE(S::ReplaceAll(text, L"ab", L"b"));
    EXPECT_EQ(text, L"b");
    text = L"a//b///c";
    EXPECT_TRUE(S::ReplaceAll(text, L"//", L"/"));
    EXPECT_EQ(text, L"a/b/c");
    text = L"xaaaay";
    EXPECT_TRUE(S::ReplaceAll(text, L"aa", L"a"));
    EXPECT_EQ(text, L"xay");
    text = L"nothing here";
    EXPECT_TRUE(S::ReplaceAll(text, L"zz", L"y"));
    EXPECT_EQ(text, L"nothing here");
}

TEST(StringConvertTest, ReplaceAllRefusesSearchesThatWouldNeverEnd) {
    std::wstring text = L"aa";
    EXPECT_FALSE(S::ReplaceAll(text, L"a", L"aa"));
    EXPECT_EQ(text, L"aa");
    EXPECT_FALSE(S::ReplaceAll(text, L"", L"x"));
    EXPECT_EQ(text, L"aa");
}

TEST(StringConvertTest, ReplaceAllDistinctContinuesAfterTheInsertion) {
    std::wstring text = L"aa";
    EXPECT_TRUE(S::ReplaceAllDistinct(text, L"a", L"aa"));
    EXPECT_EQ(text, L"aaaa");
    text = L"aab";
    EXPECT_TRUE(S::ReplaceAllDistinct(text, L"ab", L"b"));
    EXPECT_EQ(text, L"ab");
    text = L"a.b.c";
    EXPECT_TRUE(S::ReplaceAllDistinct(text, L".", L""));
    EXPECT_EQ(text, L"abc");
    EXPECT_FALSE(S::ReplaceAllDistinct(text, L"", L"x"));
    EXPECT_EQ(text, L"abc");
}

TEST(StringConvertTest, Utf8AndAnsiConversions) {
    EXPECT_EQ(S::UTF8ToUnicode("\xe5\xb7\xb2\xe4\xb8\x8a\xe4\xbc\xa0 ok"), L"已上传 ok");
    EXPECT_EQ(S::UTF8ToUnicode(nullptr), L"");
    EXPECT_EQ(S::UTF8ToUnicode(""), L"");
    EXPECT_EQ(S::AnsiToUnicode("plain"), L"plain");
    EXPECT_EQ(S::UnicodeToAnsi(L"plain"), "plain");
    EXPECT_EQ(S::UnicodeToAnsi(nullptr), "");
    EXPECT_EQ(S::UTF8ToANSI("abc"), "abc");
    // What the ANSI code page cannot hold becomes its default character, never nothing.
    std::string ansi = S::UnicodeToAnsi(L"\U0001F600x");
    EXPECT_FALSE(ansi.empty());
    EXPECT_EQ(ansi.back(), 'x');
    EXPECT_EQ(S::AnsiToUnicode(S::UnicodeToAnsi(L"round trip").c_str()), L"round trip");
}

TEST(StringConvertTest, SelfCheckPasses) { EXPECT_TRUE(S::Test()); }

}  // namespace
