#include "support/simlane.h"

#include <json/json.h>

#include "common/util/ntstringconvert.h"

CSimLane::CSimLane() : m_base(SimBase()) {}

CSimLane::CSimLane(const std::string& name) : m_base(SimLaneBase(name)) {}

std::wstring CSimLane::WideBase() const { return CNTStringConvert::UTF8ToUnicode(m_base.c_str()); }

bool CSimLane::Reset() const { return SimReset(m_base); }

bool CSimLane::Fault(const std::string& json) const { return SimFault(json, m_base); }

bool CSimLane::Fault(const std::string& path, const std::string& kind,
                     const std::string& extraMembers) const {
    std::string json = "{\"path\": " + Json::valueToQuotedString(path.c_str()) +
                       ", \"kind\": " + Json::valueToQuotedString(kind.c_str());
    if (!extraMembers.empty()) json += ", " + extraMembers;
    return Fault(json + "}");
}

bool CSimLane::Fixture(const std::string& json) const { return SimFixture(json, m_base); }

std::vector<SimRecord> CSimLane::Requests() const { return SimRecords(m_base); }

int CSimLane::Get(const std::string& path, std::string* reply) const {
    return m_base.empty() ? 0 : SimHttp("GET", m_base + path, std::string(), reply);
}
