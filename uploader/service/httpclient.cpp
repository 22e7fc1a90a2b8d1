#include "uploader/service/httpclient.h"

#include <memory>

#include "common/util/ntdebug.h"
#include "uploader/service/servercheck.h"

// The form calls and the progress function are the classic interface the archive servers were
// written against; they produce the same requests as their successors.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace {

struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;

struct FormDeleter {
    void operator()(curl_httppost* form) const { curl_formfree(form); }
};
using FormHandle = std::unique_ptr<curl_httppost, FormDeleter>;

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, SlistDeleter>;

// libcurl pre-request function: the request leaves only for a server whose chain the system
// trusts; `handle` is the transfer's easy handle.
int CheckServerBeforeSending(void* handle, char*, char*, int, int) {
    std::string reason;
    if (ServerChainTrusted(static_cast<CURL*>(handle), reason)) return CURL_PREREQFUNC_OK;
    CNTDebug::Output(nullptr, L"%hs\n", reason.c_str());
    return CURL_PREREQFUNC_ABORT;
}

// Certificate checks through Schannel and the system's trust store, or none. A revocation list
// that cannot be reached does not fail Schannel's check (private networks often cannot reach
// one); a revoked certificate does.
void SetServerChecks(CURL* h, bool verifyServer) {
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, verifyServer ? 1L : 0L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, verifyServer ? 2L : 0L);
    if (!verifyServer) return;
    curl_easy_setopt(h, CURLOPT_SSL_OPTIONS, CURLSSLOPT_REVOKE_BEST_EFFORT);
    curl_easy_setopt(h, CURLOPT_CERTINFO, 1L);
    curl_easy_setopt(h, CURLOPT_PREREQFUNCTION, &CheckServerBeforeSending);
    curl_easy_setopt(h, CURLOPT_PREREQDATA, h);
}

// Runs the transfer; a failure and libcurl's reason for it go to the debug output (the address
// without its query, which carries the sign-in ticket).
CURLcode Perform(CURL* h, const std::string& url) {
    char reason[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, reason);
    CURLcode result = curl_easy_perform(h);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, nullptr);
    if (result != CURLE_OK) {
        std::string address = url.substr(0, url.find('?'));
        CNTDebug::Output(nullptr, L"transfer to %hs failed (%d): %hs\n", address.c_str(),
                         static_cast<int>(result), reason[0] ? reason : curl_easy_strerror(result));
    }
    return result;
}

}  // namespace

size_t AppendToResponse(char* data, size_t size, size_t count, void* userdata) {
    auto* response = static_cast<std::string*>(userdata);
    if (data == nullptr || response == nullptr) return static_cast<size_t>(-1);
    size_t bytes = size * count;
    if (response->size() > kMaxReplyBytes || bytes > kMaxReplyBytes - response->size()) return 0;
    response->append(data, bytes);
    // libcurl compares with size * count; every caller passes size 1.
    return count;
}

CURLcode HttpGet(const std::string& url, std::string& response, HttpProgressFn progress,
                 void* progressArgument, bool verifyServer) {
    EasyHandle curl(curl_easy_init());
    if (!curl) return CURLE_FAILED_INIT;
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_READFUNCTION, nullptr);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &AppendToResponse);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &response);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    SetServerChecks(h, verifyServer);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 20L);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, 20L);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_PROGRESSFUNCTION, progress);
    curl_easy_setopt(h, CURLOPT_PROGRESSDATA, progressArgument);
    return Perform(h, url);
}

CURLcode HttpPostPhoto(const std::string& url, const std::string& filePath,
                       const std::string& bufferName, long bufferLength, const char* buffer,
                       std::string& response, HttpProgressFn progress, void* progressArgument,
                       bool verifyServer) {
    EasyHandle curl(curl_easy_init());
    if (!curl) return CURLE_FAILED_INIT;
    CURL* h = curl.get();

    // An empty "Expect:" keeps libcurl from waiting for a 100-continue the servers never send.
    HeaderList headers(curl_slist_append(nullptr, "Expect:"));
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());

    curl_httppost* first = nullptr;
    curl_httppost* last = nullptr;
    // The file part is named explicitly: libcurl would cut the path at its last 0x5C byte,
    // which in a double-byte code page may be half of a character.
    curl_formadd(&first, &last, CURLFORM_COPYNAME, "file", CURLFORM_FILE, filePath.c_str(),
                 CURLFORM_FILENAME, bufferName.c_str(), CURLFORM_CONTENTTYPE, "image/jpeg",
                 CURLFORM_END);
    curl_formadd(&first, &last, CURLFORM_COPYNAME, "file", CURLFORM_BUFFER, bufferName.c_str(),
                 CURLFORM_BUFFERPTR, buffer, CURLFORM_BUFFERLENGTH, bufferLength, CURLFORM_END);
    FormHandle form(first);
    curl_easy_setopt(h, CURLOPT_HTTPPOST, form.get());

    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    SetServerChecks(h, verifyServer);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &AppendToResponse);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &response);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_PROGRESSFUNCTION, progress);
    curl_easy_setopt(h, CURLOPT_PROGRESSDATA, progressArgument);
    CURLcode result = Perform(h, url);
    // The handle goes first: it still refers to the form and the header list.
    curl.reset();
    return result;
}

#pragma GCC diagnostic pop
