#include "common/zip/ntzipmemorysource.h"

#include <cstring>

CNTZipMemorySource::CNTZipMemorySource(const void* data, size_t len)
    : m_data(static_cast<const unsigned char*>(data),
             static_cast<const unsigned char*>(data) + len) {}

uint64_t CNTZipMemorySource::Size() const { return m_data.size(); }

bool CNTZipMemorySource::ReadAt(uint64_t offset, void* buffer, size_t len) {
    if (offset > m_data.size() || len > m_data.size() - offset) return false;
    if (len != 0) std::memcpy(buffer, m_data.data() + offset, len);
    return true;
}
