// The updater end to end: the real trevasko.exe in a scratch program folder against the
// simulator, the real registry and the stand-in client; and the progress dialog hosted here.
#include <gtest/gtest.h>
#include <windows.h>

#include "updater/ccmupdatedlg.h"
#include "updater/download.h"
#include "updater/imeclient.h"
#include "updater/pendingreboot.h"
#include "support/filebytes.h"
#include "support/pumpuntil.h"
#include "support/windowsearch.h"
#include "support/scratchfolder.h"
#include "support/simlane.h"
#include "updater/testkit.h"
#include "updater/texttable.h"
#include "updater/textformat.h"
#include "updater/versionfile.h"
#include "zip/zipbuilder.h"

using namespace testkit;

namespace {

const wchar_t kKey[] = L"Software\\QUORBEL\\QUORBEL";
const std::wstring kNotes = L"1. 修复照片上传偶尔失败的问题\n2. 截图新增马赛克工具";

std::wstring Text(unsigned id) {
    static CCMTextTable table;
    static bool loaded = table.LoadFromResource(GetModuleHandleW(nullptr));
    return loaded ? table.Get(id) : std::wstring();
}

void ClearRegistry() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"CheckTime");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"CheckCycle");
}

DWORD ReadCycle() {
    DWORD value = 0, size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, L"CheckCycle", RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS)
        return 0xFFFFFFFF;
    return value;
}

std::wstring ReadCheckTime() {
    wchar_t value[64] = {};
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, L"CheckTime", RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return L"<none>";
    return value;
}

std::wstring TodayUtc() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    wchar_t buf[16];
    swprintf(buf, 16, L"%04d-%02d-%02d", now.wYear, now.wMonth, now.wDay);
    return buf;
}

std::string Utf16Bytes(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) out += std::string{c, '\0'};
    return out;
}

int CountLines(const std::string& text, const std::string& line) {
    int n = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) ++n;
    return n;
}

// The stand-in client in a program folder: copied there from the build and started on request.
// When it ends, the copy it started and any copy the updater started are gone again.
class StandInClient {
public:
    explicit StandInClient(const std::wstring& folder) : m_folder(folder) {}
    ~StandInClient() {
        Kill();
        if (IsProgramRunning(Path())) {
            AskImeClientToExit();
            PumpMessagesUntil([this] { return !IsProgramRunning(Path()); }, kWaitLimitMs);
        }
    }
    StandInClient(const StandInClient&) = delete;
    StandInClient& operator=(const StandInClient&) = delete;

    std::wstring Path() const { return m_folder + L"quorbel.exe"; }
    bool Copy() const {
        return CopyFileW(BuiltFile(L"tools\\quorbel.exe").c_str(), Path().c_str(), FALSE) != 0;
    }
    // Starts it with args and waits until it runs and its window can be asked to exit.
    bool Start(const wchar_t* args = L"") {
        STARTUPINFOW si{sizeof(si)};
        std::wstring cmd = L"\"" + Path() + L"\" " + args;
        if (!CreateProcessW(Path().c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                            m_folder.c_str(), &si, &m_process))
            return false;
        PumpMessagesUntil([] { return FindWindowW(L"QUORBEL_MAIN_WINDOW", nullptr) != nullptr; },
                          2 * kWaitLimitMs);
        return Running();
    }
    // Whether the process Start began has ended.
    bool Ended() const {
        return m_process.hProcess && WaitForSingleObject(m_process.hProcess, 0) == WAIT_OBJECT_0;
    }
    // Whether a copy runs from the folder, waiting a while for one to appear.
    bool Running() const {
        return PumpMessagesUntil([this] { return IsProgramRunning(Path()); }, 2 * kWaitLimitMs);
    }
    void Kill() {
        if (!m_process.hProcess) return;
        TerminateProcess(m_process.hProcess, 0);
        WaitForSingleObject(m_process.hProcess, 10000);
        CloseHandle(m_process.hProcess);
        CloseHandle(m_process.hThread);
        m_process = PROCESS_INFORMATION{};
    }

private:
    std::wstring m_folder;
    PROCESS_INFORMATION m_process{};
};

class UpdaterRun : public ::testing::Test {
protected:
    UpdaterRun()
        : m_lane(::testing::UnitTest::GetInstance()->current_test_info()->name()),
          m_dir(L"app"),
          m_client(Folder()) {}

