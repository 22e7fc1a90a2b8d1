#include <gtest/gtest.h>
#include <winsock2.h>
#include <windows.h>

#include <atomic>

#include <openssl/sha.h>

#include "updater/download.h"
#include "support/filebytes.h"
#include "support/scratchfolder.h"
#include "support/simlane.h"
#include "updater/testkit.h"
#include "updater/versioncheck.h"

using namespace testkit;

namespace {

// Records what the dialog would have shown.
class RecordingView : public CCMProgressView {
public:
    void SetStatusLine(const std::wstring& text) override { status.push_back(text); }
    void SetVersionLabel(const std::wstring& text) override { labels.push_back(text); }
    void SetProgress(int position) override { positions.push_back(position); }
    std::vector<std::wstring> status, labels;
    std::vector<int> positions;
};

// A package of exactly one million bytes with a recognisable pattern.
std::string MillionBytes() {
    std::string data(1000000, '\0');
    uint32_t x = 12345;
    for (char& c : data) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return data;
}

std::string Base64(const std::string& in) {
    static const char* chars = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t i = 0;
    for (; i + 2 < in.size(); i += 3) {
        uint32_t v = (static_cast<unsigned char>(in[i]) << 16) |
                     (static_cast<unsigned char>(in[i + 1]) << 8) |
                     static_cast<unsigned char>(in[i + 2]);
        out += chars[v >> 18];
        out += chars[(v >> 12) & 63];
        out += chars[(v >> 6) & 63];
        out += chars[v & 63];
    }
    if (i + 1 == in.size()) {
        uint32_t v = static_cast<unsigned char>(in[i]) << 16;
        out += std::string{chars[v >> 18], chars[(v >> 12) & 63], '=', '='};
    } else if (i + 2 == in.size()) {
        uint32_t v = (static_cast<unsigned char>(in[i]) << 16) |
                     (static_cast<unsigned char>(in[i + 1]) << 8);
        out += std::string{chars[v >> 18], chars[(v >> 12) & 63], chars[(v >> 6) & 63], '='};
    }
    return out;
}

class Download : public ::testing::Test {
protected:
    Download()
        : m_lane(::testing::UnitTest::GetInstance()->current_test_info()->name()), m_dir(L"dl") {}
    void SetUp() override {
        ASSERT_TRUE(m_lane.Reset());
        m_data = MillionBytes();
        ASSERT_TRUE(m_lane.Fixture("{\"packages\":{\"big.zip\":{\"raw_b64\":\"" + Base64(m_data) +
                                   "\"}}}"));
        m_item.name = L"big.zip";
        m_item.url = m_lane.WideBase() + L"/update/pkg/big.zip";
        m_item.localPath = m_dir.Path() + L"\\big.zip";
        m_texts.versionLabel = L"升级到 2.1.0 版本, (1 / 2 )";
        m_texts.statusPattern = L"正在下载 %s ...(%s)";
    }
    bool Run() { return DownloadPackage(m_item, m_texts, m_cancel, m_view); }
    std::wstring Partial() const { return m_item.localPath + L".$$$"; }
    // A partial file as an earlier run of this version left it.
    void PlantPartial(const std::string& bytes) {
        WriteFileBytes(Partial(), bytes);
        ASSERT_TRUE(RecordPartialDownload(m_item));
    }
    std::vector<SimRecord> PackageRequests() {
        std::vector<SimRecord> out;
        for (const auto& r : m_lane.Requests())
            if (r.path.find("/update/pkg/") != std::string::npos) out.push_back(r);
        return out;
    }

    CSimLane m_lane;
    CScratchFolder m_dir;
    std::string m_data;
    UpdateItem m_item;
    DownloadTexts m_texts;
    std::atomic<int> m_cancel{0};
    RecordingView m_view;
};

}  // namespace

std::string Sha256Hex(const std::string& data) {
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(data.data()), data.size(), digest);
    std::string hex;
    for (unsigned char b : digest) {
        char pair[3];
        snprintf(pair, sizeof(pair), "%02x", b);
        hex += pair;
    }
    return hex;
}

