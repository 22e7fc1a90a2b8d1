// Compression, scrambling and the upload worker against the archive servers.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/util/ntstringconvert.h"
#include "recorders.h"
#include "support/pumpuntil.h"
#include "support/simlane.h"
#include "testfiles.h"
#include "support/filebytes.h"
#include "support/scratchfolder.h"
#include "uploader/service/compressphoto.h"
#include "uploader/service/encrypt.h"
#include "uploader/service/filehandle.h"
#include "uploader/service/httpclient.h"
#include "uploader/service/texts.h"
#include "uploader/service/uploadworker.h"

namespace {

// The JPEG standard's luminance table scaled to quality 80 the way the IJG encoder behind GDI+
// scales it (factor 200 - 2 * 80 percent), in the zigzag order of the file.
std::vector<int> QualityEightyLuminanceTable() {
    // clang-format off
    const int standard[64] = {16, 11, 10, 16,  24,  40,  51,  61,
                              12, 12, 14, 19,  26,  58,  60,  55,
                              14, 13, 16, 24,  40,  57,  69,  56,
                              14, 17, 22, 29,  51,  87,  80,  62,
                              18, 22, 37, 56,  68, 109, 103,  77,
                              24, 35, 55, 64,  81, 104, 113,  92,
                              49, 64, 78, 87, 103, 121, 120, 101,
                              72, 92, 95, 98, 112, 100, 103,  99};
    // clang-format on
    const int zigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                            12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                            35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                            58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
    std::vector<int> table;
    for (int k : zigzag) table.push_back(std::max(1, (standard[k] * 40 + 50) / 100));
    return table;
}

TEST(Compression, LongerSideBecomesOneThousand) {
    CScratchFolder dir(L"compress_sizes");
    struct Case {
        int w, h, cw, ch;
    } cases[] = {{4000, 3000, 1000, 750},
                 {3000, 4000, 750, 1000},
                 {500, 500, 1000, 1000},
                 {1000, 3, 1000, 3},
                 {3, 2000, 2, 1000}};
    for (const Case& k : cases) {
        std::wstring source =
            dir.Path() + L"\\p" + std::to_wstring(k.w) + L"x" + std::to_wstring(k.h) + L".png";
        ASSERT_TRUE(WritePicture(source, k.w, k.h, L"png"));
        std::wstring compressed;
        ASSERT_EQ(CompressPhoto(source, compressed), 0);
        EXPECT_EQ(compressed, source.substr(0, source.size() - 4) + L"_CompPic.jpg");
        int w = 0, h = 0;
        PictureSize(compressed, w, h);
        EXPECT_EQ(w, k.cw) << k.w << "x" << k.h;
        EXPECT_EQ(h, k.ch) << k.w << "x" << k.h;
        // 24-bit colour: three components of eight bits.
        JpegLayout jpeg;
        ASSERT_TRUE(ReadJpegLayout(ReadFileBytes(compressed), jpeg));
        EXPECT_EQ(jpeg.precision, 8);
        EXPECT_EQ(jpeg.components, 3);
    }
}

TEST(Compression, QualityEighty) {
    CScratchFolder dir(L"compress_quality");
    std::wstring source = dir.Path() + L"\\q.png";
    ASSERT_TRUE(WritePicture(source, 400, 300, L"png"));
    // Wine's GDI+ (8.0) saves every JPEG at its encoder's default quality 75, whatever it is
    // told; only where the requested quality reaches the file can it be checked there.
    JpegLayout low, high;
    ASSERT_TRUE(WritePicture(dir.Path() + L"\\low.jpg", 40, 30, L"jpeg", 10));
    ASSERT_TRUE(WritePicture(dir.Path() + L"\\high.jpg", 40, 30, L"jpeg", 90));
    ASSERT_TRUE(ReadJpegLayout(ReadFileBytes(dir.Path() + L"\\low.jpg"), low));
    ASSERT_TRUE(ReadJpegLayout(ReadFileBytes(dir.Path() + L"\\high.jpg"), high));
    if (low.firstTable == high.firstTable) GTEST_SKIP() << "this GDI+ ignores EncoderQuality";

    std::wstring compressed;
    ASSERT_EQ(CompressPhoto(source, compressed), 0);
    JpegLayout jpeg;
    ASSERT_TRUE(ReadJpegLayout(ReadFileBytes(compressed), jpeg));
    EXPECT_EQ(jpeg.firstTable, QualityEightyLuminanceTable());
}

TEST(Compression, NamingAndOverwrite) {
    CScratchFolder dir(L"compress_names");
    std::wstring noDot = dir.Path() + L"\\photo";
    ASSERT_TRUE(WritePicture(noDot, 40, 30, L"bmp"));
    ASSERT_TRUE(WriteFileBytes(noDot + L"_CompPic.jpg", "old"));
    std::wstring compressed;
    ASSERT_EQ(CompressPhoto(noDot, compressed), 0);
    EXPECT_EQ(compressed, noDot + L"_CompPic.jpg");
    EXPECT_GT(ReadFileBytes(compressed).size(), 3u);

    std::wstring twoDots = dir.Path() + L"\\li.v2.jpeg";
    ASSERT_TRUE(WritePicture(twoDots, 40, 30, L"jpeg"));
    ASSERT_EQ(CompressPhoto(twoDots, compressed), 0);
    EXPECT_EQ(compressed, dir.Path() + L"\\li.v2_CompPic.jpg");
}

TEST(Compression, UnloadablePhotoFails) {
    CScratchFolder dir(L"compress_bad");
    std::wstring fake = dir.Path() + L"\\fake.jpg";
    ASSERT_TRUE(WriteFileBytes(fake, "this is not a picture"));
    std::wstring compressed = L"stale";
    EXPECT_EQ(CompressPhoto(fake, compressed), -1);
    EXPECT_EQ(compressed, L"");
    EXPECT_EQ(CompressPhoto(dir.Path() + L"\\missing.png", compressed), -1);
    EXPECT_FALSE(FileExists(dir.Path() + L"\\fake_CompPic.jpg"));
}

TEST(Compression, UnwritableFolderFallsBackToTemp) {
    CScratchFolder dir(L"compress_ro");
    std::wstring source = dir.Path() + L"\\blocked.png";
    ASSERT_TRUE(WritePicture(source, 80, 60, L"png"));
    // A folder in the way makes the photo's own folder refuse the copy.
    ASSERT_TRUE(CreateDirectoryW((dir.Path() + L"\\blocked_CompPic.jpg").c_str(), nullptr));
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    std::wstring expected = std::wstring(temp) + L"blocked_CompPic.jpg";
    DeleteFileW(expected.c_str());

    std::wstring compressed;
    ASSERT_EQ(CompressPhoto(source, compressed), 0);
    EXPECT_EQ(compressed, expected);
    int w = 0, h = 0;
    PictureSize(compressed, w, h);
    EXPECT_EQ(w, 1000);
    EXPECT_EQ(h, 750);
    DeleteFileW(expected.c_str());
}

TEST(Scrambler, KeystreamRestartsAndUndoesItself) {
    const CEncrypt scrambler;
    unsigned char zeros[520] = {};
    scrambler.Transform(zeros, sizeof(zeros));
    const unsigned char expected[8] = {0x3e, 0xa5, 0x5d, 0x4e, 0x10, 0xb2, 0x4e, 0x27};
    EXPECT_EQ(0, memcmp(zeros, expected, 8));
    // Without swaps the stream repeats every 512 bytes.
    EXPECT_EQ(0, memcmp(zeros + 512, expected, 8));

    unsigned char text[] = "StudentFiles";
    scrambler.Transform(text, 12);
    EXPECT_NE(0, memcmp(text, "StudentFiles", 12));
    scrambler.Transform(text, 12);
    EXPECT_EQ(0, memcmp(text, "StudentFiles", 12));
    scrambler.Transform(nullptr, 12);
}

TEST(UploadProgress, TextAndAbort) {
    EXPECT_EQ(UploadProgressText(UploadPercent(1000, 400)), L"已完成:40%");
    EXPECT_EQ(UploadProgressText(UploadPercent(3, 2)), L"已完成:66%");
    EXPECT_EQ(UploadProgressText(UploadPercent(0, 0)), L"已完成:0%");
    EXPECT_EQ(UploadProgressText(UploadPercent(-1, 5)), L"已完成:0%");

    CRecordingUpload c{LoginSession()};
    EXPECT_EQ(UploadProgress(&c, 0, 0, 100, 40), 0);
    EXPECT_EQ(UploadProgress(&c, 0, 0, 100, 40), 0);
    EXPECT_EQ(UploadProgress(&c, 0, 0, 100, 100), 0);
    EXPECT_EQ(c.progress.Entries(), (std::vector<std::wstring>{L"已完成:40%", L"已完成:100%"}));
    c.flags.abort = 1;
    EXPECT_EQ(UploadProgress(&c, 0, 0, 100, 100), -1);
    EXPECT_EQ(UploadProgress(nullptr, 0, 0, 100, 100), -1);
}

TEST(UploadVerdictTest, JudgedFromResultAndEnvelope) {
    EXPECT_EQ(JudgeUpload(0, R"({"errorCode":0,"errorMessage":""})"), UploadVerdict::Succeeded);
    EXPECT_EQ(JudgeUpload(0, R"({"data":{}})"), UploadVerdict::Succeeded);
    EXPECT_EQ(JudgeUpload(0, R"({"errorCode":3,"errorMessage":"ok"})"), UploadVerdict::Failed);
    EXPECT_EQ(JudgeUpload(0, R"({"errorCode":3})"), UploadVerdict::Failed);
    EXPECT_EQ(JudgeUpload(18, R"({"errorCode":0})"), UploadVerdict::Failed);
    EXPECT_EQ(JudgeUpload(static_cast<WPARAM>(static_cast<INT_PTR>(-1)), ""),
              UploadVerdict::Failed);
    EXPECT_EQ(JudgeUpload(0, "<html><body>500</body></html>"), UploadVerdict::Unchanged);
    EXPECT_EQ(JudgeUpload(0, R"({"errorCode":"3"})"), UploadVerdict::Unchanged);
    EXPECT_EQ(JudgeUpload(0, std::string(5000, '[')), UploadVerdict::Unchanged);
}

class UploadWorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(sim.Base().empty()) << "NTSIM_PORT_FILE not readable";
        ASSERT_TRUE(sim.Reset());
        photo = dir.Path() + L"\\li.png";
        ASSERT_TRUE(WritePicture(photo, 1200, 900, L"png"));
    }
    void TearDown() override { EXPECT_TRUE(sim.Reset()); }

    LoginSession Session(const std::string& xsid, const std::string& jid) const {
        LoginSession s;
        s.serviceBase = sim.Base();
        s.xsid = xsid;
        s.jid = jid;
        s.archiveRoot = dir.Path() + L"\\已上传图片";
        return s;
    }

    // Uploads the photo at photoPath for the student with that file number, as the window does.
    void Run(CRecordingUpload& c, const std::wstring& photoPath, const wchar_t* fileNumber) {
        c.photoPath = photoPath;
        c.fileNumber = fileNumber;
        CWorkerThread worker;
        ASSERT_TRUE(worker.Start(&UploadWorker, &c, c.flags));
        worker.Join();
    }

    std::vector<SimRecord> Posts() const {
        std::vector<SimRecord> posts;
        for (const SimRecord& r : sim.Requests()) {
            if (r.method == "POST") posts.push_back(r);
        }
        return posts;
    }

    CSimLane sim;
    CScratchFolder dir{L"upload_worker"};
    std::wstring photo;
};

