// The batch road: planning a folder's rows and running them against the simulator.
#include <gtest/gtest.h>

#include <map>

#include "recorders.h"
#include "support/filebytes.h"
#include "support/pumpuntil.h"
#include "support/scratchfolder.h"
#include "support/simlane.h"
#include "testfiles.h"
#include "uploader/service/batchplan.h"
#include "uploader/service/batchworker.h"
#include "uploader/service/texts.h"

namespace {

std::vector<std::wstring> Names(const std::vector<BatchRow>& rows) {
    std::vector<std::wstring> names;
    for (const BatchRow& row : rows) names.push_back(row.fileName + L"=" + row.status);
    return names;
}

TEST(BatchPlan, SortedAndUnsendableRowsMarked) {
    std::wstring tooLong(kMaxFileNumberChars + 1, L'7');
    std::wstring longest(kMaxFileNumberChars, L'8');
    std::vector<BatchRow> rows = PlanBatch({L"b2.PNG", L"a1.jpg", L"B2.jpeg", L".png",
                                            tooLong + L".jpg", longest + L".jpg", L"A10.png"});
    EXPECT_EQ(Names(rows), (std::vector<std::wstring>{
                               L".png=上传号为空", tooLong + L".jpg=上传号过长",
                               longest + L".jpg=等待上传", L"a1.jpg=等待上传", L"A10.png=等待上传",
                               L"B2.jpeg=上传号重复", L"b2.PNG=上传号重复"}));
    EXPECT_EQ(rows[3].number, L"a1");
    EXPECT_EQ(rows[0].state, BatchRowState::Unsendable);
    EXPECT_EQ(rows[5].state, BatchRowState::Unsendable);
    BatchCounts counts = CountBatch(rows);
    EXPECT_EQ(BatchSummaryText(counts), L"上传成功 0 张，失败 0 张，未上传 7 张");
    EXPECT_EQ(BatchCounterText(3, 20), L"第 3 / 20 张");
}

TEST(BatchPlan, FolderListsOnlyItsOwnPhotos) {
    CScratchFolder dir(L"batch_list");
    for (const wchar_t* name :
         {L"A123.png", L"A124.JPG", L"notes.txt", L"A125.bmp", L"A126_CompPic.jpg", L"noextension"})
        ASSERT_TRUE(WritePicture(dir.Path() + L"\\" + name, 8, 8, L"png"));
    ASSERT_TRUE(::CreateDirectoryW((dir.Path() + L"\\sub.jpg").c_str(), nullptr));
    EXPECT_EQ(Names(ListBatchFolder(dir.Path())),
              (std::vector<std::wstring>{L"A123.png=等待上传", L"A124.JPG=等待上传"}));
    EXPECT_TRUE(ListBatchFolder(dir.Path() + L"\\missing").empty());
}

// A window stand-in: records each notice as the batch window would receive it.
class CRecordingBatch : public CBatchContext {
public:
    explicit CRecordingBatch(LoginSession session) : CBatchContext(std::move(session)) {}
    void NotifyJobStarted(size_t index) override {
        log.Add(L"start:" + jobs[index].number);
        if (stopAtStart) stopRequested = 1;
    }
    void NotifyJobDone(size_t index, bool uploaded, const std::wstring& gradeClass,
                       const std::wstring& status) override {
        log.Add(jobs[index].number + L":" + (uploaded ? L"ok:" : L"failed:") + gradeClass + L":" +
                status);
    }
    void NotifyBatchEnded(const std::wstring& failure) override { log.Add(L"end:" + failure); }
    CCallLog log;
    bool stopAtStart = false;
};

class BatchWorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(sim.Base().empty()) << "NTSIM_PORT_FILE not readable";
        ASSERT_TRUE(sim.Reset());
        for (const wchar_t* number : {L"A123", L"A124", L"B456", L"Z999"}) {
            std::wstring path = dir.Path() + L"\\" + number + L".png";
            ASSERT_TRUE(WritePicture(path, 300, 200, L"png"));
            original[path] = ReadFileBytes(path);
        }
    }
    void TearDown() override { EXPECT_TRUE(sim.Reset()); }

    LoginSession Session() const {
        LoginSession s;
        s.serviceBase = sim.Base();
        s.xsid = "XS7f3a9c01lihua";
        s.jid = "4401031987";
        s.archiveRoot = archive.Path();
        return s;
    }
    // Runs the rows of the folder in that state, as "开始上传" and "重试失败" do.
    void Run(CRecordingBatch& c, std::vector<BatchRow>& rows, BatchRowState which) {
        c.jobs.clear();
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].state == which)
                c.jobs.push_back(
                    BatchJob{i, rows[i].number, dir.Path() + L"\\" + rows[i].fileName});
        CWorkerThread worker;
        ASSERT_TRUE(worker.Start(&BatchWorker, &c, c.flags));
        worker.Join();
    }
    std::vector<std::string> PostedStudents() const {
        std::vector<std::string> posts;
        for (const SimRecord& r : sim.Requests())
            if (r.method == "POST") {
                size_t id = r.path.find("_id=") + 4;
                posts.push_back(r.path.substr(id, r.path.find('&', id) - id));
            }
        return posts;
    }

    CSimLane sim;
    CScratchFolder dir{L"batch_worker"};
    CScratchFolder archive{L"batch_archive"};
    std::map<std::wstring, std::string> original;
};

