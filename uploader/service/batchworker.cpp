#include "uploader/service/batchworker.h"

#include "uploader/service/roadsteps.h"
#include "uploader/service/studentlookup.h"
#include "uploader/service/texts.h"
#include "uploader/service/uploadworker.h"

namespace {

bool Closing(const CBatchContext& c) { return c.flags.closing.load() != 0; }

}  // namespace

void RunBatch(CBatchContext& c) {
    c.m_lastHint.clear();
    if (LookupProvinceServers(c, c.response) != 0) {
        if (!Closing(c)) c.NotifyBatchEnded(c.m_lastHint);
        return;
    }
    for (size_t i = 0; i < c.jobs.size(); ++i) {
        if (Closing(c)) return;
        if (c.stopRequested.load() != 0) break;
        c.NotifyJobStarted(i);
        c.fileNumber = c.jobs[i].number;
        c.photoPath = c.jobs[i].photoPath;
        c.record = StudentRecord();
        c.m_lastHint.clear();

        bool uploaded = false;
        std::wstring gradeClass, status;
        if (CheckFileNumber(c, c.response) != 0) {
            status = c.m_lastHint;
        } else {
            gradeClass = c.record.grade_name + c.record.class_name;
            int result = UploadToProvinceServers(c);
            if (Closing(c)) return;
            // A reply that is not JSON confirms nothing: the row counts as failed.
            uploaded = JudgeUpload(static_cast<WPARAM>(static_cast<INT_PTR>(result)), c.response) ==
                       UploadVerdict::Succeeded;
            if (uploaded) ArchiveLastUpload(c);
            status = uploaded ? texts::kBatchUploaded : texts::kUploadFailed;
        }
        if (Closing(c)) return;
        c.NotifyJobDone(i, uploaded, gradeClass, status);
    }
    c.NotifyBatchEnded(std::wstring());
}

DWORD WINAPI BatchWorker(void* context) {
    if (context != nullptr) RunBatch(*static_cast<CBatchContext*>(context));
    return 0;
}
