// Each dependency in use under Wine: libcurl against the platform simulator (checked through
// the simulator's own record of what arrived), libcrypto's one-shot digests, jsoncpp, zlib.
#include <curl/curl.h>  // before windows.h, which would pull in the old winsock
#include <windows.h>

#include <gtest/gtest.h>
#include <json/json.h>
#include <openssl/md5.h>
#include <openssl/sha.h>
#include <zlib.h>

#include <cstdio>
#include <memory>
#include <string>

#include "support/simclient.h"

namespace {

struct CurlCleanup {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
using CurlHandle = std::unique_ptr<CURL, CurlCleanup>;

struct FormCleanup {
    void operator()(curl_httppost* form) const { curl_formfree(form); }
};
struct SlistCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

size_t Append(char* data, size_t size, size_t count, void* buffer) {
    static_cast<std::string*>(buffer)->append(data, size * count);
    return count;
}

std::string Hex(const unsigned char* digest, size_t length) {
    std::string out;
    char two[3];
    for (size_t i = 0; i < length; ++i) {
        snprintf(two, sizeof two, "%02x", digest[i]);
        out += two;
    }
    return out;
}

std::string Md5Hex(const std::string& data) {
    unsigned char digest[MD5_DIGEST_LENGTH];
    MD5(reinterpret_cast<const unsigned char*>(data.data()), data.size(), digest);
    return Hex(digest, sizeof digest);
}

std::string Sha1Hex(const std::string& data) {
    unsigned char digest[SHA_DIGEST_LENGTH];
    SHA1(reinterpret_cast<const unsigned char*>(data.data()), data.size(), digest);
    return Hex(digest, sizeof digest);
}

bool ParseJson(const std::string& text, Json::Value* value) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    return reader->parse(text.data(), text.data() + text.size(), value, &errors);
}

// A temporary file removed when the test ends.
class TempFile {
public:
    TempFile(const std::string& name, const std::string& content) {
        char folder[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        m_path = std::string(folder) + name;
        FILE* file = fopen(m_path.c_str(), "wb");
        if (file != nullptr) {
            fwrite(content.data(), 1, content.size(), file);
            fclose(file);
        }
    }
    ~TempFile() { DeleteFileA(m_path.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

class SmokeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { curl_global_init(CURL_GLOBAL_ALL); }
    static void TearDownTestSuite() { curl_global_cleanup(); }
    void SetUp() override {
        base_ = SimBase();
        ASSERT_FALSE(base_.empty()) << "NTSIM_PORT_FILE does not name a running simulator";
        ASSERT_TRUE(SimReset());
    }

    // GET into reply; returns the curl result and the HTTP status in *status.
    CURLcode Get(const std::string& url, std::string* reply, long* status) {
        CurlHandle curl(curl_easy_init());
        if (!curl) return CURLE_FAILED_INIT;
        curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, Append);
        curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, reply);
        curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 20L);
        const CURLcode result = curl_easy_perform(curl.get());
        curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, status);
        return result;
    }

    std::string base_;
};