TEST_F(Download, StaleCompletePackageIsKeptOnlyWhenTheRepliesDigestMatches) {
    // Without a digest a file of an earlier run may hold other bytes: fetched again.
    WriteFileBytes(m_item.localPath, "an older package of the same name");
    ASSERT_TRUE(Run());
    EXPECT_EQ(m_data, ReadFileBytes(m_item.localPath));
    EXPECT_EQ(1u, PackageRequests().size());
    // With a matching digest it is today's package: no request.
    m_item.sha256 = Sha256Hex(m_data);
    ASSERT_TRUE(Run());
    EXPECT_EQ(1u, PackageRequests().size());
    // A digest it does not match: fetched again.
    WriteFileBytes(m_item.localPath, "stale");
    ASSERT_TRUE(Run());
    EXPECT_EQ(2u, PackageRequests().size());
    EXPECT_EQ(m_data, ReadFileBytes(m_item.localPath));
}

TEST_F(Download, PackageThatDiffersFromTheDeclaredSizeOrDigestIsDeletedAndFails) {
    m_item.sha256 = std::string(64, 'a');
    EXPECT_FALSE(Run());
    EXPECT_FALSE(FileExists(m_item.localPath));
    EXPECT_FALSE(FileExists(Partial()));
    m_item.sha256 = Sha256Hex(m_data);
    m_item.declaredSize = 999999;
    m_item.size = 0;
    EXPECT_FALSE(Run());
    EXPECT_FALSE(FileExists(m_item.localPath));
    EXPECT_FALSE(FileExists(Partial()));
    m_item.declaredSize = 1000000;
    m_item.size = 0;
    ASSERT_TRUE(Run());
    EXPECT_EQ(m_data, ReadFileBytes(m_item.localPath));
}

TEST_F(Download, PartialFileOfAnotherVersionOrAddressStartsOver) {
    m_item.version = L"2.0";
    PlantPartial(std::string(300000, 'x'));
    m_item.version = L"2.1";
    ASSERT_TRUE(Run());
    EXPECT_EQ("bytes=0-", PackageRequests().back().Header("Range"));
    EXPECT_EQ(m_data, ReadFileBytes(m_item.localPath));
    EXPECT_FALSE(FileExists(Partial() + L".for"));
    // One without any record is of no known run.
    DeleteFileW(m_item.localPath.c_str());
    WriteFileBytes(Partial(), m_data.substr(0, 300000));
    ASSERT_TRUE(Run());
    EXPECT_EQ("bytes=0-", PackageRequests().back().Header("Range"));
}

TEST_F(Download, ResumesAPartialFileWithARangeRequest) {
    PlantPartial(m_data.substr(0, 300000));
    ASSERT_TRUE(Run());
    auto requests = PackageRequests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("bytes=300000-", requests[0].Header("Range"));
    // Wine's WinINet sends an "Accept: */*" of its own beside ours; both accept anything.
    std::string accept = requests[0].Header("Accept");
    EXPECT_TRUE(accept == "*/*" || accept == "*/*, */*") << accept;
    EXPECT_EQ("Mozilla/4.0 (compatible)", requests[0].Header("User-Agent"));
    EXPECT_EQ(1000000u, m_item.size);
    EXPECT_EQ(m_data, ReadFileBytes(m_item.localPath));
    EXPECT_FALSE(FileExists(Partial()));
    ASSERT_FALSE(m_view.status.empty());
    EXPECT_EQ(L"正在下载 big.zip ...(0Kb/976Kb)", m_view.status.front());
    EXPECT_EQ(L"正在下载 big.zip ...(293Kb/976Kb)", m_view.status[1]);
    EXPECT_EQ(L"正在下载 big.zip ...(976Kb/976Kb)", m_view.status.back());
    EXPECT_EQ(std::vector<std::wstring>{L"升级到 2.1.0 版本, (1 / 2 )"}, m_view.labels);
    // Each text and position is sent once, only when it changes.
    EXPECT_EQ(976u - 293u + 2u, m_view.status.size());
    EXPECT_EQ(0, m_view.positions.front());
    EXPECT_EQ(30, m_view.positions[1]);
    EXPECT_EQ(100, m_view.positions.back());
    EXPECT_EQ(100u - 30u + 2u, m_view.positions.size());
}