TEST_F(UploadWorkerTest, BothServersGetThePhoto) {
    // "淺" ends in the byte of a backslash in code page 936; noise keeps the JPEG large enough
    // (a body above 1 MiB) for libcurl to ask for a 100-continue unless told not to.
    std::wstring large = dir.Path() + L"\\淺色.bmp";
    ASSERT_TRUE(WriteNoisePicture(large, 1000, 1000));
    CRecordingUpload c(Session("XS7f3a9c01lihua", "4401031987"));
    Run(c, large, L"A123");
    EXPECT_EQ(c.log.Entries(), (std::vector<std::wstring>{L"hint:", L"hint:", L"done:0"}));
    EXPECT_EQ(JudgeUpload(c.doneResult, c.response), UploadVerdict::Succeeded) << c.response;
    EXPECT_EQ(c.compressedPath, dir.Path() + L"\\淺色_CompPic.jpg");
    EXPECT_EQ(c.uploadedName, CNTStringConvert::UnicodeToAnsi(L"淺色_CompPic.jpg"));
    const std::string sentName = CNTStringConvert::UnicodeToUTF8(L"淺色_CompPic.jpg");
    EXPECT_EQ(c.progress.Entries().back(), L"已完成:100%");

    std::vector<SimRecord> sent = sim.Requests();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[1].path, "/second/api/Ef/checkFileno?file_no=A123&xsid=XS7f3a9c01lihua");
    EXPECT_EQ(sent[2].method, "POST");
    EXPECT_EQ(sent[2].path,
              "/first/index.php?xsid=XS7f3a9c01lihua&student_id=S10001"
              "&action=upload");
    EXPECT_EQ(sent[3].method, "POST");
    EXPECT_EQ(sent[3].path, "/second/api/Ef/upload?xsid=XS7f3a9c01lihua&stu_id=S10001");

    const std::string file = ReadFileBytes(c.compressedPath);
    ASSERT_GT(file.size(), 600000u);
    const CEncrypt scrambler;
    for (int i = 2; i < 4; ++i) {
        const SimRecord& post = sent[i];
        EXPECT_GT(post.body.size(), 1u << 20);
        EXPECT_EQ(post.Header("Expect"), "");
        ASSERT_EQ(post.parts.size(), 2u);
        EXPECT_EQ(post.parts[0].name, "file");
        EXPECT_EQ(post.parts[0].filename, sentName);
        EXPECT_EQ(post.parts[0].contentType, "image/jpeg");
        EXPECT_EQ(post.parts[0].data, file);
        EXPECT_EQ(post.parts[1].name, "file");
        EXPECT_EQ(post.parts[1].filename, sentName);
        std::string copy = post.parts[1].data;
        if (i == 2) {
            EXPECT_NE(copy, file);
            scrambler.Transform(reinterpret_cast<unsigned char*>(&copy[0]), copy.size());
        }
        EXPECT_EQ(copy, file) << "part 2 of request " << i;
    }
}

