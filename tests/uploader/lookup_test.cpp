// Province servers and file-number check: requests as sent, records kept, every hint text.
#include <gtest/gtest.h>

#include "common/util/ntstringconvert.h"
#include "recorders.h"
#include "support/simlane.h"
#include "uploader/service/httpclient.h"
#include "uploader/service/studentlookup.h"
#include "uploader/service/texts.h"

namespace {

LoginSession Session(const std::string& base, const std::string& xsid, const std::string& jid) {
    LoginSession s;
    s.serviceBase = base;
    s.xsid = xsid;
    s.jid = jid;
    return s;
}

std::string PercentDecode(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

class LookupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(sim.Base().empty()) << "NTSIM_PORT_FILE not readable";
        ASSERT_TRUE(sim.Reset());
    }
    void TearDown() override { EXPECT_TRUE(sim.Reset()); }

    // Runs the pair as the window does on selection; returns the last result.
    int Pair(CRecordingUpload& c) {
        std::string response;
        if (LookupProvinceServers(c, response) != 0) return -1;
        return CheckFileNumber(c, response);
    }

    // The sign-in of the records administrator lihua (province 44).
    LoginSession Lihua() const { return Session(sim.Base(), "XS7f3a9c01lihua", "4401031987"); }

    // Fresh simulator state with the case's fault at path.
    void Inject(const char* path, const FaultCase& k) {
        ASSERT_TRUE(sim.Reset());
        ASSERT_TRUE(sim.Fault(path, k.kind, k.extra));
    }

    CSimLane sim;
};

TEST_F(LookupTest, BothServersKnownTheCheckGoesToSecond) {
    CRecordingUpload c(Lihua());
    c.fileNumber = L"A123";
    ASSERT_EQ(Pair(c), 0);
    EXPECT_EQ(c.servers.first, sim.Base() + "/first");
    EXPECT_EQ(c.servers.second, sim.Base() + "/second");
    EXPECT_EQ(c.record.student_id, "S10001");
    EXPECT_EQ(c.record.grade_name, L"三年级");
    EXPECT_EQ(c.record.class_name, L"2班");
    EXPECT_EQ(c.log.Entries(), (std::vector<std::wstring>{L"hint:", L"hint:"}));
    std::vector<SimRecord> sent = sim.Requests();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].path, "/api/CheckLogin/getProviceIP?xsid=XS7f3a9c01lihua&province_code=44");
    EXPECT_EQ(sent[1].path, "/second/api/Ef/checkFileno?file_no=A123&xsid=XS7f3a9c01lihua");
}

TEST_F(LookupTest, FirstOnlyAndRegistrationCode) {
    CRecordingUpload c(Session(sim.Base(), "XS55e1b7d2zhaomin", "1101075555"));
    c.fileNumber = L"G440103200901015678";
    ASSERT_EQ(Pair(c), 0);
    EXPECT_EQ(c.servers.second, "");
    std::vector<SimRecord> sent = sim.Requests();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].path, "/api/CheckLogin/getProviceIP?xsid=XS55e1b7d2zhaomin&province_code=11");
    EXPECT_EQ(sent[1].path,
              "/first/api/Ef/checkFileno?file_no=G440103200901015678&xsid=XS55e1b7d2zhaomin");
    EXPECT_EQ(c.record.student_id, "S10001");
}

TEST_F(LookupTest, ShortAndEmptyJidSendWhatTheyHave) {
    CRecordingUpload one(Session(sim.Base(), "XS7f3a9c01lihua", "4"));
    CRecordingUpload none(Session(sim.Base(), "XS7f3a9c01lihua", ""));
    std::string response;
    EXPECT_EQ(LookupProvinceServers(one, response), -1);
    EXPECT_EQ(LookupProvinceServers(none, response), -1);
    std::vector<SimRecord> sent = sim.Requests();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].path, "/api/CheckLogin/getProviceIP?xsid=XS7f3a9c01lihua&province_code=4");
    EXPECT_EQ(sent[1].path, "/api/CheckLogin/getProviceIP?xsid=XS7f3a9c01lihua&province_code=");
    EXPECT_EQ(one.log.Entries(), (std::vector<std::wstring>{L"hint:该省份暂未开通电子档案服务"}));
}

TEST_F(LookupTest, ProvinceWithoutServers) {
    CRecordingUpload c(Session(sim.Base(), "XS6d2f18a0zhouyu", "5001060002"));
    c.servers.first = "http://old";
    std::string response;
    EXPECT_EQ(LookupProvinceServers(c, response), -1);
    EXPECT_EQ(c.servers.first, "");
    EXPECT_EQ(c.log.Entries(),
              (std::vector<std::wstring>{std::wstring(L"hint:") + texts::kNoArchiveServer}));
}

