// Sign-in: login type, digests, the three requests as sent, and every failure text.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstdlib>

#include "common/util/ntstringconvert.h"
#include "recorders.h"
#include "support/filebytes.h"
#include "support/pumpuntil.h"
#include "support/simlane.h"
#include "uploader/service/digest.h"
#include "uploader/service/logintype.h"
#include "uploader/service/loginworker.h"
#include "uploader/service/texts.h"

namespace {

int TypeOf(const wchar_t* name) {
    int type = -5;
    EXPECT_EQ(DetectLoginType(name, type), 0);
    return type;
}

TEST(LoginType, EmailFormsAnywhereInTheName) {
    EXPECT_EQ(TypeOf(L"lihua@school.cn"), kLoginEmail);
    EXPECT_EQ(TypeOf(L"zhao.min@edu.cn"), kLoginEmail);
    EXPECT_EQ(TypeOf(L"x/y_z@a.b.c"), kLoginEmail);
    EXPECT_EQ(TypeOf(L"name: a@b.cn!"), kLoginEmail);
    EXPECT_EQ(TypeOf(L"a@b.c/d"), kLoginEmail);
    // After "@" a separator followed by letters or digits is needed, and two runs after it.
    EXPECT_EQ(TypeOf(L"lihua@school"), kLoginUserName);
    EXPECT_EQ(TypeOf(L"a@b.c"), kLoginUserName);
    EXPECT_EQ(TypeOf(L"@school.cn"), kLoginUserName);
    EXPECT_EQ(TypeOf(L"a-@school.cn"), kLoginUserName);
    EXPECT_EQ(TypeOf(L"a@sch-ool.cn"), kLoginUserName);
    EXPECT_EQ(TypeOf(L"张@学校.cn"), kLoginUserName);
}

TEST(LoginType, MobileIsOneAndTenDigitsUnanchored) {
    EXPECT_EQ(TypeOf(L"13812345678"), kLoginMobile);
    EXPECT_EQ(TypeOf(L"tel13812345678x"), kLoginMobile);
    EXPECT_EQ(TypeOf(L"0013812345678"), kLoginMobile);
    // The "1" need not start the run of digits.
    EXPECT_EQ(TypeOf(L"22210000000000"), kLoginMobile);
    EXPECT_EQ(TypeOf(L"2221000000000"), kLoginUserName);
    EXPECT_EQ(TypeOf(L"1381234567"), kLoginUserName);
    EXPECT_EQ(TypeOf(L"23812345678"), kLoginUserName);
    EXPECT_EQ(TypeOf(L"138-1234-5678"), kLoginUserName);
    EXPECT_EQ(TypeOf(L""), kLoginUserName);
}

TEST(LoginType, EmailWinsAndEveryAttemptStartsAfresh) {
    EXPECT_EQ(TypeOf(L"13812345678@qq.com"), kLoginEmail);
    int type = kLoginEmail;
    DetectLoginType(L"lihua@school.cn", type);
    EXPECT_EQ(type, kLoginEmail);
    DetectLoginType(L"lihua", type);
    EXPECT_EQ(type, kLoginUserName);
}

TEST(Digests, LowerCaseHexOfExactlyTheBytes) {
    EXPECT_EQ(Sha1Hex("abc", 3), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(Md5Hex("abc", 3), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Sha1Hex("", 0), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(Md5Hex("", 0), "d41d8cd98f00b204e9800998ecf8427e");
    // Without the terminator: "abc" with its NUL is a different digest.
    EXPECT_NE(Md5Hex("abc", 4), "900150983cd24fb0d6963f7d28e17f72");
}

class LoginWorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(sim.Base().empty()) << "NTSIM_PORT_FILE not readable";
        ASSERT_TRUE(sim.Reset());
        login.session.serviceBase = sim.Base();
    }
    void TearDown() override { EXPECT_TRUE(sim.Reset()); }

    void Run(const std::string& user, const std::string& password, int type) {
        login.userName = user;
        login.password = password;
        login.loginType = type;
        CWorkerThread worker;
        ASSERT_TRUE(worker.Start(&LoginWorker, &login, login.flags));
        worker.Join();
    }

    std::vector<std::wstring> Calls() const { return login.log.Entries(); }

    // A fresh sign-in of lihua after the simulator was told to fail at path as the case says.
    void SignInDespite(const char* path, const FaultCase& c, CRecordingLogin& attempt) {
        ASSERT_TRUE(sim.Reset());
        ASSERT_TRUE(sim.Fault(path, c.kind, c.extra));
        attempt.session.serviceBase = sim.Base();
        attempt.userName = "lihua";
        attempt.password = "Pass1234";
        CWorkerThread worker;
        ASSERT_TRUE(worker.Start(&LoginWorker, &attempt, attempt.flags));
        worker.Join();
    }

    CSimLane sim;
    CRecordingLogin login;
};

// The simulator's certificate (tools/simulator/tls) among the user's trusted roots for as long
// as the object lives.
class CTrustedSimulatorCertificate {
public:
    CTrustedSimulatorCertificate() {
        const char* source = std::getenv("NT_SOURCE_DIR");
        std::string path =
            "Z:" + std::string(source ? source : "") + "/tools/simulator/tls/cert.pem";
        std::replace(path.begin(), path.end(), '/', '\\');
        std::string pem = ReadFileBytes(CNTStringConvert::AnsiToUnicode(path.c_str()));
        std::vector<BYTE> der(pem.size());
        DWORD size = static_cast<DWORD>(der.size());
        m_store =
            CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
        if (m_store != nullptr && CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER,
                                                       der.data(), &size, nullptr, nullptr)) {
            CertAddEncodedCertificateToStore(m_store, X509_ASN_ENCODING, der.data(), size,
                                             CERT_STORE_ADD_REPLACE_EXISTING, &m_cert);
            // Written through at once, so that a store opened elsewhere sees it.
            CertControlStore(m_store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
        }
    }
    ~CTrustedSimulatorCertificate() {
        if (m_cert != nullptr && CertDeleteCertificateFromStore(m_cert)) {
            CertControlStore(m_store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
        }
        if (m_store != nullptr) CertCloseStore(m_store, 0);
    }
    CTrustedSimulatorCertificate(const CTrustedSimulatorCertificate&) = delete;
    CTrustedSimulatorCertificate& operator=(const CTrustedSimulatorCertificate&) = delete;

    bool IsTrusted() const { return m_cert != nullptr; }

private:
    HCERTSTORE m_store = nullptr;
    const CERT_CONTEXT* m_cert = nullptr;
};

const char kSignInPath[] =
    "/sso/authorize?logintype=username&response_type=xsid&client_id=ime_upload_tool"
    "&username=lihua&password=wemp&sha1shadow=92c8b10157e05856af182a643de7dcea14472f74"
    "&md5shadow=823da4223e46ec671a10ea13d7823534";

TEST_F(LoginWorkerTest, RecordsAdministratorSignsIn) {
    Run("lihua", "Pass1234", kLoginUserName);
    EXPECT_EQ(Calls(), (std::vector<std::wstring>{L"hint:", L"hint:", L"done:0"}));
    EXPECT_EQ(login.session.xsid, "XS7f3a9c01lihua");
    EXPECT_EQ(login.session.jid, "4401031987");

    std::vector<SimRecord> sent = sim.Requests();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].method, "GET");
    EXPECT_EQ(sent[0].path, kSignInPath);
    EXPECT_EQ(sent[1].path,
              "/api/CheckLogin/checkUsername?sign=e7447e723358880b69c1da88130b243c"
              "&xsid=XS7f3a9c01lihua&jid=4401031987");
    EXPECT_EQ(sent[2].path, "/api/ClientPublic/getSchoolUserType?xsid=XS7f3a9c01lihua");