    void SetUp() override {
        ASSERT_TRUE(m_lane.Reset());
        ClearRegistry();
        ASSERT_TRUE(CopyFileW(BuiltFile(L"dist\\trevasko.exe").c_str(), Exe().c_str(), FALSE));
        ASSERT_TRUE(m_client.Copy());
        WriteVersion(L"1.0.000", m_lane.WideBase() + L"/update");
    }

    std::wstring Folder() const { return m_dir.Path() + L"\\"; }
    std::wstring Exe() const { return Folder() + L"trevasko.exe"; }
    void WriteVersion(const std::wstring& version, const std::wstring& base) {
        WriteUtf16File(Folder() + L"version.xml",
                       L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<Config>\r\n<Version>" +
                           version + L"</Version>\r\n<Update>" + base +
                           L"</Update>\r\n</Config>\r\n");
    }
    std::wstring InstalledVersion() {
        std::wstring version, base;
        ReadVersionFile(Folder() + L"version.xml", version, base);
        return version;
    }

    // Runs the updater with args, answering its boxes in order; what the boxes showed.
    std::vector<BoxSeen> RunUpdater(const std::wstring& args, std::vector<int> answers) {
        STARTUPINFOW si{sizeof(si)};
        PROCESS_INFORMATION pi{};
        std::wstring cmd = L"\"" + Exe() + L"\"" + (args.empty() ? L"" : L" " + args);
        if (!CreateProcessW(Exe().c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                            Folder().c_str(), &si, &pi))
            return {};
        BoxDriver driver(pi.dwProcessId, std::move(answers));
        DWORD rc = WaitForSingleObject(pi.hProcess, 180000);
        driver.Stop();
        if (rc != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
        EXPECT_EQ(WAIT_OBJECT_0, rc) << "the updater did not end";
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return driver.Seen();
    }

    int PackageRequests() {
        int n = 0;
        for (const auto& r : m_lane.Requests())
            n += r.path.find("/update/pkg/") != std::string::npos;
        return n;
    }

    CSimLane m_lane;
    CScratchFolder m_dir;
    StandInClient m_client;
};

}  // namespace

TEST_F(UpdaterRun, SilentStartOnAnUpToDateInstallationShowsNothing) {
    WriteVersion(L"2.1.0", m_lane.WideBase() + L"/update");
    EXPECT_TRUE(RunUpdater(L"", {}).empty());
    EXPECT_EQ(1u, ReadCycle());
    EXPECT_EQ(TodayUtc(), ReadCheckTime());
    EXPECT_EQ(1u, m_lane.Requests().size());
    // Stored with its terminating NUL, so a plain registry read gets a terminated string.
    wchar_t raw[16];
    DWORD type = 0, size = sizeof(raw);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key));
    LONG rc =
        RegQueryValueExW(key, L"CheckTime", nullptr, &type, reinterpret_cast<BYTE*>(raw), &size);
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, rc);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    ASSERT_EQ(11 * sizeof(wchar_t), size);
    EXPECT_EQ(L'\0', raw[10]);
}

TEST_F(UpdaterRun, SilentStartWithoutNetworkShowsNothing) {
    WriteVersion(L"1.0.000", L"http://127.0.0.1:1/update");
    EXPECT_TRUE(RunUpdater(L"", {}).empty());
    EXPECT_EQ(1u, ReadCycle());
    EXPECT_EQ(TodayUtc(), ReadCheckTime());
}

TEST_F(UpdaterRun, InteractiveStartReportsUpToDateAndNetworkErrors) {
    WriteVersion(L"2.1.0", m_lane.WideBase() + L"/update");
    auto seen = RunUpdater(L"check", {IDOK});
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(L"Lumaveri已经是最新版本了!", seen[0].text);
    EXPECT_TRUE(seen[0].hasOk && !seen[0].hasYes);

    WriteVersion(L"1.0.000", L"http://127.0.0.1:1/update");
    seen = RunUpdater(L"check", {IDOK});
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(L"网络连接错误，请稍后再试!", seen[0].text);

    ASSERT_TRUE(
        m_lane.Fault("{\"path\":\"/update/version/interfaces/version/"
                     "getVersionInfo.htm\",\"kind\":\"notjson\"}"));
    WriteVersion(L"1.0.000", m_lane.WideBase() + L"/update");
    seen = RunUpdater(L"check", {IDOK});
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(L"网络连接错误，请稍后再试!", seen[0].text);
}

