#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installhelper/processfind.h"
#include "tests/util/testdir.h"

namespace {

using ProcessQuery = int(WINAPI*)(const wchar_t*);

// ostrafel.dll as the installer loads it.
class Library {
public:
    Library() {
        const char* binary = ::getenv("NT_BINARY_DIR");
        std::wstring dir = binary ? L"Z:" + std::wstring(binary, binary + ::strlen(binary)) : L".";
        for (wchar_t& c : dir)
            if (c == L'/') c = L'\\';
        m_module = ::LoadLibraryW((dir + L"\\dist\\ostrafel.dll").c_str());
        if (m_module) {
            isRun = reinterpret_cast<ProcessQuery>(
                reinterpret_cast<void*>(::GetProcAddress(m_module, "IsRunProcess")));
            kill = reinterpret_cast<ProcessQuery>(
                reinterpret_cast<void*>(::GetProcAddress(m_module, "KillProcess")));
        }
    }
    ~Library() {
        if (m_module) ::FreeLibrary(m_module);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    ProcessQuery isRun = nullptr;
    ProcessQuery kill = nullptr;

private:
    HMODULE m_module = nullptr;
};

// Copies of the sleeper started under chosen names; whatever is left is ended at the end.
class ProcessTest : public ::testing::Test {
protected:
    ProcessTest() : m_dir(L"ostrafel") {}

    void SetUp() override {
        ASSERT_NE(m_lib.isRun, nullptr);
        ASSERT_NE(m_lib.kill, nullptr);
    }

    void TearDown() override {
        for (HANDLE process : m_processes) {
            ::TerminateProcess(process, 1);
            ::WaitForSingleObject(process, INFINITE);
            ::CloseHandle(process);
        }
    }

    // Starts the sleeper as <sub>\<name> under the test folder; returns its process handle.
    HANDLE Start(const std::wstring& sub, const std::wstring& name) {
        std::wstring folder = m_dir / sub;
        ::CreateDirectoryW(folder.c_str(), nullptr);
        std::wstring exe = folder + L"\\" + name;
        if (!::CopyFileW((ExeFolder() + L"\\ostrafel_sleeper.exe").c_str(), exe.c_str(), FALSE))
            return nullptr;
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        std::wstring cmd = L"\"" + exe + L"\"";
        if (!::CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                              nullptr, folder.c_str(), &si, &pi))
            return nullptr;
        m_processes.push_back(pi.hProcess);
        // Listed with its modules only once it runs: wait for its signal.
        std::wstring eventName = L"ostrafel-ready-" + std::to_wstring(pi.dwProcessId);
        HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
        ::ResumeThread(pi.hThread);
        ::CloseHandle(pi.hThread);
        HANDLE both[2] = {ready, pi.hProcess};
        DWORD woke = ::WaitForMultipleObjects(2, both, FALSE, INFINITE);
        ::CloseHandle(ready);
        return woke == WAIT_OBJECT_0 ? pi.hProcess : nullptr;
    }

    // Whether the process has ended, giving a terminated one time to go.
    static bool Ended(HANDLE process) {
        return ::WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    }
    static bool Running(HANDLE process) {
        return ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    }