TEST_F(LookupTest, ProvinceFailuresKeepTheOldServers) {
    const FaultCase cases[] = {
        {"short", "", texts::kNetworkProblem},
        {"drop", "\"bytes\": 5", texts::kNetworkProblem},
        {"html404", "", L""},
        {"html500", "", L""},
        {"notjson", "", L""},
        {"refuse", R"("code": 9, "message": "服务维护中")", L"服务维护中"},
        {"reply", R"("body": "{\"errorCode\": 0, \"data\": [1, 2]}")", L""},
        {"reply", R"("body": "{\"errorCode\": 0, \"data\": {\"first\": 5}}")", L""},
        {"reply", R"("body": "{\"errorCode\": 1.5}")", L""},
        {"reply", R"("body": "{\"errorCode\": true}")", L""},
        {"reply", R"("body": "\"errorCode\"")", L""},
    };
    for (const FaultCase& k : cases) {
        Inject("/api/CheckLogin/getProviceIP", k);
        CRecordingUpload c(Lihua());
        c.servers.first = "http://kept";
        std::string response;
        EXPECT_EQ(LookupProvinceServers(c, response), -1) << k.kind << k.extra;
        EXPECT_EQ(c.servers.first, "http://kept");
        EXPECT_EQ(c.log.Entries(), (std::vector<std::wstring>{L"hint:" + k.hint}))
            << k.kind << " " << k.extra;
    }
}

TEST_F(LookupTest, NullOrAbsentErrorCodeIsSuccess) {
    ASSERT_TRUE(
        sim.Fault("/api/CheckLogin/getProviceIP", "reply",
                  R"("body": "{\"errorCode\": null, \"data\": {\"second\": \"http://s\"}}")"));
    CRecordingUpload c(Lihua());
    std::string response;
    EXPECT_EQ(LookupProvinceServers(c, response), 0);
    EXPECT_EQ(c.servers.first, "");
    EXPECT_EQ(c.servers.second, "http://s");
}

TEST_F(LookupTest, FileNumberOutcomes) {
    struct Case {
        const wchar_t* number;
        int result;
        std::wstring hint;
        const wchar_t* grade;
        const wchar_t* className;
    } cases[] = {
        {L"A124", 0, L"", L"三年级", L"2班"},
        {L"C789", 0, L"", L"", L"1班"},
        {L"D012", 0, L"", L"五年级", L""},
        {L"B456", -1, texts::kNotOwnStudent, L"", L""},
        {L"E345", -1, texts::kBadGrade, L"", L""},
        {L"Z999", -1, texts::kWrongFileNumber, L"", L""},
        {L"", -1, texts::kEmptyFileNumber, L"", L""},
    };
    for (const Case& k : cases) {
        CRecordingUpload c(Lihua());
        c.servers.second = sim.Base() + "/second";
        c.fileNumber = k.number;
        std::string response;
        EXPECT_EQ(CheckFileNumber(c, response), k.result)
            << CNTStringConvert::UnicodeToAnsi(k.number);
        EXPECT_EQ(c.log.Entries(), (std::vector<std::wstring>{L"hint:" + k.hint}));
        EXPECT_EQ(c.record.grade_name, k.grade);
        EXPECT_EQ(c.record.class_name, k.className);
    }
    // The empty number never reaches the service.
    EXPECT_EQ(sim.Requests().size(), 6u);
}

TEST_F(LookupTest, FileNumberFaultsAndOddTypes) {
    const FaultCase cases[] = {
        {"short", "", texts::kNetworkProblem},
        {"html404", "", texts::kWrongFileNumber},
        {"notjson", "", texts::kWrongFileNumber},
        {"refuse", R"("code": 3, "message": "x")", texts::kWrongFileNumber},
        // A success that names no student object is a student of another school.
        {"reply", R"("body": "{\"errorCode\": 0}")", texts::kNotOwnStudent},
        {"reply", R"("body": "{\"errorCode\": 0, \"data\": null}")", texts::kNotOwnStudent},
        {"reply", R"("body": "{\"errorCode\": 0, \"data\": [\"S1\"]}")", texts::kNotOwnStudent},
        {"reply", R"("body": "{\"data\": {\"student_id\": 7, \"accessible\": true}}")",
         texts::kWrongFileNumber},
        {"reply", R"("body": "{\"data\": {\"student_id\": \"S1\", \"accessible\": \"true\"}}")",
         texts::kNotOwnStudent},
        {"reply", R"("body": "{\"data\": {\"student_id\": \"S1\", \"accessible\": 1}}")",
         texts::kNotOwnStudent},
        {"reply", R"("body": "{\"data\": {\"accessible\": true}}")", texts::kBadGrade},
        {"reply", R"("body": "{\"data\": {\"accessible\": true, \"grade_name\": [\"a\"]}}")",
         texts::kBadGrade},
        {"reply",
         R"("body": "{\"data\": {\"accessible\": true, \"grade_name\": \"g\", \"class_name\": {}}}")",
         texts::kBadGrade},
    };
    for (const FaultCase& k : cases) {
        Inject("/second/api/Ef/checkFileno", k);
        CRecordingUpload c(Lihua());
        c.servers.second = sim.Base() + "/second";
        c.fileNumber = L"A123";
        c.record.student_id = "stale";
        std::string response;
        EXPECT_EQ(CheckFileNumber(c, response), -1);
        EXPECT_EQ(c.log.Entries(), (std::vector<std::wstring>{L"hint:" + k.hint}))
            << k.kind << " " << k.extra;
        if (k.hint == texts::kNotOwnStudent) {
            EXPECT_NE(c.record.student_id, "stale");
        }
    }
}

TEST_F(LookupTest, NumberTravelsAsOneValue) {
    // The ANSI bytes of the typed number, whatever the code page, come back out of the query.
    const std::wstring number = L" K&1=2 #x+\u00e9/?";
    const std::string ansi = CNTStringConvert::UnicodeToAnsi(number.c_str());
    std::string fixture = R"({"students": [{"file_no": ")";
    for (wchar_t ch : number) {
        char hex[8];
        snprintf(hex, sizeof(hex), "\\u%04x", static_cast<unsigned>(ch));
        fixture += hex;
    }
    fixture += R"(", "student_id": "S9", "accessible": true, "grade_name": "g"}]})";
    ASSERT_TRUE(sim.Fixture(fixture));

    CRecordingUpload c(Lihua());
    c.servers.first = sim.Base() + "/first";
    c.fileNumber = number;
    std::string response;
    EXPECT_EQ(CheckFileNumber(c, response), 0) << response;
    EXPECT_EQ(c.record.student_id, "S9");
    std::vector<SimRecord> sent = sim.Requests();
    ASSERT_EQ(sent.size(), 1u);
    const std::string prefix = "/first/api/Ef/checkFileno?file_no=%20K%261%3D2%20%23x%2B%";
    EXPECT_EQ(sent[0].path.substr(0, prefix.size()), prefix);
    size_t end = sent[0].path.find("&xsid=");
    ASSERT_NE(end, std::string::npos);
    std::string value = sent[0].path.substr(34, end - 34);
    EXPECT_EQ(value.find_first_of(" &=#+/?"), std::string::npos) << value;
    EXPECT_EQ(PercentDecode(value), ansi);
    EXPECT_EQ(sent[0].path.substr(end), "&xsid=XS7f3a9c01lihua");
}

TEST_F(LookupTest, RepliesAreReadUpToTheirCap) {
    // A valid province reply padded to `size` bytes, as the simulator's fault sends it.
    auto Padded = [](size_t size) {
        std::string head = R"({"errorCode": 0, "data": {"first": "http://f", "pad": ")";
        std::string tail = R"("}})";
        std::string body = head + std::string(size - head.size() - tail.size(), 'x') + tail;
        std::string escaped;
        for (char ch : body) escaped += ch == '"' ? std::string("\\\"") : std::string(1, ch);
        return "\"body\": \"" + escaped + "\"";
    };
    ASSERT_TRUE(sim.Fault("/api/CheckLogin/getProviceIP", "reply", Padded(kMaxReplyBytes)));
    CRecordingUpload whole(Lihua());
    std::string response;
    EXPECT_EQ(LookupProvinceServers(whole, response), 0);
    EXPECT_EQ(whole.servers.first, "http://f");

    // One byte more is no reply of the platform's: a network problem, and no memory spent on it.
    ASSERT_TRUE(sim.Fault("/api/CheckLogin/getProviceIP", "reply", Padded(kMaxReplyBytes + 1)));
    CRecordingUpload over(Lihua());
    EXPECT_EQ(LookupProvinceServers(over, response), -1);
    EXPECT_LE(response.size(), kMaxReplyBytes);
    EXPECT_EQ(over.log.Entries(),
              (std::vector<std::wstring>{std::wstring(L"hint:") + texts::kNetworkProblem}));
}

}  // namespace
