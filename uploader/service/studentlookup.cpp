#include "uploader/service/studentlookup.h"

#include "common/util/ntstringconvert.h"
#include "uploader/service/httpclient.h"
#include "uploader/service/requests.h"
#include "uploader/service/servicereply.h"
#include "uploader/service/texts.h"

namespace {

CURLcode Get(CUploadContext& c, const std::string& url, std::string& response) {
    response.clear();
    return HttpGet(url, response, &AbortOnFlag, &c.flags, c.session.verifyServers);
}

// A member that must be a string when present: absent or null gives empty text, any other
// type is a malformed reply.
bool OptionalString(const Json::Value& object, const char* key, std::string& text) {
    text.clear();
    if (!HasNonNull(object, key)) return true;
    return StringMember(object, key, text);
}

}  // namespace

int LookupProvinceServers(CUploadContext& c, std::string& response) {
    CURLcode result =
        Get(c, ProvinceServersUrl(c.session.serviceBase, c.session.xsid, c.session.jid), response);
    if (result != CURLE_OK) {
        c.SetLookupHint(texts::kNetworkProblem);
        return -1;
    }
    ServiceReply reply;
    ProvinceServers servers;
    if (!ParseServiceReply(response, reply) ||
        (reply.errorCode == 0 && !reply.data.isNull() && !reply.data.isObject())) {
        c.SetLookupHint(std::wstring());
        return -1;
    }
    if (reply.errorCode != 0) {
        c.SetLookupHint(CNTStringConvert::UTF8ToUnicode(reply.errorMessage.c_str()));
        return -1;
    }
    if (!OptionalString(reply.data, "first", servers.first) ||
        !OptionalString(reply.data, "second", servers.second)) {
        c.SetLookupHint(std::wstring());
        return -1;
    }
    c.servers = servers;
    if (servers.first.empty() && servers.second.empty()) {
        c.SetLookupHint(texts::kNoArchiveServer);
        return -1;
    }
    c.SetLookupHint(std::wstring());
    return 0;
}

int CheckFileNumber(CUploadContext& c, std::string& response) {
    if (c.fileNumber.empty()) {
        c.SetLookupHint(texts::kEmptyFileNumber);
        return -1;
    }
    const std::string& server = c.servers.second.empty() ? c.servers.first : c.servers.second;
    CURLcode result =
        Get(c,
            FileNumberUrl(server, CNTStringConvert::UnicodeToAnsi(c.fileNumber.c_str()),
                          c.session.xsid),
            response);
    if (result != CURLE_OK) {
        c.SetLookupHint(texts::kNetworkProblem);
        return -1;
    }
    ServiceReply reply;
    if (!ParseServiceReply(response, reply) || reply.errorCode != 0) {
        c.SetLookupHint(texts::kWrongFileNumber);
        return -1;
    }
    // A success without a student object names no student of this school: no id, and no
    // "accessible" to grant the upload.
    const Json::Value data = reply.data.isObject() ? reply.data : Json::Value(Json::objectValue);
    if (!OptionalString(data, "student_id", c.record.student_id)) {
        c.SetLookupHint(texts::kWrongFileNumber);
        return -1;
    }
    // Only a real true admits the student; a string "true" or a number is not a grant.
    if (!HasNonNull(data, "accessible") || !data["accessible"].isBool() ||
        !data["accessible"].asBool()) {
        c.SetLookupHint(texts::kNotOwnStudent);
        return -1;
    }
    c.record.grade_name.clear();
    c.record.class_name.clear();
    std::string grade;
    std::string className;
    if (!HasNonNull(data, "grade_name") || !StringMember(data, "grade_name", grade) ||
        !OptionalString(data, "class_name", className)) {
        c.SetLookupHint(texts::kBadGrade);
        return -1;
    }
    c.record.grade_name = CNTStringConvert::UTF8ToUnicode(grade.c_str());
    c.record.class_name = CNTStringConvert::UTF8ToUnicode(className.c_str());
    c.SetLookupHint(std::wstring());
    return 0;
}
