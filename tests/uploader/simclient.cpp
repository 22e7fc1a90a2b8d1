#include "simclient.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>

#include "uploader/service/httpclient.h"
#include "uploader/service/servicereply.h"

namespace {

// NTSIM_PORT_FILE is a Unix path; under Wine it is reached through drive Z:.
std::string ReadPort() {
    const char* file = std::getenv("NTSIM_PORT_FILE");
    if (file == nullptr) return std::string();
    std::string path = std::string("Z:") + file;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    std::ifstream in(path);
    std::string port;
    in >> port;
    return port;
}

}  // namespace

CSimulator::CSimulator() {
    std::string port = ReadPort();
    if (!port.empty()) m_base = "http://127.0.0.1:" + port + "/_lane/uploader";
}

std::string CSimulator::Control(const std::string& path, const std::string* body) const {
    std::string response;
    std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), &curl_easy_cleanup);
    std::string url = m_base + path;
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &AppendToResponse);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &response);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 30L);
    if (body != nullptr) {
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, body->c_str());
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE, static_cast<long>(body->size()));
    }
    CURLcode result = curl_easy_perform(curl.get());
    EXPECT_EQ(result, CURLE_OK) << "simulator control " << path;
    return response;
}

void CSimulator::Reset() const {
    std::string empty;
    Control("/_sim/reset", &empty);
}

void CSimulator::Fault(const std::string& path, const std::string& kind,
                       const std::string& extraJsonMembers) const {
    std::string body = "{\"path\":\"" + path + "\",\"kind\":\"" + kind + "\"";
    if (!extraJsonMembers.empty()) body += "," + extraJsonMembers;
    body += "}";
    std::string reply = Control("/_sim/fault", &body);
    EXPECT_NE(reply.find("\"ok\": true"), std::string::npos) << body << " -> " << reply;
}

void CSimulator::MergeFixture(const std::string& json) const {
    std::string reply = Control("/_sim/fixture", &json);
    EXPECT_NE(reply.find("\"ok\": true"), std::string::npos) << json << " -> " << reply;
}

std::vector<SimRequest> CSimulator::Requests() const {
    std::vector<SimRequest> out;
    Json::Value root;
    if (!ParseJson(Control("/_sim/requests", nullptr), root)) return out;
    for (const Json::Value& r : root["requests"]) {
        SimRequest request;
        request.method = r["method"].asString();
        request.path = Base64Decode(r["path_b64"].asString());
        request.headers = r["headers"];
        request.body = Base64Decode(r["body_b64"].asString());
        for (const Json::Value& p : r["parts"]) {
            request.parts.push_back(SimPart{p["name"].asString(), p["filename"].asString(),
                                            p["content_type"].asString(),
                                            Base64Decode(p["data_b64"].asString())});
        }
        out.push_back(request);
    }
    return out;
}

std::string Base64Decode(const std::string& text) {
    static const std::string kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned value = 0;
    int bits = 0;
    for (char c : text) {
        size_t index = kAlphabet.find(c);
        if (index == std::string::npos) continue;
        value = (value << 6) | static_cast<unsigned>(index);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((value >> bits) & 0xFF);
        }
    }
    return out;
}