    TestDir m_dir;
    Library m_lib;
    std::vector<HANDLE> m_processes;
};

TEST(ProcessNameTest, PlainNamesAndFullPathsMatchWithoutAsciiCase) {
    EXPECT_TRUE(ProcessNameMatches(L"quorbel.exe", L"quorbel.exe"));
    EXPECT_TRUE(ProcessNameMatches(L"QUORBEL.EXE", L"quorbel.exe"));
    EXPECT_TRUE(ProcessNameMatches(L"quorbel.exe", L"QuorBel.Exe"));
    EXPECT_TRUE(ProcessNameMatches(L"C:\\Program Files\\Q\\quorbel.exe", L"quorbel.exe"));
    EXPECT_TRUE(ProcessNameMatches(L"\\quorbel.exe", L"quorbel.exe"));
    EXPECT_TRUE(ProcessNameMatches(L"输入法.exe", L"输入法.EXE"));
}

TEST(ProcessNameTest, PartsOfNamesNeverMatch) {
    EXPECT_FALSE(ProcessNameMatches(L"quorbel.exe", L"el.exe"));
    EXPECT_FALSE(ProcessNameMatches(L"C:\\Q\\quorbel.exe", L"el.exe"));
    EXPECT_FALSE(ProcessNameMatches(L"C:\\Q\\quorbel.exe", L"bel.exe"));
    EXPECT_FALSE(ProcessNameMatches(L"el.exe", L"quorbel.exe"));
    EXPECT_FALSE(ProcessNameMatches(L"quorbel.exe ", L"quorbel.exe"));
    EXPECT_FALSE(ProcessNameMatches(L"C:/Q/quorbel.exe", L"quorbel.exe"));
    EXPECT_FALSE(ProcessNameMatches(L"", L"quorbel.exe"));
    EXPECT_FALSE(ProcessNameMatches(L"quorbel.exe", L""));
    EXPECT_FALSE(ProcessNameMatches(nullptr, L"quorbel.exe"));
    // Only ASCII letters fold: other characters must be identical.
    EXPECT_FALSE(ProcessNameMatches(L"Ä.exe", L"ä.exe"));
}

TEST_F(ProcessTest, FindsARunningProcessByNameOrPath) {
    EXPECT_EQ(m_lib.isRun(L"quorbel.exe"), 0);
    HANDLE q = Start(L"a", L"quorbel.exe");
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(m_lib.isRun(L"quorbel.exe"), 1);
    EXPECT_EQ(m_lib.isRun(L"QUORBEL.EXE"), 1);
    EXPECT_EQ(m_lib.isRun((m_dir / L"a\\quorbel.exe").c_str()), 1);
    EXPECT_EQ(m_lib.isRun(L"C:\\elsewhere\\Quorbel.exe"), 1);
    EXPECT_EQ(m_lib.isRun(L"orbel.exe"), 0);
    EXPECT_EQ(m_lib.isRun(L"xquorbel.exe"), 0);
    EXPECT_EQ(m_lib.isRun(L""), 0);
    EXPECT_EQ(m_lib.isRun(nullptr), 0);
    EXPECT_TRUE(Running(q));
}

TEST_F(ProcessTest, UpperCaseExecutableMatchesLowerCaseName) {
    HANDLE q = Start(L"upper", L"QUORBEL.EXE");
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(m_lib.isRun(L"quorbel.exe"), 1);
    EXPECT_EQ(m_lib.kill(L"quorbel.exe"), 1);
    EXPECT_TRUE(Ended(q));
}

TEST_F(ProcessTest, ShorterNamedProcessIsNeitherFoundNorKilled) {
    HANDLE el = Start(L"b", L"el.exe");
    ASSERT_NE(el, nullptr);
    EXPECT_EQ(m_lib.isRun(L"quorbel.exe"), 0);
    EXPECT_EQ(m_lib.isRun((m_dir / L"b\\quorbel.exe").c_str()), 0);
    EXPECT_EQ(m_lib.kill(L"quorbel.exe"), 1);
    EXPECT_EQ(m_lib.kill(L"C:\\Program Files\\Q\\quorbel.exe"), 1);
    EXPECT_TRUE(Running(el));
    EXPECT_EQ(m_lib.isRun(L"el.exe"), 1);
}

TEST_F(ProcessTest, KillEndsTheMatchAndSparesTheOthers) {
    HANDLE el = Start(L"c", L"el.exe");
    HANDLE q = Start(L"c", L"quorbel.exe");
    ASSERT_NE(el, nullptr);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(m_lib.kill((m_dir / L"c\\quorbel.exe").c_str()), 1);
    EXPECT_TRUE(Ended(q));
    DWORD code = 99;
    ::GetExitCodeProcess(q, &code);
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(Running(el));
    EXPECT_EQ(m_lib.isRun(L"quorbel.exe"), 0);
    EXPECT_EQ(m_lib.isRun(L"el.exe"), 1);
}

TEST_F(ProcessTest, KillStopsAfterThreeTerminations) {
    std::vector<HANDLE> copies;
    for (const wchar_t* sub : {L"d1", L"d2", L"d3", L"d4"}) {
        copies.push_back(Start(sub, L"quorbel.exe"));
        ASSERT_NE(copies.back(), nullptr);
    }
    EXPECT_EQ(m_lib.kill(L"quorbel.exe"), 0);
    int running = 0;
    for (HANDLE process : copies) running += Running(process) ? 1 : 0;
    EXPECT_EQ(running, 1);
    EXPECT_EQ(m_lib.isRun(L"quorbel.exe"), 1);
    EXPECT_EQ(m_lib.kill(L"quorbel.exe"), 1);
    for (HANDLE process : copies) EXPECT_TRUE(Ended(process));
}

TEST_F(ProcessTest, NothingToKillReportsSuccess) {
    EXPECT_EQ(m_lib.kill(L"not-running.exe"), 1);
    EXPECT_EQ(m_lib.kill(L""), 1);
    EXPECT_EQ(m_lib.kill(nullptr), 1);
}

}  // namespace
