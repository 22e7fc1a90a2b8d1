#include "support/simclient.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "common/util/ntstringconvert.h"

namespace {

struct InternetCloser {
    void operator()(HINTERNET handle) const { InternetCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, InternetCloser>;

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};

// No request to the simulator may hang a test for ever, not even one it was told to hang.
constexpr DWORD kTimeoutMs = 30000;

bool SplitUrl(const std::string& url, std::string* host, INTERNET_PORT* port, std::string* object) {
    const std::string scheme = "http://";
    if (url.compare(0, scheme.size(), scheme) != 0) return false;
    const size_t hostStart = scheme.size();
    const size_t pathStart = url.find('/', hostStart);
    const std::string authority = url.substr(hostStart, pathStart - hostStart);
    *object = pathStart == std::string::npos ? "/" : url.substr(pathStart);
    const size_t colon = authority.find(':');
    *host = authority.substr(0, colon);
    *port = INTERNET_DEFAULT_HTTP_PORT;
    if (colon != std::string::npos) {
        const int value = std::atoi(authority.c_str() + colon + 1);
        if (value <= 0 || value > 65535) return false;
        *port = static_cast<INTERNET_PORT>(value);
    }
    return !host->empty();
}

// A lane name unique to this process, even when a later process gets the same id.
std::string LaneName() {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    char name[48];
    snprintf(name, sizeof name, "p%lu-%08lx", static_cast<unsigned long>(GetCurrentProcessId()),
             static_cast<unsigned long>(created.dwLowDateTime));
    return name;
}

bool ParseJson(const std::string& text, Json::Value* value) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    return reader->parse(text.data(), text.data() + text.size(), value, &errors);
}

bool PostControl(const std::string& base, const std::string& path, const std::string& json) {
    std::string reply;
    Json::Value answer;
    return !base.empty() && SimHttp("POST", base + path, json, &reply) == 200 &&
           ParseJson(reply, &answer) && answer.isObject() && answer["ok"].asBool();
}

// "http://127.0.0.1:PORT" of the running simulator; empty when it cannot be found.
std::string ServerRoot() {
    const char* portFile = std::getenv("NTSIM_PORT_FILE");
    if (portFile == nullptr || *portFile == '\0') return std::string();
    std::string path = std::string("Z:") + portFile;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    std::unique_ptr<FILE, FileCloser> file(
        _wfopen(CNTStringConvert::UTF8ToUnicode(path.c_str()).c_str(), L"rb"));
    if (!file) return std::string();
    char digits[16] = {};
    fread(digits, 1, sizeof digits - 1, file.get());
    const int port = std::atoi(digits);
    if (port <= 0 || port > 65535) return std::string();
    return "http://127.0.0.1:" + std::to_string(port);
}

// The simulator takes lane ids of up to 64 letters, digits, '_', '.' and '-'.
constexpr size_t kLaneIdMax = 64;

bool LaneChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.' || c == '-';
}

// The base64 field of a recorded request or part, decoded; empty when it is missing.
std::string DecodedField(const Json::Value& record, const char* key) {
    if (!record.isObject() || !record[key].isString()) return std::string();
    return SimBase64Decode(record[key].asString());
}