TEST_F(Download, PartialContentWithoutAPartialFileStartsFromEmpty) {
    ASSERT_TRUE(Run());
    auto requests = PackageRequests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("bytes=0-", requests[0].Header("Range"));
    EXPECT_EQ(m_data, ReadFileBytes(m_item.localPath));
}

TEST_F(Download, CutConnectionIsResumedByteIdentical) {
    ASSERT_TRUE(
        m_lane.Fault("{\"path\":\"/update/pkg/big.zip\",\"kind\":\"drop\",\"bytes\":400000}"));
    EXPECT_FALSE(Run());
    std::string partial = ReadFileBytes(Partial());
    ASSERT_GT(partial.size(), 0u);
    ASSERT_LE(partial.size(), 400000u);
    EXPECT_EQ(m_data.substr(0, partial.size()), partial);
    EXPECT_FALSE(FileExists(m_item.localPath));

    ASSERT_TRUE(Run());
    auto requests = PackageRequests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("bytes=" + std::to_string(partial.size()) + "-", requests[1].Header("Range"));
    EXPECT_EQ(m_data, ReadFileBytes(m_item.localPath));
}

TEST_F(Download, ServerIgnoringTheRangeRestartsTheFile) {
    PlantPartial(m_data.substr(0, 300000));
    ASSERT_TRUE(m_lane.Fault("{\"path\":\"/update/pkg/big.zip\",\"kind\":\"ignore_range\"}"));
    ASSERT_TRUE(Run());
    EXPECT_EQ(1300000u, m_item.size);
    EXPECT_EQ(m_data, ReadFileBytes(m_item.localPath));
}

TEST_F(Download, PartialFileThatIsTheWholePackageIsKeptOtherwiseA416StartsOver) {
    PlantPartial(m_data.substr(0, 300000));
    // The whole rest arrives, but 5000 bytes more were announced.
    ASSERT_TRUE(
        m_lane.Fault("{\"path\":\"/update/pkg/big.zip\",\"kind\":\"short\",\"extra\":5000}"));
    EXPECT_FALSE(Run());
    EXPECT_FALSE(FileExists(m_item.localPath));
    EXPECT_EQ(m_data, ReadFileBytes(Partial()));
    // At the next run the resume from the end is answered 416 naming the size the file has.
    m_item.size = 0;
    ASSERT_TRUE(Run());
    EXPECT_EQ(m_data, ReadFileBytes(m_item.localPath));
    EXPECT_FALSE(FileExists(Partial()));
    EXPECT_EQ(1000000u, m_item.size);
    auto requests = PackageRequests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("bytes=1000000-", requests[1].Header("Range"));

    // A 416 that names no size, or one the file does not have, starts over.
    DeleteFileW(m_item.localPath.c_str());
    m_item.size = 0;
    PlantPartial(m_data);
    ASSERT_TRUE(m_lane.Fault(
        "{\"path\":\"/update/pkg/big.zip\",\"kind\":\"reply\",\"status\":416,\"body\":\"\"}"));
    EXPECT_FALSE(Run());
    EXPECT_FALSE(FileExists(Partial()));
    PlantPartial(m_data + "past the end");
    EXPECT_FALSE(Run());
    EXPECT_FALSE(FileExists(Partial()));
    EXPECT_FALSE(FileExists(m_item.localPath));
    ASSERT_TRUE(Run());
    requests = PackageRequests();
    ASSERT_EQ(5u, requests.size());
    EXPECT_EQ("bytes=0-", requests[4].Header("Range"));
    EXPECT_EQ(m_data, ReadFileBytes(m_item.localPath));
}

