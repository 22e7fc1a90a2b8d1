#include "uploader/service/loginworker.h"

#include "common/util/ntstringconvert.h"
#include "uploader/service/digest.h"
#include "uploader/service/httpclient.h"
#include "uploader/service/requests.h"
#include "uploader/service/servicereply.h"
#include "uploader/service/texts.h"

namespace {

const char kSignSalt[] = "718vok";

CURLcode Get(CLoginContext& c, const std::string& url) {
    c.response.clear();
    return HttpGet(url, c.response, &AbortOnFlag, &c.flags, c.session.verifyServers);
}

bool Closing(const CLoginContext& c) { return c.flags.closing.load() != 0; }

// Step 4: the sign-in reply is not in the service envelope.
bool JudgeSignIn(CLoginContext& c, CURLcode result) {
    if (result != CURLE_OK) {
        c.SetHintText(texts::kNetworkProblem);
        return false;
    }
    Json::Value root;
    if (!ParseJson(c.response, root) || !root.isObject()) {
        c.SetHintText(texts::kWrongCredentials);
        return false;
    }
    if (HasNonNull(root, "xsid")) {
        // A ticket or account sent as a number counts with its digits.
        if (!StringValueMember(root, "xsid", c.session.xsid) ||
            !StringValueMember(root, "jid", c.session.jid)) {
            c.session.xsid.clear();
            c.session.jid.clear();
            c.SetHintText(texts::kWrongCredentials);
            return false;
        }
        c.SetHintText(std::wstring());
        return true;
    }
    std::string message;
    // A refusal without its own words still has to say something.
    c.SetHintText(StringMember(root, "message", message)
                      ? CNTStringConvert::UTF8ToUnicode(message.c_str())
                      : std::wstring(texts::kWrongCredentials));
    return false;
}

// Step 7.
bool JudgeUsernameCheck(CLoginContext& c, CURLcode result) {
    if (result != CURLE_OK) {
        c.SetHintText(texts::kNetworkProblem);
        return false;
    }
    ServiceReply reply;
    if (!ParseServiceReply(c.response, reply)) {
        c.SetHintText(texts::kBadData);
        return false;
    }
    if (reply.errorCode != 0) {
        c.SetHintText(reply.errorMessage.empty()
                          ? std::wstring(texts::kBadData)
                          : CNTStringConvert::UTF8ToUnicode(reply.errorMessage.c_str()));
        return false;
    }
    c.SetHintText(std::wstring());
    return true;
}

void RunLogin(CLoginContext& c) {
    c.response.clear();
    c.session.xsid.clear();
    c.session.jid.clear();

    const std::string& base = c.session.serviceBase;
    CURLcode result = Get(
        c, SignInUrl(base, c.loginType, c.userName, Sha1Hex(c.password.data(), c.password.size()),
                     Md5Hex(c.password.data(), c.password.size())));
    if (Closing(c)) return;
    if (!JudgeSignIn(c, result)) {
        c.NotifyLoginFailed();
        return;
    }

    std::string signed_ = c.session.jid + c.session.xsid + kSignSalt;
    result = Get(c, CheckUsernameUrl(base, Md5Hex(signed_.data(), signed_.size()), c.session.xsid,
                                     c.session.jid));
    if (Closing(c)) return;
    if (!JudgeUsernameCheck(c, result)) {
        c.NotifyLoginFailed();
        return;
    }

    result = Get(c, RoleCheckUrl(base, c.session.xsid));
    // Once the window is closing nobody must be told anything more.
    if (Closing(c)) return;
    c.NotifyWorkerDone(static_cast<WPARAM>(result));
}

}  // namespace

DWORD WINAPI LoginWorker(void* context) {
    if (context != nullptr) RunLogin(*static_cast<CLoginContext*>(context));
    return 0;
}

bool JudgeRoleCheck(WPARAM transferResult, const std::string& response, std::wstring& hint) {
    if (transferResult != 0) {
        hint = texts::kNetworkProblem;
        return false;
    }
    Json::Value root;
    std::string extension;
    if (!ParseJson(response, root) || !StringMember(root, "extension", extension) ||
        extension.size() != 2 || (extension[0] != 's' && extension[0] != 'S') ||
        extension[1] != '3') {
        hint = texts::kNotRecordsAdministrator;
        return false;
    }
    hint.clear();
    return true;
}