TEST_F(UpdaterRun, MissingVersionFileIsNothingToDo) {
    DeleteFileW((Folder() + L"version.xml").c_str());
    auto seen = RunUpdater(L"check", {IDOK});
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(L"Lumaveri已经是最新版本了!", seen[0].text);
    EXPECT_TRUE(m_lane.Requests().empty());
    EXPECT_EQ(1u, ReadCycle());
}

TEST_F(UpdaterRun, DecliningAnOptionalUpdateSetsCycleThree) {
    auto seen = RunUpdater(L"", {IDNO});
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(L"Lumaveri有最新版本 2.1.0 发布。\n[新版本升级内容]\n" + kNotes +
                  L"\n\n您是否需要在线升级?",
              seen[0].text);
    EXPECT_TRUE(seen[0].hasYes && seen[0].hasNo);
    EXPECT_EQ(3u, ReadCycle());
    EXPECT_EQ(TodayUtc(), ReadCheckTime());
    EXPECT_EQ(0, PackageRequests());
    EXPECT_EQ(L"1.0.000", InstalledVersion());
}

TEST_F(UpdaterRun, ForcedUpdateClosesTheClientInstallsResumesAndRestarts) {
    ASSERT_TRUE(m_lane.Fixture("{\"update\":{\"forcedupdate\":true}}"));
    std::string core;
    ASSERT_EQ(200, m_lane.Get("/update/pkg/core.zip", &core));
    ASSERT_GT(core.size(), 1000u);
    CreateDirectoryW((Folder() + L"update").c_str(), nullptr);
    // What an earlier run of this version left: part of the package and what it belongs to.
    WriteFileBytes(Folder() + L"update\\core.zip.$$$", core.substr(0, 700));
    UpdateItem earlier;
    earlier.version = L"2.1.0";
    earlier.url = m_lane.WideBase() + L"/update/pkg/core.zip";
    earlier.localPath = Folder() + L"update\\core.zip";
    ASSERT_TRUE(RecordPartialDownload(earlier));
    ASSERT_TRUE(m_lane.Reset());
    ASSERT_TRUE(m_lane.Fixture("{\"update\":{\"forcedupdate\":true}}"));
    ASSERT_TRUE(m_client.Start());

    auto seen = RunUpdater(L"", {IDOK, IDOK, IDYES});
    ASSERT_EQ(3u, seen.size());
    EXPECT_EQ(L"Lumaveri有最新版本 2.1.0 发布。\n[新版本升级内容]\n" + kNotes +
                  L"\n\n您必须升级后才能继续使用。",
              seen[0].text);
    EXPECT_TRUE(seen[0].hasOk && !seen[0].hasYes && !seen[0].hasNo);
    EXPECT_EQ(Text(1010), seen[1].text);
    EXPECT_EQ(L"升级完成，您是否需要立即运行Lumaveri？", seen[2].text);

    EXPECT_TRUE(m_client.Ended()) << "client still runs";
    std::string range;
    for (const auto& r : m_lane.Requests())
        if (r.path.find("core.zip") != std::string::npos) range = r.Header("Range");
    EXPECT_EQ("bytes=700-", range);
    EXPECT_EQ(ReadFileBytes(EnvPath("NT_SOURCE_DIR") +
                            L"\\tools\\simulator\\packages\\core\\files\\readme.txt"),
              ReadFileBytes(Folder() + L"readme.txt"));
    EXPECT_TRUE(FileExists(Folder() + L"tools\\helper.dat"));
    EXPECT_TRUE(FileExists(Folder() + L"data\\sub\\more.txt"));
    EXPECT_TRUE(FileExists(Folder() + L"skin\\theme.xml"));
    EXPECT_FALSE(FileExists(Folder() + L"update\\core.zip"));
    EXPECT_FALSE(FileExists(Folder() + L"update\\core.zip.DIR"));
    EXPECT_EQ(L"2.1.0", InstalledVersion());
    EXPECT_EQ(4u, ReadFileBytes(Folder() + L"test.dat").size());
    // The client was started again.
    PumpUntil([&] { return CountLines(ReadFileBytes(Folder() + L"quorbel.log"), "started") >= 2; },
              2 * kWaitLimitMs);
    EXPECT_EQ(2, CountLines(ReadFileBytes(Folder() + L"quorbel.log"), "started"));
}

