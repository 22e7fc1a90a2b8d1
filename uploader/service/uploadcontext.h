#pragma once

#include <winsock2.h>  // before windows.h, as libcurl needs
#include <windows.h>

#include <string>
#include <utility>

#include "uploader/service/encrypt.h"
#include "uploader/service/loginworker.h"
#include "uploader/service/workerthread.h"

// Archive servers of the user's province; either may be empty.
struct ProvinceServers {
    std::string first;
    std::string second;
};

// The student the typed number designates.
struct StudentRecord {
    std::string student_id;   // bytes as received, sent with the upload
    std::wstring grade_name;  // folder name parts of the local archive
    std::wstring class_name;  // may be empty
};

// The upload window's side of the lookups and the upload. The window derives from it, sets
// the inputs, starts CWorkerThread::Start(&UploadWorker, this, flags) (or runs the lookups
// itself on selection) and reads the results after WM_WORKER_DONE. Every virtual is called from the
// thread doing the work, which may be the worker: implementations post the update to the UI thread
// and return at once.
class CUploadContext {
public:
    explicit CUploadContext(LoginSession session) : session(std::move(session)) {}
    virtual ~CUploadContext() = default;

    // Text for ExceptionHintAID (empty clears it).
    virtual void SetLookupHint(const std::wstring& text) = 0;
    // Text for upload_pic_btn while the photo is sent; called when the percentage changes.
    virtual void SetUploadButtonText(const std::wstring& text) = 0;
    // A lookup failed on the worker: restore the arrow cursor, enable the five buttons.
    virtual void NotifyUploadStopped() = 0;
    // Post WM_WORKER_DONE with the judged transfer result.
    virtual void NotifyWorkerDone(WPARAM result) = 0;

    const LoginSession session;
    // Inputs: the number typed into Archives_id_edt and the chosen photo, copied by the window
    // when the work starts, so that edits made meanwhile do not change what is sent.
    std::wstring fileNumber;
    std::wstring photoPath;
    // Results of the lookups and of the last upload.
    ProvinceServers servers;
    StudentRecord record;
    std::wstring compressedPath;
    std::string uploadedName;  // ANSI name of the compressed file as sent
    std::string response;      // the worker's response buffer
    WorkerFlags flags;
    const CEncrypt scrambler;
    int lastPercent = -1;  // last progress shown, so the button changes only when needed
};
