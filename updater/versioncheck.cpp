#include "updater/versioncheck.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>

#include <json/json.h>

#include "common/util/ntstringconvert.h"
#include "updater/framework/ccminternetsession.h"

namespace {

// A version reply is a few kilobytes; a body past this is no reply of the service and is not
// collected in memory (a 32-bit process has little of it to spare).
constexpr size_t kMaxReplyBytes = 1 << 20;

// jsoncpp reports some damage (nesting too deep) by throwing; that must not leave here.
bool ParseJson(const std::string& text, Json::Value& root) {
    try {
        Json::CharReaderBuilder builder;
        std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        std::string errors;
        return reader->parse(text.data(), text.data() + text.size(), &root, &errors);
    } catch (...) {
        return false;
    }
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Windows opens the device, not a file, for these names whatever extension follows them
// ("nul.zip"); spaces before the extension are dropped as well ("CON .zip").
bool IsDeviceName(const std::wstring& name) {
    std::wstring stem = name.substr(0, name.find(L'.'));
    stem.erase(stem.find_last_not_of(L' ') + 1);
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
        if (SameName(stem, device)) return true;
    }
    // COM1..COM9 and LPT1..LPT9, superscript digits included.
    std::wstring port = stem.substr(0, 3);
    return stem.size() == 4 && (SameName(port, L"COM") || SameName(port, L"LPT")) &&
           stem[3] != L'\0' && std::wcschr(L"123456789\u00B9\u00B2\u00B3", stem[3]);
}

// A package name becomes part of a local path, and what lies at that path is later unpacked
// and deleted: it must name a file directly inside the update folder. Win32 drops trailing dots
// and spaces, so such a name ("." and ".." among them) would point elsewhere.
bool IsPlainFileName(const std::wstring& name, const std::wstring& localPath) {
    if (name.empty() || name.back() == L'.' || name.back() == L' ') return false;
    for (wchar_t c : name) {
        if (c < 0x20 || c == 0x7F || std::wcschr(L"\\/:*?\"<>|", c)) return false;
    }
    // Room for the partial download's suffix ".$$$" and its record's ".$$$.for" within the
    // path limit.
    return localPath.size() + 8 < MAX_PATH && !IsDeviceName(name);
}

// The optional "size": a positive decimal count, as a number or a text, that a package can have.
bool ReadDeclaredSize(const Json::Value& value, uint32_t& size) {
    if (value.isNull()) return true;
    uint64_t count = 0;
    if (value.isString()) {
        std::string text = value.asString();
        if (text.empty() || text.size() > 10) return false;
        for (char c : text) {
            if (c < '0' || c > '9') return false;
            count = count * 10 + static_cast<uint64_t>(c - '0');
        }
    } else if ((value.type() == Json::intValue || value.type() == Json::uintValue) &&
               value.isUInt64()) {
        count = value.asUInt64();
    } else {
        return false;
    }
    if (count == 0 || count > UINT32_MAX) return false;
    size = static_cast<uint32_t>(count);
    return true;
}

// The optional "sha256": 64 hex digits in either case, kept in lower case.
bool ReadDigest(const Json::Value& value, std::string& digest) {
    if (value.isNull()) return true;
    if (!value.isString()) return false;
    std::string text = value.asString();
    if (text.size() != 64) return false;
    for (char& c : text) {
        if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    digest = text;
    return true;
}

}  // namespace

bool RequestVersionInfo(const std::wstring& updateBase, const std::wstring& version,
                        std::string& body) {
    body.clear();
    std::wstring server, object;
    INTERNET_PORT port = 0;
    bool secure = false;
    if (!CCMParseUrl(updateBase + L"/version/interfaces/version/getVersionInfo.htm", server, port,
                     object, secure))
        return false;
    CCMInternetSession session;
    if (!session.IsOpen()) return false;
    session.SetOption(INTERNET_OPTION_CONNECT_TIMEOUT, 5000);
    session.SetOption(INTERNET_OPTION_CONNECT_RETRIES, 1);
    CCMHttpConnection connection = session.GetHttpConnection(server, port);
    if (!connection.IsOpen()) return false;
    // Without the secure flag an https address gets plain HTTP on its TLS port.
    CCMHttpFile request = connection.OpenRequest(
        L"POST", object, INTERNET_FLAG_KEEP_CONNECTION | (secure ? INTERNET_FLAG_SECURE : 0));
    if (!request.IsOpen()) return false;
    request.AddRequestHeaders(L"Content-Type: application/x-www-form-urlencoded\r\n");
    request.AddRequestHeaders(L"Connection: Keep-Alive\r\n");
    const std::string form =
        CNTStringConvert::UnicodeToUTF8((L"version=" + version + L"&type=0").c_str());
    if (!request.SendRequest(form.data(), static_cast<DWORD>(form.size()))) return false;
    char block[1024];
    for (;;) {
        long got = request.Read(block, sizeof(block));
        if (got < 0) return false;
        if (got == 0) break;
        if (static_cast<size_t>(got) > kMaxReplyBytes - body.size()) return false;
        body.append(block, static_cast<size_t>(got));
    }
    return true;
}

int ParseVersionReply(const std::string& body, const std::wstring& updateBase,
                      const std::wstring& programFolder, VersionOffer& offer) {
    offer = VersionOffer();
    Json::Value root;
    if (!ParseJson(body, root) || !root.isObject()) return -1;
    const Json::Value& success = root["success"];
    if (!success.isBool() || !success.asBool()) return 0;
    const Json::Value& version = root["versionnum"];
    const Json::Value& forced = root["forcedupdate"];
    const Json::Value& notes = root["describle"];
    if (!version.isString() || (!forced.isNull() && !forced.isBool()) ||
        (!notes.isNull() && !notes.isString()))
        return 0;
    offer.newVersion = CNTStringConvert::UTF8ToUnicode(version.asCString());
    offer.forced = forced.isBool() && forced.asBool() ? 1 : 0;
    offer.description =
        notes.isString() ? CNTStringConvert::UTF8ToUnicode(notes.asCString()) : std::wstring();
    const Json::Value& data = root["data"];
    if (data.isArray()) {
        for (const Json::Value& entry : data) {
            if (!entry.isObject() || !entry["name"].isString() || !entry["url"].isString())
                continue;
            auto item = std::make_unique<UpdateItem>();
            item->name = CNTStringConvert::UTF8ToUnicode(entry["name"].asCString());
            item->url = updateBase + CNTStringConvert::UTF8ToUnicode(entry["url"].asCString());
            item->localPath = programFolder + L"update\\" + item->name;
            item->version = offer.newVersion;
            // One unusable name spoils the reply: installing only part of an update is worse
            // than offering none. A name given twice would have its package removed after the
            // first install and fail the second one on every run.
            bool repeated = false;
            for (const auto& earlier : offer.items)
                repeated = repeated || SameName(earlier->name, item->name);
            if (repeated || !IsPlainFileName(item->name, item->localPath) ||
                !ReadDeclaredSize(entry["size"], item->declaredSize) ||
                !ReadDigest(entry["sha256"], item->sha256)) {
                offer.items.clear();
                return -1;
            }
            offer.items.push_back(std::move(item));
        }
    }
    return offer.items.empty() ? 0 : 1;
}