TEST_F(UploadWorkerTest, FirstServerOnly) {
    CRecordingUpload c(Session("XS55e1b7d2zhaomin", "1101075555"));
    Run(c, photo, L"A123");
    EXPECT_EQ(c.log.Entries().back(), L"done:0");
    EXPECT_EQ(JudgeUpload(0, c.response), UploadVerdict::Succeeded) << c.response;
    std::vector<SimRecord> posts = Posts();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].path,
              "/first/index.php?xsid=XS55e1b7d2zhaomin&student_id=S10001"
              "&action=upload");
    EXPECT_NE(posts[0].parts[1].data, posts[0].parts[0].data);
}

TEST_F(UploadWorkerTest, SecondServerOnlyGetsPlainParts) {
    CRecordingUpload c(Session("XS0b93c4e8chenjing", "3101020001"));
    Run(c, photo, L"A124");
    EXPECT_EQ(c.log.Entries().back(), L"done:0");
    std::vector<SimRecord> posts = Posts();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].path, "/second/api/Ef/upload?xsid=XS0b93c4e8chenjing&stu_id=S10002");
    ASSERT_EQ(posts[0].parts.size(), 2u);
    EXPECT_EQ(posts[0].parts[1].data, posts[0].parts[0].data);
}

TEST_F(UploadWorkerTest, OnlyTheSecondServersReplyIsJudged) {
    // The photo reaches both servers, and whatever the first says, the second decides.
    struct Case {
        const char* refusingServer;
        UploadVerdict verdict;
    } cases[] = {{"/first/index.php", UploadVerdict::Succeeded},
                 {"/second/api/Ef/upload", UploadVerdict::Failed}};
    for (const Case& k : cases) {
        ASSERT_TRUE(sim.Reset());
        ASSERT_TRUE(sim.Fault(k.refusingServer, "refuse", R"("code": 5)"));
        CRecordingUpload c(Session("XS7f3a9c01lihua", "4401031987"));
        Run(c, photo, L"A123");
        EXPECT_EQ(c.log.Entries().back(), L"done:0");
        EXPECT_EQ(JudgeUpload(c.doneResult, c.response), k.verdict) << k.refusingServer;
        EXPECT_EQ(Posts().size(), 2u);
    }
}

