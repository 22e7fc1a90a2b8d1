#pragma once

#include <string>

// Reads the service base from programFolder + "config.xml" (UTF-16LE text, an odd last byte
// dropped): the data of the last <SSOUrlBase> child of <config>, in the ANSI code page.
// Returns false when the file cannot be read or holds no non-empty SSOUrlBase.
bool ReadServiceBase(const std::wstring& programFolder, std::string& serviceBase);