TEST_F(Download, ErrorPageIsNotStored) {
    PlantPartial(m_data.substr(0, 300000));
    ASSERT_TRUE(m_lane.Fault("{\"path\":\"/update/pkg/big.zip\",\"kind\":\"html404\"}"));
    EXPECT_FALSE(Run());
    EXPECT_EQ(m_data.substr(0, 300000), ReadFileBytes(Partial()));
    EXPECT_EQ(0u, m_item.size);
    EXPECT_TRUE(m_view.status.empty());
    ASSERT_TRUE(m_lane.Fault("{\"path\":\"/update/pkg/big.zip\",\"kind\":\"html500\"}"));
    EXPECT_FALSE(Run());
    EXPECT_EQ(m_data.substr(0, 300000), ReadFileBytes(Partial()));
}

TEST_F(Download, EmptyReplyIsNeverACompletePackage) {
    ASSERT_TRUE(m_lane.Fault(
        "{\"path\":\"/update/pkg/big.zip\",\"kind\":\"reply\",\"status\":200,\"body\":\"\"}"));
    EXPECT_FALSE(Run());
    EXPECT_FALSE(FileExists(m_item.localPath));
    // Nor does it complete a partial file, which a 200 starts again from empty.
    PlantPartial(m_data.substr(0, 300000));
    ASSERT_TRUE(m_lane.Fault(
        "{\"path\":\"/update/pkg/big.zip\",\"kind\":\"reply\",\"status\":200,\"body\":\"\"}"));
    EXPECT_FALSE(Run());
    EXPECT_FALSE(FileExists(m_item.localPath));
}

TEST_F(Download, CompletePartialFileOfAKnownSizeIsRenamedWithoutARequest) {
    PlantPartial(m_data);
    m_item.size = 1000000;
    EXPECT_TRUE(Run());
    EXPECT_TRUE(PackageRequests().empty());
    EXPECT_EQ(m_data, ReadFileBytes(m_item.localPath));
}

TEST_F(Download, CancelStopsAndKeepsThePartialFile) {
    PlantPartial(m_data.substr(0, 300000));
    m_cancel = 1;
    EXPECT_FALSE(Run());
    EXPECT_EQ(m_data.substr(0, 300000), ReadFileBytes(Partial()));
    EXPECT_FALSE(FileExists(m_item.localPath));
}

TEST_F(Download, NoServerFails) {
    m_item.url = L"http://127.0.0.1:1/update/pkg/big.zip";
    EXPECT_FALSE(Run());
    EXPECT_FALSE(FileExists(Partial()));
}

// An https address must get TLS: a bare loopback port sees how the request opens.
TEST(VersionRequestTls, HttpsAddressOpensWithATlsHandshake) {
    WSADATA wsa;
    ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 2), &wsa));
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof(address);
    ASSERT_EQ(0, bind(listener, reinterpret_cast<sockaddr*>(&address), size));
    ASSERT_EQ(0, listen(listener, 4));
    ASSERT_EQ(0, getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size));
    struct Request {
        std::wstring base;
        static DWORD WINAPI Run(void* p) {
            std::string body;
            RequestVersionInfo(static_cast<Request*>(p)->base, L"1.0", body);
            return 0;
        }
    } request{L"https://127.0.0.1:" + std::to_wstring(ntohs(address.sin_port)) + L"/update"};
    HANDLE thread = CreateThread(nullptr, 0, Request::Run, &request, 0, nullptr);
    std::string first;
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(listener, &ready);
    timeval wait{30, 0};
    if (select(0, &ready, nullptr, nullptr, &wait) == 1) {
        SOCKET client = accept(listener, nullptr, nullptr);
        char bytes[16];
        int got = recv(client, bytes, sizeof(bytes), 0);
        if (got > 0) first.assign(bytes, static_cast<size_t>(got));
        closesocket(client);
    }
    closesocket(listener);
    WaitForSingleObject(thread, 60000);
    CloseHandle(thread);
    WSACleanup();
    // A handshake record (type 22, version 3.x), not "POST /update/...".
    ASSERT_GE(first.size(), 3u);
    EXPECT_EQ(0x16, first[0]);
    EXPECT_EQ(0x03, first[1]);
}

class VersionRequest : public ::testing::Test {
protected:
    VersionRequest() : m_lane(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}
    void SetUp() override { ASSERT_TRUE(m_lane.Reset()); }
    CSimLane m_lane;
};

