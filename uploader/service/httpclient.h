#pragma once

#include <curl/curl.h>

#include <string>

// Transfers of the upload tool, on libcurl's easy interface. Both return the libcurl result
// code: 0 when the transfer completed (whatever the HTTP status), CURLE_FAILED_INIT (2) when
// no handle could be created, any other code when the transfer did not complete (the reason
// goes to the debug output). The body is appended to `response`, which the caller empties
// first. With `verifyServer` an https server must show a certificate that the system's trust
// store vouches for and that names the host; without it certificates are not checked.

// libcurl progress function: returning non-zero aborts the transfer.
using HttpProgressFn = int (*)(void* argument, double downloadTotal, double downloadNow,
                               double uploadTotal, double uploadNow);

// GET with 20-second connect and total time-outs.
CURLcode HttpGet(const std::string& url, std::string& response, HttpProgressFn progress,
                 void* progressArgument, bool verifyServer);

// Multipart POST with two parts named "file", both under the file name `bufferName`: the file
// at `filePath` (ANSI) as image/jpeg, then `bufferLength` bytes at `buffer`. No time-out: it
// ends early only through `progress`.
CURLcode HttpPostPhoto(const std::string& url, const std::string& filePath,
                       const std::string& bufferName, long bufferLength, const char* buffer,
                       std::string& response, HttpProgressFn progress, void* progressArgument,
                       bool verifyServer);

// The replies of the platform's services are small JSON documents; a body that would grow the
// response past this is no reply of theirs and ends the transfer as failed.
constexpr size_t kMaxReplyBytes = 4 << 20;

// libcurl write function: appends size * count bytes to the std::string at `userdata` and
// returns count; returns (size_t)-1 (transfer error) when the data or buffer is missing, and 0
// (transfer error) when the buffer would exceed kMaxReplyBytes.
size_t AppendToResponse(char* data, size_t size, size_t count, void* userdata);
