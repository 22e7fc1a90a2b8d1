#include "uploader/service/requests.h"

namespace {

bool IsUnreserved(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

}  // namespace

std::string PercentEncode(const std::string& value) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(value.size());
    for (unsigned char c : value) {
        if (IsUnreserved(c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::string SignInUrl(const std::string& base, int loginType, const std::string& userName,
                      const std::string& sha1Hex, const std::string& md5Hex) {
    const char* path = loginType == 1   ? "/sso/authorize?logintype=mobile&response_type=xsid"
                                          "&client_id=ime_upload_tool&username="
                       : loginType == 2 ? "/sso/authorize?logintype=email&response_type=xsid"
                                          "&client_id=ime_upload_tool&username="
                                        : "/sso/authorize?logintype=username&response_type=xsid"
                                          "&client_id=ime_upload_tool&username=";
    // The password itself never leaves the machine: the parameter carries a placeholder.
    return base + path + PercentEncode(userName) +
           "&password=wemp&sha1shadow=" + PercentEncode(sha1Hex) +
           "&md5shadow=" + PercentEncode(md5Hex);
}

std::string CheckUsernameUrl(const std::string& base, const std::string& sign,
                             const std::string& xsid, const std::string& jid) {
    return base + "/api/CheckLogin/checkUsername?sign=" + PercentEncode(sign) +
           "&xsid=" + PercentEncode(xsid) + "&jid=" + PercentEncode(jid);
}

std::string RoleCheckUrl(const std::string& base, const std::string& xsid) {
    return base + "/api/ClientPublic/getSchoolUserType?xsid=" + PercentEncode(xsid);
}

std::string ProvinceServersUrl(const std::string& base, const std::string& xsid,
                               const std::string& jid) {
    return base + "/api/CheckLogin/getProviceIP?xsid=" + PercentEncode(xsid) +
           "&province_code=" + PercentEncode(jid.substr(0, 2));
}

std::string FileNumberUrl(const std::string& server, const std::string& fileNumber,
                          const std::string& xsid) {
    return server + "/api/Ef/checkFileno?file_no=" + PercentEncode(fileNumber) +
           "&xsid=" + PercentEncode(xsid);
}

std::string FirstServerUploadUrl(const std::string& first, const std::string& xsid,
                                 const std::string& studentId) {
    return first + "/index.php?xsid=" + PercentEncode(xsid) +
           "&student_id=" + PercentEncode(studentId) + "&action=upload";
}

std::string SecondServerUploadUrl(const std::string& second, const std::string& xsid,
                                  const std::string& studentId) {
    return second + "/api/Ef/upload?xsid=" + PercentEncode(xsid) +
           "&stu_id=" + PercentEncode(studentId);
}
