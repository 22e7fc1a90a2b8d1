#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "childprocess.h"
#include "common/util/ntdebug.h"
#include "testdir.h"

namespace {

std::wstring ReadUtf16(const std::wstring& path) {
    std::string bytes = ReadFileBytes(path);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

TEST(DebugTest, LineFormatFillsEveryField) {
    SYSTEMTIME t = {};
    t.wYear = 2026;
    t.wMonth = 3;
    t.wDay = 4;
    t.wHour = 5;
    t.wMinute = 6;
    t.wSecond = 7;
    t.wMilliseconds = 8;
    EXPECT_EQ(NTFormatDebugLine(t, L"上传 ok"), L"[2026-03-04 05:06:07.008] 上传 ok\n");
    EXPECT_EQ(NTFormatDebugLine(t, nullptr), L"[2026-03-04 05:06:07.008] \n");
}

TEST(DebugTest, AppendsTimeStampedUtf16LinesWithoutBom) {
    TestDir dir(L"ntdebug");
    std::wstring log = dir / L"log.txt";
    ASSERT_TRUE(WriteFileBytes(log, std::string("a\0", 2)));
    CNTDebug debug(log.c_str());
    EXPECT_EQ(debug.IsDebug(), 1);
    debug.OutputString(L"first");
    CNTDebug::Output(&debug, L"%s=%d", L"second", 2);
    std::wstring text = ReadUtf16(log);
    std::wregex pattern(
        L"a\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\] first\\n"
        L"\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\] second=2\\n");
    EXPECT_TRUE(std::regex_match(text, pattern)) << std::string(text.begin(), text.end());
}

TEST(DebugTest, EmptyPathWritesNothingEvenAfterSetDebugFile) {
    TestDir dir(L"ntdebug-empty");
    std::wstring log = dir / L"never.txt";
    CNTDebug debug(L"");
    EXPECT_EQ(debug.IsDebug(), 0);
    debug.SetDebugFile(log.c_str());
    debug.OutputString(L"x");
    CNTDebug::Output(&debug, L"y");
    EXPECT_EQ(::GetFileAttributesW(log.c_str()), INVALID_FILE_ATTRIBUTES);
    CNTDebug nullPath(nullptr);
    EXPECT_EQ(nullPath.IsDebug(), 0);
}

TEST(DebugTest, SetDebugFileRedirectsAndUnopenableFileIsSkipped) {
    TestDir dir(L"ntdebug-set");
    CNTDebug debug((dir / L"a.txt").c_str());
    debug.SetDebugFile((dir / L"missing-folder\\b.txt").c_str());
    debug.OutputString(L"lost");
    debug.SetDebugFile((dir / L"c.txt").c_str());
    debug.OutputString(L"kept");
    EXPECT_EQ(::GetFileAttributesW((dir / L"a.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    std::wstring text = ReadUtf16(dir / L"c.txt");
    EXPECT_EQ(text.substr(text.size() - 6), L" kept\n");
}

TEST(DebugTest, GlobalWriterIsTheLatestLivingOne) {
    CNTDebug* before = NTGetDebug();
    {
        CNTDebug first(L"");
        EXPECT_EQ(NTGetDebug(), &first);
        {
            CNTDebug second(L"");
            EXPECT_EQ(NTGetDebug(), &second);
            CNTDebug copy(second);
            EXPECT_EQ(NTGetDebug(), &second);
        }
        EXPECT_EQ(NTGetDebug(), nullptr);
    }
    EXPECT_EQ(NTGetDebug(), nullptr);
    (void)before;
}

TEST(DebugTest, CopiesShareTheLockAndLinesNeverInterleave) {
    TestDir dir(L"ntdebug-threads");
    std::wstring log = dir / L"log.txt";
    CNTDebug debug(log.c_str());
    CNTDebug copy(debug);
    CNTDebug assigned(L"");
    assigned = debug;
    EXPECT_EQ(assigned.IsDebug(), 1);
    std::vector<std::thread> threads;
    CNTDebug* writers[3] = {&debug, &copy, &assigned};
    for (int t = 0; t < 3; ++t)
        threads.emplace_back([&, t] {
            std::wstring text(200, static_cast<wchar_t>(L'a' + t));
            for (int i = 0; i < 50; ++i) writers[t]->OutputString(text.c_str());
        });
    for (auto& thread : threads) thread.join();
    std::wstring text = ReadUtf16(log);
    std::wregex line(L"\\[[^\\]]+\\] (a{200}|b{200}|c{200})\\n");
    size_t lines = 0;
    for (std::wsregex_iterator it(text.begin(), text.end(), line), end; it != end; ++it) ++lines;
    EXPECT_EQ(lines, 150u);
    EXPECT_EQ(text.size(), 150u * (26 + 200 + 1));
}

TEST(DebugTest, OutputWithoutWriterGoesToTheDebugger) {
    EXPECT_EQ(RunDebuggee(L"util_child debug hello"), L"hello|42\n");
}

}  // namespace