TEST_F(UpdaterRun, GoodThenBrokenPackageLeavesTheFolderAsItWasAndStartsTheClientAgain) {
    ASSERT_TRUE(m_lane.Fixture("{\"update\":{\"packages\":[\"reboot.zip\",\"broken.zip\"]}}"));
    ASSERT_TRUE(m_client.Start());
    std::string version = ReadFileBytes(Folder() + L"version.xml");
    auto seen = RunUpdater(L"", {IDYES, IDOK, IDOK});
    ASSERT_EQ(3u, seen.size());
    EXPECT_EQ(Text(1010), seen[1].text);
    EXPECT_EQ(L"升级未能完成，下次检查更新时将重新尝试!", seen[2].text);
    EXPECT_TRUE(seen[2].hasOk && !seen[2].hasYes && !seen[2].hasNo);
    EXPECT_TRUE(m_client.Ended()) << "client never closed";
    // A new client process, started by the updater.
    EXPECT_TRUE(m_client.Running());
    EXPECT_EQ(2, CountLines(ReadFileBytes(Folder() + L"quorbel.log"), "started"));
    // The good package's file went out again with the rest of the run, and so did its request
    // for a restart of the computer.
    EXPECT_FALSE(FileExists(Folder() + L"driver.txt"));
    EXPECT_FALSE(FileExists(Folder() + L"driver.txt.trvnew"));
    EXPECT_FALSE(FileExists(Folder() + L"notes.txt"));
    EXPECT_EQ(version, ReadFileBytes(Folder() + L"version.xml"));
    EXPECT_FALSE(FileExists(Folder() + L"update\\reboot.pending"));
    EXPECT_FALSE(FileExists(Folder() + L"update\\install.journal"));
}

TEST_F(UpdaterRun, StaleOrMismatchedPackagesAreNeverInstalled) {
    // A complete package of an earlier run, with other bytes than today's under the same name.
    ZipEntrySpec setup;
    setup.name = "setup.xml";
    setup.data = Utf16Bytes(
        "<Config><File Source=\"stale.txt\" Target=\"stale.txt\" BaseDir=\"Work\"/></Config>");
    CreateDirectoryW((Folder() + L"update").c_str(), nullptr);
    WriteFileBytes(Folder() + L"update\\skin.zip",
                   ZipBuilder().Add(setup).Add("stale.txt", "old").Build());
    // Today's offer names a digest the download does not have: the download fails.
    ASSERT_TRUE(
        m_lane.Fixture("{\"update\":{\"packages\":[{\"name\":\"skin.zip\",\"url\":\"/pkg/"
                       "skin.zip\",\"sha256\":\"" +
                       std::string(64, '0') + "\"}]}}"));
    auto seen = RunUpdater(L"", {IDYES, IDNO});
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(L"升级下载过程发生错误，是否继续下载？", seen[1].text);
    EXPECT_EQ(1, PackageRequests());
    EXPECT_FALSE(FileExists(Folder() + L"update\\skin.zip"));
    EXPECT_FALSE(FileExists(Folder() + L"skin\\theme.xml"));
    EXPECT_EQ(L"1.0.000", InstalledVersion());

    // Without a digest the stale file is fetched again, and today's package goes in.
    WriteFileBytes(Folder() + L"update\\skin.zip",
                   ZipBuilder().Add(setup).Add("stale.txt", "old").Build());
    ASSERT_TRUE(m_lane.Fixture("{\"update\":{\"packages\":[\"skin.zip\"]}}"));
    seen = RunUpdater(L"", {IDYES, IDNO});
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(Text(1006), seen[1].text);
    EXPECT_EQ(2, PackageRequests());
    EXPECT_FALSE(FileExists(Folder() + L"stale.txt"));
    EXPECT_TRUE(FileExists(Folder() + L"skin\\theme.xml"));
    EXPECT_EQ(L"2.1.0", InstalledVersion());
}

TEST_F(UpdaterRun, DownloadErrorsAskToRetryAndNoInstallsNothing) {
    ASSERT_TRUE(m_lane.Fault("{\"path\":\"/update/pkg/\",\"kind\":\"html404\",\"count\":0}"));
    auto seen = RunUpdater(L"", {IDYES, IDYES, IDNO});
    ASSERT_EQ(3u, seen.size());
    EXPECT_EQ(L"升级下载过程发生错误，是否继续下载？", seen[1].text);
    EXPECT_EQ(L"升级下载过程发生错误，是否继续下载？", seen[2].text);
    EXPECT_EQ(4, PackageRequests());
    EXPECT_FALSE(FileExists(Folder() + L"readme.txt"));
    EXPECT_EQ(L"1.0.000", InstalledVersion());
}

