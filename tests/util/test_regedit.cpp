#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/util/ntregedit.h"

namespace {

const wchar_t kBase[] = L"Software\\NTUtilTests";

class RegEditTest : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kBase); }
    static std::wstring Key(const wchar_t* sub) { return std::wstring(kBase) + L"\\" + sub; }
};

TEST_F(RegEditTest, MissingKeyGivesDefaultsAndFirstWriteCreatesIt) {
    CNTRegEdit reg(HKEY_CURRENT_USER, Key(L"Missing").c_str());
    EXPECT_FALSE(reg.IsOpen());
    EXPECT_EQ(reg.ReadDword(L"A", 17u), 17u);
    EXPECT_EQ(reg.ReadDword64(L"A", 0x123456789ull), 0x123456789ull);
    EXPECT_EQ(reg.ReadString(L"A", L"fallback"), L"fallback");
    EXPECT_EQ(reg.ReadString(L"A", nullptr), L"");
    BYTE buffer[4];
    EXPECT_EQ(reg.ReadBin(L"A", buffer, sizeof(buffer)), 0);
    std::vector<std::wstring> names = {L"stale"};
    EXPECT_FALSE(reg.EnumKeys(names));
    EXPECT_TRUE(names.empty());
    EXPECT_FALSE(reg.DeleteValue(L"A"));
    EXPECT_FALSE(reg.DeleteKey(L"A"));

    EXPECT_TRUE(reg.WriteDword(L"A", 5));
    EXPECT_TRUE(reg.IsOpen());
    CNTRegEdit again(Key(L"Missing").c_str());
    EXPECT_TRUE(again.IsOpen());
    EXPECT_EQ(again.ReadDword(L"A", 0), 5u);
}

TEST_F(RegEditTest, TypedValuesRoundTrip) {
    CNTRegEdit reg(Key(L"Values").c_str());
    EXPECT_TRUE(reg.WriteDword(L"Dword", 0xDEADBEEF));
    EXPECT_TRUE(reg.WriteDword64(L"Qword", 0x0102030405060708ull));
    EXPECT_TRUE(reg.WriteString(L"Text", L"路径 C:\\x"));
    EXPECT_TRUE(reg.WriteString(L"Empty", L""));
    const BYTE bin[5] = {1, 2, 0, 4, 255};
    EXPECT_TRUE(reg.WriteBin(L"Bin", bin, sizeof(bin)));

    CNTRegEdit read(HKEY_CURRENT_USER, Key(L"Values").c_str());
    EXPECT_EQ(read.ReadDword(L"Dword", 0), 0xDEADBEEFu);
    EXPECT_EQ(read.ReadDword64(L"Qword", 0), 0x0102030405060708ull);
    EXPECT_EQ(read.ReadString(L"Text", L"-"), L"路径 C:\\x");
    EXPECT_EQ(read.ReadString(L"Empty", L"-"), L"");
    BYTE out[8] = {};
    EXPECT_EQ(read.ReadBin(L"Bin", out, sizeof(out)), 5);
    EXPECT_EQ(std::vector<BYTE>(out, out + 5), std::vector<BYTE>(bin, bin + 5));
    BYTE small[4] = {};
    EXPECT_EQ(read.ReadBin(L"Bin", small, sizeof(small)), 0);
}

TEST_F(RegEditTest, StringWithoutTerminatorReadsBackExactly) {
    HKEY key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, Key(L"Raw").c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, &key, nullptr),
              0);
    const wchar_t text[] = L"abcd";
    ::RegSetValueExW(key, L"S", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 6);
    ::RegCloseKey(key);
    CNTRegEdit reg(Key(L"Raw").c_str());
    EXPECT_EQ(reg.ReadString(L"S", L""), L"abc");
    ASSERT_TRUE(reg.WriteString(L"T", L"xyz"));
    EXPECT_EQ(reg.ReadString(L"T", L""), L"xyz");
}

