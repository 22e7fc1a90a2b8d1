// feltrine.exe as a process: one copy at a time, configuration failures, direct mode from the
// command line, exit codes.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <memory>

#include "support/filebytes.h"
#include "support/scratchfolder.h"
#include "support/simlane.h"
#include "testfiles.h"
#include "uidriver.h"

namespace {

// How long a started copy may take to show its window.
constexpr DWORD kStartLimitMs = 15000;

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// The built program folder (dist) in Windows form, with a trailing backslash.
std::wstring DistFolder() {
    const char* binary = getenv("NT_BINARY_DIR");
    std::wstring dir = L"Z:";
    for (const char* c = binary ? binary : ""; *c; ++c)
        dir += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return dir + L"\\dist\\";
}

// Where upload.xml puts the controls these tests use (client coordinates).
constexpr POINT kNumberEdit = {370, 98};
constexpr POINT kSelectButton = {488, 167};
constexpr POINT kCloseButton = {570, 26};

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(sim.Base().empty()) << "NTSIM_PORT_FILE not readable";
        ASSERT_TRUE(sim.Reset());
        folder = program.Path() + L"\\";
        std::wstring dist = DistFolder();
        ASSERT_TRUE(
            CopyFileW((dist + L"feltrine.exe").c_str(), (folder + L"feltrine.exe").c_str(), FALSE));
        ASSERT_TRUE(CreateDirectoryW((folder + L"skin").c_str(), nullptr));
        for (const std::wstring& name : ListNames(dist + L"skin")) {
            ASSERT_TRUE(CopyFileW((dist + L"skin\\" + name).c_str(),
                                  (folder + L"skin\\" + name).c_str(), FALSE));
        }
        ASSERT_TRUE(
            WriteUtf16File(folder + L"config.xml",
                           L"<config><SSOUrlBase>" + sim.WideBase() + L"</SSOUrlBase></config>"));
    }

    void TearDown() override {
        for (auto& process : started) {
            if (WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT)
                TerminateProcess(process.get(), 99);
        }
        EXPECT_TRUE(sim.Reset());
    }

    // Starts the copied program with that argument text; its process handle and id.
    HANDLE Start(const std::wstring& arguments, DWORD& pid) {
        std::wstring line = L"\"" + folder + L"feltrine.exe\" " + arguments;
        STARTUPINFOW si = {sizeof(si)};
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                            &si, &pi)) {
            ADD_FAILURE() << "CreateProcess failed: " << GetLastError();
            return nullptr;
        }
        CloseHandle(pi.hThread);
        pid = pi.dwProcessId;
        started.emplace_back(pi.hProcess);
        return pi.hProcess;
    }

    // The exit code once the process has ended within `ms`; 259 (still active) otherwise.
    DWORD ExitCode(HANDLE process, DWORD ms = 15000) {
        WaitForSingleObject(process, ms);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process, &code);
        return code;
    }

    void ClickClient(HWND hWnd, POINT client) {
        ClientToScreen(hWnd, &client);
        Click(client);
    }

    CSimLane sim{"feltrine-program"};
    CScratchFolder program{L"feltrine_program"};
    std::wstring folder;
    std::vector<UniqueHandle> started;
};

TEST_F(ProgramTest, SecondCopyShowsItsMessageAndLeavesTheFirstRunning) {
    DWORD firstPid = 0, secondPid = 0;
    HANDLE first = Start(L"", firstPid);
    ASSERT_NE(first, nullptr);
    HWND login = WaitForWindow(L"UIMainFrame_quorbel_ZEV", kStartLimitMs, firstPid);
    ASSERT_NE(login, nullptr);
    wchar_t title[64] = {};
    GetWindowTextW(login, title, 64);
    EXPECT_STREQ(title, L"feltrine");

    HANDLE second = Start(L"", secondPid);
    ASSERT_NE(second, nullptr);
    HWND box = WaitForWindow(L"#32770", kStartLimitMs, secondPid);
    ASSERT_NE(box, nullptr);
    GetWindowTextW(box, title, 64);
    EXPECT_STREQ(title, L"注意");
    wchar_t text[64] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 64);
    EXPECT_STREQ(text, L"已经有一个实例在运行了!");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(ExitCode(second), 0u);

    EXPECT_EQ(WaitForSingleObject(first, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    PostMessageW(login, WM_CLOSE, 0, 0);
    EXPECT_EQ(ExitCode(first), 0u);
}

TEST_F(ProgramTest, WithoutServiceBaseTheProgramEndsWithMinusOne) {
    DWORD pid = 0;
    // UTF-8 is read as UTF-16 text and so holds no SSOUrlBase.
    ASSERT_TRUE(WriteFileBytes(folder + L"config.xml",
                               "<config><SSOUrlBase>http://a</SSOUrlBase></config>"));
    EXPECT_EQ(ExitCode(Start(L"", pid)), static_cast<DWORD>(-1));
    EXPECT_EQ(ExitCode(Start(L"XS1 4401", pid)), static_cast<DWORD>(-1));
    // A valid configuration past any real size is refused as well.
    std::wstring padded = L"<config><SSOUrlBase>" + sim.WideBase() + L"</SSOUrlBase></config>";
    padded.append(1 << 19, L' ');
    ASSERT_TRUE(WriteUtf16File(folder + L"config.xml", padded));
    EXPECT_EQ(ExitCode(Start(L"", pid)), static_cast<DWORD>(-1));
}

TEST_F(ProgramTest, DirectModeTakesTheQuotedTicketWhole) {
    DWORD pid = 0;
    HANDLE process = Start(L"\"ab c\" 1101075555", pid);
    ASSERT_NE(process, nullptr);
    HWND upload = WaitForWindow(L"UIUploadFrame_quorbel_ZEV", kStartLimitMs, pid);
    ASSERT_NE(upload, nullptr);
    EXPECT_TRUE(FileExists(folder + L"已上传图片"));
    SetForegroundWindow(upload);
    Settle(300);

    // Selecting a photo first asks for the province of the ticket's account.
    ClickClient(upload, kNumberEdit);
    TypeText(L"A123");
    ClickClient(upload, kSelectButton);
    ASSERT_TRUE(PumpUntil([&] { return !sim.Requests().empty(); }));
    EXPECT_EQ(sim.Requests()[0].path, "/api/CheckLogin/getProviceIP?xsid=ab%20c&province_code=11");

    Settle(500);
    ClickClient(upload, kCloseButton);
    EXPECT_EQ(ExitCode(process), 0u);
}

}  // namespace