int Base64Digit(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

std::string SimBase() {
    const std::string root = ServerRoot();
    return root.empty() ? root : root + "/_lane/" + LaneName();
}

std::string SimLaneBase(const std::string& name) {
    const std::string root = ServerRoot();
    if (root.empty()) return root;
    std::string lane = LaneName() + "." + name;
    lane.resize(std::min(lane.size(), kLaneIdMax));
    for (char& c : lane) {
        if (!LaneChar(c)) c = '_';
    }
    return root + "/_lane/" + lane;
}

bool SimReset(const std::string& base) { return PostControl(base, "/_sim/reset", "{}"); }

bool SimFault(const std::string& json, const std::string& base) {
    return PostControl(base, "/_sim/fault", json);
}

bool SimFixture(const std::string& json, const std::string& base) {
    return PostControl(base, "/_sim/fixture", json);
}

Json::Value SimRequests(const std::string& base) {
    std::string reply;
    Json::Value answer;
    if (base.empty() || SimHttp("GET", base + "/_sim/requests", std::string(), &reply) != 200 ||
        !ParseJson(reply, &answer) || !answer.isObject() || !answer["requests"].isArray()) {
        return Json::Value();
    }
    return answer["requests"];
}

std::string SimRecord::Header(const char* name) const {
    if (!headers.isObject()) return std::string();
    for (const std::string& key : headers.getMemberNames()) {
        if (_stricmp(key.c_str(), name) == 0) return headers[key].asString();
    }
    return std::string();
}

std::vector<SimRecord> SimRecords(const std::string& base) {
    std::vector<SimRecord> out;
    for (const Json::Value& request : SimRequests(base)) {
        SimRecord record;
        record.method = request["method"].asString();
        record.path = SimRawPath(request);
        record.headers = request["headers"];
        record.body = SimBody(request);
        for (const Json::Value& part : request["parts"]) {
            record.parts.push_back(SimPart{part["name"].asString(), part["filename"].asString(),
                                           part["content_type"].asString(), SimPartData(part)});
        }
        out.push_back(record);
    }
    return out;
}

int SimHttp(const std::string& method, const std::string& url, const std::string& body,
            std::string* reply) {
    std::string host, object;
    INTERNET_PORT port = 0;
    if (!SplitUrl(url, &host, &port, &object)) return 0;
    InternetHandle session(
        InternetOpenA("ntsim-client", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!session) return 0;
    DWORD timeout = kTimeoutMs;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        InternetSetOptionA(session.get(), option, &timeout, sizeof timeout);
    }
    InternetHandle connection(InternetConnectA(session.get(), host.c_str(), port, nullptr, nullptr,
                                               INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return 0;
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                        INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_COOKIES |
                        INTERNET_FLAG_NO_AUTO_REDIRECT;
    InternetHandle request(HttpOpenRequestA(connection.get(), method.c_str(), object.c_str(),
                                            nullptr, nullptr, nullptr, flags, 0));
    if (!request) return 0;
    static const char kHeaders[] = "Content-Type: application/json\r\n";
    if (!HttpSendRequestA(request.get(), kHeaders, static_cast<DWORD>(sizeof kHeaders - 1),
                          body.empty() ? nullptr : const_cast<char*>(body.data()),
                          static_cast<DWORD>(body.size()))) {
        return 0;
    }
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                        &size, nullptr)) {
        return 0;
    }
    std::string received;
    char block[8192];
    DWORD got = 0;
    for (;;) {
        if (!InternetReadFile(request.get(), block, sizeof block, &got)) return 0;
        if (got == 0) break;
        received.append(block, got);
    }
    if (reply != nullptr) *reply = received;
    return static_cast<int>(status);
}

std::string SimBase64Decode(const std::string& text) {
    if (text.size() % 4 != 0) return std::string();
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        int digits[4];
        int padding = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = text[i + k];
            const bool last = i + 4 == text.size();
            if (c == '=' && last && k >= 2 && (k == 3 || text[i + 3] == '=')) {
                digits[k] = 0;
                ++padding;
            } else if ((digits[k] = Base64Digit(c)) < 0 || padding > 0) {
                return std::string();
            }
        }
        const unsigned value = (digits[0] << 18) | (digits[1] << 12) | (digits[2] << 6) | digits[3];
        out.push_back(static_cast<char>(value >> 16));
        if (padding < 2) out.push_back(static_cast<char>((value >> 8) & 0xFF));
        if (padding < 1) out.push_back(static_cast<char>(value & 0xFF));
    }
    return out;
}

std::string SimRawPath(const Json::Value& request) { return DecodedField(request, "path_b64"); }

std::string SimBody(const Json::Value& request) { return DecodedField(request, "body_b64"); }

std::string SimPartData(const Json::Value& part) { return DecodedField(part, "data_b64"); }