    std::wstring hint = L"unchanged";
    EXPECT_TRUE(JudgeRoleCheck(0, login.response, hint));
    EXPECT_EQ(hint, L"");
}

TEST_F(LoginWorkerTest, DigestsCoverTheAnsiBytesOfThePassword) {
    ASSERT_TRUE(sim.Fixture(R"({"accounts": [{"username": "pierre", "password": "Caf\u00e9",
        "xsid": "XSpierre", "jid": "4400000001", "extension": "s3"}]})"));
    Run("pierre", CNTStringConvert::UnicodeToAnsi(L"Caf\u00e9"), kLoginUserName);
    EXPECT_EQ(Calls(), (std::vector<std::wstring>{L"hint:", L"hint:", L"done:0"}));
    std::vector<SimRecord> sent = sim.Requests();
    ASSERT_EQ(sent.size(), 3u);
    // The tools' users run Chinese Windows: "é" is A8 A6 in code page 936.
    ASSERT_EQ(GetACP(), 936u);
    EXPECT_NE(sent[0].path.find("&sha1shadow=f786a0b8e35416520d2c56f8e73781e57fd55ab5"
                                "&md5shadow=eb7ef4145766ca6b5af3f53e60e2f290"),
              std::string::npos)
        << sent[0].path;
}