TEST_F(RegEditTest, WrongTypesAndSizesGiveTheDefault) {
    HKEY key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, Key(L"Types").c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, &key, nullptr),
              0);
    const wchar_t text[] = L"12";
    ::RegSetValueExW(key, L"Sz", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof(text));
    const BYTE two[2] = {1, 2};
    ::RegSetValueExW(key, L"Short", 0, REG_DWORD, two, sizeof(two));
    const BYTE eight[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    ::RegSetValueExW(key, L"Eight", 0, REG_BINARY, eight, sizeof(eight));
    const wchar_t expand[] = L"%PATH%";
    ::RegSetValueExW(key, L"Expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand),
                     sizeof(expand));
    ::RegCloseKey(key);

    CNTRegEdit reg(Key(L"Types").c_str());
    EXPECT_EQ(reg.ReadDword(L"Sz", 9), 9u);
    EXPECT_EQ(reg.ReadDword(L"Short", 9), 9u);
    EXPECT_EQ(reg.ReadDword64(L"Eight", 9), 9u);
    EXPECT_EQ(reg.ReadDword64(L"Sz", 9), 9u);
    EXPECT_EQ(reg.ReadString(L"Eight", L"d"), L"d");
    EXPECT_EQ(reg.ReadString(L"Expand", L"d"), L"%PATH%");
    BYTE out[4];
    EXPECT_EQ(reg.ReadBin(L"Sz", out, sizeof(out)), 0);
    EXPECT_EQ(reg.ReadBin(L"Missing", nullptr, 0), 0);
}

TEST_F(RegEditTest, EnumeratesAndDeletesWholeTrees) {
    {
        CNTRegEdit deep(Key(L"Tree\\A\\B\\C").c_str());
        ASSERT_TRUE(deep.WriteDword(L"v", 1));
        CNTRegEdit other(Key(L"Tree\\D").c_str());
        ASSERT_TRUE(other.WriteString(L"w", L"x"));
        CNTRegEdit top(Key(L"Tree").c_str());
        ASSERT_TRUE(top.WriteDword(L"one", 1));
        ASSERT_TRUE(top.WriteDword(L"two", 2));
    }
    CNTRegEdit tree(Key(L"Tree").c_str());
    std::vector<std::wstring> names;
    EXPECT_TRUE(tree.EnumKeys(names));
    EXPECT_EQ(names, (std::vector<std::wstring>{L"A", L"D"}));
    EXPECT_TRUE(tree.EnumValues(names));
    EXPECT_EQ(names, (std::vector<std::wstring>{L"one", L"two"}));

    EXPECT_TRUE(tree.DeleteValue(L"one"));
    EXPECT_FALSE(tree.DeleteValue(L"one"));
    EXPECT_TRUE(tree.DeleteKey(L"A"));
    EXPECT_FALSE(tree.DeleteKey(L"A"));
    EXPECT_FALSE(tree.DeleteKey(L""));
    EXPECT_FALSE(tree.DeleteKey(nullptr));
    EXPECT_TRUE(tree.EnumKeys(names));
    EXPECT_EQ(names, (std::vector<std::wstring>{L"D"}));
    EXPECT_FALSE(CNTRegEdit(Key(L"Tree\\A").c_str()).IsOpen());

    CNTRegEdit empty(Key(L"Tree\\D").c_str());
    EXPECT_FALSE(empty.EnumKeys(names));
    EXPECT_TRUE(names.empty());
}

TEST_F(RegEditTest, PathTooLongForTheBufferIsRefusedNotCut) {
    // The longest path that fits names a real key; one more step must not land in it.
    std::wstring fits = Key(L"") + std::wstring(MAX_PATH - 1 - Key(L"").size(), L'p');
    ASSERT_EQ(fits.size(), static_cast<size_t>(MAX_PATH - 1));
    CNTRegEdit prefix(fits.c_str());
    ASSERT_TRUE(prefix.WriteDword(L"x", 7));
    EXPECT_EQ(CNTRegEdit(fits.c_str()).ReadDword(L"x", 0), 7u);

    std::wstring longer = fits + L"\\deeper";
    CNTRegEdit reg(longer.c_str());
    EXPECT_FALSE(reg.IsOpen());
    EXPECT_EQ(reg.ReadDword(L"x", 3), 3u);
    EXPECT_FALSE(reg.WriteDword(L"x", 9));
    EXPECT_FALSE(reg.WriteString(L"s", L"lost"));
    EXPECT_FALSE(reg.IsOpen());
    EXPECT_EQ(prefix.ReadDword(L"x", 0), 7u);
    std::vector<std::wstring> names;
    EXPECT_TRUE(prefix.EnumValues(names));
    EXPECT_EQ(names, (std::vector<std::wstring>{L"x"}));
}

}  // namespace
