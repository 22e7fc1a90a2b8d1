#pragma once

#include <string>

// The URLs of the platform's services. Bases (service base, archive servers) are used as
// held; every query value is percent-encoded so that "&", "=", "#", spaces or non-ASCII
// bytes reach the service as one value. Values are the ANSI or reply bytes, unchanged
// otherwise. None of these can fail.

// Every byte outside RFC 3986's unreserved set becomes "%XX" (upper-case hex).
std::string PercentEncode(const std::string& value);

// loginType is 1 (mobile), 2 (e-mail) or anything else (user name).
std::string SignInUrl(const std::string& base, int loginType, const std::string& userName,
                      const std::string& sha1Hex, const std::string& md5Hex);
std::string CheckUsernameUrl(const std::string& base, const std::string& sign,
                             const std::string& xsid, const std::string& jid);
std::string RoleCheckUrl(const std::string& base, const std::string& xsid);
// The province code is the first two bytes of jid (all of it when shorter).
std::string ProvinceServersUrl(const std::string& base, const std::string& xsid,
                               const std::string& jid);
std::string FileNumberUrl(const std::string& server, const std::string& fileNumber,
                          const std::string& xsid);
std::string FirstServerUploadUrl(const std::string& first, const std::string& xsid,
                                 const std::string& studentId);
std::string SecondServerUploadUrl(const std::string& second, const std::string& xsid,
                                  const std::string& studentId);