TEST_F(VersionRequest, PostsTheInstalledVersionAndReadsThePackages) {
    std::string body;
    ASSERT_TRUE(RequestVersionInfo(m_lane.WideBase() + L"/update", L"1.0.000", body));
    auto requests = m_lane.Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("POST", requests[0].method);
    EXPECT_EQ("/update/version/interfaces/version/getVersionInfo.htm", requests[0].path);
    EXPECT_EQ("version=1.0.000&type=0", requests[0].body);
    EXPECT_EQ("application/x-www-form-urlencoded", requests[0].Header("Content-Type"));
    EXPECT_EQ("Keep-Alive", requests[0].Header("Connection"));
    VersionOffer offer;
    ASSERT_EQ(1, ParseVersionReply(body, m_lane.WideBase() + L"/update", L"C:\\p\\", offer));
    EXPECT_EQ(L"2.1.0", offer.newVersion);
    EXPECT_EQ(0, offer.forced);
    EXPECT_EQ(L"1. 修复照片上传偶尔失败的问题\n2. 截图新增马赛克工具", offer.description);
    ASSERT_EQ(2u, offer.items.size());
    EXPECT_EQ(m_lane.WideBase() + L"/update/pkg/core.zip", offer.items[0]->url);
    EXPECT_EQ(L"C:\\p\\update\\skin.zip", offer.items[1]->localPath);
}

TEST_F(VersionRequest, MultiByteTextAcrossReadBlocksDecodesIntact) {
    // 1021 ASCII bytes put the three bytes of the first "升" across the 1024-byte boundary.
    std::string prefix =
        "{\"success\":true,\"versionnum\":\"3.0\",\"data\":[{\"name\":\"a.zip\",\"url\":\"/"
        "a\"}],\"describle\":\"";
    std::string notes(1021 - prefix.size(), 'n');
    std::string chinese = "\xE5\x8D\x87\xE7\xBA\xA7\xE5\x86\x85\xE5\xAE\xB9";  // 升级内容
    std::string reply = prefix + notes + chinese + "\"}";
    ASSERT_TRUE(
        m_lane.Fault("{\"path\":\"/update/version/interfaces/version/getVersionInfo.htm\","
                     "\"kind\":\"reply\",\"body\":\"" +
                     [&] {
                         std::string e;
                         for (char c : reply) {
                             if (c == '"' || c == '\\') e += '\\';
                             e += c;
                         }
                         return e;
                     }() +
                     "\"}"));
    std::string body;
    ASSERT_TRUE(RequestVersionInfo(m_lane.WideBase() + L"/update", L"1.0", body));
    EXPECT_EQ(reply, body);
    VersionOffer offer;
    ASSERT_EQ(1, ParseVersionReply(body, L"http://h", L"C:\\", offer));
    EXPECT_EQ(std::wstring(notes.begin(), notes.end()) + L"升级内容", offer.description);
}

TEST_F(VersionRequest, ErrorPagesAndDeadServers) {
    ASSERT_TRUE(
        m_lane.Fault("{\"path\":\"/update/version/interfaces/version/"
                     "getVersionInfo.htm\",\"kind\":\"html500\"}"));
    std::string body;
    ASSERT_TRUE(RequestVersionInfo(m_lane.WideBase() + L"/update", L"1.0", body));
    VersionOffer offer;
    EXPECT_EQ(-1, ParseVersionReply(body, L"http://h", L"C:\\", offer));
    // A body larger than any version reply is refused, not collected.
    ASSERT_TRUE(
        m_lane.Fault("{\"path\":\"/update/version/interfaces/version/getVersionInfo.htm\","
                     "\"kind\":\"reply\",\"body\":\"" +
                     std::string((1 << 20) + 1, 'x') + "\"}"));
    EXPECT_FALSE(RequestVersionInfo(m_lane.WideBase() + L"/update", L"1.0", body));
    EXPECT_FALSE(RequestVersionInfo(L"http://127.0.0.1:1/update", L"1.0", body));
    EXPECT_FALSE(RequestVersionInfo(L"not an address", L"1.0", body));
    EXPECT_FALSE(RequestVersionInfo(L"", L"1.0", body));
}
