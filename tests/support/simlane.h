#pragma once

#include <string>
#include <vector>

#include "support/simclient.h"

// One lane of the simulator as a test holds it: its base address and the control calls on it.
class CSimLane {
public:
    // This process's lane (SimBase()).
    CSimLane();
    // A further lane of this process (SimLaneBase(name)).
    explicit CSimLane(const std::string& name);

    // Empty when the simulator cannot be found.
    const std::string& Base() const { return m_base; }
    // Base() for code that takes UTF-16 addresses.
    std::wstring WideBase() const;

    // Each false when the simulator cannot be reached or refuses the call.
    bool Reset() const;
    bool Fault(const std::string& json) const;
    // {"path": path, "kind": kind, <extraMembers>}, e.g. extraMembers "\"count\": 0".
    bool Fault(const std::string& path, const std::string& kind,
               const std::string& extraMembers = std::string()) const;
    bool Fixture(const std::string& json) const;

    // Recorded requests, oldest first; empty when the simulator cannot be reached.
    std::vector<SimRecord> Requests() const;

    // GET of a path inside the lane: the HTTP status (0 when no answer came), the body into
    // *reply when given.
    int Get(const std::string& path, std::string* reply) const;

private:
    std::string m_base;
};