TEST_F(UploadWorkerTest, ReplyFaults) {
    struct Case {
        const char* kind;
        UploadVerdict verdict;
        bool transferFails;
    } cases[] = {
        {"short", UploadVerdict::Failed, true},
        {"html500", UploadVerdict::Unchanged, false},
        {"notjson", UploadVerdict::Unchanged, false},
        {"refuse", UploadVerdict::Failed, false},
    };
    for (const Case& k : cases) {
        ASSERT_TRUE(sim.Reset());
        ASSERT_TRUE(sim.Fault("/second/api/Ef/upload", k.kind));
        CRecordingUpload c(Session("XS7f3a9c01lihua", "4401031987"));
        Run(c, photo, L"A123");
        std::vector<std::wstring> calls = c.log.Entries();
        ASSERT_EQ(calls.size(), 3u) << k.kind;
        EXPECT_EQ(c.doneResult != 0, k.transferFails) << k.kind;
        EXPECT_EQ(JudgeUpload(c.doneResult, c.response), k.verdict) << k.kind;
    }
}

TEST_F(UploadWorkerTest, UnloadablePhotoSendsNothing) {
    std::wstring fake = dir.Path() + L"\\fake.png";
    ASSERT_TRUE(WriteFileBytes(fake, "GIF89a but not really"));
    CRecordingUpload c(Session("XS7f3a9c01lihua", "4401031987"));
    Run(c, fake, L"A123");
    EXPECT_EQ(c.log.Entries(), (std::vector<std::wstring>{L"hint:", L"hint:", L"done:-1"}));
    EXPECT_TRUE(Posts().empty());
    EXPECT_EQ(JudgeUpload(c.doneResult, c.response), UploadVerdict::Failed);
}