TEST_F(LoginWorkerTest, LoginTypeChoosesThePath) {
    Run("13812345678", "Pass1234", kLoginMobile);
    Run("lihua@school.cn", "Pass1234", kLoginEmail);
    std::vector<SimRecord> sent = sim.Requests();
    ASSERT_EQ(sent.size(), 6u);
    EXPECT_EQ(sent[0].path.substr(0, 63),
              "/sso/authorize?logintype=mobile&response_type=xsid&client_id=im");
    EXPECT_NE(sent[0].path.find("&username=13812345678&password=wemp&"), std::string::npos);
    EXPECT_EQ(sent[3].path.substr(0, 62),
              "/sso/authorize?logintype=email&response_type=xsid&client_id=im");
    // "@" is outside the unreserved set, so it travels encoded.
    EXPECT_NE(sent[3].path.find("&username=lihua%40school.cn&password=wemp&"), std::string::npos);
    EXPECT_EQ(Calls().back(), L"done:0");
}

TEST_F(LoginWorkerTest, WrongPasswordShowsTheServiceMessageAndKeepsNothing) {
    Run("lihua", "Pass1234", kLoginUserName);
    Run("lihua", "wrong", kLoginUserName);
    EXPECT_EQ(Calls(), (std::vector<std::wstring>{L"hint:", L"hint:", L"done:0",
                                                  L"hint:用户名或密码错误", L"failed"}));
    EXPECT_EQ(sim.Requests().size(), 4u);
    EXPECT_EQ(login.session.xsid, "");
    EXPECT_EQ(login.session.jid, "");
}

