#pragma once

#include <cstddef>

#include "common/ntapi.h"

// Receives the bytes of one extracted entry, block by block.
class NT_API CNTZipSink {
public:
    CNTZipSink() = default;
    CNTZipSink(const CNTZipSink&) = delete;
    CNTZipSink& operator=(const CNTZipSink&) = delete;
    virtual ~CNTZipSink() = default;

    // Takes one block; false stops the extraction.
    virtual bool Write(const void* data, size_t len) = 0;
};
