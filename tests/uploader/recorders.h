#pragma once

#include <winsock2.h>
#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "uploader/service/loginworker.h"
#include "uploader/service/uploadcontext.h"

// Window stand-ins: they record every control update in arrival order, as the window would
// receive them as posted messages.
class CCallLog {
public:
    void Add(const std::wstring& entry) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_entries.push_back(entry);
    }
    std::vector<std::wstring> Entries() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_entries;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::wstring> m_entries;
};

class CRecordingLogin : public CLoginContext {
public:
    void SetHintText(const std::wstring& text) override { log.Add(L"hint:" + text); }
    void NotifyLoginFailed() override { log.Add(L"failed"); }
    void NotifyWorkerDone(WPARAM result) override {
        doneResult = result;
        log.Add(L"done:" + std::to_wstring(static_cast<long long>(result)));
    }
    CCallLog log;
    WPARAM doneResult = 0;  // read after the worker was joined
};

class CRecordingUpload : public CUploadContext {
public:
    explicit CRecordingUpload(LoginSession session) : CUploadContext(std::move(session)) {}
    void SetLookupHint(const std::wstring& text) override { log.Add(L"hint:" + text); }
    void SetUploadButtonText(const std::wstring& text) override { progress.Add(text); }
    void NotifyUploadStopped() override { log.Add(L"stopped"); }
    void NotifyWorkerDone(WPARAM result) override {
        doneResult = result;
        log.Add(L"done:" + std::to_wstring(static_cast<long long>(static_cast<INT_PTR>(result))));
    }
    CCallLog log;
    CCallLog progress;
    WPARAM doneResult = 0;  // read after the worker was joined
};

// A fault for the simulator to inject (its kind and any further JSON members) and the hint the
// user is then to see.
struct FaultCase {
    const char* kind;
    const char* extra;
    std::wstring hint;
};
