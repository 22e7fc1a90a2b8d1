#include <gtest/gtest.h>

#include <string>

#include "childprocess.h"
#include "common/util/ntsystem.h"
#include "testdir.h"

namespace {

TEST(CmdLineTest, QuotedArgumentKeepsItsSpace) {
    const wchar_t* line = L"prog.exe \"C:\\Program Files\\a b.txt\" more";
    EXPECT_EQ(NTGetCmdLineArg(line, 0), L"prog.exe");
    EXPECT_EQ(NTGetCmdLineArg(line, 1), L"C:\\Program Files\\a b.txt");
    EXPECT_EQ(NTGetCmdLineArg(line, 2), L"more");
    EXPECT_EQ(NTGetCmdLineArg(line, 3), L"");
}

TEST(CmdLineTest, SeparatorsQuotesAndEmptyInput) {
    EXPECT_EQ(NTGetCmdLineArg(L"  a \t\t b  ", 1), L"b");
    EXPECT_EQ(NTGetCmdLineArg(L"  a \t\t b  ", 2), L"");
    EXPECT_EQ(NTGetCmdLineArg(L"x ab\"c d\"e f", 1), L"abc de");
    EXPECT_EQ(NTGetCmdLineArg(L"x ab\"c d\"e f", 2), L"f");
    EXPECT_EQ(NTGetCmdLineArg(L"x \"\" y", 1), L"");
    EXPECT_EQ(NTGetCmdLineArg(L"x \"\" y", 2), L"y");
    EXPECT_EQ(NTGetCmdLineArg(L"x \"open ended", 1), L"open ended");
    EXPECT_EQ(NTGetCmdLineArg(L"", 0), L"");
    EXPECT_EQ(NTGetCmdLineArg(nullptr, 0), L"");
    EXPECT_EQ(NTGetCmdLineArg(L"x", -1), L"");
}

TEST(CmdLineTest, LongArgumentIsCutTo259Units) {
    std::wstring line = L"prog " + std::wstring(300, L'a') + L" next";
    EXPECT_EQ(NTGetCmdLineArg(line.c_str(), 1), std::wstring(259, L'a'));
    EXPECT_EQ(NTGetCmdLineArg(line.c_str(), 2), L"next");
}

TEST(CmdLineTest, RealProcessCommandLine) {
    std::string out = RunChild(L"util_child.exe args \"two words\" 照 \"\"");
    EXPECT_EQ(out.substr(out.find('\n') + 1), "args\ntwo words\n\xe7\x85\xa7\n\n\n");
}

TEST(DeleteFolderTest, DeletesNestedReadOnlyContents) {
    TestDir dir(L"ntdelete");
    std::wstring root = dir / L"root";
    ASSERT_TRUE(::CreateDirectoryW(root.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((root + L"\\sub").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((root + L"\\sub\\deeper").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(root + L"\\a.txt", "a"));
    ASSERT_TRUE(WriteFileBytes(root + L"\\sub\\deeper\\已上传.jpg", "b"));
    ASSERT_TRUE(::SetFileAttributesW((root + L"\\a.txt").c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_TRUE(NTDeleteFolder(root.c_str(), FALSE));
    EXPECT_EQ(::GetFileAttributesW(root.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(::GetFileAttributesW((root + L"\\sub").c_str()), INVALID_FILE_ATTRIBUTES);

    ASSERT_TRUE(WriteFileBytes(root + L"\\b.txt", "b"));
    EXPECT_TRUE(NTDeleteFolder((root + L"\\").c_str(), TRUE));
    EXPECT_EQ(::GetFileAttributesW(root.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(DeleteFolderTest, UndeletableFileStopsAndKeepsTheFolder) {
    TestDir dir(L"ntdelete-locked");
    std::wstring root = dir / L"root";
    ASSERT_TRUE(::CreateDirectoryW(root.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(root + L"\\locked.txt", "x"));
    HANDLE lock = ::CreateFileW((root + L"\\locked.txt").c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(NTDeleteFolder(root.c_str(), TRUE));
    EXPECT_NE(::GetFileAttributesW(root.c_str()), INVALID_FILE_ATTRIBUTES);
    ::CloseHandle(lock);
    EXPECT_TRUE(NTDeleteFolder(root.c_str(), TRUE));
}

TEST(DeleteFolderTest, MissingOrEmptyPathFails) {
    TestDir dir(L"ntdelete-missing");
    EXPECT_FALSE(NTDeleteFolder((dir / L"absent").c_str(), TRUE));
    EXPECT_FALSE(NTDeleteFolder(L"", TRUE));
    EXPECT_FALSE(NTDeleteFolder(nullptr, FALSE));
}

}  // namespace
