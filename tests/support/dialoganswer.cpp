#include "support/dialoganswer.h"

#include "support/dialogs.h"
#include "support/windowsearch.h"

namespace {

// How often the answering thread looks for a new dialog.
constexpr DWORD kLookEveryMs = 20;
// How long a dialog may take to finish setting itself up.
constexpr DWORD kSetUpLimitMs = 5000;

}  // namespace

DialogAnswer::DialogAnswer(std::vector<std::wstring> names) : m_names(std::move(names)) {
    ::InitializeCriticalSection(&m_lock);
    m_thread = std::thread([this] { Run(); });
}

DialogAnswer::~DialogAnswer() {
    m_stop = true;
    m_thread.join();
    ::DeleteCriticalSection(&m_lock);
}

std::vector<std::wstring> DialogAnswer::MessageTexts() {
    ::EnterCriticalSection(&m_lock);
    std::vector<std::wstring> copy = m_messages;
    ::LeaveCriticalSection(&m_lock);
    return copy;
}

void DialogAnswer::Run() {
    HWND last = nullptr;
    size_t nextName = 0;
    for (; !m_stop; ::Sleep(kLookEveryMs)) {
        HWND dialog = FindAppWindow(L"#32770");
        if (!dialog) last = nullptr;
        if (!dialog || dialog == last) continue;
        // Typing before the dialog has finished its set-up would be overwritten by it.
        if (!WindowThreadCaughtUp(dialog, kSetUpLimitMs)) continue;
        if (IsFileDialog(dialog)) {
            AnswerFileDialog(dialog, nextName < m_names.size() ? m_names[nextName++] : L"");
        } else {
            std::wstring text = DialogText(dialog);
            ::EnterCriticalSection(&m_lock);
            m_messages.push_back(text);
            ::LeaveCriticalSection(&m_lock);
            AnswerMessageBox(dialog);
        }
        last = dialog;
        ++m_answered;
    }
}