// Every byte value, and the sequences a careless multipart parser trips over.
std::string PhotoBytes() {
    std::string bytes("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11);
    for (int i = 0; i < 2048; ++i) bytes.push_back(static_cast<char>(i * 7 % 256));
    bytes += "\r\n--\r\n\r\n------";
    bytes.append("\xFF\xD9", 2);
    return bytes;
}

TEST_F(SmokeTest, CurlGetSignsInWithLibcryptoDigestsAndJsoncppReadsTheReply) {
    const std::string url = base_ +
                            "/sso/authorize?logintype=username&response_type=xsid&client_id="
                            "ime_upload_tool&username=lihua&password=wemp&sha1shadow=" +
                            Sha1Hex("Pass1234") + "&md5shadow=" + Md5Hex("Pass1234");
    std::string reply;
    long status = 0;
    ASSERT_EQ(CURLE_OK, Get(url, &reply, &status));
    EXPECT_EQ(200, status);
    Json::Value value;
    ASSERT_TRUE(ParseJson(reply, &value)) << reply;
    EXPECT_EQ("XS7f3a9c01lihua", value["xsid"].asString());
    EXPECT_EQ("4401031987", value["jid"].asString());

    const Json::Value requests = SimRequests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("GET", requests[0]["method"].asString());
    EXPECT_EQ(url.substr(url.find("/sso/")), SimRawPath(requests[0]));
    EXPECT_EQ("", SimBody(requests[0]));
}

TEST_F(SmokeTest, CurlGetOfWrongPasswordGetsNullTicketAndChineseMessage) {
    const std::string url = base_ +
                            "/sso/authorize?logintype=username&response_type=xsid&client_id="
                            "ime_upload_tool&username=lihua&password=wemp&sha1shadow=" +
                            Sha1Hex("pass1234") + "&md5shadow=" + Md5Hex("pass1234");
    std::string reply;
    long status = 0;
    ASSERT_EQ(CURLE_OK, Get(url, &reply, &status));
    Json::Value value;
    ASSERT_TRUE(ParseJson(reply, &value)) << reply;
    EXPECT_TRUE(value["xsid"].isNull());
    EXPECT_EQ(u8"用户名或密码错误", value["message"].asString());
}

TEST_F(SmokeTest, CurlHandsOverAnHtmlErrorPageThatJsoncppRejects) {
    ASSERT_TRUE(SimFault(R"({"path": "/api/ClientPublic", "kind": "html500"})"));
    std::string reply;
    long status = 0;
    ASSERT_EQ(CURLE_OK, Get(base_ + "/api/ClientPublic/getSchoolUserType?xsid=XS7f3a9c01lihua",
                            &reply, &status));
    EXPECT_EQ(500, status);
    Json::Value value;
    EXPECT_FALSE(ParseJson(reply, &value));
}

TEST_F(SmokeTest, CurlMultipartPostArrivesAsTwoFileParts) {
    const std::string photo = PhotoBytes();
    TempFile file("ntsmoke_photo.jpg", photo);
    curl_httppost* first = nullptr;
    curl_httppost* last = nullptr;
    ASSERT_EQ(CURL_FORMADD_OK,
              curl_formadd(&first, &last, CURLFORM_COPYNAME, "file", CURLFORM_FILE,
                           file.path().c_str(), CURLFORM_CONTENTTYPE, "image/jpeg", CURLFORM_END));
    std::unique_ptr<curl_httppost, FormCleanup> form(first);
    ASSERT_EQ(CURL_FORMADD_OK,
              curl_formadd(&first, &last, CURLFORM_COPYNAME, "file", CURLFORM_BUFFER,
                           "ntsmoke_photo_CompPic.jpg", CURLFORM_BUFFERPTR, photo.data(),
                           CURLFORM_BUFFERLENGTH, static_cast<long>(photo.size()), CURLFORM_END));
    std::unique_ptr<curl_slist, SlistCleanup> headers(curl_slist_append(nullptr, "Expect:"));

    CurlHandle curl(curl_easy_init());
    ASSERT_TRUE(curl);
    const std::string url = base_ + "/second/api/Ef/upload?xsid=XS7f3a9c01lihua&stu_id=S10001";
    std::string reply;
    curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(curl.get(), CURLOPT_HTTPPOST, form.get());
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, Append);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &reply);
    ASSERT_EQ(CURLE_OK, curl_easy_perform(curl.get()));

    Json::Value value;
    ASSERT_TRUE(ParseJson(reply, &value)) << reply;
    EXPECT_EQ(0, value["errorCode"].asInt64());
    EXPECT_EQ(static_cast<int>(photo.size()), value["data"]["size"].asInt());

    const Json::Value requests = SimRequests();
    ASSERT_EQ(1u, requests.size());
    const Json::Value& request = requests[0];
    EXPECT_EQ("POST", request["method"].asString());
    EXPECT_EQ("/second/api/Ef/upload?xsid=XS7f3a9c01lihua&stu_id=S10001", SimRawPath(request));
    EXPECT_FALSE(request["headers"].isMember("Expect"));
    const Json::Value& parts = request["parts"];
    ASSERT_EQ(2u, parts.size());
    EXPECT_EQ("file", parts[0]["name"].asString());
    EXPECT_EQ("ntsmoke_photo.jpg", parts[0]["filename"].asString());
    EXPECT_EQ("image/jpeg", parts[0]["content_type"].asString());
    EXPECT_EQ(photo, SimPartData(parts[0]));
    EXPECT_EQ("file", parts[1]["name"].asString());
    EXPECT_EQ("ntsmoke_photo_CompPic.jpg", parts[1]["filename"].asString());
    EXPECT_EQ(photo, SimPartData(parts[1]));
}

