// Test-side client of the platform simulator (tools/simulator/simulator.py), built on WinINet so
// that the code under test (libcurl, the updater's own HTTP) and the checks share no library.
//
// Each test process talks to its own lane of the simulator ("/_lane/<process>"): requests,
// faults and fixture changes of tests running side by side stay apart. The lane prefix is
// part of SimBase(); recorded paths are reported without it.
#pragma once

#include <string>
#include <vector>

#include <json/json.h>

// Base address of this process's lane, e.g. "http://127.0.0.1:41234/_lane/p1234-5f3a";
// empty when NTSIM_PORT_FILE is unset or the port file cannot be read.
std::string SimBase();

// Base address of a further lane of this process, named after e.g. the running test, for
// tests that want nothing left over from the one before; empty like SimBase(). Names are cut
// to what the simulator accepts and characters it does not accept become '_'.
std::string SimLaneBase(const std::string& name);

// The control calls below act on the lane at base (this process's lane by default).

// Forgets recorded requests and queued faults and restores the fixture. False on failure.
bool SimReset(const std::string& base = SimBase());

// Queues a fault, e.g. {"path": "/sso", "kind": "hang"}. False when the simulator refuses it.
bool SimFault(const std::string& json, const std::string& base = SimBase());

// Merges a partial fixture into the live state until the next reset. False when refused.
bool SimFixture(const std::string& json, const std::string& base = SimBase());

// Requests recorded since the last reset, oldest first (the "requests" array); a null value
// when the simulator cannot be reached or its answer does not parse.
Json::Value SimRequests(const std::string& base = SimBase());

// One recorded form part and one recorded request, decoded.
struct SimPart {
    std::string name, filename, contentType, data;
};

struct SimRecord {
    std::string method;
    std::string path;     // raw bytes of path and query as sent, inside the lane
    Json::Value headers;  // name -> value, names as sent
    std::string body;
    std::vector<SimPart> parts;

    // The value of a header, its name matched without regard to case; empty when absent.
    std::string Header(const char* name) const;
};

// SimRequests() decoded; empty when the simulator cannot be reached.
std::vector<SimRecord> SimRecords(const std::string& base = SimBase());

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
