#pragma once

#include <string>

// Reads programFolder + "config.xml" (UTF-16LE text, an odd last byte dropped). The service
// base is the data of the last <SSOUrlBase> child of <config>, in the ANSI code page.
// `verifyServers` is true when the last <VerifyServerCertificate> child holds "1" or "true"
// (any case, spaces around it ignored) and false otherwise, also when there is none.
// Returns false when the file cannot be read, is larger than 1 MiB or holds no non-empty
// SSOUrlBase.
bool ReadServiceBase(const std::wstring& programFolder, std::string& serviceBase,
                     bool& verifyServers);