TEST(Digests, Md5AndSha1OfKnownVectors) {
    EXPECT_EQ("d41d8cd98f00b204e9800998ecf8427e", Md5Hex(""));
    EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", Md5Hex("abc"));
    EXPECT_EQ("f96b697d7cb7938d525a2f31aaf161d0", Md5Hex("message digest"));
    EXPECT_EQ("da39a3ee5e6b4b0d3255bfef95601890afd80709", Sha1Hex(""));
    EXPECT_EQ("a9993e364706816aba3e25717850c26c9cd0d89d", Sha1Hex("abc"));
    EXPECT_EQ("84983e441c3bd26ebaae4aa1f95129e5e54670f1",
              Sha1Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"));
    EXPECT_EQ("34aa973cd4c4daa4f61eeb2bdbad27316534016f", Sha1Hex(std::string(1000000, 'a')));
}

TEST(Jsoncpp, ReadsTheEnvelopeFieldsTheToolsUse) {
    Json::Value value;
    ASSERT_TRUE(
        ParseJson(u8R"({"errorCode": 9007199254740993, "errorMessage": "维护中",
        "data": {"accessible": true, "class_name": null, "list": [{"name": "a.zip"},
        {"name": "b.zip"}]}})",
                  &value));
    EXPECT_EQ(9007199254740993LL, value["errorCode"].asInt64());
    EXPECT_EQ(u8"维护中", value["errorMessage"].asString());
    EXPECT_TRUE(value["data"]["accessible"].asBool());
    EXPECT_TRUE(value["data"]["class_name"].isNull());
    EXPECT_FALSE(value["data"].isMember("grade_name"));
    std::string names;
    for (const Json::Value& item : value["data"]["list"]) names += item["name"].asString() + ";";
    EXPECT_EQ("a.zip;b.zip;", names);
    EXPECT_FALSE(ParseJson("<html><body>404</body></html>", &value));
}

TEST(Zlib, RawDeflateRoundTripsThroughSmallBlocks) {
    std::string text;
    for (int i = 0; i < 4000; ++i) text += "line " + std::to_string(i * i % 997) + " quorbel\n";

    z_stream deflater{};
    ASSERT_EQ(Z_OK, deflateInit2(&deflater, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY));
    std::string packed(deflateBound(&deflater, text.size()), '\0');
    deflater.next_in = reinterpret_cast<Bytef*>(&text[0]);
    deflater.avail_in = static_cast<uInt>(text.size());
    deflater.next_out = reinterpret_cast<Bytef*>(&packed[0]);
    deflater.avail_out = static_cast<uInt>(packed.size());
    ASSERT_EQ(Z_STREAM_END, deflate(&deflater, Z_FINISH));
    packed.resize(deflater.total_out);
    deflateEnd(&deflater);
    EXPECT_LT(packed.size(), text.size() / 4);

    z_stream inflater{};
    ASSERT_EQ(Z_OK, inflateInit2(&inflater, -15));
    inflater.next_in = reinterpret_cast<Bytef*>(&packed[0]);
    inflater.avail_in = static_cast<uInt>(packed.size());
    std::string unpacked;
    int status = Z_OK;
    while (status == Z_OK) {
        unsigned char block[1000];
        inflater.next_out = block;
        inflater.avail_out = sizeof block;
        status = inflate(&inflater, Z_NO_FLUSH);
        unpacked.append(reinterpret_cast<char*>(block), sizeof block - inflater.avail_out);
    }
    inflateEnd(&inflater);
    EXPECT_EQ(Z_STREAM_END, status);
    EXPECT_EQ(text, unpacked);
}

TEST(Zlib, InflatesARawStreamMadeElsewhereAndComputesCrc32) {
    // Made by Python's zlib with wbits -15.
    const unsigned char packed[] = {0xcb, 0x48, 0xcd, 0xc9, 0xc9, 0x57, 0xc8, 0x40, 0x90,
                                    0x3a, 0x0a, 0x85, 0xa5, 0xf9, 0x45, 0x49, 0xa9, 0x39,
                                    0x8a, 0x5c, 0x19, 0x64, 0xca, 0x01, 0x00};
    z_stream inflater{};
    ASSERT_EQ(Z_OK, inflateInit2(&inflater, -15));
    char out[256];
    inflater.next_in = const_cast<Bytef*>(packed);
    inflater.avail_in = sizeof packed;
    inflater.next_out = reinterpret_cast<Bytef*>(out);
    inflater.avail_out = sizeof out;
    EXPECT_EQ(Z_STREAM_END, inflate(&inflater, Z_FINISH));
    const std::string expected =
        "hello hello hello, quorbel!\nhello hello hello, quorbel!\nhello hello hello, quorbel!\n";
    EXPECT_EQ(expected, std::string(out, inflater.total_out));
    inflateEnd(&inflater);

    const char check[] = "123456789";
    EXPECT_EQ(0xCBF43926UL, crc32(0L, reinterpret_cast<const Bytef*>(check), 9));
}

}  // namespace
