#pragma once

#include <vector>

#include "common/zip/ntzipsource.h"

// An archive held in memory (a copy of the caller's bytes, so the caller may free them).
class NT_API CNTZipMemorySource : public CNTZipSource {
public:
    CNTZipMemorySource(const void* data, size_t len);

    uint64_t Size() const override;
    bool ReadAt(uint64_t offset, void* buffer, size_t len) override;

private:
    std::vector<unsigned char> m_data;
};
