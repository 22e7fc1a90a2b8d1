// Test-side client of the platform simulator (tools/simulator/simulator.py), built on WinINet so
// that the code under test (libcurl, the updater's own HTTP) and the checks share no library.
//
// Each test process talks to its own lane of the simulator ("/_lane/<process>"): requests,
// faults and fixture changes of tests running side by side stay apart. The lane prefix is
// part of SimBase(); recorded paths are reported without it.
#pragma once

#include <string>

#include <json/json.h>

// Base address of this process's lane, e.g. "http://127.0.0.1:41234/_lane/p1234-5f3a";
// empty when NTSIM_PORT_FILE is unset or the port file cannot be read.
std::string SimBase();

// Forgets recorded requests and queued faults and restores the fixture. False on failure.
bool SimReset();

// Queues a fault, e.g. {"path": "/sso", "kind": "hang"}. False when the simulator refuses it.
bool SimFault(const std::string& json);

// Merges a partial fixture into the live state until the next reset. False when refused.
bool SimFixture(const std::string& json);

// Requests recorded since the last reset, oldest first (the "requests" array); a null value
// when the simulator cannot be reached or its answer does not parse.
Json::Value SimRequests();

// Sends one request to a full URL; returns the HTTP status (0 when no answer came) and puts
// the body into *reply when reply is given.
int SimHttp(const std::string& method, const std::string& url, const std::string& body,
            std::string* reply);

// Standard base64 (with padding) to bytes; empty for malformed input.
std::string SimBase64Decode(const std::string& text);

// The raw bytes of a recorded request's path and query, of its body, and of a form part.
std::string SimRawPath(const Json::Value& request);
std::string SimBody(const Json::Value& request);
std::string SimPartData(const Json::Value& part);