TEST_F(UploadWorkerTest, StaleCompressedCopyIsNeverSent) {
    // A copy left by an earlier attempt for another student, held open by another program,
    // with the temporary folder blocked as well: the new photo cannot be written anywhere.
    std::wstring source = dir.Path() + L"\\stale_worker.png";
    ASSERT_TRUE(WritePicture(source, 120, 90, L"png"));
    std::wstring stale = dir.Path() + L"\\stale_worker_CompPic.jpg";
    ASSERT_TRUE(WritePicture(stale, 40, 30, L"jpeg"));
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    std::wstring tempCopy = std::wstring(temp) + L"stale_worker_CompPic.jpg";
    DeleteFileW(tempCopy.c_str());
    ASSERT_TRUE(CreateDirectoryW(tempCopy.c_str(), nullptr));
    CFileHandle lock(CreateFileW(stale.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock.IsValid());

    CRecordingUpload c(Session("XS7f3a9c01lihua", "4401031987"));
    Run(c, source, L"A123");
    RemoveDirectoryW(tempCopy.c_str());
    EXPECT_EQ(c.log.Entries(), (std::vector<std::wstring>{L"hint:", L"hint:", L"done:-1"}));
    EXPECT_TRUE(Posts().empty());
    EXPECT_EQ(JudgeUpload(c.doneResult, c.response), UploadVerdict::Failed);
}

TEST_F(UploadWorkerTest, PathWithoutBackslashSendsNothing) {
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(dir.Path().c_str()));
    CRecordingUpload c(Session("XS7f3a9c01lihua", "4401031987"));
    Run(c, L"li.png", L"A123");
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(c.log.Entries().back(), L"done:-1");
    EXPECT_EQ(c.compressedPath, L"li_CompPic.jpg");
    EXPECT_TRUE(Posts().empty());
}

