#pragma once

#include <winsock2.h>  // before windows.h, as libcurl needs
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "uploader/service/uploadcontext.h"

// One photo of a batch run: the list row it belongs to, the number it is sent for, its path.
struct BatchJob {
    size_t row = 0;
    std::wstring number;
    std::wstring photoPath;
};

// The batch window's side of a batch run. The window fills `jobs`, starts
// CWorkerThread::Start(&BatchWorker, this, flags) and hears of each photo through the virtuals,
// which are called on the worker and post to the UI thread. The lookups' hints are the rows'
// failure texts, so they are caught here rather than shown.
class CBatchContext : public CUploadContext {
public:
    explicit CBatchContext(LoginSession session) : CUploadContext(std::move(session)) {}

    // jobs[index] is being sent.
    virtual void NotifyJobStarted(size_t index) = 0;
    // jobs[index] has ended: uploaded and archived, or failed with that status text.
    virtual void NotifyJobDone(size_t index, bool uploaded, const std::wstring& gradeClass,
                               const std::wstring& status) = 0;
    // The run has ended (all done, or stopped after a photo); failure is the province lookup's
    // text when the run could not begin, else empty. Not called once closing is raised.
    virtual void NotifyBatchEnded(const std::wstring& failure) = 0;

    std::vector<BatchJob> jobs;
    // Raised by "停止": the run ends after the photo being sent.
    std::atomic<int> stopRequested{0};

private:
    void SetLookupHint(const std::wstring& text) final { m_lastHint = text; }
    // The batch shows progress per photo, not per percent, and ends through its own notices.
    void SetUploadButtonText(const std::wstring&) final {}
    void NotifyUploadStopped() final {}
    void NotifyWorkerDone(WPARAM) final {}

    friend void RunBatch(CBatchContext& context);
    std::wstring m_lastHint;  // worker only
};

// Thread procedure of a batch run; `context` is a CBatchContext*. The province servers once,
// then per job in order: the file-number check with the job's number, the rescale and upload
// to the province's servers, the archive copy of an accepted photo.
DWORD WINAPI BatchWorker(void* context);