TEST_F(UpdaterRun, PackageNamedLikeTheClientTouchesNothing) {
    ASSERT_TRUE(m_lane.Fixture("{\"update\":{\"packages\":[\"..\\\\quorbel.exe\"]}}"));
    std::string client = ReadFileBytes(m_client.Path());
    std::string version = ReadFileBytes(Folder() + L"version.xml");
    // Answers for the boxes a run that took the name would show: offer, then restart.
    EXPECT_TRUE(RunUpdater(L"", {IDYES, IDNO}).empty());
    EXPECT_EQ(client, ReadFileBytes(m_client.Path()));
    EXPECT_EQ(version, ReadFileBytes(Folder() + L"version.xml"));
    EXPECT_EQ(0, PackageRequests());
    EXPECT_EQ(1u, ReadCycle());
}

TEST_F(UpdaterRun, UnwritableProgramFolderStopsBeforeDownloading) {
    CreateDirectoryW((Folder() + L"test.dat").c_str(), nullptr);
    auto seen = RunUpdater(L"", {IDYES, IDOK});
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(L"Lumaveri没有以管理员身份运行，无法进行升级操作，请以管理员身份运行程序再进行升级。",
              seen[1].text);
    EXPECT_EQ(0, PackageRequests());
}

TEST_F(UpdaterRun, TestModeInstallsALocalPackageWithoutTheService) {
    std::string script = Utf16Bytes(
        "<Config Reboot=\"0\"><File Source=\"new.txt\" Target=\"new.txt\" "
        "BaseDir=\"Work\"/></Config>");
    ZipEntrySpec setup;
    setup.name = "setup.xml";
    setup.data = script;
    WriteFileBytes(Folder() + L"local.zip",
                   ZipBuilder().Add(setup).Add("new.txt", "fresh").Build());
    auto seen = RunUpdater(L"/TEST local.zip", {IDNO});
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(L"升级完成，您是否需要立即运行Lumaveri？", seen[0].text);
    EXPECT_EQ("fresh", ReadFileBytes(Folder() + L"new.txt"));
    EXPECT_EQ(L"1.0.001", InstalledVersion());
    EXPECT_FALSE(FileExists(Folder() + L"local.zip"));
    EXPECT_TRUE(m_lane.Requests().empty());
    EXPECT_EQ(0xFFFFFFFFu, ReadCycle());
}

TEST_F(UpdaterRun, ClientThatRefusesToExitIsAskedAgainUntilItIsGone) {
    ASSERT_TRUE(m_lane.Fixture("{\"update\":{\"packages\":[\"skin.zip\"]}}"));
    ASSERT_TRUE(m_client.Start(L"/stubborn"));
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + Exe() + L"\"";
    ASSERT_TRUE(CreateProcessW(Exe().c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                               Folder().c_str(), &si, &pi));
    BoxDriver driver(pi.dwProcessId, {IDYES, IDOK, IDOK, IDNO});
    // The second 1010 box is up only after the first was answered; end the client then.
    PumpUntil([&] { return driver.Seen().size() >= 3; }, 120000);
    m_client.Kill();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 180000));
    driver.Stop();
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    auto seen = driver.Seen();
    ASSERT_EQ(4u, seen.size());
    EXPECT_EQ(Text(1010), seen[1].text);
    EXPECT_EQ(Text(1010), seen[2].text);
    EXPECT_EQ(Text(1006), seen[3].text);
    EXPECT_TRUE(FileExists(Folder() + L"skin\\theme.xml"));
}

