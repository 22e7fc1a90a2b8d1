#include "updater/ccmupdateapp.h"

#include <commctrl.h>

#include "common/util/ntregedit.h"
#include "updater/ccmupdatedlg.h"
#include "updater/commandline.h"
#include "updater/textformat.h"
#include "updater/transaction.h"
#include "updater/versioncheck.h"
#include "updater/versionfile.h"

namespace {

constexpr wchar_t kRegistryKey[] = L"Software\\QUORBEL\\QUORBEL";

std::wstring OwnFolder() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n < MAX_PATH ? n : 0);
    size_t cut = folder.rfind(L'\\');
    return (cut == std::wstring::npos ? std::wstring() : folder.substr(0, cut)) + L"\\";
}

// The write probe: four zero bytes into test.dat (the file stays).
bool CanWriteFolder(const std::wstring& folder) {
    HANDLE file = CreateFileW((folder + L"test.dat").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const char zeros[4] = {};
    DWORD written = 0;
    bool ok = WriteFile(file, zeros, sizeof(zeros), &written, nullptr) && written == sizeof(zeros);
    CloseHandle(file);
    return ok;
}

}  // namespace

int CCMUpdateApp::CheckVersion() {
    m_state.items.clear();
    std::wstring version;
    ReadVersionFile(m_state.programFolder + L"version.xml", version, m_state.updateBase);
    if (version.empty()) return 0;
    std::string body;
    if (!RequestVersionInfo(m_state.updateBase, version, body)) return -1;
    VersionOffer offer;
    int result = ParseVersionReply(body, m_state.updateBase, m_state.programFolder, offer);
    if (result < 0) return -1;
    m_state.newVersion = offer.newVersion;
    m_state.description = offer.description;
    m_state.forced = offer.forced;
    m_state.items = std::move(offer.items);
    return result;
}

void CCMUpdateApp::BuildDialogFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW font = metrics.lfMessageFont;
    font.lfHeight = -12;
    std::wstring face = m_state.texts.Get(1005);
    lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
    m_state.dialogFont.reset(CreateFontIndirectW(&font));
    if (!m_state.dialogFont) {
        lstrcpynW(font.lfFaceName, metrics.lfMessageFont.lfFaceName, LF_FACESIZE);
        m_state.dialogFont.reset(CreateFontIndirectW(&font));
    }
}

void CCMUpdateApp::WriteCheckRecord(DWORD cycle, bool withTime) {
    CNTRegEdit key(HKEY_CURRENT_USER, kRegistryKey);
    if (withTime) {
        SYSTEMTIME now;
        GetSystemTime(&now);
        wchar_t date[16];
        swprintf(date, 16, L"%04d-%02d-%02d", now.wYear, now.wMonth, now.wDay);
        key.WriteString(L"CheckTime", date);
    }
    key.WriteDword(L"CheckCycle", cycle);
}

bool CCMUpdateApp::InitInstance() {
    m_state.programFolder = OwnFolder();
    // An install that a crash or a power cut cut short is undone before anything else looks at
    // the program folder.
    RecoverInterruptedInstall(m_state.programFolder + L"update\\");
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    std::vector<std::wstring> args = SplitCommandLine(GetCommandLineW());
    std::wstring first = args.size() > 1 ? args[1] : std::wstring();
    std::wstring second = args.size() > 2 ? args[2] : std::wstring();
    if (!m_state.texts.LoadFromResource(m_hInstance)) return false;
    BuildDialogFont();

    if (CompareStringOrdinal(first.c_str(), -1, L"/test", -1, TRUE) == CSTR_EQUAL) {
        m_state.testMode = 1;
        auto item = std::make_unique<UpdateItem>();
        item->localPath = m_state.programFolder + second;
        m_state.items.push_back(std::move(item));
        m_state.newVersion = L"1.0.001";
    } else {
        int result = CheckVersion();
        WriteCheckRecord(1, true);
        if (result == 0 || result < 0) {
            if (!first.empty())
                ShowUpdateMessage(nullptr, m_state.texts.Get(result == 0 ? 1011 : 1012), MB_OK);
            return false;
        }
        std::wstring offer = FormatText(m_state.texts.Get(m_state.forced ? 1014 : 1000),
                                        {m_state.newVersion, m_state.description});
        if (m_state.forced) {
            ShowUpdateMessage(nullptr, offer, MB_OK);
        } else if (ShowUpdateMessage(nullptr, offer, MB_YESNO) != IDYES) {
            m_state.items.clear();
            WriteCheckRecord(3, false);
            return false;
        }
        if (!CanWriteFolder(m_state.programFolder)) {
            m_state.items.clear();
            ShowUpdateMessage(nullptr, m_state.texts.Get(1013), MB_OK);
            return false;
        }
    }
    {
        CCMUpdateDlg dialog(m_hInstance, m_state);
        m_pMainWnd = &dialog;
        dialog.DoModal(nullptr);
        m_pMainWnd = nullptr;
    }
    m_state.items.clear();
    return false;
}
