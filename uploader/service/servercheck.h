#pragma once

#include <curl/curl.h>

#include <string>

// A second look at an https server before a request leaves: the certificate chain the server
// presented (collected by libcurl with CURLOPT_CERTINFO) must lead to a root of the system's
// trust store and name the host, by the system's SSL chain policy. This holds even where the
// TLS layer itself does not judge certificates (Wine's Schannel does not). Plain http passes.
// Returns true when the transfer on `handle` may go on; otherwise false with the reason.
bool ServerChainTrusted(CURL* handle, std::string& reason);