namespace {

// The dialog with its bar positions recorded and its cancel flag in view.
class RecordingDialog : public CCMUpdateDlg {
public:
    using CCMUpdateDlg::CCMUpdateDlg;
    void SetProgress(int position) override {
        positions.push_back(position);
        CCMUpdateDlg::SetProgress(position);
    }
    bool Cancelled() const { return CancelRequested(); }
    std::vector<int> positions;
};

bool MessageBoxUp() { return FindWindowW(L"#32770", L"Lumaveri升级程序") != nullptr; }

// Waits on a helper thread, which cannot fail the test itself: what it finds is checked after.
constexpr DWORD kHelperLimitMs = 30000;

HWND FindOwnDialog() {
    HWND found = nullptr;
    PumpMessagesUntil(
        [&] { return (found = FindWindowW(nullptr, L"Lumaveri在线升级程序")) != nullptr; },
        kHelperLimitMs);
    return found;
}

class DialogRun : public ::testing::Test {
public:
    DialogRun()
        : m_lane(::testing::UnitTest::GetInstance()->current_test_info()->name()), m_dir(L"dlg") {
        m_state.programFolder = m_dir.Path() + L"\\";
        m_state.texts.LoadFromResource(GetModuleHandleW(nullptr));
        m_state.newVersion = L"2.1.0";
    }
    void SetUp() override { ASSERT_TRUE(m_lane.Reset()); }
    UpdateItem& AddItem(const std::wstring& name) {
        auto item = std::make_unique<UpdateItem>();
        item->name = name;
        item->url = m_lane.WideBase() + L"/update/pkg/" + name;
        item->localPath = m_dir.Path() + L"\\update\\" + name;
        m_state.items.push_back(std::move(item));
        return *m_state.items.back();
    }
    CSimLane m_lane;
    CScratchFolder m_dir;
    UpdateState m_state;
};

}  // namespace

TEST_F(DialogRun, ThreeItemsMoveTheBarTo33And66And100AndTheFirstRebootWins) {
    m_state.testMode = 1;
    WriteUtf16File(m_dir.Path() + L"\\version.xml", L"<Config><Version>1.0</Version></Config>");
    const char* reboots[] = {"0", "2", "1"};
    for (int i = 0; i < 3; ++i) {
        std::wstring name = L"p" + std::to_wstring(i) + L".zip";
        UpdateItem& item = AddItem(name);
        item.localPath = m_dir.Path() + name;
        ZipEntrySpec setup;
        setup.name = "setup.xml";
        setup.data = Utf16Bytes(std::string("<Config Reboot=\"") + reboots[i] + "\"/>");
        WriteFileBytes(item.localPath, ZipBuilder().Add(setup).Build());
    }
    RecordingDialog dialog(GetModuleHandleW(nullptr), m_state);
    BoxDriver driver(GetCurrentProcessId(), {IDNO});
    dialog.DoModal(nullptr);
    driver.Stop();
    ASSERT_GE(dialog.positions.size(), 4u);
    EXPECT_EQ((std::vector<int>{0, 33, 66, 100}),
              std::vector<int>(dialog.positions.end() - 4, dialog.positions.end()));
    EXPECT_EQ(2, m_state.reboot);
    auto seen = driver.Seen();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(Text(1007), seen[0].text);
    std::wstring version, base;
    ReadVersionFile(m_dir.Path() + L"\\version.xml", version, base);
    EXPECT_EQ(L"2.1.0", version);
}

TEST_F(DialogRun, CancelBetweenPackagesRollsBackAdvancesNothingAndStartsTheClientAgain) {
    // Cancels as the bar shows the first of two packages in, before the second one's turn.
    class CancellingDialog : public CCMUpdateDlg {
    public:
        using CCMUpdateDlg::CCMUpdateDlg;
        void SetProgress(int position) override {
            CCMUpdateDlg::SetProgress(position);
            if (position != 50) return;
            PostMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            while (!CancelRequested()) Sleep(10);
        }
    };
    m_state.testMode = 1;
    WriteUtf16File(m_dir.Path() + L"\\version.xml", L"<Config><Version>1.0</Version></Config>");
    const char* scripts[] = {
        "<Config Reboot=\"1\"><File Source=\"first.txt\" Target=\"first.txt\" BaseDir=\"Work\"/>"
        "</Config>",
        "<Config><File Source=\"second.txt\" Target=\"second.txt\" BaseDir=\"Work\"/></Config>"};
    for (int i = 0; i < 2; ++i) {
        UpdateItem& item = AddItem(i == 0 ? L"first.zip" : L"second.zip");
        item.localPath = m_dir.Path() + L"\\" + item.name;
        ZipEntrySpec setup;
        setup.name = "setup.xml";
        setup.data = Utf16Bytes(scripts[i]);
        WriteFileBytes(
            item.localPath,
            ZipBuilder().Add(setup).Add(i == 0 ? "first.txt" : "second.txt", "x").Build());
    }
    StandInClient client(m_state.programFolder);
    ASSERT_TRUE(client.Copy());
    ASSERT_TRUE(client.Start());
    CancellingDialog dialog(GetModuleHandleW(nullptr), m_state);
    BoxDriver driver(GetCurrentProcessId(), {});
    dialog.DoModal(nullptr);
    driver.Stop();
    EXPECT_TRUE(client.Ended()) << "client never closed";
    EXPECT_TRUE(client.Running());

    // Only the request to close the client; no failure, no offer.
    auto seen = driver.Seen();
    ASSERT_FALSE(seen.empty());
    for (const auto& box : seen) EXPECT_EQ(Text(1010), box.text);
    // The first package's file and its restart request went out again with the cancel.
    EXPECT_FALSE(FileExists(m_dir.Path() + L"\\first.txt"));
    EXPECT_FALSE(FileExists(m_dir.Path() + L"\\first.txt.trvnew"));
    EXPECT_FALSE(FileExists(m_dir.Path() + L"\\second.txt"));
    EXPECT_EQ(0, ReadPendingReboot(m_dir.Path() + L"\\update\\"));
    EXPECT_FALSE(FileExists(m_dir.Path() + L"\\update\\install.journal"));
    std::wstring version, base;
    ReadVersionFile(m_dir.Path() + L"\\version.xml", version, base);
    EXPECT_EQ(L"1.0", version);
}

