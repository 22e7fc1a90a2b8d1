#include "uploader/service/uploadworker.h"

#include <cstdio>
#include <vector>

#include "common/util/ntstringconvert.h"
#include "uploader/service/compressphoto.h"
#include "uploader/service/filehandle.h"
#include "uploader/service/httpclient.h"
#include "uploader/service/requests.h"
#include "uploader/service/servicereply.h"
#include "uploader/service/studentlookup.h"
#include "uploader/service/texts.h"

namespace {

bool Closing(const CUploadContext& c) { return c.flags.closing.load() != 0; }

void RunUpload(CUploadContext& c) {
    if (LookupProvinceServers(c, c.response) != 0) {
        if (!Closing(c)) c.NotifyUploadStopped();
        return;
    }
    if (Closing(c)) return;
    if (CheckFileNumber(c, c.response) != 0) {
        if (!Closing(c)) c.NotifyUploadStopped();
        return;
    }
    if (Closing(c)) return;

    int result = UploadToProvinceServers(c);
    if (Closing(c)) return;
    // A -1 from a step that sent nothing must still read as a failure in wParam.
    c.NotifyWorkerDone(static_cast<WPARAM>(static_cast<INT_PTR>(result)));
}

}  // namespace

DWORD WINAPI UploadWorker(void* context) {
    if (context != nullptr) RunUpload(*static_cast<CUploadContext*>(context));
    return 0;
}

int UploadToProvinceServers(CUploadContext& c) {
    int result = 0;
    if (!c.servers.first.empty()) {
        result = UploadToServer(c, true);
        if (Closing(c)) return result;
    }
    if (!c.servers.second.empty()) result = UploadToServer(c, false);
    return result;
}

int UploadToServer(CUploadContext& c, bool firstServer) {
    if (CompressPhoto(c.photoPath, c.compressedPath) != 0) return -1;
    std::string compressedAnsi = CNTStringConvert::UnicodeToAnsi(c.compressedPath.c_str());

    std::vector<char> bytes;
    if (!ReadWholeFile(c.compressedPath, kMaxCompressedPhotoBytes, bytes)) return -1;

    std::string url =
        firstServer ? FirstServerUploadUrl(c.servers.first, c.session.xsid, c.record.student_id)
                    : SecondServerUploadUrl(c.servers.second, c.session.xsid, c.record.student_id);
    if (firstServer) {
        c.scrambler.Transform(reinterpret_cast<unsigned char*>(bytes.data()), bytes.size());
    }

    c.response.clear();
    // Split before converting: in a double-byte code page the second byte of a character can
    // be 0x5C, the byte of a backslash.
    size_t slash = c.compressedPath.rfind(L'\\');
    if (slash == std::wstring::npos) return -1;
    c.uploadedName = CNTStringConvert::UnicodeToAnsi(c.compressedPath.c_str() + slash + 1);

    c.lastPercent = -1;
    return HttpPostPhoto(url, compressedAnsi, c.uploadedName, static_cast<long>(bytes.size()),
                         bytes.data(), c.response, &UploadProgress, &c, c.session.verifyServers);
}

int UploadPercent(double uploadTotal, double uploadNow) {
    return uploadTotal > 0 ? static_cast<int>(uploadNow / uploadTotal * 100) : 0;
}

std::wstring UploadProgressText(int percent) {
    wchar_t text[32];
    std::swprintf(text, sizeof(text) / sizeof(text[0]), texts::kUploadProgressFormat, percent);
    return text;
}

int UploadProgress(void* context, double, double, double uploadTotal, double uploadNow) {
    auto* c = static_cast<CUploadContext*>(context);
    if (c == nullptr || c->flags.abort.load() != 0) return -1;
    int percent = UploadPercent(uploadTotal, uploadNow);
    if (percent != c->lastPercent) {
        c->lastPercent = percent;
        c->SetUploadButtonText(UploadProgressText(percent));
    }
    return 0;
}

UploadVerdict JudgeUpload(WPARAM transferResult, const std::string& response) {
    if (transferResult != 0) return UploadVerdict::Failed;
    ServiceReply reply;
    if (!ParseServiceReply(response, reply)) return UploadVerdict::Unchanged;
    return reply.errorCode != 0 ? UploadVerdict::Failed : UploadVerdict::Succeeded;
}
