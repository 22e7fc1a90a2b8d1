#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "common/util/ntsystem.h"
#include "tests/util/testdir.h"

namespace {

// Answers the save dialog of this process from a second thread, as a user would.
class DialogAnswer {
public:
    // With an empty name the dialog is cancelled, otherwise the name is typed and confirmed.
    explicit DialogAnswer(std::wstring name)
        : m_name(std::move(name)), m_thread([this] { Run(); }) {}
    ~DialogAnswer() {
        m_stop = true;
        m_thread.join();
    }
    DialogAnswer(const DialogAnswer&) = delete;
    DialogAnswer& operator=(const DialogAnswer&) = delete;

private:
    static BOOL CALLBACK FindDialog(HWND hWnd, LPARAM found) {
        wchar_t cls[16] = {};
        ::GetClassNameW(hWnd, cls, 16);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hWnd, &pid);
        if (pid != ::GetCurrentProcessId() || std::wstring(cls) != L"#32770") return TRUE;
        *reinterpret_cast<HWND*>(found) = hWnd;
        return FALSE;
    }

    void Run() {
        while (!m_stop) {
            HWND dialog = nullptr;
            ::EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&dialog));
            if (dialog && ::IsWindowVisible(dialog)) {
                if (!m_name.empty()) {
                    // The file name box: cmb13 in the explorer layout, edt1 in the old one.
                    HWND box = ::GetDlgItem(dialog, 0x47C);
                    if (!box) box = ::GetDlgItem(dialog, 0x480);
                    ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(m_name.c_str()));
                }
                ::PostMessageW(dialog, WM_COMMAND, m_name.empty() ? IDCANCEL : IDOK, 0);
                return;
            }
            ::Sleep(50);
        }
    }

    std::wstring m_name;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

TEST(SaveDialogTest, CancelEmptiesBothOutputs) {
    std::wstring path = L"stale", name = L"initial.png";
    int result;
    {
        DialogAnswer answer(L"");
        result = NTSaveFileDlg(nullptr, path, name, L"PNG|*.png|All|*.*|", L"", L"png");
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(path, L"");
    EXPECT_EQ(name, L"");
}

TEST(SaveDialogTest, ConfirmedNameGetsFolderAndDefaultExtension) {
    TestDir dir(L"ntsavedlg");
    std::wstring path, name = L"first";
    int result;
    {
        DialogAnswer answer(L"shot");
        result = NTSaveFileDlg(nullptr, path, name, L"PNG|*.png|", dir.Path().c_str(), L"png");
    }
    EXPECT_NE(result, 0);
    EXPECT_EQ(path, dir / L"shot.png");
    EXPECT_EQ(name, L"shot.png");
}

}  // namespace