TEST_F(DialogRun, EscapeWhileTheClientIsBeingClosedInstallsNothing) {
    WriteUtf16File(m_dir.Path() + L"\\version.xml", L"<Config><Version>1.0</Version></Config>");
    AddItem(L"skin.zip");
    StandInClient client(m_state.programFolder);
    ASSERT_TRUE(client.Copy());
    ASSERT_TRUE(client.Start(L"/stubborn"));

    CCMUpdateDlg dialog(GetModuleHandleW(nullptr), m_state);
    BoxDriver driver(GetCurrentProcessId(), {});
    struct Helper {
        BoxDriver* driver;
        static DWORD WINAPI Run(void* p) {
            auto* h = static_cast<Helper*>(p);
            HWND dlg = FindOwnDialog();
            // The whole package is in; the client refuses to go and box 1010 is up.
            PumpMessagesUntil([h] { return !h->driver->Seen().empty(); }, 2 * kHelperLimitMs);
            PostMessageW(GetDlgItem(dlg, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
            return 0;
        }
    } helper{&driver};
    HANDLE thread = CreateThread(nullptr, 0, Helper::Run, &helper, 0, nullptr);
    dialog.DoModal(nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    driver.Stop();

    auto seen = driver.Seen();
    ASSERT_FALSE(seen.empty());
    for (const auto& box : seen) EXPECT_EQ(Text(1010), box.text);
    EXPECT_TRUE(FileExists(m_dir.Path() + L"\\update\\skin.zip"));
    EXPECT_FALSE(FileExists(m_dir.Path() + L"\\skin\\theme.xml"));
    std::wstring version, base;
    ReadVersionFile(m_dir.Path() + L"\\version.xml", version, base);
    EXPECT_EQ(L"1.0", version);
}

TEST_F(DialogRun, EscapeCancelsWithoutAskingAndTheButtonAsksFirst) {
    AddItem(L"core.zip");
    ASSERT_TRUE(m_lane.Fault("{\"path\":\"/update/pkg/core.zip\",\"kind\":\"hang\",\"count\":0}"));
    for (int round = 0; round < 2; ++round) {
        bool viaEscape = round == 0;
        RecordingDialog dialog(GetModuleHandleW(nullptr), m_state);
        BoxDriver driver(GetCurrentProcessId(),
                         viaEscape ? std::vector<int>{} : std::vector<int>{IDNO, IDYES});
        struct Helper {
            DialogRun* test;
            BoxDriver* driver;
            RecordingDialog* dialog;
            bool viaEscape;
            static DWORD WINAPI Run(void* p) {
                auto* h = static_cast<Helper*>(p);
                HWND dlg = FindOwnDialog();
                // Wait until the worker hangs in the download.
                PumpMessagesUntil(
                    [h] {
                        for (const auto& r : h->test->m_lane.Requests())
                            if (r.path.find("core.zip") != std::string::npos) return true;
                        return false;
                    },
                    kHelperLimitMs);
                if (h->viaEscape) {
                    PostMessageW(GetDlgItem(dlg, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
                } else {
                    PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                    // The second click only once the first question is answered and gone.
                    PumpMessagesUntil([h] { return !h->driver->Seen().empty() && !MessageBoxUp(); },
                                      kHelperLimitMs);
                    PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                }
                // Let the hanging request go once the cancel is in, so that the worker's next
                // check sees it.
                PumpMessagesUntil([h] { return h->dialog->Cancelled(); }, kHelperLimitMs);
                h->test->m_lane.Reset();
                return 0;
            }
        } helper{this, &driver, &dialog, viaEscape};
        HANDLE thread = CreateThread(nullptr, 0, Helper::Run, &helper, 0, nullptr);
        dialog.DoModal(nullptr);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        driver.Stop();
        auto seen = driver.Seen();
        if (viaEscape) {
            EXPECT_TRUE(seen.empty());
        } else {
            ASSERT_EQ(2u, seen.size());
            EXPECT_EQ(L"升级未完成，您是否真的要取消升级?", seen[0].text);
            EXPECT_EQ(L"升级未完成，您是否真的要取消升级?", seen[1].text);
        }
        EXPECT_FALSE(FileExists(m_dir.Path() + L"\\update\\core.zip"));
        ASSERT_TRUE(
            m_lane.Fault("{\"path\":\"/update/pkg/core.zip\",\"kind\":\"hang\",\"count\":0}"));
    }
}

TEST_F(DialogRun, StatusLineIsPaintedCentredWhereTheHiddenControlSits) {
    m_state.testMode = 1;
    UpdateItem& item = AddItem(L"p.zip");
    item.localPath = m_dir.Path() + L"\\p.zip";
    ZipEntrySpec setup;
    setup.name = "setup.xml";
    setup.data = Utf16Bytes("<Config Reboot=\"0\"/>");
    WriteFileBytes(item.localPath, ZipBuilder().Add(setup).Build());
    CCMUpdateDlg dialog(GetModuleHandleW(nullptr), m_state);
    struct Probe {
        bool hidden = false;
        int dark = 0, left = 100000, right = -1, centre = 0;
        static DWORD WINAPI Run(void* p) {
            auto* probe = static_cast<Probe*>(p);
            HWND box = nullptr;
            PumpMessagesUntil(
                [&] { return (box = FindWindowW(L"#32770", L"Lumaveri升级程序")) != nullptr; },
                2 * kHelperLimitMs);
            HWND dlg = FindWindowW(nullptr, L"Lumaveri在线升级程序");
            if (!box || !dlg) return 0;
            RECT boxRect{};
            GetWindowRect(box, &boxRect);
            SetWindowPos(box, nullptr,
                         GetSystemMetrics(SM_CXSCREEN) - (boxRect.right - boxRect.left),
                         GetSystemMetrics(SM_CYSCREEN) - (boxRect.bottom - boxRect.top), 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            // What the box uncovered is painted again before the pixels are read.
            WindowThreadCaughtUp(dlg, kHelperLimitMs);
            RedrawWindow(dlg, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            HWND status = GetDlgItem(dlg, 1000);
            probe->hidden = !IsWindowVisible(status);
            RECT rc{};
            GetWindowRect(status, &rc);
            probe->centre = (rc.left + rc.right) / 2;
            HDC screen = GetDC(nullptr);
            for (int y = rc.top; y < rc.bottom; ++y) {
                for (int x = rc.left; x < rc.right; ++x) {
                    COLORREF c = GetPixel(screen, x, y);
                    if (GetRValue(c) < 0x60 && GetGValue(c) < 0x60 && GetBValue(c) < 0x60) {
                        ++probe->dark;
                        probe->left = x < probe->left ? x : probe->left;
                        probe->right = x > probe->right ? x : probe->right;
                    }
                }
            }
            ReleaseDC(nullptr, screen);
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
            return 0;
        }
    } probe;
    HANDLE thread = CreateThread(nullptr, 0, Probe::Run, &probe, 0, nullptr);
    dialog.DoModal(nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    // "正在安装  ..." (the item name is empty in test mode) in black, centred in the control.
    EXPECT_TRUE(probe.hidden);
    EXPECT_GT(probe.dark, 20);
    EXPECT_LE(std::abs((probe.left + probe.right) / 2 - probe.centre), 8);
}
