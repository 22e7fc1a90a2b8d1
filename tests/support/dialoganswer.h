#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

// Answers the modal dialogs of this process from a second thread while it lives, as a user
// would: each file dialog gets the next name of the list typed and confirmed (an empty name,
// or none left, cancels it); a message box is answered Yes (or OK) and its text recorded.
class DialogAnswer {
public:
    explicit DialogAnswer(std::vector<std::wstring> names);
    ~DialogAnswer();
    DialogAnswer(const DialogAnswer&) = delete;
    DialogAnswer& operator=(const DialogAnswer&) = delete;

    // How many dialogs were answered so far.
    int Answered() const { return m_answered.load(); }
    // Texts of the message boxes answered so far.
    std::vector<std::wstring> MessageTexts();

private:
    void Run();

    std::vector<std::wstring> m_names;
    std::vector<std::wstring> m_messages;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_answered{0};
    CRITICAL_SECTION m_lock;
    std::thread m_thread;
};
