// Prints the seconds per photo of one batch run over N photos (the province servers once, then
// check, rescale, upload and archive per photo) beside the single road run N times for the same
// photos (both lookups, rescale, upload and archive each time), and the peak working set.
#include <winsock2.h>
#include <windows.h>
#include <gdiplus.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/scratchfolder.h"
#include "support/simlane.h"
#include "testfiles.h"
#include "uploader/service/batchworker.h"
#include "uploader/service/roadsteps.h"
#include "uploader/service/uploadworker.h"

namespace {

// The upload window's side of the single road, without a window.
class CQuietUpload : public CUploadContext {
public:
    explicit CQuietUpload(LoginSession session) : CUploadContext(std::move(session)) {}
    void SetLookupHint(const std::wstring&) override {}
    void SetUploadButtonText(const std::wstring&) override {}
    void NotifyUploadStopped() override {}
    void NotifyWorkerDone(WPARAM result) override { done = result; }
    WPARAM done = 0;
};

class CQuietBatch : public CBatchContext {
public:
    explicit CQuietBatch(LoginSession session) : CBatchContext(std::move(session)) {}
    void NotifyJobStarted(size_t) override {}
    void NotifyJobDone(size_t, bool uploaded, const std::wstring&, const std::wstring&) override {
        uploaded ? ++sent : ++failed;
    }
    void NotifyBatchEnded(const std::wstring&) override {}
    int sent = 0, failed = 0;
};

double Now() {
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

std::wstring Number(int i) { return L"K" + std::to_wstring(1000 + i); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int count = argc > 1 ? _wtoi(argv[1]) : 200;
    CSimLane sim;
    if (sim.Base().empty() || !sim.Reset()) {
        std::fprintf(stderr, "simulator not reachable (NTSIM_PORT_FILE)\n");
        return 1;
    }
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR gdiplus = 0;
    Gdiplus::GdiplusStartup(&gdiplus, &input, nullptr);

    // A class of `count` students, and their photos in two identical folders.
    std::string students = "{\"students\": [";
    for (int i = 0; i < count; ++i) {
        char one[200];
        std::snprintf(one, sizeof(one),
                      "%s{\"file_no\": \"K%d\", \"student_id\": \"S9%04d\", \"class_id\": \"C1\", "
                      "\"accessible\": true, \"grade_name\": \"一年级\", \"class_name\": \"1班\"}",
                      i ? ", " : "", 1000 + i, i);
        students += one;
    }
    students += "]}";
    if (!sim.Fixture(students)) return 1;
    CScratchFolder single(L"bench_single"), batch(L"bench_batch"), archive(L"bench_archive");
    for (int i = 0; i < count; ++i) {
        for (const CScratchFolder* dir : {&single, &batch}) {
            if (!WritePicture(dir->Path() + L"\\" + Number(i) + L".png", 1600, 1200, L"png"))
                return 1;
        }
    }
    LoginSession session;
    session.serviceBase = sim.Base();
    session.xsid = "XS7f3a9c01lihua";
    session.jid = "4401031987";
    session.archiveRoot = archive.Path();

    double start = Now();
    int singleSent = 0;
    for (int i = 0; i < count; ++i) {
        CQuietUpload c(session);
        c.fileNumber = Number(i);
        c.photoPath = single.Path() + L"\\" + Number(i) + L".png";
        CWorkerThread worker;
        if (!worker.Start(&UploadWorker, &c, c.flags)) return 1;
        worker.Join();
        if (JudgeUpload(c.done, c.response) == UploadVerdict::Succeeded) {
            ArchiveLastUpload(c);
            ++singleSent;
        }
    }
    double singleSeconds = Now() - start;
    if (!sim.Reset() || !sim.Fixture(students)) return 1;

    start = Now();
    CQuietBatch b(session);
    for (int i = 0; i < count; ++i)
        b.jobs.push_back(BatchJob{static_cast<size_t>(i), Number(i),
                                  batch.Path() + L"\\" + Number(i) + L".png"});
    CWorkerThread worker;
    if (!worker.Start(&BatchWorker, &b, b.flags)) return 1;
    worker.Join();
    double batchSeconds = Now() - start;

    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
    std::printf("photos: %d (1600 x 1200 PNG)\n", count);
    std::printf("single road x%d: %.3f s/photo (%d uploaded)\n", count, singleSeconds / count,
                singleSent);
    std::printf("batch run:       %.3f s/photo (%d uploaded, %d failed)\n", batchSeconds / count,
                b.sent, b.failed);
    std::printf("batch / single per photo: %.3fx\n", batchSeconds / singleSeconds);
    std::printf("peak working set: %.1f MiB\n",
                static_cast<double>(memory.PeakWorkingSetSize) / (1 << 20));
    sim.Reset();
    Gdiplus::GdiplusShutdown(gdiplus);
    return 0;
}
