#pragma once

#include <cstddef>
#include <cstdint>

#include "common/ntapi.h"

// Random-access bytes of an archive: a file, a resource, a buffer.
class NT_API CNTZipSource {
public:
    CNTZipSource() = default;
    CNTZipSource(const CNTZipSource&) = delete;
    CNTZipSource& operator=(const CNTZipSource&) = delete;
    virtual ~CNTZipSource() = default;

    // Total length in bytes.
    virtual uint64_t Size() const = 0;
    // Reads exactly len bytes at offset; false when the range lies outside or the read fails.
    virtual bool ReadAt(uint64_t offset, void* buffer, size_t len) = 0;
};