TEST_F(BatchWorkerTest, MixedOutcomesInOrderWithTheSingleRoadsTexts) {
    // The first upload to the second server fails: A123's.
    ASSERT_TRUE(sim.Fault("/second/api/Ef/upload", "html500"));
    std::vector<BatchRow> rows = ListBatchFolder(dir.Path());
    CRecordingBatch c(Session());
    Run(c, rows, BatchRowState::Waiting);
    EXPECT_EQ(c.log.Entries(),
              (std::vector<std::wstring>{
                  L"start:A123", std::wstring(L"A123:failed:三年级2班:") + texts::kUploadFailed,
                  L"start:A124", L"A124:ok:三年级2班:已上传", L"start:B456",
                  std::wstring(L"B456:failed::") + texts::kNotOwnStudent, L"start:Z999",
                  std::wstring(L"Z999:failed::") + texts::kWrongFileNumber, L"end:"}));
    // The province servers are asked once for the whole run.
    int provinceLookups = 0;
    for (const SimRecord& r : sim.Requests())
        provinceLookups += r.path.find("getProviceIP") != std::string::npos;
    EXPECT_EQ(provinceLookups, 1);
    EXPECT_EQ(PostedStudents(), (std::vector<std::string>{"S10001", "S10001", "S10002", "S10002"}));
    // The accepted photo is archived; the folder's photos are as they were.
    EXPECT_EQ(ListNames(archive.Path() + L"\\三年级-2班"),
              (std::vector<std::wstring>{L"A124_CompPic-A124.jpg"}));
    for (const auto& [path, bytes] : original) EXPECT_EQ(ReadFileBytes(path), bytes);

    // Retrying sends the failed rows only; the uploaded one is never sent again.
    rows[0].state = rows[2].state = rows[3].state = BatchRowState::Failed;
    rows[1].state = BatchRowState::Uploaded;
    ASSERT_TRUE(sim.Reset());
    CRecordingBatch again(Session());
    Run(again, rows, BatchRowState::Failed);
    EXPECT_EQ(again.log.Entries()[1], L"A123:ok:三年级2班:已上传");
    EXPECT_EQ(PostedStudents(), (std::vector<std::string>{"S10001", "S10001"}));
}

TEST_F(BatchWorkerTest, StopEndsAfterTheCurrentPhoto) {
    std::vector<BatchRow> rows = ListBatchFolder(dir.Path());
    CRecordingBatch c(Session());
    c.stopAtStart = true;
    Run(c, rows, BatchRowState::Waiting);
    EXPECT_EQ(c.log.Entries(),
              (std::vector<std::wstring>{L"start:A123", L"A123:ok:三年级2班:已上传", L"end:"}));
}

TEST_F(BatchWorkerTest, ProvinceFailureEndsTheRunBeforeAnyPhoto) {
    ASSERT_TRUE(sim.Fault("/api/CheckLogin/getProviceIP", "short"));
    std::vector<BatchRow> rows = ListBatchFolder(dir.Path());
    CRecordingBatch c(Session());
    Run(c, rows, BatchRowState::Waiting);
    EXPECT_EQ(c.log.Entries(),
              (std::vector<std::wstring>{std::wstring(L"end:") + texts::kNetworkProblem}));
    EXPECT_TRUE(PostedStudents().empty());
}

TEST_F(BatchWorkerTest, ClosingMidRunEndsQuietly) {
    ASSERT_TRUE(sim.Fault("/first/index.php", "hang"));
    CRecordingBatch c(Session());
    c.jobs.push_back(BatchJob{0, L"A123", dir.Path() + L"\\A123.png"});
    CWorkerThread worker;
    ASSERT_TRUE(worker.Start(&BatchWorker, &c, c.flags));
    // Waits until the hung upload has reached the simulator, then closes as the window does.
    ASSERT_TRUE(PumpUntil([this] { return !PostedStudents().empty(); }));
    worker.Stop(c.flags);
    EXPECT_EQ(c.log.Entries(), (std::vector<std::wstring>{L"start:A123"}));
}

}  // namespace