TEST_F(LoginWorkerTest, SignInFailures) {
    const FaultCase cases[] = {
        {"short", "", texts::kNetworkProblem},
        {"drop", "\"bytes\": 3", texts::kNetworkProblem},
        {"html404", "", texts::kWrongCredentials},
        {"html500", "", texts::kWrongCredentials},
        {"notjson", "", texts::kWrongCredentials},
        {"reply", R"("body": "{\"xsid\": null, \"message\": \"\u8d26\u53f7\u5df2\u51bb\u7ed3\"}")",
         L"账号已冻结"},
        {"reply", R"("body": "{\"jid\": \"44\"}")", texts::kWrongCredentials},
        {"reply", R"("body": "{\"xsid\": [12], \"jid\": \"44\"}")", texts::kWrongCredentials},
        {"reply", R"("body": "{\"xsid\": \"XS1\", \"jid\": {}}")", texts::kWrongCredentials},
        {"reply", R"("body": "[\"xsid\"]")", texts::kWrongCredentials},
        {"reply", R"("body": "{\"message\": 5}")", texts::kWrongCredentials},
    };
    for (const FaultCase& c : cases) {
        CRecordingLogin attempt;
        SignInDespite("/sso/authorize", c, attempt);
        EXPECT_EQ(attempt.log.Entries(), (std::vector<std::wstring>{L"hint:" + c.hint, L"failed"}))
            << c.kind << " " << c.extra;
        EXPECT_EQ(sim.Requests().size(), 1u);
    }
}

TEST_F(LoginWorkerTest, NumericTicketAndAccountCountWithTheirDigits) {
    ASSERT_TRUE(sim.Fixture(R"({"accounts": [{"username": "lihua", "password": "Pass1234",
        "xsid": "730021", "jid": "4401031987", "extension": "s3"}]})"));
    ASSERT_TRUE(sim.Fault("/sso/authorize", "reply",
                          R"("body": "{\"xsid\": 730021, \"jid\": 4401031987}")"));
    Run("lihua", "Pass1234", kLoginUserName);
    EXPECT_EQ(Calls(), (std::vector<std::wstring>{L"hint:", L"hint:", L"done:0"}));
    EXPECT_EQ(login.session.xsid, "730021");
    EXPECT_EQ(login.session.jid, "4401031987");
    std::vector<SimRecord> sent = sim.Requests();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_NE(sent[1].path.find("&xsid=730021&jid=4401031987"), std::string::npos);
    std::wstring hint;
    EXPECT_TRUE(JudgeRoleCheck(login.doneResult, login.response, hint));
}

TEST_F(LoginWorkerTest, UsernameCheckFailures) {
    const FaultCase cases[] = {
        {"short", "", texts::kNetworkProblem},
        {"html500", "", texts::kBadData},
        {"notjson", "", texts::kBadData},
        {"refuse", R"("code": 7, "message": "账号已停用")", L"账号已停用"},
        {"reply", R"("body": "{\"errorCode\": \"0\"}")", texts::kBadData},
        {"reply", R"("body": "{\"errorCode\": 2}")", texts::kBadData},
    };
    for (const FaultCase& c : cases) {
        CRecordingLogin attempt;
        SignInDespite("/api/CheckLogin/checkUsername", c, attempt);
        EXPECT_EQ(attempt.log.Entries(),
                  (std::vector<std::wstring>{L"hint:", L"hint:" + c.hint, L"failed"}))
            << c.kind << " " << c.extra;
        EXPECT_EQ(sim.Requests().size(), 2u);
    }
}

TEST_F(LoginWorkerTest, RoleCheckTransferFailureReachesTheJudgement) {
    ASSERT_TRUE(sim.Fault("/api/ClientPublic/getSchoolUserType", "short"));
    Run("lihua", "Pass1234", kLoginUserName);
    std::vector<std::wstring> calls = Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2], L"done:" + std::to_wstring(login.doneResult));
    EXPECT_NE(login.doneResult, 0u);
    // The role check was answered in part: only the transfer result tells it failed.
    std::wstring hint;
    EXPECT_FALSE(JudgeRoleCheck(login.doneResult, login.response, hint));
    EXPECT_EQ(hint, texts::kNetworkProblem);
}

TEST_F(LoginWorkerTest, ServerCertificatesAreCheckedOnlyWhenConfigured) {
    // The simulator answers https with a self-signed certificate that no trust store knows.
    std::string https = "https" + sim.Base().substr(4);
    login.session.serviceBase = https;
    Run("lihua", "Pass1234", kLoginUserName);
    EXPECT_EQ(Calls(), (std::vector<std::wstring>{L"hint:", L"hint:", L"done:0"}));
    EXPECT_EQ(sim.Requests().size(), 3u);

    CRecordingLogin checked;
    checked.session.serviceBase = https;
    checked.session.verifyServers = true;
    checked.userName = "lihua";
    checked.password = "Pass1234";
    CWorkerThread worker;
    ASSERT_TRUE(worker.Start(&LoginWorker, &checked, checked.flags));
    worker.Join();
    EXPECT_EQ(
        checked.log.Entries(),
        (std::vector<std::wstring>{std::wstring(L"hint:") + texts::kNetworkProblem, L"failed"}));
    // Refused before the request: the password digests never left the machine.
    EXPECT_EQ(sim.Requests().size(), 3u);

    // A certificate the system trusts passes.
    CTrustedSimulatorCertificate trust;
    ASSERT_TRUE(trust.IsTrusted());
    CRecordingLogin trusted;
    trusted.session.serviceBase = https;
    trusted.session.verifyServers = true;
    trusted.userName = "lihua";
    trusted.password = "Pass1234";
    ASSERT_TRUE(worker.Start(&LoginWorker, &trusted, trusted.flags));
    worker.Join();
    EXPECT_EQ(trusted.log.Entries(), (std::vector<std::wstring>{L"hint:", L"hint:", L"done:0"}));
}

TEST(RoleJudgement, OnlyStringS3InAnyCase) {
    std::wstring hint;
    EXPECT_TRUE(JudgeRoleCheck(0, R"({"extension":"s3"})", hint));
    EXPECT_TRUE(JudgeRoleCheck(0, R"({"extension":"S3","message":""})", hint));
    for (const char* body :
         {R"({"extension":"s4"})", R"({"extension":"s3 "})", R"({"extension":null})",
          R"({"message":"x"})", R"({"extension":3})", R"(["s3"])", "<html>404</html>", ""}) {
        hint.clear();
        EXPECT_FALSE(JudgeRoleCheck(0, body, hint)) << body;
        EXPECT_EQ(hint, texts::kNotRecordsAdministrator) << body;
    }
}

TEST_F(LoginWorkerTest, ClosingDuringAHungSignInEndsQuietly) {
    ASSERT_TRUE(sim.Fault("/sso/authorize", "hang"));
    login.userName = "lihua";
    login.password = "Pass1234";
    CWorkerThread worker;
    ASSERT_TRUE(worker.Start(&LoginWorker, &login, login.flags));
    ASSERT_TRUE(PumpUntil([&] { return !sim.Requests().empty(); }));
    EXPECT_TRUE(worker.IsRunning());
    // A second click while the worker runs does nothing.
    EXPECT_FALSE(worker.Start(&LoginWorker, &login, login.flags));
    worker.Stop(login.flags);
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(sim.Requests().size(), 1u);
}

TEST_F(LoginWorkerTest, HungSignInTimesOutAsNetworkProblem) {
    ASSERT_TRUE(sim.Fault("/sso/authorize", "hang"));
    Run("lihua", "Pass1234", kLoginUserName);
    EXPECT_EQ(Calls(), (std::vector<std::wstring>{std::wstring(L"hint:") + texts::kNetworkProblem,
                                                  L"failed"}));
}

}  // namespace