TEST_F(UploadWorkerTest, LookupFailureStopsBeforeSending) {
    CRecordingUpload c(Session("XS7f3a9c01lihua", "4401031987"));
    Run(c, photo, L"B456");
    EXPECT_EQ(c.log.Entries(),
              (std::vector<std::wstring>{L"hint:", std::wstring(L"hint:") + texts::kNotOwnStudent,
                                         L"stopped"}));
    EXPECT_TRUE(Posts().empty());

    ASSERT_TRUE(sim.Fault("/api/CheckLogin/getProviceIP", "short"));
    CRecordingUpload d(Session("XS7f3a9c01lihua", "4401031987"));
    Run(d, photo, L"A123");
    EXPECT_EQ(d.log.Entries(), (std::vector<std::wstring>{
                                   std::wstring(L"hint:") + texts::kNetworkProblem, L"stopped"}));
}

TEST_F(UploadWorkerTest, CheckedUploadNeverReachesAnUntrustedServer) {
    // The simulator's https certificate is self-signed: trusted by nobody.
    std::string url = "https" + sim.Base().substr(4) +
                      "/second/api/Ef/upload?xsid=XS7f3a9c01lihua" + "&stu_id=S10001";
    std::wstring compressed;
    ASSERT_EQ(CompressPhoto(photo, compressed), 0);
    std::string path = CNTStringConvert::UnicodeToAnsi(compressed.c_str());
    std::string bytes = ReadFileBytes(compressed);
    WorkerFlags flags;
    for (bool verify : {false, true}) {
        std::string response;
        CURLcode result =
            HttpPostPhoto(url, path, "li_CompPic.jpg", static_cast<long>(bytes.size()),
                          bytes.data(), response, &AbortOnFlag, &flags, verify);
        EXPECT_EQ(result == CURLE_OK, !verify);
        EXPECT_EQ(JudgeUpload(result, response),
                  verify ? UploadVerdict::Failed : UploadVerdict::Succeeded);
    }
    EXPECT_EQ(Posts().size(), 1u);
}

TEST_F(UploadWorkerTest, ClosingDuringAHungUploadEndsQuietly) {
    ASSERT_TRUE(sim.Fault("/first/index.php", "hang"));
    CRecordingUpload c(Session("XS7f3a9c01lihua", "4401031987"));
    c.photoPath = photo;
    c.fileNumber = L"A123";
    CWorkerThread worker;
    ASSERT_TRUE(worker.Start(&UploadWorker, &c, c.flags));
    // Wait until the upload is on the wire; the POST has no time-out of its own.
    ASSERT_TRUE(PumpUntil([&] { return !Posts().empty(); }));
    ASSERT_EQ(Posts().size(), 1u);
    worker.Stop(c.flags);
    EXPECT_EQ(c.log.Entries(), (std::vector<std::wstring>{L"hint:", L"hint:"}));
    EXPECT_EQ(Posts().size(), 1u);
}

}  // namespace
