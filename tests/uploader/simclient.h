#pragma once

#include <json/value.h>

#include <string>
#include <vector>

// Client of the platform simulator's control API, working in the lane "uploader" so that
// other test programs running at the same time do not see our faults or requests.
struct SimPart {
    std::string name, filename, contentType, data;
};

struct SimRequest {
    std::string method;
    std::string path;  // raw request target as sent, inside the lane
    Json::Value headers;
    std::string body;
    std::vector<SimPart> parts;
};

class CSimulator {
public:
    CSimulator();

    // Base address of the lane, e.g. http://127.0.0.1:5000/_lane/uploader; empty when the
    // port file cannot be read.
    const std::string& Base() const { return m_base; }
    void Reset() const;
    // {"path": ..., "kind": ..., ...extra} with path relative to the lane.
    void Fault(const std::string& path, const std::string& kind,
               const std::string& extraJsonMembers = "") const;
    void MergeFixture(const std::string& json) const;
    std::vector<SimRequest> Requests() const;

private:
    std::string Control(const std::string& path, const std::string* body) const;
    std::string m_base;
};

std::string Base64Decode(const std::string& text);
