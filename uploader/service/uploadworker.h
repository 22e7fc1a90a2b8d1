#pragma once

#include <winsock2.h>  // before windows.h, as libcurl needs
#include <windows.h>

#include <string>

#include "uploader/service/uploadcontext.h"

// A 1000-pixel JPEG stays far below this; a larger file is not the one CompressPhoto wrote.
// The preview reads no more than this either.
constexpr size_t kMaxCompressedPhotoBytes = 16 << 20;

// Thread procedure of the upload: both lookups, then the photo to the first and/or second
// archive server. `context` is a CUploadContext* whose photoPath and fileNumber are set.
// Posts WM_WORKER_DONE with the last transfer result (second server's when both are used),
// or calls NotifyUploadStopped after a failed lookup; once the closing flag is raised it
// ends without telling anyone anything.
DWORD WINAPI UploadWorker(void* context);

// Compresses context.photoPath and posts it to one archive server. Returns the libcurl result
// of the transfer, or -1 when the photo cannot be compressed, the compressed file cannot be
// read, or its path has no backslash (nothing is sent then).
int UploadToServer(CUploadContext& context, bool firstServer);

// UploadToServer to the first server, then the second, each when the province has it, until
// the closing flag is raised. Returns the last transfer's result (the second server's when
// both are used).
int UploadToProvinceServers(CUploadContext& context);

// libcurl progress function of the upload; `context` is a CUploadContext*. Returns -1
// (abort) when the context is missing or its abort flag is raised.
int UploadProgress(void* context, double downloadTotal, double downloadNow, double uploadTotal,
                   double uploadNow);

// Whole percent of the upload sent, truncated; 0 while the total is unknown.
int UploadPercent(double uploadTotal, double uploadNow);
// "已完成:40%" for 40 percent.
std::wstring UploadProgressText(int percent);

enum class UploadVerdict {
    Failed,     // show kUploadFailed and kUploadAgainButton
    Unchanged,  // reply was not JSON: change no text
    Succeeded,  // clear the failure hint, show kUploadSucceeded, archive the photo
};

// Judges WM_WORKER_DONE of the upload from its wParam and the response buffer.
UploadVerdict JudgeUpload(WPARAM transferResult, const std::string& response);
